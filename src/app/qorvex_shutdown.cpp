// Shutdown: the two phases of the main window's unload, and the close button.
#include "app/qorvex.h"

#include "app/instance/instance_channel.h"
#include "app/tray_icon.h"
#include "base/app_folder.h"
#include "catalogue/frm_play_list.h"
#include "lyrics/downlrc.h"
#include "lyrics/frm_lrc_show.h"

#include <QCloseEvent>
#include <QFile>

namespace lumiqo {

void qorvex::an_close_Click() {
  // The lyrics work file goes first (a missing file is no error); unloading the main window
  // runs the two phases below.
  QFile::remove(downlrc::LyricsScratchFile());
  close();
}

void qorvex::closeEvent(QCloseEvent *event) {
  // Every unload fades the three windows out first.
  FadeOut(danru1, *this);
  FadeOut(danru2, lyricsWindow());
  FadeOut(danru3, playListWindow());
  if (close_state != 1) {
    // First phase: the tray icon goes, sound stops at once, the windows stay while they
    // fade; the main window's fade reaching 0 unloads it again.
    close_state = 1;
    tray_->TrayRemove();
    core_->detachFromEngine();
    core_->tmrNetRadio.stop();
    if (engineUp_) {
      BASS_Free();
      engineUp_ = false;
    }
    state().cur_stream = 0;
    emit engineFreed();
    event->ignore();
    return;
  }
  finalShutdown();
  event->accept();
}

void qorvex::finalShutdown() {
  QFile::remove(downlrc::LyricsScratchFile());
  for (QTimer *timer : {&gs_timer, &link_->Timer1, &Latency, &core_->times_zt, &core_->Timer2,
                        &core_->tmrNetRadio, &core_->music_next})
    timer->stop();
  for (danru *fade : {&danru1, &danru2, &danru3})
    fade->stop();
  instance_.reset();
  lyricsWindow().unload();
  playListWindow().unload();
}

} // namespace lumiqo
