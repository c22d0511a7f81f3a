#include "app/qorvex.h"

#include "app/accessible/accessible_factory.h"
#include "app/instance/instance_channel.h"
#include "app/screen_sleep.h"
#include "app/tray_icon.h"
#include "app/window_occlusion.h"
#include "base/app_folder.h"
#include "base/message_box.h"
#include "base/twips.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/muen.h"
#include "controls/accessible/accessible_parts.h"
#include "controls/click_area.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"
#include "controls/window_drag_loop.h"
#include "lyrics/frm_lrc_show.h"
#include "lyrics/lrc_show.h"
#include "lyrics/lyrics_handover.h"
#include "net/winsocks.h"
#include "player/engine/decoder.h"
#include "player/knobs.h"

#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace lumiqo {

qorvex::qorvex(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), core_(std::make_unique<PlayerCore>(*this)),
      tray_(std::make_unique<TrayIcon>()) {
  installAccessibleFactory();
  setWindowTitle(kAppTitle);
  buildControls();
  dragLoop_ = WindowDragLoop::of(this);

  gs_timer.setInterval(50);
  Latency.setInterval(1000);
  Latency.start(); // enabled as designed; start-up switches it off
  // A caption that stands still needs one tick to be printed where it stands; the clock stops
  // after that tick, and a new caption starts it again.
  connect(&gs_timer, &QTimer::timeout, this, [this] {
    gd_show->gs_timer_Timer();
    if (!gd_show->moves())
      gs_timer.stop();
  });
  connect(gd_show, &CaptionBox::captionChanged, this, &qorvex::updateCaptionClock);

  m_list = playListWindow().m_list;
  LrcShow1 = lyricsWindow().LrcShow1;

  link_ = std::make_unique<LinkResolution>(*Winsock1, *this);
  LyricsHost host;
  host.lyricsView = [this]() -> LrcShow & { return *LrcShow1; };
  host.captionText = [this] { return gd_a(); };
  host.fadeInLyricsWindow = [this] { FadeIn(danru2, lyricsWindow()); };
  host.fadeOutLyricsWindow = [this] { FadeOut(danru2, lyricsWindow()); };
  host.switchLyricsClock = [this](bool on) { switchLyricsClock(on); };
  lyrics_ = std::make_unique<LyricsHandover>(std::move(host), state().lrc_shown, state().lrc_text, &Latency);
  connect(&Latency, &QTimer::timeout, this, [this] { lyrics_->LatencyTick(); });

  connectControls();
  setUpAccess();
  setUpKeys();
}

qorvex::~qorvex() {
  core_->detachFromEngine();
  if (engineUp_) {
    // Closed without the shutdown having run (a test, or the platform tearing down).
    BASS_StreamFree(state().cur_stream);
    state().cur_stream = 0;
    BASS_Free();
  }
}

frmLrcShow &qorvex::lyricsWindow() {
  if (!lyricsWindow_) {
    lyricsWindow_ = new frmLrcShow(this);
    lyricsWindow_->setWindowTitle(QStringLiteral("Lumiqo 歌词"));
    connect(lyricsWindow_, &frmLrcShow::closeRequested, this, &qorvex::lrcbu);
  }
  return *lyricsWindow_;
}

frmPlayList &qorvex::playListWindow() {
  if (!playListWindow_) {
    PlayListHost host;
    host.cur_song = [this] { return state().cur_song; };
    host.set_cur_song = [this](const QString &link) { state().cur_song = link; };
    host.setCaption = [this](const QString &text) { setCaption(text); };
    host.enableStatusTimer = [this] {
      if (!core_->times_zt.isActive())
        core_->times_zt.start();
    };
    host.startLinkResolution = [this] { startLinkResolution(); };
    host.enableLyricsClock = [this] { core_->Timer2.start(); };
    host.fadeOut = [this] { FadeOut(danru3, playListWindow()); };
    host.clearListShown = [this] {
      state().list_shown = 0;
      showToggleStates();
    };
    playListWindow_ = new frmPlayList(
        catalogue, [this]() -> muen & { return menus(); }, std::move(host), this);
    playListWindow_->setWindowTitle(QStringLiteral("Lumiqo 播放列表"));
  }
  return *playListWindow_;
}

muen &qorvex::menus() {
  if (!menus_) {
    MenuHost host;
    host.restoreFromTray = [this] { vond_tp_DoubleClick(); };
    host.exitProgram = [this] { close(); };
    menus_ = new muen(*playListWindow().m_list, catalogue, std::move(host), this);
    menus_->setWindowFlag(Qt::Window); // a hidden window of its own, never shown
  }
  return *menus_;
}

void qorvex::updateCaptionClock() {
  // A caption nobody can see gets no ticks: its window is away or covered, or the screen
  // sleeps.
  const bool away = close_state == 1 || isMinimized() || (close_state == 2 && !isVisible()) ||
                    (captionOcclusion_ && captionOcclusion_->covered()) ||
                    (screenSleep_ && screenSleep_->asleep());
  if (!away) {
    if (!gs_timer.isActive())
      gs_timer.start();
  } else {
    gs_timer.stop();
  }
}

void qorvex::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (!captionOcclusion_) {
    // Watched from the first showing on, when the window exists on the desktop.
    captionOcclusion_ = new WindowOcclusion(*gd_show, this);
    connect(captionOcclusion_, &WindowOcclusion::coveredChanged, this, &qorvex::updateCaptionClock);
    screenSleep_ = new ScreenSleep(QDBusConnection::sessionBus(), this);
    connect(screenSleep_, &ScreenSleep::asleepChanged, this, &qorvex::updateCaptionClock);
  }
  updateCaptionClock();
}

void qorvex::hideEvent(QHideEvent *event) {
  QWidget::hideEvent(event);
  updateCaptionClock();
}

void qorvex::switchLyricsClock(bool on) {
  if (on) {
    core_->Timer2.start();
    core_->Timer2_Timer();
  } else {
    core_->Timer2.stop();
  }
}

// --- knobs -------------------------------------------------------------------------------

namespace {
void moveToTwips(QWidget *w, double left) {
  w->move(twipsToPixels(static_cast<int>(std::lround(left))), w->y());
}
} // namespace

void qorvex::an_Volume_MouseDown(Qt::MouseButton button, double x) {
  if (button == Qt::LeftButton)
    state().drag_x = x;
}

void qorvex::an_Volume_MouseMove(Qt::MouseButtons buttons, double x) {
  if (!(buttons & Qt::LeftButton))
    return;
  const int before = volumePercent();
  const VolumeDrag drag = dragVolumeKnob(volumeLeft_, state().drag_x, x);
  if (drag.volume)
    BASS_SetVolume(*drag.volume);
  volumeLeft_ = drag.left;
  moveToTwips(an_Volume, volumeLeft_);
  volumeShown(before);
}

void qorvex::an_volume_fill_MouseDown(Qt::MouseButton, double x) {
  const int before = volumePercent();
  const VolumeClick click = clickVolumeTrack(x);
  volumeLeft_ = click.left;
  moveToTwips(an_Volume, volumeLeft_);
  BASS_SetVolume(click.volume);
  volumeShown(before);
}

int qorvex::volumePercent() const {
  return static_cast<int>(std::lround(std::max(0.0f, BASS_GetVolume()) * 100));
}

void qorvex::setVolumePercent(int percent) {
  percent = std::clamp(percent, 0, 100);
  const int before = volumePercent();
  if (!BASS_SetVolume(static_cast<float>(percent) / 100.0f))
    return;
  volumeLeft_ = kVolumeLeftMin + (kVolumeLeftMax - kVolumeLeftMin) * percent / 100.0;
  moveToTwips(an_Volume, volumeLeft_);
  volumeShown(before);
  emit volumeChanged();
}

void qorvex::volumeShown(int before) {
  const int now = volumePercent();
  if (now != before)
    announce(QAccessibleValueChangeEvent(an_volume_fill, now));
}

int qorvex::playingSeconds() const {
  return core_->state().pos_text.trimmed().toInt();
}

void qorvex::an_bar_MouseDown(Qt::MouseButton button, double x) {
  if (button == Qt::LeftButton)
    state().drag_x = x;
}

void qorvex::an_bar_MouseMove(Qt::MouseButtons buttons, double x) {
  if (!(buttons & Qt::LeftButton))
    return;
  seekLeft_ = dragSeekKnob(seekLeft_, state().drag_x, x);
  moveToTwips(an_bar, seekLeft_);
}

// --- what the player core shows ---------------------------------------------------------

QString qorvex::stateText() const {
  return stateText_;
}

void qorvex::setStateText(const QString &text) {
  // The text stays exactly as written, carriage return and all: the advance check and the
  // lyrics clock compare it. The label breaks the line there, which it only does for a line
  // feed.
  stateText_ = text;
  play_zt->setText(QString(text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
  emit stateTextChanged(text);
}

void qorvex::showPlaying(bool playing) {
  vondan *shown = playing ? an_pause : an_play;
  vondan *hidden = playing ? an_play : an_pause;
  // The two share a place: the keyboard's focus goes from the one to the other, rather than
  // on to the next control.
  const bool focused = focusWidget() == hidden;
  shown->setVisible(true);
  if (focused)
    shown->setFocus(Qt::OtherFocusReason);
  hidden->setVisible(false);
}

QString qorvex::timeText() const {
  return timeslisttext->text();
}

void qorvex::setTimeText(const QString &text) {
  timeslisttext->setText(text); // read when asked: a new second is no news
}

bool qorvex::loadTimeDigit(int index, const QString &path) {
  return index >= 0 && index < static_cast<int>(timelist.size()) && timelist[index]->load(path);
}

void qorvex::setSeekKnobLeft(double left) {
  seekLeft_ = left;
  moveToTwips(an_bar, seekLeft_);
  seekShown();
}

// The song's progress is news every 5 %, not every second: twenty times a song.
void qorvex::seekShown() {
  constexpr int kStep = 5;
  const int percent =
      static_cast<int>(std::floor((seekLeft_ - kSeekLeftMin) / kSeekSpan * 100 / kStep)) * kStep;
  if (percent == seekPercentShown_)
    return;
  seekPercentShown_ = percent;
  announce(QAccessibleValueChangeEvent(an_bar_bg, playingSeconds()));
}

void qorvex::setCaption(const QString &text) {
  gd_show->setCaption(text);
}

void qorvex::setLyricsFilePath(const QString &path) {
  LrcShow1->setFilePath(path);
}

void qorvex::setLyricsTime(float hundredths) {
  LrcShow1->setTime(hundredths);
}

void qorvex::setLyricsTimerE(bool on) {
  LrcShow1->setTimerE(on);
}

int qorvex::PlayIndex() const {
  return m_list->PlayIndex();
}

void qorvex::setPlayIndex(int index) {
  m_list->setPlayIndex(index);
}

void qorvex::setListIndex(int index) {
  m_list->setListIndex(index);
}

int qorvex::ListCount() const {
  return m_list->ListCount();
}

QString qorvex::Title(int row) const {
  return m_list->Title(row);
}

QString qorvex::Author(int row) const {
  return m_list->Author(row);
}

QString qorvex::URL(int row) const {
  return m_list->URL(row);
}

QString qorvex::StrTime(int row) const {
  return m_list->StrTime(row);
}

void qorvex::setStrTime(int row, const QString &text) {
  m_list->setStrTime(row, text);
  m_list->Refresh(); // the store alone would show the text only at the next redraw
}

void qorvex::AddItem(const QString &title, const QString &author, const QString &url, const QString &time) {
  m_list->AddItem(title, author, url, time);
}

void qorvex::savelrc(QString &text) {
  lyrics_->savelrc(text);
}

void qorvex::startLinkResolution() {
  // The decoder library loads while the link is resolved, so the stream need not wait for it.
  engine::Decoder::prepare();
  link_->start();
}

QString qorvex::cur_song() const {
  return core_->state().cur_song;
}

QString qorvex::page_name() const {
  return catalogue.page_name;
}

void qorvex::set_page_name(const QString &name) {
  catalogue.page_name = name;
}

void qorvex::set_sock_reply(const QString &reply) {
  state().sock_reply = reply;
}

void qorvex::enable_music_next() {
  core_->music_next.start();
}

void qorvex::setList1(const QStringList &lines) {
  List1 = lines;
}

void qorvex::PlayUrlStream(const QString &address) {
  core_->PlayUrlStream(address);
}

void qorvex::PlayWmaStream(const QString &address) {
  core_->PlayWmaStream(address);
}

void qorvex::listplay() {
  core_->listplay();
}

void qorvex::delie6() {
  core_->delie6();
}

void qorvex::showNormalAndFocus() {
  // Minimised to the tray (or, without one, to the task bar), or on the way there: shown as
  // it stands the window would be focused at opacity 0, invisible yet taking clicks. It comes
  // back the way the tray icon brings it back, faded in with the playlist.
  const bool fadingOut = danru1.running() && danru1.step() < 0;
  if (close_state == 2 && (isHidden() || minimisedToTaskBar_ || fadingOut)) {
    vond_tp_DoubleClick();
    return;
  }
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  activateWindow();
}

} // namespace lumiqo
