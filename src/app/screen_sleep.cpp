#include "app/screen_sleep.h"

#include "controls/xcb_reply.h"

#include <QCoreApplication>

#include <xcb/screensaver.h>

namespace lumiqo {

ScreenSleep::ScreenSleep(const QDBusConnection &bus, QObject *parent) : QObject(parent) {
  if (bus.isConnected()) {
    // Desktops differ in which of the two they offer, and in the object's path: any path.
    QDBusConnection(bus).connect(QString(), QString(), QStringLiteral("org.freedesktop.ScreenSaver"),
                                 QStringLiteral("ActiveChanged"), this, SLOT(sessionSaverActive(bool)));
    QDBusConnection(bus).connect(QString(), QString(), QStringLiteral("org.gnome.ScreenSaver"),
                                 QStringLiteral("ActiveChanged"), this, SLOT(sessionSaverActive(bool)));
  }
  xcb_connection_t *c = qtXcbConnection();
  if (!c)
    return;
  const xcb_query_extension_reply_t *saver = xcb_get_extension_data(c, &xcb_screensaver_id);
  const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!saver || !saver->present || !screen)
    return;
  saverEvent_ = saver->first_event + XCB_SCREENSAVER_NOTIFY;
  xcb_screensaver_select_input(c, screen->root, XCB_SCREENSAVER_EVENT_NOTIFY_MASK);
  XcbReply<xcb_screensaver_query_info_reply_t> info(
      xcb_screensaver_query_info_reply(c, xcb_screensaver_query_info(c, screen->root), nullptr));
  serverSaver_ = info && info->state == XCB_SCREENSAVER_STATE_ON;
  QCoreApplication::instance()->installNativeEventFilter(this);
}

ScreenSleep::~ScreenSleep() {
  if (saverEvent_ >= 0)
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool ScreenSleep::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
  if (eventType != "xcb_generic_event_t")
    return false;
  const auto *event = static_cast<const xcb_generic_event_t *>(message);
  if ((event->response_type & 0x7f) != saverEvent_)
    return false;
  const auto *notify = reinterpret_cast<const xcb_screensaver_notify_event_t *>(event);
  // Cycling is the saver changing its picture: still on.
  set(serverSaver_,
      notify->state == XCB_SCREENSAVER_STATE_ON || notify->state == XCB_SCREENSAVER_STATE_CYCLE);
  return false;
}

void ScreenSleep::sessionSaverActive(bool active) {
  set(sessionSaver_, active);
}

void ScreenSleep::set(bool &which, bool on) {
  const bool before = asleep();
  which = on;
  if (asleep() != before)
    emit asleepChanged(asleep());
}

} // namespace lumiqo
