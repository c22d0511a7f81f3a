#pragma once
// frmPlayList: the playlist window. A frameless window painted from its background picture
// `s_list1`, with the play list `m_list` in the frame `f_list2`, four tab areas, a search
// panel and a close box. What it starts in the main window (the caption, the song to resolve,
// the timers, its own fade) goes through its host.

#include "catalogue/catalogue_state.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace lumiqo {

class QMListBox;
class muen;
class vondan;

struct PlayListHost {
  std::function<QString()> cur_song;
  std::function<void(const QString &)> set_cur_song;
  // gd_a = text and the caption starts again at its left end (gd_i = 0).
  std::function<void(const QString &)> setCaption;
  std::function<void()> enableStatusTimer;   // times_zt, when it does not run
  std::function<void()> startLinkResolution; // Timer1
  std::function<void()> enableLyricsClock;   // Timer2
  std::function<void()> fadeOut;             // this window's fade control, from 255 to 0
  std::function<void()> clearListShown;      // list_shown = 0
};

class frmPlayList : public QWidget {
  Q_OBJECT
public:
  // `background` stands in for the picture from the program's resources (tests paint their own).
  // `menus` gives the menu owner, made on first reference.
  frmPlayList(CatalogueState &state, std::function<muen &()> menus, PlayListHost host, QWidget *owner = nullptr,
              const QImage &background = QImage());
  ~frmPlayList() override;

  static QImage resourceBackground(qreal ratio);

  CatalogueState &catalogue() { return state_; }

  QMListBox *m_list;          // the play queue
  QWidget *m_listView;        // the control that shows it
  QFrame *f_list2;            // the frame around the list
  QFrame *f_serach_music;     // the search panel
  QLabel *pic_serach_bg;      // its background
  std::array<QRadioButton *, 3> music_type{};
  QLineEdit *s_music_name;
  vondan *an_close_list;

private:
  CatalogueState &state_;
  std::function<muen &()> menus_;
  PlayListHost host_;
  QImage background_;
};

} // namespace lumiqo
