// Start-up: the main window's load handler.
#include "app/qorvex.h"

#include "app/desktop/qorvex_mpris.h"
#include "app/instance/instance_channel.h"
#include "app/instance/url_protocol.h"
#include "app/resolve_host.h"
#include "app/tray_icon.h"
#include "base/app_folder.h"
#include "base/colour.h"
#include "base/endpoints.h"
#include "base/message_box.h"
#include "base/twips.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/load_list.h"
#include "catalogue/muen.h"
#include "controls/click_area.h"
#include "controls/magnetic_dock.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"
#include "lyrics/frm_lrc_show.h"
#include "lyrics/lrc_show.h"
#include "net/winsocks.h"
#include "player/state_texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>

namespace lumiqo {
namespace {

// The playlist window's list and its frame (twips).
void layOutList(frmPlayList &list) {
  list.m_listView->setGeometry(twipsToPixels(0), twipsToPixels(0), twipsToPixels(4290), twipsToPixels(4065));
  list.f_list2->setGeometry(twipsToPixels(150), twipsToPixels(1080), twipsToPixels(4290),
                            twipsToPixels(4065));
}

// The search panel: hidden, the size of its background, centred over the list's frame; the
// category options and the search box.
void layOutSearchPanel(frmPlayList &list) {
  list.f_serach_music->hide();
  list.f_serach_music->resize(list.pic_serach_bg->size());
  list.f_serach_music->move(list.f_list2->x() + (list.f_list2->width() - list.f_serach_music->width()) / 2,
                            list.f_list2->y() + (list.f_list2->height() - list.f_serach_music->height()) / 2);
  static constexpr int kOptionLefts[] = {70, 720, 1350};
  for (int i = 0; i < 3; ++i)
    list.music_type[static_cast<std::size_t>(i)]->move(twipsToPixels(kOptionLefts[i]), twipsToPixels(170));
  list.music_type[0]->setChecked(true);
  list.s_music_name->setGeometry(list.s_music_name->x(), twipsToPixels(150), list.s_music_name->width(),
                                 twipsToPixels(250));
}

// The list's frame takes the lyrics window's grey.
void darkenListFrame(frmPlayList &list) {
  QPalette dark = list.f_list2->palette();
  dark.setColor(QPalette::Window, toQColor(RGB(41, 40, 41)));
  list.f_list2->setPalette(dark);
  list.f_list2->setAutoFillBackground(true);
}

} // namespace

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
  RegisterUrlProtocol(QCoreApplication::applicationFilePath(),
                      AppFolder() + QStringLiteral("skin/brivo.ico"));

  // 4, 5. The window around its face, red see-through; the buttons and bars.
  sizeAroundFace();
  loadanniu();

  // 6.
  state().lrc_shown = 1;
  state().list_shown = 1;
  showToggleStates();

  // 7. The library folder becomes the current directory.
  const QString inc = DataFolder() + QStringLiteral("inc/");
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
  static constexpr int kDigitLefts[] = {2640, 2910, 3165, 3405, 3675};
  for (int i = 0; i < 5; ++i)
    timelist[static_cast<std::size_t>(i)]->move(twipsToPixels(kDigitLefts[i]), twipsToPixels(1050));

  // 12. Welcome state.
  setStateText(kStateWelcome);

  // 13. The list on the playlist window.
  frmPlayList &list = playListWindow();
  layOutList(list);

  // 14. The first catalogue list.
  LoadList(QStringLiteral("M0"), *m_list, catalogue);

  // 15. The socket goes to the stream-authorisation host.
  const Endpoint auth = endpoint(Role::Auth);
  Winsock1->setRemoteHost(auth.host);
  Winsock1->setRemotePort(auth.port);

  // 16.
  catalogue.list_mode = 0;

  // 17. Tray icon.
  tray_->TrayAdd(this, AppFolder() + QStringLiteral("skin/brivo.ico"), QStringLiteral("Lumiqo"));

  // 18.
  state().sock_reply.clear();
  BASS_SetVolume(1.0f);

  // 19. Link labels: invisible click areas over the skin.
  an_web->move(twipsToPixels(5220), twipsToPixels(1500));
  an_bbs->move(twipsToPixels(5220), twipsToPixels(1875));
  an_web->setText(QStringLiteral("\u3000\u3000"));
  an_bbs->setText(QStringLiteral("\u3000\u3000"));
  catalogue.page_name = QStringLiteral("01.asp");

  // 20. The playlist window's search panel and category options.
  layOutSearchPanel(list);

  // 21. Caption.
  gd_show->setTextColour(toQColor(RGB(239, 235, 222)));
  gd_show->setCaption(QStringLiteral("欢迎您使用Lumiqo音乐播放器(滚动字幕Ossel友情提供)"));
  darkenListFrame(list);

  // 22.
  core_->Timer2.stop();
  Latency.stop();

  // 23. The lyrics greeting.
  LrcShow1->begin(0, false, QStringLiteral("[00:00.00]Lumiqo歌词显示面板"));

  // 24. Placement.
  placeWindows();

  // 25. Fade-in, from alpha 0.
  FadeIn(danru1, *this);
  FadeIn(danru2, lyricsWindow());
  FadeIn(danru3, list);

  // 26. Docking.
  registerDocking();

  // 27. The lyrics window, then the playlist window, owned by the main window.
  lyricsWindow().show();
  list.show();

  // 28. The program's own command line, as if another instance had handed it over.
  if (!commandLine.isEmpty()) {
    qint16 cancel = 0;
    Form_LinkExecute(commandLine, cancel, *this);
  }

  // The desktop's media controls (MPRIS), when there is a session bus.
  QorvexMpris::attach(*this);

  // Links handed over while starting (a message box of the start-up runs the event loop)
  // run now, in the order they came.
  instance_->releaseHeldLinks();
  return {true, 0};
}

void qorvex::placeWindows() {
  const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen)
    return;
  frmLrcShow &lrc = lyricsWindow();
  frmPlayList &list = playListWindow();
  const QRect whole = screen->geometry();
  const int left = whole.x() + (whole.width() - width()) / 2;
  const int top = whole.y() + whole.height() - height() - lrc.height() - list.height();
  QRect mainRect(left, top, width(), height());
  QRect listRect(mainRect.right() + 1 - list.width(), top + twipsToPixels(2230), list.width(), list.height());
  QRect lrcRect(mainRect.right() + 1 - lrc.width(), top - twipsToPixels(790 + 60), lrc.width(), lrc.height());

  // Kept on the work area as one group, where the formula would put a window off it.
  const QRect area = screen->availableGeometry();
  const QRect group = mainRect | listRect | lrcRect;
  QPoint shift;
  if (group.right() > area.right())
    shift.rx() = area.right() - group.right();
  if (group.left() + shift.x() < area.left())
    shift.rx() = area.left() - group.left();
  if (group.bottom() > area.bottom())
    shift.ry() = area.bottom() - group.bottom();
  if (group.top() + shift.y() < area.top())
    shift.ry() = area.top() - group.top();
  move(mainRect.topLeft() + shift);
  list.move(listRect.topLeft() + shift);
  lrc.move(lrcRect.topLeft() + shift);
}

void qorvex::registerDocking() {
  oMagneticWnd_ = new MagneticDock(this);
  oMagneticWnd_->AddWindow(this);
  oMagneticWnd_->AddWindow(&lyricsWindow(), this);
  oMagneticWnd_->AddWindow(&playListWindow(), this);
  // A command of a docked window (a button, a click area, a pick of a menu the windows pop
  // up) rechecks the glue, as the end of a drag does: a window placed by other means than a
  // drag is glued or let go from then on.
  for (QWidget *window : {static_cast<QWidget *>(this), static_cast<QWidget *>(&lyricsWindow()),
                          static_cast<QWidget *>(&playListWindow())}) {
    for (vondan *button : window->findChildren<vondan *>())
      connect(button, &vondan::Click, oMagneticWnd_, &MagneticDock::Command);
    for (ClickArea *area : window->findChildren<ClickArea *>())
      connect(area, &ClickArea::Click, oMagneticWnd_, &MagneticDock::Command);
  }
  connect(&menus(), &muen::ItemPicked, oMagneticWnd_, &MagneticDock::Command);
}

} // namespace lumiqo
