// The main window to assistive tools and the keyboard: its controls' names, their reading and
// keyboard order and the focus ring; the keys every player window knows (the transport, the
// media keys, F6 to the next window, Ctrl+F to the search) and those of the main window (the
// volume, the list menu).
#include "app/qorvex.h"

#include "base/twips.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/muen.h"
#include "controls/accessible/accessible_parts.h"
#include "controls/click_area.h"
#include "controls/focus_ring.h"
#include "controls/vondan.h"
#include "lyrics/frm_lrc_show.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QShortcut>

namespace lumiqo {
namespace {

// Runs `press` for the keys it takes while `watched` has the focus.
class KeyFilter : public QObject {
public:
  KeyFilter(QWidget *watched, std::function<bool(int key)> press)
      : QObject(watched), press_(std::move(press)) {
    watched->installEventFilter(this);
  }

protected:
  bool eventFilter(QObject *, QEvent *event) override {
    if (event->type() != QEvent::KeyPress)
      return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    return !(key->modifiers() & ~Qt::KeypadModifier) && press_(key->key());
  }

private:
  std::function<bool(int)> press_;
};

constexpr int kVolumeStep = 5;

} // namespace

QString qorvex::keysHelp() {
  return QStringLiteral("键盘: Z 上一首, X 播放, C 暂停, V 停止, B 下一首; ↑ ↓ 音量; Tab 下一个控件; "
                        "F6 下一个窗口; Ctrl+F 搜索; Shift+F10 菜单");
}

void qorvex::setUpAccess() {
  struct Named {
    QWidget *control;
    const char *name;
    const char *key;
  };
  const Named named[] = {
      {an_play, "播放", "X"},        {an_pause, "暂停", "C"},  {an_stop, "停止", "V"},
      {an_next, "下一首", "B"},      {an_prev, "上一首", "Z"}, {an_lyric, "歌词", ""},
      {an_playlist, "播放列表", ""}, {an_close, "关闭", ""},   {an_minimize, "最小化", ""},
      {an_web, "打开网站", ""},      {an_bbs, "进入论坛", ""}, {an_volume_fill, "音量", "↑ ↓"},
      {an_bar_bg, "播放进度", ""},
  };
  for (const Named &n : named) {
    const QString name = QString::fromUtf8(n.name);
    const QString key = QString::fromUtf8(n.key);
    n.control->setAccessibleName(name);
    if (!key.isEmpty()) {
      setAccessibleKey(n.control, key);
      n.control->setToolTip(name + QStringLiteral(" (") + key + QLatin1Char(')'));
    }
  }
  an_lyric->setCheckable(true);
  an_playlist->setCheckable(true);
  an_web->setAccessibleRole(QAccessible::Link);
  an_bbs->setAccessibleRole(QAccessible::Link);
  an_volume_fill->setFocusPolicy(Qt::StrongFocus);
  setAccessibleDescription(keysHelp());

  // The time digits are pictures: the time's text lies over them.
  timeslisttext->setAccessibleName(QStringLiteral("时间")); // while no time is shown

  // The round face from its centre, clockwise from the top; then the panel, top to bottom.
  setAccessibleParts(this,
                     {an_play, an_pause, an_lyric, an_minimize, an_close, an_playlist, an_prev, an_stop,
                      an_next, timeslisttext, play_zt, gd_show, an_bar_bg, an_web, an_volume_fill, an_bbs});
  chainTabOrder(this);
  an_play->setFocus(); // where the keyboard starts in this window
  FocusRing::of(this);
}

void qorvex::showToggleStates() {
  an_lyric->setChecked(state().lrc_shown != 0);
  an_playlist->setChecked(state().list_shown != 0);
}

void qorvex::setUpKeys() {
  // The player's own keys work in each of its three windows (windows of their own, so a key
  // set on each is never ambiguous). Keys that belong to one window only take effect while the
  // focus is in that window.
  auto key = [this](QWidget *window, const QKeySequence &sequence, auto slot,
                    Qt::ShortcutContext context = Qt::WindowShortcut) {
    auto *shortcut = new QShortcut(sequence, window);
    shortcut->setContext(context);
    connect(shortcut, &QShortcut::activated, this, slot);
  };
  PlayerCore *core = core_.get();
  const auto playOrPause = [this] {
    if (BASS_ChannelIsActive(state().cur_stream) == BASS_ACTIVE_PLAYING)
      core_->an_pause_Click();
    else
      core_->an_play_Click();
  };
  for (QWidget *window : {static_cast<QWidget *>(this), static_cast<QWidget *>(&playListWindow()),
                          static_cast<QWidget *>(&lyricsWindow())}) {
    key(window, Qt::Key_Z, [core] { core->an_prev_Click(); });
    key(window, Qt::Key_X, [core] { core->an_play_Click(); });
    key(window, Qt::Key_C, [core] { core->an_pause_Click(); });
    key(window, Qt::Key_V, [core] { core->an_stop_Click(); });
    key(window, Qt::Key_B, [core] { core->an_next_Click(); });
    // A keyboard's one play key is a play-or-pause key.
    key(window, Qt::Key_MediaPlay, playOrPause);
    key(window, Qt::Key_MediaTogglePlayPause, playOrPause);
    key(window, Qt::Key_MediaPause, [core] { core->an_pause_Click(); });
    key(window, Qt::Key_MediaStop, [core] { core->an_stop_Click(); });
    key(window, Qt::Key_MediaNext, [core] { core->an_next_Click(); });
    key(window, Qt::Key_MediaPrevious, [core] { core->an_prev_Click(); });
    key(window, Qt::Key_F6, [this] { cycleWindows(1); });
    key(window, QKeySequence(Qt::SHIFT | Qt::Key_F6), [this] { cycleWindows(-1); });
  }

  // The main window's own, and the lyrics window's search key (the playlist window has its own).
  const auto here = Qt::WidgetWithChildrenShortcut;
  for (QWidget *window : {static_cast<QWidget *>(this), static_cast<QWidget *>(&lyricsWindow())})
    key(
        window, QKeySequence(Qt::CTRL | Qt::Key_F), [this] { openSearchFromKeys(); }, here);
  key(
      this, Qt::Key_Up, [this] { setVolumePercent(volumePercent() + kVolumeStep); }, here);
  key(
      this, Qt::Key_Down, [this] { setVolumePercent(volumePercent() - kVolumeStep); }, here);
  const auto listMenu = [this] {
    QWidget *at = focusWidget() && focusWidget()->isVisible() ? focusWidget() : this;
    menus().popUp(menus().muen_list(), at->mapToGlobal(QPoint(0, at == this ? 0 : at->height())));
  };
  key(this, Qt::Key_Menu, listMenu, here);
  key(this, QKeySequence(Qt::SHIFT | Qt::Key_F10), listMenu, here);
  // The focused volume bar: the arrows across it, Home and End to its ends.
  new KeyFilter(an_volume_fill, [this](int key) {
    switch (key) {
    case Qt::Key_Left: setVolumePercent(volumePercent() - kVolumeStep); return true;
    case Qt::Key_Right: setVolumePercent(volumePercent() + kVolumeStep); return true;
    case Qt::Key_Home: setVolumePercent(0); return true;
    case Qt::Key_End: setVolumePercent(100); return true;
    default: return false;
    }
  });
  menus().m_tp()->setToolTip(keysHelp());
}

// F6 goes on to the next of the player's windows on the screen (main, playlist, lyrics), as
// it goes between the panes of one window elsewhere; Shift+F6 back.
void qorvex::cycleWindows(int step) {
  QWidget *windows[] = {this, &playListWindow(), &lyricsWindow()};
  const bool shown[] = {isVisible() && !isMinimized(),
                        state().list_shown != 0 && playListWindow().isVisible(),
                        state().lrc_shown != 0 && lyricsWindow().isVisible()};
  int at = 0;
  for (int i = 0; i < 3; ++i)
    if (QApplication::activeWindow() == windows[i])
      at = i;
  for (int n = 1; n < 3; ++n) {
    const int i = ((at + step * n) % 3 + 3) % 3;
    if (shown[i]) {
      windows[i]->raise();
      windows[i]->activateWindow();
      return;
    }
  }
}

void qorvex::openSearchFromKeys() {
  if (!state().list_shown)
    an_playlist_Click();
  playListWindow().openSearch();
}

} // namespace lumiqo
