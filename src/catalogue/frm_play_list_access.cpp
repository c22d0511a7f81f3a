// The playlist window to assistive tools and the keyboard: its controls' names and order, the
// search panel opened and closed by keys, the menus by the Menu key, Delete on the list.
#include "catalogue/frm_play_list.h"

#include "catalogue/muen.h"
#include "controls/accessible/accessible_parts.h"
#include "controls/click_area.h"
#include "controls/focus_ring.h"
#include "controls/play_list_view.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"

#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QShortcut>

namespace lumiqo {

void frmPlayList::setUpAccess() {
  an_close_list->setAccessibleName(QStringLiteral("关闭"));
  const std::pair<ClickArea *, const char *> tabs[] = {{MO, "推荐列表"},
                                                       {myfavorites, "我的收藏"},
                                                       {an_serach_music[0], "分类找歌"},
                                                       {an_serach_music[1], "关键字找歌"}};
  for (const auto &[tab, name] : tabs) {
    tab->setAccessibleRole(QAccessible::PageTab);
    tab->setAccessibleName(QString::fromUtf8(name));
  }
  f_serach_music->setAccessibleName(QStringLiteral("关键字找歌"));
  const char *options[] = {"歌名", "歌手", "关键字"};
  for (std::size_t i = 0; i < music_type.size(); ++i)
    music_type[i]->setAccessibleName(QString::fromUtf8(options[i]));
  s_music_name->setAccessibleName(QStringLiteral("搜索内容"));
  an_serach_go->setAccessibleName(QStringLiteral("搜索"));
  m_listView->setAccessibleName(QStringLiteral("播放列表"));
  m_listView->setColumnHeadings(
      {QStringLiteral("ID"), QStringLiteral("歌名"), QStringLiteral("歌手"), QStringLiteral("时间")});
  m_listView->ucBar().setAccessibleName(QStringLiteral("滚动条"));

  // Reading order, which the keyboard follows: the title bar's close box, the tabs, the search
  // panel over the list, the list.
  setAccessibleParts(f_serach_music,
                     {music_type[0], music_type[1], music_type[2], s_music_name, an_serach_go});
  setAccessibleParts(this, {an_close_list, MO, myfavorites, an_serach_music[0], an_serach_music[1],
                            f_serach_music, m_listView, &m_listView->ucBar()});
  chainTabOrder(this);
  m_listView->setFocus(); // where the keyboard starts in this window
  FocusRing::of(this);

  auto key = [this](const QKeySequence &sequence, auto slot) {
    connect(new QShortcut(sequence, this), &QShortcut::activated, this, slot);
  };
  key(QKeySequence(Qt::CTRL | Qt::Key_F), &frmPlayList::openSearch);
  key(QKeySequence(Qt::Key_Escape), [this] {
    if (!f_serach_music->isHidden())
      closeSearch();
  });
  key(QKeySequence(Qt::Key_Menu), &frmPlayList::popUpMenuAtFocus);
  key(QKeySequence(Qt::SHIFT | Qt::Key_F10), &frmPlayList::popUpMenuAtFocus);
  connect(m_listView, &PlayListView::deleteKeyPressed, this, &frmPlayList::m_list_DeleteKey);
}

void frmPlayList::openSearch() {
  f_serach_music->show();
  raise();
  activateWindow();
  s_music_name->setFocus(Qt::ShortcutFocusReason);
  s_music_name->selectAll();
}

void frmPlayList::closeSearch() {
  f_serach_music->hide();
  m_listView->setFocus(Qt::ShortcutFocusReason);
}

void frmPlayList::popUpMenuAtFocus() {
  QWidget *focus = QApplication::focusWidget();
  if (focus == m_listView) {
    const int row = m_list->ListIndex();
    const QRect at = row >= 0 ? m_listView->rowRect(row) : QRect(m_listView->rowsArea().topLeft(), QSize());
    popUpFavourites(m_listView->mapToGlobal(at.bottomLeft()));
    return;
  }
  if (!focus || focus->window() != this)
    focus = this;
  popUp(&muen::muen_list, focus->mapToGlobal(QPoint(0, focus == this ? 0 : focus->height())));
}

// As "删除歌曲" of the menu the list's right click opens: from the favourites file when the
// list shows the favourites, else from the play list only.
void frmPlayList::m_list_DeleteKey() {
  muen &menus = menus_();
  if (state_.list_mode == 1)
    menus.del_mymusiclist_Click();
  else
    menus.del_mymusiclists_Click();
}

} // namespace lumiqo
