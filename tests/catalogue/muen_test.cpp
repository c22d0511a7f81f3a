#include "base/app_folder.h"
#include "base/gbk.h"
#include "catalogue/artist_menu_data.h"
#include "catalogue/hex_codec.h"
#include "catalogue/load_list.h"
#include "catalogue/muen.h"
#include "controls/qmlistbox.h"
#include "support/http_server.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>

namespace lumiqo {
namespace {

QList<QMenu *> submenus(QMenu *menu) {
  QList<QMenu *> out;
  for (QAction *a : menu->actions())
    if (a->menu())
      out << a->menu();
  return out;
}

QStringList captions(QMenu *menu) {
  QStringList out;
  for (QAction *a : menu->actions())
    out << (a->isSeparator() ? QStringLiteral("-") : a->text());
  return out;
}

TEST(ArtistMenuData, ParsesGroupsLettersAndNamesInOrderAndSkipsBadLines) {
  const ArtistMenuData data = parseArtistMenuData(QStringLiteral("# comment\n"
                                                                 "男\tB\t乙\n"
                                                                 "男\tA\t甲\r\n"
                                                                 "\n"
                                                                 "男\tB\t丙\n"
                                                                 "女\tA\tA&B\n"
                                                                 "只有两段\tA\n"
                                                                 "男\t\t空字母\n"));
  ASSERT_EQ(data.groups.size(), 2u);
  const ArtistGroup *men = data.group(QStringLiteral("男"));
  ASSERT_NE(men, nullptr);
  ASSERT_EQ(men->letters.size(), 2u);
  EXPECT_EQ(men->letters[0].letter, "B");
  EXPECT_EQ(men->letters[0].names, QStringList({"乙", "丙"}));
  EXPECT_EQ(men->letters[1].names, QStringList({"甲"}));
  EXPECT_EQ(men->count(), 3);
  EXPECT_EQ(data.group(QStringLiteral("女"))->letters[0].names, QStringList({"A&B"}));
  EXPECT_EQ(data.group(QStringLiteral("组合")), nullptr);
}

class Menus : public ::testing::Test {
protected:
  void SetUp() override {
    server_.server().Get(
        R"(/soft/mlist(\d)\.txt)", [this](const httplib::Request &req, httplib::Response &res) {
          record(req.target);
          res.set_content(toGbk(QStringLiteral("榜,歌手,c\r\n")).toStdString(), "text/plain");
        });
    server_.server().Get("/soft/mlist_so.asp", [this](const httplib::Request &req, httplib::Response &res) {
      record(req.target);
      res.set_content(toGbk(QStringLiteral("歌,人,s\r\n")).toStdString(), "text/plain");
    });
    server_.start();
    qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(server_.authority()));
    qputenv("LUMIQO_SITE_HOST", "site.example:81");
    qputenv("LUMIQO_FORUM_HOST", "forum.example");
    ASSERT_TRUE(folder_.isValid());
    QDir(folder_.path()).mkpath(QStringLiteral("inc"));
    setAppFolderForTesting(folder_.path());
  }
  void TearDown() override {
    for (const char *v : {"LUMIQO_CATALOGUE_HOST", "LUMIQO_SITE_HOST", "LUMIQO_FORUM_HOST"})
      qunsetenv(v);
    setAppFolderForTesting(QString());
  }
  void record(const std::string &target) {
    std::lock_guard lock(mutex_);
    requests_.push_back(target);
  }
  std::vector<std::string> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  MenuHost host() {
    MenuHost h;
    h.restoreFromTray = [this] { ++restored_; };
    h.exitProgram = [this] { ++exited_; };
    h.openUrl = [this](const QUrl &url) { opened_ << url.toString(); };
    return h;
  }

  test::HttpServer server_;
  QTemporaryDir folder_;
  QMListBox list_;
  CatalogueState state_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  int restored_ = 0;
  int exited_ = 0;
  QStringList opened_;
};

TEST_F(Menus, ListMenuHoldsTheThreeArtistTreesAndTheCharts) {
  muen menus(list_, state_, host());
  QMenu *list = menus.muen_list();
  EXPECT_EQ(list->title(), "列表菜单");
  EXPECT_EQ(captions(list), QStringList({"华人男歌手", "华人女歌手", "华人组合", "热门分类"}));
  const QList<QMenu *> groups = submenus(list);
  ASSERT_EQ(groups.size(), 4);

  struct Expected {
    const char *name;
    int letters;
    int artists;
    const char *firstLetter;
    const char *artistArray;
  };
  const Expected expected[] = {{"MM1", 22, 91, "A字母歌手", "hrngs_A"},
                               {"MM2", 21, 158, "A字母女歌手", "hrnzm_A"},
                               {"MM4", 21, 113, "A字母歌手", "hrzhzm_A"}};
  const QString letters = QStringLiteral("ABCDFGHJKLMNOPQRSTWXYZ");
  for (int g = 0; g < 3; ++g) {
    SCOPED_TRACE(expected[g].name);
    EXPECT_EQ(groups[g]->objectName(), expected[g].name);
    const QList<QMenu *> letterMenus = submenus(groups[g]);
    ASSERT_EQ(letterMenus.size(), expected[g].letters);
    EXPECT_EQ(letterMenus[0]->title(), expected[g].firstLetter);
    EXPECT_EQ(letterMenus[0]->actions().first()->objectName(), expected[g].artistArray);
    int artists = 0;
    QString seen;
    for (QMenu *letter : letterMenus) {
      seen += letter->title().left(1);
      for (QAction *a : letter->actions()) {
        ++artists;
        // The caption shown is exactly the search term the item sends.
        EXPECT_EQ(a->text(), menuCaption(a->data().toString()));
      }
    }
    EXPECT_EQ(artists, expected[g].artists);
    if (g == 0)
      EXPECT_EQ(seen, letters);
    else
      EXPECT_EQ(seen, QString(letters).remove(QLatin1Char('O')));
  }
  EXPECT_EQ(captions(groups[3]), QStringList({"歌曲排行", "新歌推荐", "经典老歌", "疯狂DJ", "一人一首成名曲",
                                              "电影金曲", "电视金曲", "情歌对唱"}));
  EXPECT_EQ(menuCaption(QStringLiteral("A&B")), "A&&B");
}

TEST_F(Menus, ChartItemRequestsItsChartAndTheFirstResolverPage) {
  muen menus(list_, state_, host());
  state_.page_name = QStringLiteral("02.asp");
  QMenu *charts = submenus(menus.muen_list())[3];
  charts->actions()[3]->trigger(); // 疯狂DJ
  ASSERT_EQ(requests().size(), 1u);
  EXPECT_EQ(requests()[0], "/soft/mlist4.txt");
  EXPECT_EQ(state_.music_name, "4");
  EXPECT_EQ(state_.page_name, "01.asp");
  EXPECT_EQ(list_.ListCount(), 1);
}

TEST_F(Menus, ArtistItemSendsItsCaptionHexEncodedAsGbk) {
  muen menus(list_, state_, host());
  QAction *first = submenus(submenus(menus.muen_list())[1])[0]->actions()[0];
  const QString name = first->data().toString();
  first->trigger();
  ASSERT_EQ(requests().size(), 1u);
  EXPECT_EQ(QString::fromStdString(requests()[0]), "/soft/mlist_so.asp?gs=" + HexEncodeTerm(name));
  EXPECT_EQ(state_.music_name, name);
  EXPECT_EQ(state_.page_name, "02.asp");
}

TEST_F(Menus, TrayMenuItemsOpenTheMakersPagesRestoreAndExit) {
  muen menus(list_, state_, host());
  QMenu *tray = menus.m_tp();
  EXPECT_EQ(captions(tray),
            QStringList({"兴趣QQ群", "打开网站", "进入论坛", "关于我们", "返回界面", "-", "退出系统"}));
  for (int i : {0, 1, 2, 3})
    tray->actions()[i]->trigger();
  EXPECT_EQ(opened_, QStringList({"http://site.example:81/qq/", "http://site.example:81/",
                                  "http://forum.example/bbs/", "http://site.example:81/aboutus/"}));
  tray->actions()[4]->trigger();
  EXPECT_EQ(restored_, 1);
  EXPECT_EQ(exited_, 0);
  tray->actions()[6]->trigger();
  EXPECT_EQ(exited_, 1);
}

TEST_F(Menus, FavouritesMenusActOnTheSelectedRow) {
  muen menus(list_, state_, host());
  EXPECT_EQ(captions(menus.my_favorites()), QStringList({"收藏歌曲", "删除歌曲"}));
  EXPECT_EQ(captions(menus.my_favorite()), QStringList({"删除歌曲"}));
  list_.AddItem("一", QStringLiteral("甲"), "l1");
  list_.AddItem("二", QStringLiteral("乙"), "l2");
  const QString file = FavouritesFilePath();
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(toGbk(QStringLiteral("旧,人,l0\r\n")));
  f.close();

  // "DEL" from "我的收藏" removes the row from the play list only.
  list_.setListIndex(0);
  menus.my_favorites()->actions()[1]->trigger();
  EXPECT_EQ(list_.ListCount(), 1);
  EXPECT_EQ(state_.fav_index, 0);
  EXPECT_EQ(ReadFavouritesText(), QStringLiteral("旧,人,l0\r\n"));
}

} // namespace
} // namespace lumiqo
