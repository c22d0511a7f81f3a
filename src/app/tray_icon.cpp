#include "app/tray_icon.h"

#include "base/gbk.h"
#include "controls/cls_icon.h"

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
} // namespace

bool TrayIcon::desktopHasTray() {
  return forcedTray >= 0 ? forcedTray == 1 : QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::setDesktopHasTrayForTesting(int available) {
  forcedTray = available;
}

void TrayIcon::TrayAdd(QWidget *, const QString &iconFile, const QString &tip) {
  if (!icon_) {
    icon_ = std::make_unique<QSystemTrayIcon>();
    connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
      if (reason == QSystemTrayIcon::DoubleClick)
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
