#pragma once
// Whether window opacity shows on this desktop: on X11 only while a compositing manager owns
// the screen's _NET_WM_CM_Sn selection; a Wayland desktop always composites.

namespace lumiqo {

bool compositingManagerRunning();

// Tests decide the answer; 0 or 1 forces it, -1 asks the desktop again.
void setCompositingForTesting(int running);

} // namespace lumiqo
