#pragma once
// Whether a widget can be seen at all, as far as the window system goes: its window is
// exposed, and no other windows stand over the whole widget. The X server's own visibility
// events say nothing once a compositing manager redirects the windows, so on X11 this follows
// the stacking itself: it hears the window manager's stacking list change (windows mapped,
// restacked) and the windows above ours move, resize or go, and shortly after a change asks
// the server which windows stand above ours and whether the opaque ones among them cover the
// widget. (It does not listen to all of the root window's children: that would also bring it
// every request other programs send the window manager.) A window that may let the widget show
// through never counts as covering it: one with an alpha channel (32-bit visual), one whose
// opacity is below full, an override-redirect one (menus, tool tips, a compositor's overlay),
// an input-only one. Elsewhere (offscreen, Wayland) only the exposure counts.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QRect>
#include <QTimer>

#include <xcb/xcb.h>

#include <set>

class QWidget;

namespace lumiqo {

class WindowOcclusion : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT
public:
  // Watches `area` from now on; its window should exist (be shown) already.
  explicit WindowOcclusion(QWidget &area, QObject *parent = nullptr);
  ~WindowOcclusion() override;

  // Nobody can see the area: its window is not exposed, or other windows cover it.
  bool covered() const { return covered_; }
  // Asks the window system again now.
  void recheck();

signals:
  void coveredChanged(bool covered);

protected:
  bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void listenToRoot();
  bool coveredByOthers();
  // The root child that holds our window (the window manager's frame, or the window).
  xcb_window_t topFrame(xcb_window_t window);
  // The area in root coordinates, device pixels; empty when unknown.
  QRect areaOnRoot(xcb_window_t window);

  QWidget &area_;
  xcb_connection_t *connection_ = nullptr;
  xcb_window_t root_ = XCB_WINDOW_NONE;
  xcb_atom_t opacity_ = XCB_ATOM_NONE;
  xcb_atom_t stacking_ = XCB_ATOM_NONE; // the window manager's list, bottom to top
  std::set<xcb_window_t> followed_;     // windows above ours whose changes we hear
  bool shapeExtension_ = false;
  QTimer settle_; // a burst of changes is looked at once
  bool covered_ = false;
};

} // namespace lumiqo
