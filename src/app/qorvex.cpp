#include "app/qorvex.h"

#include "app/instance/instance_channel.h"
#include "app/instance/url_protocol.h"
#include "app/resolve_host.h"
#include "base/app_folder.h"
#include "base/colour.h"
#include "base/endpoints.h"
#include "base/message_box.h"
#include "base/twips.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"
#include "lyrics/lrc_show.h"
#include "lyrics/lyrics_handover.h"
#include "net/winsocks.h"
#include "player/knobs.h"
#include "player/state_texts.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace lumiqo {
namespace {
// The main window's face is a 452 x 173 pixel picture; the window is 60 twips larger.
constexpr double kFaceWidth = 452 * kTwipsPerPixel;
constexpr double kFaceHeight = 173 * kTwipsPerPixel;
} // namespace

qorvex::qorvex(QWidget *parent) : QWidget(parent), core_(std::make_unique<PlayerCore>(*this)) {
  setWindowTitle(kAppTitle);
  buildControls();

  gs_timer.setInterval(50);
  gs_timer.start();
  Latency.setInterval(1000);
  Latency.start(); // enabled as designed; start-up switches it off
  connect(&gs_timer, &QTimer::timeout, gd_show, &CaptionBox::gs_timer_Timer);

  link_ = std::make_unique<LinkResolution>(*Winsock1, *this);
  LyricsHost host;
  host.lyricsView = [this]() -> LrcShow & { return *LrcShow1; };
  host.captionText = [this] { return gd_a(); };
  // Until the windows fade, a fade shows or clears the lyrics window at once; either way it
  // keeps its place on the screen.
  host.fadeInLyricsWindow = [this] { lyricsWindow_->setWindowOpacity(1.0); };
  host.fadeOutLyricsWindow = [this] { lyricsWindow_->setWindowOpacity(0.0); };
  host.switchLyricsClock = [this](bool on) {
    if (on) {
      core_->Timer2.start();
      core_->Timer2_Timer();
    } else {
      core_->Timer2.stop();
    }
  };
  lyrics_ = std::make_unique<LyricsHandover>(std::move(host), state().lrc_shown, state().lrc_text, &Latency);
  connect(&Latency, &QTimer::timeout, this, [this] { lyrics_->LatencyTick(); });

  connect(an_play, &QPushButton::clicked, core_.get(), &PlayerCore::an_play_Click);
  connect(an_pause, &QPushButton::clicked, core_.get(), &PlayerCore::an_pause_Click);
  connect(an_stop, &QPushButton::clicked, core_.get(), &PlayerCore::an_stop_Click);
  connect(an_next, &QPushButton::clicked, core_.get(), &PlayerCore::an_next_Click);
  connect(an_prev, &QPushButton::clicked, core_.get(), &PlayerCore::an_prev_Click);
  connect(an_close, &QPushButton::clicked, this, &QWidget::close);
  connect(an_Volume, &KnobImage::MouseDown, this, &qorvex::an_Volume_MouseDown);
  connect(an_Volume, &KnobImage::MouseMove, this, &qorvex::an_Volume_MouseMove);
  connect(an_volume_fill, &KnobImage::MouseDown, this, &qorvex::an_volume_fill_MouseDown);
  connect(an_bar, &KnobImage::MouseDown, this, &qorvex::an_bar_MouseDown);
  connect(an_bar, &KnobImage::MouseMove, this, &qorvex::an_bar_MouseMove);
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

void qorvex::placeTwips(QWidget *w, double left, double top, double width, double height) {
  w->setGeometry(twipsToPixels(static_cast<int>(left)), twipsToPixels(static_cast<int>(top)),
                 twipsToPixels(static_cast<int>(width)), twipsToPixels(static_cast<int>(height)));
}

void qorvex::moveTwips(QWidget *w, double left) {
  w->move(twipsToPixels(static_cast<int>(std::lround(left))), w->y());
}

void qorvex::buildControls() {
  const int width = twipsToPixels(static_cast<int>(kFaceWidth + 60));
  const int height = twipsToPixels(static_cast<int>(kFaceHeight + 60));
  setFixedSize(width, height);
  QPalette face = palette();
  face.setColor(QPalette::Window, toQColor(RGB(41, 40, 41)));
  face.setColor(QPalette::WindowText, toQColor(RGB(239, 235, 222)));
  setPalette(face);
  setAutoFillBackground(true);

  auto button = [this](const QString &text, double left, double top, double w, double h) {
    auto *b = new QPushButton(text, this);
    b->setFocusPolicy(Qt::NoFocus);
    placeTwips(b, left, top, w, h);
    return b;
  };
  an_play = button(QStringLiteral("▶"), 735, 735, 375, 375);
  an_pause = button(QStringLiteral("❚❚"), 735, 735, 375, 375);
  an_pause->setVisible(false);
  an_stop = button(QStringLiteral("■"), 120, 1110, 375, 375);
  an_next = button(QStringLiteral("»"), 405, 420, 375, 375);
  an_prev = button(QStringLiteral("«"), 405, 1815, 375, 375);
  an_lyric = button(QStringLiteral("词"), 1125, 150, 375, 375);
  an_playlist = button(QStringLiteral("表"), 1125, 2115, 375, 375);
  an_close = button(QStringLiteral("×"), 1755, 2040, 195, 195);
  an_minimize = button(QStringLiteral("–"), 2115, 1605, 195, 195);

  auto knob = [this](const QColor &colour, double left, double top, double w, double h) {
    auto *k = new KnobImage(this);
    QPalette p = k->palette();
    p.setColor(QPalette::Window, colour);
    k->setPalette(p);
    placeTwips(k, left, top, w, h);
    return k;
  };
  an_volume_fill = knob(QColor(90, 90, 96), kVolumeTrackLeft, 1575, kVolumeTrackWidth, 90);
  an_Volume = knob(QColor(230, 230, 230), volumeLeft_, 1590, kKnobWidth, 90);
  an_bar_bg = knob(QColor(90, 90, 96), kSeekLeftMin, 1920, 2130, 90);
  an_bar = knob(QColor(230, 230, 230), seekLeft_, 1920, kKnobWidth, 90);

  play_zt = new QLabel(this);
  placeTwips(play_zt, 2505, 600, 2100, 420);
  timeslisttext = new QLineEdit(this);
  timeslisttext->setVisible(false);
  for (int i = 0; i < 5; ++i) {
    timelist[i] = new QLabel(this);
    timelist[i]->setScaledContents(true);
    placeTwips(timelist[i], 0, 0, 255, 300);
  }
  timelist[2]->setText(QStringLiteral(":"));

  an_web = new QLabel(this);
  an_bbs = new QLabel(this);
  placeTwips(an_web, 0, 0, 480, 300);
  placeTwips(an_bbs, 0, 0, 480, 300);

  gd_show = new CaptionBox(this);
  placeTwips(gd_show, 2505, 2205, 4125, 360);

  m_list = new QMListBox(this);
  Winsock1 = new Winsocks(this);
  Winsock1->setVisible(false);

  lyricsWindow_ = std::make_unique<QWidget>();
  lyricsWindow_->setWindowTitle(kAppTitle);
  lyricsWindow_->setFixedSize(twipsToPixels(4590), twipsToPixels(1305));
  QPalette dark = lyricsWindow_->palette();
  dark.setColor(QPalette::Window, toQColor(RGB(41, 40, 41)));
  lyricsWindow_->setPalette(dark);
  lyricsWindow_->setAutoFillBackground(true);
  LrcShow1 = new LrcShow(lyricsWindow_.get());
  placeTwips(LrcShow1, 135, 510, 4590 - 270, 1305 - 660);
}

// --- start-up ----------------------------------------------------------------------------

qorvex::LoadResult qorvex::Form_Load(const QString &commandLine) {
  // 1. Only one player per user: a second start hands over its command line and ends.
  instance_ = std::make_unique<SingleInstance>();
  if (!instance_->claim()) {
    instance_.reset();
    if (!commandLine.isEmpty())
      SendToRunning(commandLine);
    return {false, 0};
  }
  connect(instance_.get(), &SingleInstance::LinkExecute, this, [this](const QString &text) {
    qint16 cancel = 0;
    Form_LinkExecute(text, cancel, *this);
  });

  // 2. Connectivity check.
  if (ResolveHost(endpoint(Role::Catalogue).host).isEmpty())
    showMessage(this, QStringLiteral("连接服务器失败!"), MessageIcon::Critical);

  // 3. URL protocol.
  const QString program = QCoreApplication::applicationFilePath();
  RegisterUrlProtocol(program, AppFolder() + QStringLiteral("skin/brivo.ico"));

  // 6.
  state().lrc_shown = 1;
  state().list_shown = 1;

  // 7. The library folder becomes the current directory.
  const QString inc = AppFolder() + QStringLiteral("inc/");
  if (!QDir::setCurrent(inc)) {
    showMessage(this, QStringLiteral("Path not found: ") + QDir::toNativeSeparators(inc),
                MessageIcon::Critical);
    return {false, 1};
  }

  // 8. Engine version, 9. engine initialisation.
  if ((BASS_GetVersion() >> 16) != 0x0204) {
    showMessage(this, QStringLiteral("An incorrect version of BASS.DLL was loaded"), MessageIcon::Critical);
    return {false, 1};
  }
  if (!BASS_Init(audioDeviceFromEnvironment(), 44100, 0, this, nullptr)) {
    showMessage(this, QStringLiteral("Can't initialize device"), MessageIcon::None);
    return {false, 1};
  }
  engineUp_ = true;

  // 10. Time object, 11. time digits.
  state().time_fmt = std::make_unique<cbass_time>();
  static constexpr double kDigitLefts[] = {2640, 2910, 3165, 3405, 3675};
  for (int i = 0; i < 5; ++i)
    placeTwips(timelist[i], kDigitLefts[i], 1050, 255, 300);

  // 12. Welcome state.
  setStateText(kStateWelcome);

  // 14. The first catalogue list.
  LoadList(QStringLiteral("M0"), *m_list, catalogue);

  // 15. The socket goes to the stream-authorisation host.
  const Endpoint auth = endpoint(Role::Auth);
  Winsock1->setRemoteHost(auth.host);
  Winsock1->setRemotePort(auth.port);

  // 16.
  catalogue.list_mode = 0;

  // 18.
  state().sock_reply.clear();
  BASS_SetVolume(1.0f);

  // 19. Link labels: invisible click areas over the skin.
  placeTwips(an_web, 5220, 1500, 480, 300);
  placeTwips(an_bbs, 5220, 1875, 480, 300);
  an_web->setText(QStringLiteral("\u3000\u3000"));
  an_bbs->setText(QStringLiteral("\u3000\u3000"));
  catalogue.page_name = QStringLiteral("01.asp");

  // 21. Caption.
  gd_show->setTextColour(toQColor(RGB(239, 235, 222)));
  gd_show->setCaption(QStringLiteral("欢迎您使用Lumiqo音乐播放器(滚动字幕Ossel友情提供)"));

  // 22.
  core_->Timer2.stop();
  Latency.stop();

  // 23. The lyrics greeting.
  LrcShow1->begin(0, false, QStringLiteral("[00:00.00]Lumiqo歌词显示面板"));

  // 24. Placement: centred; the lyrics window right-aligned 850 twips above the main window.
  if (const QScreen *screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    const int top = area.height() - height() - lyricsWindow_->height();
    move((area.width() - width()) / 2, std::max(0, top));
    lyricsWindow_->move(x() + width() - lyricsWindow_->width(), y() - twipsToPixels(790 + 60));
  }

  // 27. The lyrics window.
  lyricsWindow_->show();

  // 28. The program's own command line, as if another instance had handed it over.
  if (!commandLine.isEmpty()) {
    qint16 cancel = 0;
    Form_LinkExecute(commandLine, cancel, *this);
  }
  // Links handed over while starting (a message box of the start-up runs the event loop)
  // run now, in the order they came.
  instance_->releaseHeldLinks();
  return {true, 0};
}

// --- shutdown ----------------------------------------------------------------------------

void qorvex::closeEvent(QCloseEvent *event) {
  if (close_state != 1) {
    // First phase: sound stops at once; the window stays while it fades.
    close_state = 1;
    core_->detachFromEngine();
    core_->tmrNetRadio.stop();
    if (engineUp_) {
      BASS_Free();
      engineUp_ = false;
    }
    state().cur_stream = 0;
    emit engineFreed();
    event->ignore();
    // Until the windows fade, the final phase follows at once.
    QTimer::singleShot(0, this, &QWidget::close);
    return;
  }
  finalShutdown();
  event->accept();
}

void qorvex::finalShutdown() {
  QFile::remove(AppFolder() + QStringLiteral("lrc"));
  for (QTimer *timer : {&gs_timer, &link_->Timer1, &Latency, &core_->times_zt, &core_->Timer2,
                        &core_->tmrNetRadio, &core_->music_next})
    timer->stop();
  instance_.reset();
  lyricsWindow_->close();
}

// --- knobs -------------------------------------------------------------------------------

void qorvex::an_Volume_MouseDown(Qt::MouseButton button, double x) {
  if (button == Qt::LeftButton)
    state().drag_x = x;
}

void qorvex::an_Volume_MouseMove(Qt::MouseButtons buttons, double x) {
  if (!(buttons & Qt::LeftButton))
    return;
  const VolumeDrag drag = dragVolumeKnob(volumeLeft_, state().drag_x, x);
  if (drag.volume)
    BASS_SetVolume(*drag.volume);
  volumeLeft_ = drag.left;
  moveTwips(an_Volume, volumeLeft_);
}

void qorvex::an_volume_fill_MouseDown(Qt::MouseButton, double x) {
  const VolumeClick click = clickVolumeTrack(x);
  volumeLeft_ = click.left;
  moveTwips(an_Volume, volumeLeft_);
  BASS_SetVolume(click.volume);
}

void qorvex::an_bar_MouseDown(Qt::MouseButton button, double x) {
  if (button == Qt::LeftButton)
    state().drag_x = x;
}

void qorvex::an_bar_MouseMove(Qt::MouseButtons buttons, double x) {
  if (!(buttons & Qt::LeftButton))
    return;
  seekLeft_ = dragSeekKnob(seekLeft_, state().drag_x, x);
  moveTwips(an_bar, seekLeft_);
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
  an_pause->setVisible(playing);
  an_play->setVisible(!playing);
}

QString qorvex::timeText() const {
  return timeslisttext->text();
}

void qorvex::setTimeText(const QString &text) {
  timeslisttext->setText(text);
}

bool qorvex::loadTimeDigit(int index, const QString &path) {
  QPixmap picture;
  if (index < 0 || index >= static_cast<int>(timelist.size()) || !picture.load(path))
    return false;
  timelist[index]->setPixmap(picture);
  return true;
}

void qorvex::setSeekKnobLeft(double left) {
  seekLeft_ = left;
  moveTwips(an_bar, seekLeft_);
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

void qorvex::AddItem(const QString &title, const QString &author, const QString &url, const QString &time) {
  m_list->AddItem(title, author, url, time);
}

void qorvex::savelrc(QString &text) {
  lyrics_->savelrc(text);
}

void qorvex::startLinkResolution() {
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
  setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  activateWindow();
}

} // namespace lumiqo
