#pragma once
// The X connection Qt uses, when the program runs on X11, and xcb's malloc'ed replies owned.

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace lumiqo {

struct XcbFree {
  void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbFree>;

// Null on other platforms (offscreen, Wayland).
inline xcb_connection_t *qtXcbConnection() {
  if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
    return nullptr;
  auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

} // namespace lumiqo
