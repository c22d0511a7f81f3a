#include "controls/owned_window.h"

#include "controls/xcb_reply.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <vector>

namespace lumiqo {
namespace {

xcb_atom_t internAtom(xcb_connection_t *c, const char *name) {
  XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Adds the skip states to the _NET_WM_STATE of a window that is not mapped yet (the window
// manager reads it at the map; Qt adds its own states to it afterwards, keeping these).
void addSkipStates(QWidget *window) {
  xcb_connection_t *c = qtXcbConnection();
  if (!c)
    return;
  static const xcb_atom_t state = internAtom(c, "_NET_WM_STATE");
  static const xcb_atom_t skipTaskBar = internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
  static const xcb_atom_t skipPager = internAtom(c, "_NET_WM_STATE_SKIP_PAGER");
  if (state == XCB_ATOM_NONE)
    return;
  const auto id = static_cast<xcb_window_t>(window->winId());
  std::vector<xcb_atom_t> atoms;
  XcbReply<xcb_get_property_reply_t> reply(
      xcb_get_property_reply(c, xcb_get_property(c, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
  if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
    const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
    atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
  }
  for (const xcb_atom_t skip : {skipTaskBar, skipPager})
    if (skip != XCB_ATOM_NONE && std::find(atoms.begin(), atoms.end(), skip) == atoms.end())
      atoms.push_back(skip);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(atoms.size()), atoms.data());
}

class OffTaskBar : public QObject {
public:
  explicit OffTaskBar(QWidget *window) : QObject(window) { window->installEventFilter(this); }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    // A widget hears of its showing before the window system maps it; a spontaneous show
    // (back from the task bar's minimise) finds the window mapped already.
    if (event->type() == QEvent::Show && !event->spontaneous() && watched == parent())
      addSkipStates(static_cast<QWidget *>(watched));
    return false;
  }
};

} // namespace

void keepOffTaskBar(QWidget *window) {
  static constexpr const char *kKept = "lumiqoOffTaskBar";
  if (!window || !window->isWindow() || window->property(kKept).toBool())
    return;
  window->setProperty(kKept, true);
  new OffTaskBar(window);
}

} // namespace lumiqo
