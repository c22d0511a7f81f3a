#include "app/tray_icon.h"

#include "base/gbk.h"
#include "controls/cls_icon.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace lumiqo {

TrayIcon::TrayIcon(QObject *parent) : QObject(parent) {}

TrayIcon::~TrayIcon() = default;

QString TrayIcon::fitTip(const QString &tip) {
  constexpr int kTipBytes = 127; // a 128-byte field with its terminator
  QString fitted;
  int bytes = 0;
  for (const QChar c : tip) {
    const int size = static_cast<int>(toGbk(QStringView(&c, 1)).size());
    if (bytes + size > kTipBytes)
      break;
    bytes += size;
    fitted += c;
  }
  return fitted;
}

namespace {
int forcedTray = -1;

// Which tray Qt puts its icon in. Off X11 there is only the StatusNotifier one. On X11 Qt
// takes it when, as the icon is made, the session bus has a StatusNotifierWatcher that knows
// of a host (a tray that shows the items); otherwise it docks into the XEmbed tray.
bool statusNotifierTray() {
  if (QGuiApplication::platformName() != QLatin1String("xcb"))
    return true;
  const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
    return false;
  QDBusMessage get = QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
  constexpr int kTimeoutMs = 2000;
  const QDBusMessage reply = bus.call(get, QDBus::Block, kTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}
} // namespace

bool TrayIcon::desktopHasTray() {
  return forcedTray >= 0 ? forcedTray == 1 : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setDesktopHasTrayForTesting(int available) {
  forcedTray = available;
}

void TrayIcon::TrayAdd(QWidget *, const QString &iconFile, const QString &tip) {
  if (!icon_) {
    statusNotifier_ = statusNotifierTray();
    icon_ = std::make_unique<QSystemTrayIcon>();
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
      if (reason == QSystemTrayIcon::DoubleClick || (reason == QSystemTrayIcon::Trigger && statusNotifier_))
        emit doubleClicked();
      else if (reason == QSystemTrayIcon::Context)
        emit rightClicked();
    });
  }
  icon_->setIcon(readIcon(iconFile));
  tip_ = fitTip(tip);
  icon_->setToolTip(tip_);
  icon_->show();
}

QIcon TrayIcon::readIcon(const QString &iconFile) {
  ClsIcon file;
  if (!file.LoadFromFile(iconFile))
    return {};
  QIcon icon;
  for (int i = 0; i < file.Count(); ++i) {
    const QImage image = file.image(i);
    if (image.isNull())
      return {};
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

void TrayIcon::TraySetTip(QWidget *, const QString &tip) {
  tip_ = fitTip(tip);
  if (icon_)
    icon_->setToolTip(tip_);
}

void TrayIcon::TrayRemove() {
  if (icon_)
    icon_->hide();
  icon_.reset();
}

bool TrayIcon::isShown() const {
  return icon_ && icon_->isVisible();
}

} // namespace lumiqo
