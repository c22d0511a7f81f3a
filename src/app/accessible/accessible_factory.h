#pragma once
// The one accessible factory of the program: it gives every skinned control, window and panel
// its interface (roles, names, values, the play list's table), which Qt's accessibility bridge
// carries to screen readers. Installed once, at start-up; later calls do nothing.

namespace lumiqo {

void installAccessibleFactory();

} // namespace lumiqo
