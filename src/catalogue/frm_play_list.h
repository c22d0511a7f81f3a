#pragma once
// frmPlayList: the playlist window. A frameless window painted from its background picture
// `s_list1` (cut into nine pieces, pure red see-through), with the play list `m_list` shown by
// `m_listView` in the frame `f_list2`, four tab areas over the painted tab captions, a search
// panel, a close box and a title bar that drags it. What it starts in the main window (the
// caption, the song to resolve, the timers, its own fade) goes through its host.
//
// The main window's start-up places `m_listView` and `f_list2`, lays out the search panel
// (`f_serach_music`, centred over `f_list2`), colours `f_list2` and skins
// `an_close_list`; the window does the rest itself.
//
// The keyboard: Tab walks the close box, the tabs, the search panel (while shown) and the list;
// Ctrl+F opens the search panel with the cursor in its box and Escape closes it; the Menu key
// or Shift+F10 opens the menu a right click would open where the focus is (the favourites menu
// on the list, the list menu elsewhere); Delete on the list removes the selected row as the
// favourites menu's "删除歌曲" does.

#include "base/colour.h"
#include "catalogue/catalogue_state.h"
#include "controls/play_list_view.h"
#include "controls/skin_frame.h"
#include "controls/window_drag_loop.h"

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QCursor;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;

namespace lumiqo {

class ClickArea;
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
  // Where the background picture is cut, in twips: the left and right columns and the top and
  // bottom rows keep their size, the pieces between them stretch.
  static constexpr FrameCuts kCuts{1500, 1050, 1515, 1065};
  static constexpr int kGripCount = 8;
  // The search options' background.
  static constexpr std::uint32_t kOptionBackColor = RGB(253, 251, 226);

  // `background` stands in for the picture from the program's resources (tests paint their own).
  // `menus` gives the menu owner, made on first reference.
  frmPlayList(CatalogueState &state, std::function<muen &()> menus, PlayListHost host,
              QWidget *owner = nullptr, const QImage &background = QImage());
  ~frmPlayList() override;

  // The background picture `s_list1` from the program's resources, the twice-size one at a
  // device pixel ratio of 2 or more.
  static QImage resourceBackground(qreal ratio);
  // The click areas' hand pointer: 32 x 32 with its hot spot at (6, 0), drawn at twice the
  // size (hot spot (12, 0) of that picture) for a device pixel ratio of 2 or more.
  static QCursor handCursor(qreal ratio);

  CatalogueState &catalogue() { return state_; }

  QMListBox *m_list;                            // the play queue
  PlayListView *m_listView;                     // the control that shows it
  QFrame *f_list2;                              // the frame around the list
  QFrame *f_serach_music;                       // the search panel, over f_list2; hidden at first
  QLabel *pic_serach_bg;                        // its background, sized to its picture
  std::array<QRadioButton *, 3> music_type{};   // title, artist, keyword
  QLineEdit *s_music_name;                      // the search text
  vondan *an_close_list;                        // the close box
  ClickArea *MO;                                // the tab 推荐列表
  ClickArea *myfavorites;                       // the tab 我的收藏
  std::array<ClickArea *, 2> an_serach_music{}; // the tabs 分类找歌 and 关键字找歌
  ClickArea *an_serach_go;                      // the search button painted in the panel
  QWidget *Image2;                              // the title bar, which drags the window
  QLabel *Image1;                               // the title bar's decoration
  // The resize grips size(0) .. size(7): placed along the edges, always hidden.
  QWidget *sizeGrip(int index) const { return size_.at(static_cast<std::size_t>(index)); }

  // The search panel shown with the cursor in its box, its text selected; hidden again, with
  // the focus back on the list.
  void openSearch();
  void closeSearch();
  // The menu a right click would open where the focus is, at the focused control.
  void popUpMenuAtFocus();

  // The background picture and the window's painted surface.
  const QImage &s_list1() const { return s_list1_; }
  const QImage &surface() const { return surface_; }

  // Closes the window for good, at the program's end. Any other close, the desktop's own
  // included, is taken as a click on the close box.
  void unload();

protected:
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void paintEvent(QPaintEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  // A rectangle given in twips, in pixels.
  static QRect twipsRect(int left, int top, int width, int height);
  // Layout and painting.
  void Form_Load();
  void Form_Resize();
  void placeGrips(int W, int H);
  void Image2_MouseDown(Qt::MouseButton button, QPoint cursor);
  void Image2_MouseMove(Qt::MouseButtons buttons, QPoint cursor);
  void Image2_MouseUp(Qt::MouseButton button);
  // Tabs and search.
  void createTabs();
  void createSearchPanel();
  void MO_Click();
  void myfavorites_Click();
  void an_serach_music_Click(int index);
  void an_serach_go_Click();
  void an_close_list_Click();
  void popUp(QMenu *(muen::*menu)(), const QPoint &at);
  void popUp(QMenu *(muen::*menu)());
  // The list.
  void createList();
  void m_list_MouseDown(int Button, int Shift, float X, float Y);
  void m_list_Click(int Button, int Shift, float X, float Y);
  void m_list_DBClick(int Button, int Shift, float X, float Y);
  void popUpFavourites(const QPoint &at);
  void m_list_DeleteKey();
  // Names, reading and keyboard order, keys.
  void setUpAccess();

  CatalogueState &state_;
  std::function<muen &()> menus_;
  PlayListHost host_;
  QImage s_list1_;
  QImage surface_;
  std::array<QWidget *, kGripCount> size_{};
  WindowDragLoop *loop_; // a child of the window
  bool dragArmed_ = false;
  bool unloading_ = false;
  QPoint pressCursor_; // where the title bar was pressed, on the screen
};

} // namespace lumiqo
