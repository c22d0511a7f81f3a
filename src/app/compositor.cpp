#include "app/compositor.h"

#include "app/xcb_reply.h"

#include <QByteArray>

#include <cstdlib>

namespace lumiqo {
namespace {

int forced = -1;

bool x11CompositorRunning() {
  xcb_connection_t *c = qtXcbConnection();
  if (!c)
    return false;
  int screen = 0;
  if (const char *display = std::getenv("DISPLAY")) {
    const QByteArray d(display);
    const qsizetype dot = d.lastIndexOf('.');
    if (dot > d.lastIndexOf(':'))
      screen = d.mid(dot + 1).toInt();
  }
  const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
  XcbReply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 1, static_cast<uint16_t>(name.size()), name.constData()), nullptr));
  if (!atom || atom->atom == XCB_ATOM_NONE)
    return false;
  XcbReply<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr));
  return owner && owner->owner != XCB_WINDOW_NONE;
}

} // namespace

bool compositingManagerRunning() {
  if (forced >= 0)
    return forced == 1;
  if (QGuiApplication::platformName() == QLatin1String("wayland"))
    return true;
  return x11CompositorRunning();
}

void setCompositingForTesting(int running) {
  forced = running;
}

} // namespace lumiqo
