#pragma once
// The main player window `qorvex`: the application's root object. It holds the player core
// (streams, transport, play-list moves, status), its skinned controls, the main window's
// other timers, the three fade controls, the docking group, the tray icon and the menus; it
// makes the lyrics window and the playlist window. Start-up is `Form_Load`, shutdown the two
// phases of `Form_Unload`.
//
// The class is spread over files by concern: qorvex.cpp (construction, what the player core
// and the link resolution reach), qorvex_layout.cpp (the skin: sizing, `loadanniu`, `wear`),
// qorvex_startup.cpp, qorvex_shutdown.cpp, qorvex_window.cpp (tray, minimise and restore,
// the window toggles, dragging, the link areas) and qorvex_access.cpp (what assistive tools
// read, the keyboard's order and keys in all three windows).

#include "app/caption_box.h"
#include "app/instance/link_execute.h"
#include "app/skin_image.h"
#include "app/state_label.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/link_resolution.h"
#include "controls/danru.h"
#include "player/player_core.h"
#include "player/player_face.h"

#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>
#include <vector>

namespace lumiqo {

class ScreenSleep;
class WindowOcclusion;
class SingleInstance;
class Winsocks;
class LyricsHandover;
class QMListBox;
class LrcShow;
class vondan;
class frmLrcShow;
class frmPlayList;
class muen;
class MagneticDock;
class TrayIcon;
class ClickArea;
class WindowDragLoop;

class qorvex : public QWidget, public PlayerFace, public LinkExecuteHost, public LinkResolutionHost {
  Q_OBJECT
public:
  explicit qorvex(QWidget *parent = nullptr);
  ~qorvex() override;

  // What start-up decided: run the window, or end the program with an exit code.
  struct LoadResult {
    bool run = true;
    int exitCode = 0;
  };
  // The load handler. `commandLine` is the program's own command line (the link, if any).
  LoadResult Form_Load(const QString &commandLine = QString());

  PlayerCore &core() { return *core_; }
  // The single-instance channel; null before start-up and after a second start ended it.
  const SingleInstance *instance() const { return instance_.get(); }
  PlayerState &state() { return core_->state(); }
  // The catalogue's share of the shared state (`page_name`, `list_mode`, the menus' terms).
  CatalogueState catalogue;
  LinkResolution &linkResolution() { return *link_; }
  LyricsHandover &lyrics() { return *lyrics_; }

  // Main window fields.
  qint16 close_state = 0;
  qint16 dragging = 0;
  QString gd_a() const { return gd_show->gd_a(); }
  int gd_i() const { return gd_show->gd_i(); }

  // Timers the player core does not own (`Timer1` is the link resolution's).
  QTimer gs_timer; // caption, 50 ms
  QTimer Latency;  // lyrics window after a download, 1000 ms

  // The hidden line list the link resolution fills with the lyrics lines.
  QStringList List1;

  // Controls.
  SkinImage *s_main1;
  StateLabel *play_zt;
  // The elapsed time as text, which the status tick writes and the digits are drawn from. It
  // lies over the digits, drawing nothing and taking no mouse, and is what assistive tools read
  // of them (a text box would tell them of every second).
  ClickArea *timeslisttext;
  std::array<SkinImage *, 5> timelist{};
  vondan *an_play;
  vondan *an_pause;
  vondan *an_stop;
  vondan *an_next;
  vondan *an_prev;
  vondan *an_lyric;
  vondan *an_playlist;
  vondan *an_close;
  vondan *an_minimize;
  SkinImage *an_volume_fill;
  SkinImage *an_Volume;
  SkinImage *an_bar_bg;
  SkinImage *an_bar;
  ClickArea *an_web;
  ClickArea *an_bbs;
  CaptionBox *gd_show;

  // The socket control of the link resolution.
  Winsocks *Winsock1;

  // The fade controls: the main window, the lyrics window, the playlist window.
  danru danru1;
  danru danru2;
  danru danru3;

  // The other windows, made on first reference.
  frmLrcShow &lyricsWindow();
  frmPlayList &playListWindow();
  muen &menus();
  TrayIcon &tray() { return *tray_; }

  // The play queue `m_list` and the lyrics view `LrcShow1`, on the other windows.
  QMListBox *m_list;
  LrcShow *LrcShow1;

  // Knob positions in twips.
  double volumeKnobLeft() const { return volumeLeft_; }
  double seekKnobLeft() const { return seekLeft_; }

  // The engine's volume in percent; setting it places the volume knob to match (the keys and
  // assistive tools set it in finer steps than the knob's tenths).
  int volumePercent() const;
  void setVolumePercent(int percent);
  // The playing position the status tick last showed, in whole seconds.
  int playingSeconds() const;
  // The keys, as the tray menu and the main window describe them.
  static QString keysHelp();

  // The knob handlers.
  void an_Volume_MouseDown(Qt::MouseButton button, double x);
  void an_Volume_MouseMove(Qt::MouseButtons buttons, double x);
  void an_volume_fill_MouseDown(Qt::MouseButton button, double x);
  void an_bar_MouseDown(Qt::MouseButton button, double x);
  void an_bar_MouseMove(Qt::MouseButtons buttons, double x);

  // The skin.
  void loadanniu();
  void wear(const QString &path);
  void SetRect(QWidget &control, const QString &placement);

  // The window's own behaviour.
  void an_close_Click();
  void an_minimize_Click();
  void an_lyric_Click();
  void an_playlist_Click();
  void an_web_Click();
  void an_bbs_Click();
  void vond_tp_DoubleClick();
  void ShowTrayMenu();
  void danru1_FadeStep(int alpha);
  void FadeIn(danru &fade, QWidget &window);
  void FadeOut(danru &fade, QWidget &window);
  // The lyrics window's close button.
  void lrcbu();

  // PlayerFace
  QString stateText() const override;
  void setStateText(const QString &text) override;
  void showPlaying(bool playing) override;
  QString timeText() const override;
  void setTimeText(const QString &text) override;
  bool loadTimeDigit(int index, const QString &path) override;
  void setSeekKnobLeft(double left) override;
  void setCaption(const QString &text) override;
  void setLyricsFilePath(const QString &path) override;
  void setLyricsTime(float hundredths) override;
  void setLyricsTimerE(bool on) override;
  int PlayIndex() const override;
  void setPlayIndex(int index) override;
  void setListIndex(int index) override;
  int ListCount() const override;
  QString Title(int row) const override;
  QString Author(int row) const override;
  QString URL(int row) const override;
  QString StrTime(int row) const override;
  void setStrTime(int row, const QString &text) override;
  void savelrc(QString &text) override;
  void startLinkResolution() override;

  // LinkExecuteHost
  void AddItem(const QString &title, const QString &author, const QString &url, const QString &time) override;
  void listplay() override;
  void delie6() override;
  void showNormalAndFocus() override;

  // LinkResolutionHost
  QString cur_song() const override;
  QString page_name() const override;
  void set_page_name(const QString &name) override;
  void set_sock_reply(const QString &reply) override;
  void enable_music_next() override;
  void setList1(const QStringList &lines) override;
  void PlayUrlStream(const QString &address) override;
  void PlayWmaStream(const QString &address) override;

signals:
  // Every text written into the state label, in order.
  void stateTextChanged(const QString &text);
  // The engine was freed (first shutdown phase).
  void engineFreed();
  // The volume changed by a key or an assistive tool (the knob's own moves raise its events).
  void volumeChanged();

protected:
  void closeEvent(QCloseEvent *event) override;
  void changeEvent(QEvent *event) override;
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  void buildControls();
  void connectControls();
  void sizeAroundFace();
  void placeWindows();
  void registerDocking();
  void finalShutdown();
  void switchLyricsClock(bool on);
  void s_main1_MouseDown(Qt::MouseButton button, double x, double y);
  void s_main1_MouseMove(Qt::MouseButtons buttons, double x, double y);
  void s_main1_MouseUp(Qt::MouseButton button, double x, double y);
  void applyColourKey();
  // Names, reading and keyboard order, the focus ring; the keys of all three windows.
  void setUpAccess();
  void setUpKeys();
  // The toggles' checked states follow whether their windows are shown.
  void showToggleStates();
  // Tells assistive tools of a new volume (from `before`) and of the song's progress.
  void volumeShown(int before);
  void seekShown();
  void cycleWindows(int step);
  void openSearchFromKeys();
  // The caption clock runs only while the caption moves and the window is on the screen.
  void updateCaptionClock();
  void refreshCaptionBackdrop();
  // The controls `wear` walks, in the window's order, with their type names.
  struct NamedControl {
    QWidget *control;
    const char *typeName; // "Image", "PictureBox", "vondan", "Label", "TextBox"
  };
  std::vector<NamedControl> controls_;

  std::unique_ptr<PlayerCore> core_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<LinkResolution> link_;
  std::unique_ptr<LyricsHandover> lyrics_;
  std::unique_ptr<TrayIcon> tray_;
  // The other windows are children of the main window, which owns them (the two top-level
  // ones as their owner window).
  frmLrcShow *lyricsWindow_ = nullptr;
  frmPlayList *playListWindow_ = nullptr;
  muen *menus_ = nullptr;
  MagneticDock *oMagneticWnd_ = nullptr;
  // Whether anyone can see the caption (made at the first showing).
  WindowOcclusion *captionOcclusion_ = nullptr;
  ScreenSleep *screenSleep_ = nullptr;
  // The main window's own move loop, which the face's mouse drives.
  WindowDragLoop *dragLoop_ = nullptr;
  QString stateText_; // what was last written into play_zt, as written
  bool engineUp_ = false;
  bool minimisedToTaskBar_ = false;
  double volumeLeft_ = 6450;
  double seekLeft_ = 2505;
  int seekPercentShown_ = -1; // the progress (in steps of 5 %) assistive tools last heard of
};

} // namespace lumiqo
