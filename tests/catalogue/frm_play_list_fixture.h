#pragma once
// The playlist window as the main window sets it up, with a loopback catalogue server, a
// program folder of its own (favourites file, close box strip), the menus and a host that
// records what the window asks of the main window.

#include "base/app_folder.h"
#include "base/gbk.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/load_list.h"
#include "catalogue/muen.h"
#include "controls/play_list_view.h"
#include "controls/vondan.h"
#include "support/http_server.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

namespace lumiqo::test {

class PlayListWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    server_.server().Get("/soft/mlist0.asp", [this](const httplib::Request &req, httplib::Response &res) {
      record(req.target);
      res.set_content(
          toGbk(QStringLiteral("晴天,周杰伦,c1\r\n七里香,周杰伦,c2\r\n后来,刘若英,c3\r\n")).toStdString(),
          "text/plain");
    });
    server_.server().Get("/soft/mlist_soso.asp", [this](const httplib::Request &req, httplib::Response &res) {
      record(req.target);
      res.set_content(toGbk(QStringLiteral("搜到,某人,s1\r\n")).toStdString(), "text/plain");
    });
    server_.start();
    qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(server_.authority()));
    ASSERT_TRUE(folder_.isValid());
    QDir(folder_.path()).mkpath(QStringLiteral("inc"));
    QDir(folder_.path()).mkpath(QStringLiteral("skin"));
    setAppFolderForTesting(folder_.path());
    writeFavourites(QStringLiteral("收藏一,甲,f1\r\n收藏二,乙,f2\r\n"));
    QImage strip(52, 13, QImage::Format_RGB32);
    strip.fill(qRgb(90, 90, 90));
    ASSERT_TRUE(strip.save(folder_.filePath(QStringLiteral("skin/close2.bmp"))));

    window_ = std::make_unique<frmPlayList>(
        state_, [this]() -> muen & { return menus(); }, host(), nullptr, background());
    layOut(*window_);
    window_->move(200, 150);
    window_->show();
    QApplication::processEvents();
  }

  void TearDown() override {
    window_.reset();
    menus_.reset();
    qunsetenv("LUMIQO_CATALOGUE_HOST");
    setAppFolderForTesting(QString());
  }

  // The picture the window is painted from; the program's own unless a test says otherwise.
  virtual QImage background() const { return QImage(); }

  // What the main window's start-up does to the playlist window: the list and its frame, the
  // search panel centred in the frame, the options and the text box, the frame's colour, the
  // close box.
  static void layOut(frmPlayList &w) {
    w.m_listView->setGeometry(0, 0, 286, 271);
    w.f_list2->setGeometry(10, 72, 286, 271);
    const QSize panel = w.pic_serach_bg->size();
    w.f_serach_music->hide();
    w.f_serach_music->setGeometry(10 + (286 - panel.width()) / 2, 72 + (271 - panel.height()) / 2,
                                  panel.width(), panel.height());
    const int lefts[3] = {5, 48, 90};
    for (int i = 0; i < 3; ++i)
      w.music_type[static_cast<std::size_t>(i)]->move(lefts[i], 11);
    w.music_type[0]->setChecked(true);
    w.s_music_name->setGeometry(145, 10, 105, 17);
    w.f_list2->setAutoFillBackground(true);
    QPalette dark = w.f_list2->palette();
    dark.setColor(QPalette::Window, QColor(41, 40, 41));
    w.f_list2->setPalette(dark);
    w.an_close_list->setUPicPath(AppFolder() + QStringLiteral("skin/close2.bmp"));
    w.an_close_list->setGeometry(282, 7, 13, 13);
  }

  // Fills the list with `rows` rows and lets the view lay itself out.
  void fill(int rows) {
    for (int i = 0; i < rows; ++i)
      window_->m_list->AddItem(QStringLiteral("歌%1").arg(i), QStringLiteral("人"),
                               QStringLiteral("l%1").arg(i), QStringLiteral("03:00"));
    QApplication::processEvents();
  }

  // Where the painted column headings are divided (a dark line with a light one right of it)
  // must be where the list's columns meet: number | title, title | artist, artist | time.
  void expectHeadingsOverTheColumns() const {
    PlayListView &v = *window_->m_listView;
    ASSERT_FALSE(v.ucBar().isHidden());
    const int left = window_->f_list2->x() + v.x();
    const int W = v.rowsArea().width();
    const QImage &picture = window_->s_list1();
    const int ratio = qRound(picture.devicePixelRatio());
    const auto grey = [&](int x) { return qGray(picture.pixel(x * ratio, 61 * ratio)); };
    for (const int x :
         {left + v.inset() + v.numberColumnWidth(), left + W - v.timeColumnWidth() - v.artistColumnWidth(),
          left + W - v.timeColumnWidth()}) {
      EXPECT_LT(grey(x) + 10, grey(x - 2)) << x;
      EXPECT_LT(grey(x) + 10, grey(x + 1)) << x;
      EXPECT_LT(grey(x) + 10, grey(x + 3)) << x;
    }
  }

  muen &menus() {
    if (!menus_)
      menus_ = std::make_unique<muen>(*window_->m_list, state_, MenuHost{});
    return *menus_;
  }

  PlayListHost host() {
    PlayListHost h;
    h.cur_song = [this] { return cur_song_; };
    h.set_cur_song = [this](const QString &s) { cur_song_ = s; };
    h.setCaption = [this](const QString &text) { captions_ << text; };
    h.enableStatusTimer = [this] { calls_ << QStringLiteral("times_zt"); };
    h.startLinkResolution = [this] { calls_ << QStringLiteral("Timer1"); };
    h.enableLyricsClock = [this] { calls_ << QStringLiteral("Timer2"); };
    h.fadeOut = [this] { calls_ << QStringLiteral("fadeOut"); };
    h.clearListShown = [this] { calls_ << QStringLiteral("list_shown=0"); };
    return h;
  }

  void writeFavourites(const QString &text) {
    QFile f(FavouritesFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(toGbk(text));
  }

  void record(const std::string &target) {
    std::lock_guard lock(mutex_);
    requests_.push_back(target);
  }
  std::vector<std::string> requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

  HttpServer server_;
  QTemporaryDir folder_;
  CatalogueState state_;
  std::unique_ptr<muen> menus_;
  std::unique_ptr<frmPlayList> window_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  QString cur_song_;
  QStringList captions_;
  QStringList calls_;
};

} // namespace lumiqo::test
