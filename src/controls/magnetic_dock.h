#pragma once
// MagneticDock: cMagneticWnd on real top-level widgets. Registering a window attaches the
// docking object to the window's WindowDragLoop, so the window's drags and grip drags snap
// and carry its glued windows along. The work area is that of the screen the dragged window
// is on (panels excluded), taken when a drag starts; a maximised window counts as covering
// its screen's work area. Minimising or restoring a registered window recomputes the glue, and
// a registered window that is destroyed is unregistered. The glue at the end of a drag is
// computed from where the drag put the windows, not from what the window server has
// confirmed so far.
//
// The player holds one, with the main window (no parent), then the lyrics window and the
// playlist window (the main window as parent).

#include "controls/cmagneticwnd.h"
#include "controls/window_drag_loop.h"

#include <QObject>
#include <QPointer>

#include <map>

class QWidget;

namespace lumiqo {

class MagneticDock : public QObject, public WindowDragHook, private cMagneticWnd::Platform {
  Q_OBJECT
public:
  explicit MagneticDock(QObject *parent = nullptr);
  ~MagneticDock() override;

  // False for a window already registered, no window or not a top-level window, or a parent
  // that is not a top-level window.
  bool AddWindow(QWidget *window, QWidget *parent = nullptr);
  bool RemoveWindow(QWidget *window);
  void CheckGlueing() { magnetic_.CheckGlueing(); }
  // A command of a registered window ran (a menu pick or a button).
  void Command() { magnetic_.Command(); }
  int SnapWidth() const { return magnetic_.SnapWidth(); }
  void setSnapWidth(int pixels) { magnetic_.setSnapWidth(pixels); }
  bool IsGlued(QWidget *window) const { return magnetic_.IsGlued(idOf(window)); }

  const cMagneticWnd &geometry() const { return magnetic_; }

  void dragEntered(QWidget *window, int hitCode, QPoint cursor) override;
  Step dragStep(QWidget *window, int hitCode, const QRect &proposed, QPoint cursor) override;
  void dragExited(QWidget *window, const std::vector<Placed> &placed) override;

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  using WindowId = cMagneticWnd::WindowId;
  static WindowId idOf(const QWidget *window) { return reinterpret_cast<WindowId>(window); }
  static QWidget *widgetOf(WindowId id) { return reinterpret_cast<QWidget *>(id); }

  bool IsLive(WindowId window) const override;
  cMagneticWnd::Rect WindowRect(WindowId window) const override;
  bool IsMaximised(WindowId window) const override;
  cMagneticWnd::Rect WorkArea(WindowId window) const override;
  void Subclass(WindowId window) override;
  void Unsubclass(WindowId window) override;

  struct Attached {
    QWidget *window = nullptr; // null once the window is being destroyed
    QPointer<WindowDragLoop> loop;
    QMetaObject::Connection destroyed;
  };
  std::map<WindowId, Attached> attached_; // before magnetic_: its destructor detaches
  std::map<WindowId, QRect> placed_;      // where the ending drag put its windows
  cMagneticWnd magnetic_{*this};
};

} // namespace lumiqo
