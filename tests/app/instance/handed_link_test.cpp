#include "app/instance/handed_link.h"

#include "catalogue/hex_codec.h"

#include <gtest/gtest.h>

using namespace lumiqo;

namespace {
QString linkOf(const QString &title, const QString &artist, const QString &link) {
  return QStringLiteral("qorvex://zembrol=") + HexEncodeText(title) + QLatin1Char('_') +
         HexEncodeText(artist) + QLatin1Char('_') + link;
}
} // namespace

TEST(HandedLink, DecodesTitleAndArtistAndKeepsTheLink) {
  const auto parsed = parseHandedLink(
      linkOf(QStringLiteral("月亮代表我的心"), QStringLiteral("邓丽君"), QStringLiteral("21z.mp3?id=7")));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->title, QStringLiteral("月亮代表我的心"));
  EXPECT_EQ(parsed->artist, QStringLiteral("邓丽君"));
  EXPECT_EQ(parsed->link, QStringLiteral("21z.mp3?id=7"));
}

TEST(HandedLink, EverySlashIsDropped) {
  const auto plain = parseHandedLink(QStringLiteral("qorvex://zembrol=6162_6364_song.wma"));
  const auto trailing = parseHandedLink(QStringLiteral("qorvex://zembrol=6162_6364_song.wma/"));
  ASSERT_TRUE(plain && trailing);
  EXPECT_EQ(trailing->link, plain->link);
  EXPECT_EQ(trailing->title, plain->title);

  const auto inside = parseHandedLink(QStringLiteral("qorvex://zembrol=61/62_63/64_a/b/c.mp3/"));
  ASSERT_TRUE(inside);
  EXPECT_EQ(inside->title, QStringLiteral("ab"));
  EXPECT_EQ(inside->artist, QStringLiteral("cd"));
  EXPECT_EQ(inside->link, QStringLiteral("abc.mp3"));
}

TEST(HandedLink, EveryPrefixIsRemovedAndABareTextWorksToo) {
  const auto doubled = parseHandedLink(QStringLiteral("qorvex://zembrol=qorvex://zembrol=6162_6364_x"));
  ASSERT_TRUE(doubled);
  EXPECT_EQ(doubled->title, QStringLiteral("ab"));
  const auto bare = parseHandedLink(QStringLiteral("6162_6364_x"));
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->link, QStringLiteral("x"));
}

TEST(HandedLink, WrongNumberOfFieldsIsIgnored) {
  for (const char *text : {"", "qorvex://zembrol=", "qorvex://zembrol=6162_6364",
                           "qorvex://zembrol=6162_6364_x_y", "qorvex://zembrol=6162", "a_b_c_d_e"})
    EXPECT_FALSE(parseHandedLink(QString::fromLatin1(text))) << text;
}

TEST(HandedLink, BadHexIsIgnored) {
  for (const char *text : {
           "qorvex://zembrol=616_6364_x",   // odd number of digits
           "qorvex://zembrol=6g62_6364_x",  // not a digit
           "qorvex://zembrol=6162_81_x",    // a lead byte without its trail byte
           "qorvex://zembrol=6162_80ff_x",  // not a GBK character
           "QORVEX://zembrol=6162_6364_x",  // the prefix is matched exactly, so it stays
           "qorvex://zembrol=6162_63 64_x", // a blank
       })
    EXPECT_FALSE(parseHandedLink(QString::fromLatin1(text))) << text;
}

TEST(HandedLink, AMegabyteOfTextIsIgnored) {
  QString huge = QStringLiteral("qorvex://zembrol=6162_6364_");
  huge += QString(1024 * 1024, QLatin1Char('a'));
  EXPECT_FALSE(parseHandedLink(huge));

  QString longest = QStringLiteral("6162_6364_");
  longest += QString(kMaxLinkTextLength - longest.size(), QLatin1Char('a'));
  EXPECT_TRUE(parseHandedLink(longest));
}
