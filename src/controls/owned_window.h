#pragma once
// The player's lyrics and playlist windows are ordinary top-level windows of their own, owned
// by the main window but not transient for it: window managers place an ordinary window with a
// position where it asks to be, while some (weston) place utility and transient windows as
// they see fit. Only the main window belongs on the task bar, in the pager and in the window
// switcher, so keepOffTaskBar asks the window manager to leave such a window out of them,
// anew before every time it is mapped (a window manager forgets a withdrawn window's state).

class QWidget;

namespace lumiqo {

// Marks `window` (a top-level widget) as kept off the task bar and the pager from its next
// showing on. Nothing happens off X11.
void keepOffTaskBar(QWidget *window);

} // namespace lumiqo
