// The server read by the player's own code: catalogue lists through LoadList, and the
// authorisation reply through TextBetween, exactly as the link resolution reads it.

#include "server_fixture.h"

#include "catalogue/load_list.h"
#include "catalogue/text_between.h"
#include "controls/qmlistbox.h"
#include "importer.h"

#include <gtest/gtest.h>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace lumiqo::server::test;

namespace {

class PlayerSide : public ::testing::Test {
protected:
  void SetUp() override {
    const QString root = dir_.path() + QStringLiteral("/music");
    ASSERT_TRUE(
        makeAudio(root + QStringLiteral("/a.mp3"), QStringLiteral("月光 Walk"), QStringLiteral("周杰伦")));
    ASSERT_TRUE(makeAudio(root + QStringLiteral("/b.wma"), QStringLiteral("星光"), QStringLiteral("王菲")));
    writeFile(root + QStringLiteral("/catalogue.ini"),
              QByteArray("[start]\na.mp3\nb.wma\n[chart4]\nb.wma\n"));
    db_ = (dir_.path() + QStringLiteral("/c.db")).toStdString();
    importFolder(root.toStdString(), db_);
    server_ = std::make_unique<RunningServer>(db_);
    qputenv("LUMIQO_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(server_->port()));
  }
  void TearDown() override { qunsetenv("LUMIQO_SERVER"); }

  QStringList titles() const {
    QStringList out;
    for (int i = 0; i < list_.ListCount(); ++i)
      out << list_.Title(i) + QLatin1Char('/') + list_.Author(i);
    return out;
  }

  QTemporaryDir dir_;
  std::string db_;
  std::unique_ptr<RunningServer> server_;
  QMListBox list_;
  CatalogueState state_;
};

TEST_F(PlayerSide, LoadListReadsEveryKindOfList) {
  LoadList(QStringLiteral("M0"), list_, state_);
  EXPECT_EQ(titles(), (QStringList{QStringLiteral("月光 Walk/周杰伦"), QStringLiteral("星光/王菲")}));
  EXPECT_FALSE(list_.URL(0).isEmpty());
  EXPECT_EQ(state_.page_name, QStringLiteral("01.asp"));

  state_.music_name = QStringLiteral("4");
  LoadList(QStringLiteral("SOM"), list_, state_);
  EXPECT_EQ(titles(), QStringList{QStringLiteral("星光/王菲")});

  state_.music_name = QStringLiteral("周杰伦");
  LoadList(QStringLiteral("SO"), list_, state_);
  EXPECT_EQ(titles(), QStringList{QStringLiteral("月光 Walk/周杰伦")});
  EXPECT_EQ(state_.page_name, QStringLiteral("02.asp"));

  for (const auto &[text, type] :
       {std::pair{QStringLiteral("光"), 0}, std::pair{QStringLiteral("WALK"), 0},
        std::pair{QStringLiteral("王菲"), 1}, std::pair{QStringLiteral("星光"), 2}}) {
    state_.s_music_name = text;
    state_.search_type = static_cast<qint16>(type);
    LoadList(QStringLiteral("SOSO"), list_, state_);
    EXPECT_EQ(list_.ListCount(), text == QStringLiteral("光") ? 2 : 1) << text.toStdString();
  }
}

TEST_F(PlayerSide, TextBetweenFindsBothCookies) {
  const std::string reply = rawExchange(server_->port(), "GET /getuuauthcode/ HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                                         "Cookie: uuauth=qv;\r\nConnection: close\r\n\r\n");
  const QString text = QString::fromLatin1(reply);
  const QString pin = TextBetween(text, u"Set-Cookie: pin=", u"; domain=");
  const QString tflag = TextBetween(text, u"Set-Cookie: tflag=", u"; domain=");
  EXPECT_EQ(pin.size(), 32);
  EXPECT_EQ(tflag.size(), 10);
  EXPECT_EQ(pin.toStdString(), server_->service().token().pinFor(tflag.toStdString()));
}

} // namespace
