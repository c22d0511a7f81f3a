#pragma once
// Whether the screen shows nothing at all: the X server's screen saver has blanked it, or the
// desktop's screen saver or lock says it is active (ActiveChanged of org.freedesktop.ScreenSaver
// or org.gnome.ScreenSaver on the session bus, whichever the desktop runs). Nothing is asked at
// start: the screen is awake when a program starts, and asking a screen-saver service that is
// not running could start one.

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QObject>

namespace lumiqo {

class ScreenSleep : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT
public:
  explicit ScreenSleep(const QDBusConnection &bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);
  ~ScreenSleep() override;

  bool asleep() const { return serverSaver_ || sessionSaver_; }

signals:
  void asleepChanged(bool asleep);

protected:
  bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private slots:
  void sessionSaverActive(bool active);

private:
  void set(bool &which, bool on);

  int saverEvent_ = -1; // the X screen-saver extension's notify event; -1 without it
  bool serverSaver_ = false;
  bool sessionSaver_ = false;
};

} // namespace lumiqo
