#pragma once
// Pictures for looking at the skin: the three windows put together as the player stacks them,
// and a sheet of every picture. Both read the written files, so they show what the player loads.

#include "skin_set.h"

namespace skingen {

void writePreview(const OutputFolders &folders, int scale, const QString &file);
void writeSheet(const OutputFolders &folders, int scale, const QString &file);

} // namespace skingen
