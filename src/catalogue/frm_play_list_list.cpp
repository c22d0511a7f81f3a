// The playlist window's play list: its look, the favourites menus of a right click and the
// double click that starts a row.
#include "catalogue/frm_play_list.h"

#include "catalogue/muen.h"
#include "controls/play_list_view.h"
#include "controls/qmlistbox.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>

namespace lumiqo {

namespace {

void call(const std::function<void()> &hostCall) {
  if (hostCall)
    hostCall();
}

} // namespace

void frmPlayList::createList() {
  f_list2 = new QFrame(this);
  m_list = new QMListBox(this);
  m_listView = new PlayListView(*m_list, f_list2);
  QFont font(QStringLiteral("宋体"));
  font.setPointSize(9);
  m_listView->setFont(font);
  m_listView->setBackColor(RGB(255, 255, 255));
  m_listView->setItemBkColor1(RGB(255, 255, 255));
  m_listView->setItemBkColor2(RGB(234, 246, 250));
  m_listView->setItemSelBkColor(RGB(192, 192, 0));
  m_listView->setItemNorTextColor(RGB(64, 64, 0));
  m_listView->setItemSelTextColor(RGB(255, 255, 255));
  m_listView->setItemPlyTextColor(RGB(83, 183, 18));
  m_listView->setItemErrTextColor(RGB(255, 0, 0));
  m_listView->setBorder(true);
  // The column headings are painted for a list with its scroll bar.
  m_listView->setKeepScrollBarRoom(true);
  m_listView->setBorderColor(RGB(0, 64, 0));
  m_listView->setBorderWidth(1);
  m_listView->setItemHeight(18);
  m_list->setAutoCheckError(false);

  connect(m_list, &QMListBox::MouseDown, this, &frmPlayList::m_list_MouseDown);
  connect(m_list, &QMListBox::Click, this, &frmPlayList::m_list_Click);
  connect(m_list, &QMListBox::DBClick, this, &frmPlayList::m_list_DBClick);
}

void frmPlayList::popUpFavourites(const QPoint &at) {
  popUp(state_.list_mode == 1 ? &muen::my_favorite : &muen::my_favorites, at);
}

void frmPlayList::m_list_MouseDown(int Button, int, float, float) {
  if (Button == QMListBox::kRightButton)
    popUpFavourites(QCursor::pos());
}

// A press that raised MouseDown has its menu open already: the click of the same press opens
// no second one.
void frmPlayList::m_list_Click(int Button, int, float, float) {
  if (Button == QMListBox::kRightButton && !QApplication::activePopupWidget())
    popUpFavourites(QCursor::pos());
  if (!f_serach_music->isHidden())
    f_serach_music->hide();
}

void frmPlayList::m_list_DBClick(int, int, float X, float Y) {
  // A double click at the list's left edge starts the selected row; anywhere else, the row
  // under the pointer. The two name the fields differently.
  int row;
  QString caption;
  if (X == 0) {
    row = m_list->ListIndex();
    caption = QStringLiteral("歌名:") + m_list->Title(row) + QStringLiteral("  歌手:") + m_list->Author(row);
  } else {
    row = m_list->IndexFromPoint(X, Y);
    caption =
        QStringLiteral("[歌名]:") + m_list->Title(row) + QStringLiteral("  [歌手]:") + m_list->Author(row);
  }
  // No row (below the last one, or no selection): the song and the caption stay, and the
  // current song starts again.
  if (row >= 0) {
    if (host_.set_cur_song)
      host_.set_cur_song(m_list->URL(row));
    if (host_.setCaption)
      host_.setCaption(caption);
  }
  call(host_.enableStatusTimer);
  if (host_.cur_song && !host_.cur_song().isEmpty())
    call(host_.startLinkResolution);
  call(host_.enableLyricsClock);
}

} // namespace lumiqo
