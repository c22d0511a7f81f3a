#include "catalogue/muen.h"

#include "base/endpoints.h"
#include "catalogue/artist_menu_data.h"
#include "catalogue/favourites.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"

#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <array>

namespace lumiqo {
namespace {

// The three artist trees: the group in the data, the submenu's name and caption, the names of
// its letter items and of their artist arrays, and how a letter item reads.
struct ArtistTree {
  const char *group;
  const char *menuName;
  const char *letterArray;
  const char *artistPrefix;
  const char *letterSuffix;
};
constexpr std::array<ArtistTree, 3> kArtistTrees{{
    {"华人男歌手", "MM1", "hrzm", "hrngs_", "字母歌手"},
    {"华人女歌手", "MM2", "hrnzm", "hrnzm_", "字母女歌手"},
    {"华人组合", "MM4", "hrzhzm", "hrzhzm_", "字母歌手"},
}};

constexpr std::array<const char *, 8> kCharts{"歌曲排行",       "新歌推荐", "经典老歌", "疯狂DJ",
                                              "一人一首成名曲", "电影金曲", "电视金曲", "情歌对唱"};

// The menus wear the skin's colours: the dark face, light text, the gold accent.
const QString kMenuStyle = QStringLiteral(
    "QMenu { background: rgb(41, 40, 41); color: rgb(239, 235, 222); border: 1px solid rgb(92, 86, 66);"
    " padding: 3px 0px; }"
    "QMenu::item { padding: 4px 22px 4px 18px; background: transparent; }"
    "QMenu::item:selected { background: rgb(214, 190, 80); color: rgb(30, 28, 20); }"
    "QMenu::item:disabled { color: rgb(120, 116, 104); }"
    "QMenu::separator { height: 1px; background: rgb(78, 74, 62); margin: 3px 8px; }"
    "QMenu::right-arrow { width: 8px; height: 8px; }");

QMenu *newMenu(QWidget *owner, const char *name, const QString &title) {
  auto *menu = new QMenu(title, owner);
  menu->setObjectName(QString::fromLatin1(name));
  menu->setStyleSheet(kMenuStyle);
  return menu;
}

} // namespace

QString chartCaption(int index) {
  if (index < 1 || index > static_cast<int>(kCharts.size()))
    return {};
  return QString::fromUtf8(kCharts[static_cast<std::size_t>(index - 1)]);
}

QString menuCaption(const QString &text) {
  return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

muen::muen(QMListBox &m_list, CatalogueState &state, MenuHost host, QWidget *parent)
    : QWidget(parent), m_list_(m_list), state_(state), host_(std::move(host)) {
  setObjectName(QStringLiteral("muen"));
  setWindowTitle(QStringLiteral("系统菜单"));
}

muen::~muen() = default;

QAction *muen::item(QMenu *menu, const char *name, const QString &caption, void (muen::*handler)()) {
  QAction *action = menu->addAction(caption);
  action->setObjectName(QString::fromLatin1(name));
  connect(action, &QAction::triggered, this, handler);
  reportPicks(action);
  return action;
}

void muen::reportPicks(QAction *action) {
  connect(action, &QAction::triggered, this, &muen::ItemPicked);
}

QMenu *muen::m_tp() {
  if (!m_tp_) {
    m_tp_ = newMenu(this, "m_tp", QStringLiteral("托盘菜单"));
    item(m_tp_, "m_qq", QStringLiteral("兴趣QQ群"), &muen::m_qq_Click);
    item(m_tp_, "m_openweb", QStringLiteral("打开网站"), &muen::m_openweb_Click);
    item(m_tp_, "m_openbbs", QStringLiteral("进入论坛"), &muen::m_openbbs_Click);
    item(m_tp_, "m_about", QStringLiteral("关于我们"), &muen::m_about_Click);
    item(m_tp_, "m_back", QStringLiteral("返回界面"), &muen::m_back_Click);
    m_tp_->addSeparator()->setObjectName(QStringLiteral("xx"));
    item(m_tp_, "m_exit", QStringLiteral("退出系统"), &muen::m_exit_Click);
  }
  return m_tp_;
}

QMenu *muen::muen_list() {
  if (!muen_list_)
    buildListMenu();
  return muen_list_;
}

void muen::buildListMenu() {
  muen_list_ = newMenu(this, "muen_list", QStringLiteral("列表菜单"));
  const ArtistMenuData &data = artists_ ? *artists_ : builtInArtistMenuData();
  for (const ArtistTree &tree : kArtistTrees) {
    const QString groupCaption = QString::fromUtf8(tree.group);
    QMenu *group = newMenu(muen_list_, tree.menuName, groupCaption);
    muen_list_->addMenu(group);
    const ArtistGroup *artists = data.group(groupCaption);
    if (!artists)
      continue;
    int letterIndex = 0;
    for (const ArtistLetter &letter : artists->letters) {
      QMenu *letterMenu = new QMenu(letter.letter + QString::fromUtf8(tree.letterSuffix), group);
      letterMenu->setObjectName(QString::fromLatin1(tree.letterArray));
      letterMenu->setStyleSheet(kMenuStyle);
      letterMenu->setProperty("index", ++letterIndex);
      group->addMenu(letterMenu);
      int artistIndex = 0;
      for (const QString &name : letter.names) {
        QAction *action = letterMenu->addAction(menuCaption(name));
        action->setObjectName(QString::fromLatin1(tree.artistPrefix) + letter.letter);
        action->setProperty("index", ++artistIndex);
        action->setData(name); // the caption as the catalogue must receive it
        connect(action, &QAction::triggered, this, [this, name] { artist_Click(name); });
        reportPicks(action);
      }
    }
  }
  QMenu *charts = newMenu(muen_list_, "MM3", QStringLiteral("热门分类"));
  muen_list_->addMenu(charts);
  for (int i = 1; i <= static_cast<int>(kCharts.size()); ++i) {
    QAction *action = charts->addAction(chartCaption(i));
    action->setObjectName(QStringLiteral("rmfn"));
    action->setProperty("index", i);
    connect(action, &QAction::triggered, this, [this, i] { rmfn_Click(i); });
    reportPicks(action);
  }
}

QMenu *muen::my_favorites() {
  if (!my_favorites_) {
    my_favorites_ = newMenu(this, "my_favorites", QStringLiteral("我的收藏"));
    item(my_favorites_, "add_mymusiclist", QStringLiteral("收藏歌曲"), &muen::add_mymusiclist_Click);
    item(my_favorites_, "del_mymusiclists", QStringLiteral("删除歌曲"), &muen::del_mymusiclists_Click);
  }
  return my_favorites_;
}

QMenu *muen::my_favorite() {
  if (!my_favorite_) {
    my_favorite_ = newMenu(this, "my_favorite", QStringLiteral("已收藏"));
    item(my_favorite_, "del_mymusiclist", QStringLiteral("删除歌曲"), &muen::del_mymusiclist_Click);
  }
  return my_favorite_;
}

void muen::popUp(QMenu *menu, const QPoint &at) {
  if (menu)
    menu->popup(at);
}

void muen::artist_Click(const QString &caption) {
  state_.music_name = caption;
  LoadList(QStringLiteral("SO"), m_list_, state_);
}

void muen::rmfn_Click(int index) {
  state_.music_name = QString::number(index);
  LoadList(QStringLiteral("SOM"), m_list_, state_);
}

void muen::favouritesCommand(const QString &command) {
  state_.fav_index = static_cast<qint16>(m_list_.ListIndex());
  FavouritesCommand(command, m_list_, state_, parentWidget());
}

void muen::add_mymusiclist_Click() {
  favouritesCommand(QStringLiteral("ADD"));
}

void muen::del_mymusiclists_Click() {
  favouritesCommand(QStringLiteral("DEL"));
}

void muen::del_mymusiclist_Click() {
  favouritesCommand(QStringLiteral("DELL"));
}

void muen::open(const QUrl &url) {
  if (host_.openUrl)
    host_.openUrl(url);
  else
    QDesktopServices::openUrl(url);
}

void muen::m_qq_Click() {
  open(QUrl(siteAddress(QStringLiteral("/qq/"))));
}

void muen::m_openweb_Click() {
  open(QUrl(siteAddress(QStringLiteral("/"))));
}

void muen::m_openbbs_Click() {
  open(QUrl(forumAddress()));
}

void muen::m_about_Click() {
  open(QUrl(siteAddress(QStringLiteral("/aboutus/"))));
}

void muen::m_back_Click() {
  if (host_.restoreFromTray)
    host_.restoreFromTray();
}

void muen::m_exit_Click() {
  if (host_.exitProgram)
    host_.exitProgram();
}

} // namespace lumiqo
