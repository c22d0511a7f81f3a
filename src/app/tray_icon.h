#pragma once
// The notification-area icon of the main window: `TrayAdd`, `TraySetTip`, `TrayRemove` on the
// desktop's tray (StatusNotifierItem or the XEmbed tray, through QSystemTrayIcon). A double
// click and a right click on the icon reach the owner as signals, in place of the mouse-move
// codes 515 and 517 the classic tray sent. A StatusNotifier tray (KDE Plasma, XFCE's status
// tray, GNOME's AppIndicator extension) reports its activation, a click, and never a double
// click: there the activation counts as the double click. On an XEmbed tray a single click
// stays without effect.

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

class QSystemTrayIcon;
class QWidget;

namespace lumiqo {

class TrayIcon : public QObject {
  Q_OBJECT
public:
  explicit TrayIcon(QObject *parent = nullptr);
  ~TrayIcon() override;

  // Adds the icon: `iconFile` read with readIcon (a missing or broken file gives an icon
  // without a picture), with the tip.
  void TrayAdd(QWidget *window, const QString &iconFile, const QString &tip);
  // Every image of an icon file; a null icon unless the file is a regular one (read without
  // blocking) whose images all decode whole.
  static QIcon readIcon(const QString &iconFile);
  void TraySetTip(QWidget *window, const QString &tip);
  void TrayRemove();

  bool isShown() const;
  QString tip() const { return tip_; }

  // Whether the desktop offers a notification area now. Tests decide the answer with 0 or 1;
  // -1 asks the desktop again.
  static bool desktopHasTray();
  static void setDesktopHasTrayForTesting(int available);

  // The tip as the icon carries it: at most 127 bytes in the system code page.
  static QString fitTip(const QString &tip);

signals:
  // The double click that restores the player (on a StatusNotifier tray: the activation).
  void doubleClicked();
  void rightClicked();

private:
  std::unique_ptr<QSystemTrayIcon> icon_;
  QString tip_;
  bool statusNotifier_ = false;
};

} // namespace lumiqo
