#pragma once
#include <QString>

namespace lumiqo {

// The program folder (the executable's folder) followed by exactly one "/".
QString AppFolder();

// Tests point the program folder elsewhere; an empty text goes back to the executable's.
void setAppFolderForTesting(const QString &folder);

} // namespace lumiqo
