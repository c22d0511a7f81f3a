// The main window's own behaviour: the tray icon, minimise and restore, the lyrics and
// playlist toggles with their fades, dragging by the face, the right-click list menu and the
// two link areas.
#include "app/qorvex.h"

#include "app/tray_icon.h"
#include "base/colour.h"
#include "base/endpoints.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/muen.h"
#include "controls/click_area.h"
#include "controls/vondan.h"
#include "controls/window_drag_loop.h"
#include "lyrics/frm_lrc_show.h"
#include "lyrics/lrc_show.h"

#include <QCursor>
#include <QDesktopServices>
#include <QEvent>
#include <QMenu>
#include <QUrl>

namespace lumiqo {
namespace {
// Marks a window that a fade-out hid because opacity shows nothing on this desktop.
constexpr const char *kHiddenByFade = "lumiqoHiddenByFade";
} // namespace

void qorvex::connectControls() {
  connect(an_play, &vondan::Click, core_.get(), &PlayerCore::an_play_Click);
  connect(an_pause, &vondan::Click, core_.get(), &PlayerCore::an_pause_Click);
  connect(an_stop, &vondan::Click, core_.get(), &PlayerCore::an_stop_Click);
  connect(an_next, &vondan::Click, core_.get(), &PlayerCore::an_next_Click);
  connect(an_prev, &vondan::Click, core_.get(), &PlayerCore::an_prev_Click);
  connect(an_close, &vondan::Click, this, &qorvex::an_close_Click);
  connect(an_minimize, &vondan::Click, this, &qorvex::an_minimize_Click);
  connect(an_lyric, &vondan::Click, this, &qorvex::an_lyric_Click);
  connect(an_playlist, &vondan::Click, this, &qorvex::an_playlist_Click);
  connect(an_web, &ClickArea::Click, this, &qorvex::an_web_Click);
  connect(an_bbs, &ClickArea::Click, this, &qorvex::an_bbs_Click);

  connect(an_Volume, &SkinImage::MouseDown, this, &qorvex::an_Volume_MouseDown);
  connect(an_Volume, &SkinImage::MouseMove, this, &qorvex::an_Volume_MouseMove);
  connect(an_volume_fill, &SkinImage::MouseDown, this, &qorvex::an_volume_fill_MouseDown);
  connect(an_bar, &SkinImage::MouseDown, this, &qorvex::an_bar_MouseDown);
  connect(an_bar, &SkinImage::MouseMove, this, &qorvex::an_bar_MouseMove);
  connect(s_main1, &SkinImage::MouseDown, this, &qorvex::s_main1_MouseDown);
  connect(s_main1, &SkinImage::MouseMove, this, &qorvex::s_main1_MouseMove);
  connect(s_main1, &SkinImage::MouseUp, this, &qorvex::s_main1_MouseUp);

  connect(&danru1, &danru::FadeStep, this, &qorvex::danru1_FadeStep);
  // A window faded out to 0 is hidden, compositor or not: a transparent window would still
  // take the clicks meant for what lies under it. The next fade-in shows it again.
  for (auto [fade, window] : {std::pair{&danru2, static_cast<QWidget *>(&lyricsWindow())},
                              std::pair{&danru3, static_cast<QWidget *>(&playListWindow())}})
    connect(fade, &danru::FadeStep, window, [fade, window](int alpha) {
      if (alpha == 0 && fade->step() < 0) {
        window->setProperty(kHiddenByFade, true);
        window->hide();
      }
    });

  connect(tray_.get(), &TrayIcon::doubleClicked, this, &qorvex::vond_tp_DoubleClick);
  connect(tray_.get(), &TrayIcon::rightClicked, this, &qorvex::ShowTrayMenu);
}

// --- fades -------------------------------------------------------------------------------

void qorvex::FadeIn(danru &fade, QWidget &window) {
  window.setWindowOpacity(0);
  if (window.property(kHiddenByFade).toBool()) {
    window.setProperty(kHiddenByFade, false);
    window.show();
  }
  fade.begin(&window, kColourKey, 0, 255, 32);
}

void qorvex::FadeOut(danru &fade, QWidget &window) {
  fade.begin(&window, kColourKey, 255, 0, -32);
}

void qorvex::danru1_FadeStep(int alpha) {
  if (alpha == 0) {
    if (close_state == 1) {
      close(); // the final phase
    } else if (close_state == 2 && danru1.step() < 0) {
      // Only a fade-out hides the window. The first step of a restore's fade-in is 0 too;
      // hiding the window there would unmap it under the pointer and lose the focus the
      // restore has just given it.
      if (TrayIcon::desktopHasTray()) {
        hide();
      } else {
        // No notification area to come back from: a hidden window would leave the player
        // invisible with no way back, so it goes to the task bar instead.
        minimisedToTaskBar_ = true;
        showMinimized();
      }
    }
  } else if (!minimisedToTaskBar_) {
    show();
  }
}

// --- tray, minimise and restore ----------------------------------------------------------

void qorvex::an_minimize_Click() {
  tray_->TraySetTip(this, QStringLiteral("双击还原播放窗口"));
  FadeOut(danru1, *this);
  FadeOut(danru3, playListWindow());
  state().list_shown = 0;
  close_state = 2;
  showToggleStates();
}

void qorvex::vond_tp_DoubleClick() {
  tray_->TraySetTip(this, QStringLiteral("Lumiqo"));
  minimisedToTaskBar_ = false;
  setWindowState(windowState() & ~Qt::WindowMinimized);
  setWindowOpacity(0);
  show();
  FadeIn(danru1, *this);
  FadeIn(danru3, playListWindow());
  state().list_shown = 1;
  showToggleStates();
  activateWindow();
  core_->Timer2.start();
  core_->Timer2_Timer();
}

void qorvex::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange)
    updateCaptionClock();
  // Back from the task bar (where minimise puts the player on a desktop without a tray): the
  // same restore as the tray icon's double click.
  if (event->type() == QEvent::WindowStateChange && minimisedToTaskBar_ &&
      !(windowState() & Qt::WindowMinimized))
    vond_tp_DoubleClick();
}

void qorvex::ShowTrayMenu() {
  raise();
  activateWindow();
  menus().popUp(menus().m_tp(), QCursor::pos());
}

// --- the lyrics and playlist windows -----------------------------------------------------

void qorvex::an_lyric_Click() {
  if (state().lrc_shown) {
    FadeOut(danru2, lyricsWindow());
    state().lrc_shown = 0;
    LrcShow1->setTimerE(false);
    core_->Timer2.stop();
  } else {
    FadeIn(danru2, lyricsWindow());
    state().lrc_shown = 1;
    LrcShow1->setTimerE(true);
    core_->Timer2.start();
    core_->Timer2_Timer();
  }
  showToggleStates();
}

void qorvex::lrcbu() {
  an_lyric_Click();
}

void qorvex::an_playlist_Click() {
  if (state().list_shown) {
    state().list_shown = 0;
    FadeOut(danru3, playListWindow());
  } else {
    FadeIn(danru3, playListWindow());
    state().list_shown = 1;
  }
  showToggleStates();
}

// --- the face: drag and list menu --------------------------------------------------------

// The drag goes by the pointer's place on the screen: from the window's place at the press,
// the window follows the pointer's offset since then, whatever the window manager has made of
// the moves so far.
void qorvex::s_main1_MouseDown(Qt::MouseButton button, double, double) {
  if (button == Qt::LeftButton) {
    dragging = 1;
    dragLoop_->pressed(WindowDragLoop::Caption, s_main1->pointerOnScreen());
  } else if (button == Qt::RightButton) {
    menus().popUp(menus().muen_list(), s_main1->pointerOnScreen());
  }
}

void qorvex::s_main1_MouseMove(Qt::MouseButtons buttons, double, double) {
  if ((buttons & Qt::LeftButton) && dragging)
    dragLoop_->moved(s_main1->pointerOnScreen());
}

void qorvex::s_main1_MouseUp(Qt::MouseButton, double, double) {
  dragging = 0;
  dragLoop_->released();
}

// --- link areas --------------------------------------------------------------------------

void qorvex::an_web_Click() {
  QDesktopServices::openUrl(QUrl(siteAddress(QStringLiteral("/"))));
}

void qorvex::an_bbs_Click() {
  QDesktopServices::openUrl(QUrl(forumAddress()));
}

} // namespace lumiqo
