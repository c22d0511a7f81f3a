#pragma once
// `muen`: the hidden window that owns every pop-up menu of the program (caption "系统菜单";
// it is never shown). Other windows pop its menus up at the mouse: the tray menu, the list
// menu with the artist trees and the charts, and the two favourites menus. The list menu is
// built on first use, so its few hundred items cost nothing before the first frame.

#include "catalogue/catalogue_state.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>

class QMenu;
class QAction;

namespace lumiqo {

class QMListBox;
struct ArtistMenuData;

// What the menus do outside the catalogue.
struct MenuHost {
  std::function<void()> restoreFromTray;     // the tray icon's double-click (`vond_tp_DoubleClick`)
  std::function<void()> exitProgram;         // unload `delie`, `muen`, then the main window
  std::function<void(const QUrl &)> openUrl; // the desktop's browser; empty: QDesktopServices
};

class muen : public QWidget {
  Q_OBJECT
public:
  muen(QMListBox &m_list, CatalogueState &state, MenuHost host, QWidget *parent = nullptr);
  ~muen() override;

  // The four top-level menus.
  QMenu *m_tp();
  QMenu *muen_list();
  QMenu *my_favorites();
  QMenu *my_favorite();

  // Pops `menu` up at the mouse position (or at `at`, global pixels) and returns at once.
  void popUp(QMenu *menu, const QPoint &at);

  // The item handlers, callable by name.
  void artist_Click(const QString &caption);
  void rmfn_Click(int index);
  void add_mymusiclist_Click();
  void del_mymusiclists_Click();
  void del_mymusiclist_Click();
  void m_qq_Click();
  void m_openweb_Click();
  void m_openbbs_Click();
  void m_about_Click();
  void m_back_Click();
  void m_exit_Click();

  // The artist data behind the list menu (the built-in data unless a test gives its own).
  void setArtistData(const ArtistMenuData *data) { artists_ = data; }

signals:
  // An item of any of the menus was picked, after its handler ran.
  void ItemPicked();

private:
  void buildListMenu();
  void favouritesCommand(const QString &command);
  void open(const QUrl &url);
  QAction *item(QMenu *menu, const char *name, const QString &caption, void (muen::*handler)());
  // Reports the action's picks as ItemPicked, after its own handler.
  void reportPicks(QAction *action);

  QMListBox &m_list_;
  CatalogueState &state_;
  MenuHost host_;
  const ArtistMenuData *artists_ = nullptr;
  QMenu *m_tp_ = nullptr;
  QMenu *muen_list_ = nullptr;
  QMenu *my_favorites_ = nullptr;
  QMenu *my_favorite_ = nullptr;
};

// The caption of a chart item, index 1 .. 8; empty outside.
QString chartCaption(int index);

// A menu caption that shows `text` exactly ("&" would otherwise mark a shortcut key).
QString menuCaption(const QString &text);

} // namespace lumiqo
