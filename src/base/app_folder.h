#pragma once
#include <QString>

namespace lumiqo {

// The program folder (the executable's folder) followed by exactly one "/".
QString AppFolder();

// Tests point the program folder elsewhere; an empty text goes back to the executable's.
void setAppFolderForTesting(const QString &folder);

// The favourites file, relative to the data folder.
inline const QString kFavouritesFile = QStringLiteral("inc/mymusiclist.dat");

// The folder of everything the program writes (the favourites folder "inc", the lyrics work
// file "lrc", the search scratch file "TEMP"), followed by one "/": the program folder while
// the user may write it (the build tree, a portable copy), otherwise the user's own
// $XDG_DATA_HOME/lumiqo/ (an installed program). Its "inc" folder is made when missing. The
// first time the user's "inc" folder is made, a favourites file in the program folder is
// copied into it, so favourites kept beside the program are not lost.
QString DataFolder();

// Whether the user may create files in the folder. For root, whose rights pass over the
// permission bits, a folder without any write bit counts as read-only all the same.
bool isWritableFolder(const QString &folder);

} // namespace lumiqo
