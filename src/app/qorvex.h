#pragma once
// The main player window `qorvex`: the application's root object. It holds the player core
// (streams, transport, play-list moves, status), the controls those show on, the main
// window's other timers, start-up (`Form_Load`) and the two-phase shutdown (`Form_Unload`).

#include "app/caption_box.h"
#include "app/instance/link_execute.h"
#include "app/knob_image.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/link_resolution.h"
#include "player/player_core.h"
#include "player/player_face.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

namespace lumiqo {

class SingleInstance;
class Winsocks;
class LyricsHandover;
class QMListBox;
class LrcShow;

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

  // Controls (plain widgets until the skin lays them out).
  QLabel *play_zt;
  QLineEdit *timeslisttext;
  std::array<QLabel *, 5> timelist{};
  QPushButton *an_play;
  QPushButton *an_pause;
  QPushButton *an_stop;
  QPushButton *an_next;
  QPushButton *an_prev;
  QPushButton *an_lyric;
  QPushButton *an_playlist;
  QPushButton *an_close;
  QPushButton *an_minimize;
  KnobImage *an_volume_fill;
  KnobImage *an_Volume;
  KnobImage *an_bar_bg;
  KnobImage *an_bar;
  QLabel *an_web;
  QLabel *an_bbs;
  CaptionBox *gd_show;

  // The socket control of the link resolution.
  Winsocks *Winsock1;

  // The play queue `m_list`.
  QMListBox *m_list;
  // The lyrics view `LrcShow1`, on a plain window of its own until the lyrics window comes.
  LrcShow *LrcShow1;
  QWidget *lyricsWindow() const { return lyricsWindow_.get(); }

  // Knob positions in twips.
  double volumeKnobLeft() const { return volumeLeft_; }
  double seekKnobLeft() const { return seekLeft_; }

  // The knob handlers (the skinned knobs call these unchanged).
  void an_Volume_MouseDown(Qt::MouseButton button, double x);
  void an_Volume_MouseMove(Qt::MouseButtons buttons, double x);
  void an_volume_fill_MouseDown(Qt::MouseButton button, double x);
  void an_bar_MouseDown(Qt::MouseButton button, double x);
  void an_bar_MouseMove(Qt::MouseButtons buttons, double x);

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

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  void buildControls();
  void placeTwips(QWidget *w, double left, double top, double width, double height);
  void moveTwips(QWidget *w, double left);
  void finalShutdown();

  std::unique_ptr<PlayerCore> core_;
  std::unique_ptr<SingleInstance> instance_;
  std::unique_ptr<QWidget> lyricsWindow_;
  std::unique_ptr<LinkResolution> link_;
  std::unique_ptr<LyricsHandover> lyrics_;
  QString stateText_; // what was last written into play_zt, as written
  bool engineUp_ = false;
  double volumeLeft_ = 6450;
  double seekLeft_ = 2505;
};

} // namespace lumiqo
