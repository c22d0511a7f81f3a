// The stream pin and the server-side codecs against the player's.

#include "catalogue/hex_codec.h"
#include "lrc_text.h"
#include "stream_token.h"

#include <gtest/gtest.h>

using namespace lumiqo;
using namespace lumiqo::server;

namespace {

TEST(StreamToken, PinsDependOnSecretAndTflagAndExpire) {
  const StreamToken token("secret", 100);
  const std::string tflag = StreamToken::tflagFor(1'700'000'000);
  EXPECT_EQ(tflag, "1700000000");
  EXPECT_EQ(StreamToken::tflagFor(42), "0000000042");
  const std::string pin = token.pinFor(tflag);
  EXPECT_EQ(pin.size(), 32u);
  EXPECT_EQ(pin.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_EQ(pin, StreamToken("secret", 5).pinFor(tflag));
  EXPECT_NE(pin, StreamToken("Secret", 100).pinFor(tflag));

  EXPECT_TRUE(token.valid(tflag, pin, 1'700'000'000));
  EXPECT_TRUE(token.valid(tflag, pin, 1'700'000'100));
  EXPECT_FALSE(token.valid(tflag, pin, 1'700'000'101)); // expired
  EXPECT_FALSE(token.valid(tflag, pin, 1'699'999'900)); // issued in the future
  std::string upper = pin;
  upper[0] = upper[0] == 'a' ? 'b' : 'a';
  EXPECT_FALSE(token.valid(tflag, upper, 1'700'000'000));
  EXPECT_FALSE(token.valid(tflag + "0", pin, 1'700'000'000));
  EXPECT_FALSE(token.valid("17000000x0", pin, 1'700'000'000));
  EXPECT_FALSE(token.valid(tflag, pin.substr(1), 1'700'000'000));
  // Two servers without a given secret draw different ones.
  EXPECT_NE(StreamToken("", 100).pinFor(tflag), StreamToken("", 100).pinFor(tflag));
}

TEST(ServerCodecs, InvertThePlayersCodecs) {
  for (const QString &text :
       {QStringLiteral("ab"), QStringLiteral("歌名 Song~1|x"), QStringLiteral("a,b;c 张")}) {
    QString term;
    ASSERT_TRUE(HexDecodeTerm(HexEncodeTerm(text), term));
    EXPECT_EQ(term, text);
  }
  EXPECT_EQ(HexDecodeText(HexEncodeText(u"歌名 Song~1\r\n第二行|x")),
            QStringLiteral("歌名 Song～1\r\n第二行|x"));
  EXPECT_EQ(HexEncodeText(u"ab"), QStringLiteral("6162"));
  // A single-byte pair of 0x7e or more would start a double-byte code on the player's side.
  const QString hex = HexEncodeText(u"~\x7f!");
  for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
    const int v = hex.mid(i, 2).toInt(nullptr, 16);
    if (v >= 0x7e)
      i += 2; // a lead byte and its trail
    else
      EXPECT_LT(v, 0x7e);
  }
  EXPECT_EQ(HexDecodeText(hex), QStringLiteral("～?!"));
  QString out;
  EXPECT_FALSE(HexDecodeTerm(u"6g", out));
  EXPECT_FALSE(HexDecodeTerm(u"d6d", out));
}

TEST(LrcText, EncodingsHeadersAndPlainText) {
  EXPECT_EQ(decodeLrc("\xC4\xE3\xBA\xC3\n"), QStringLiteral("你好\r\n"));         // GBK
  EXPECT_EQ(decodeLrc("\xE4\xBD\xA0\xE5\xA5\xBD\r"), QStringLiteral("你好\r\n")); // UTF-8, lone CR
  EXPECT_EQ(decodeLrc("\xFF\xFE`O}Y"), QStringLiteral("你好"));                   // UTF-16 LE
  // GBK whose last character looks like the start of a UTF-8 one is not cut short.
  EXPECT_EQ(decodeLrc("[00:01.00]\xE9\xA3"), QStringLiteral("[00:01.00]椋"));
  EXPECT_TRUE(lrcIsTimed(QStringLiteral("words\r\n[01:02.03]line")));
  EXPECT_TRUE(lrcIsTimed(QStringLiteral("[1：02]line")));
  EXPECT_FALSE(lrcIsTimed(QStringLiteral("[ti:title]\r\nwords only [chorus]")));
  const QString lrc =
      QStringLiteral("[ti: 标题 ]\r\n[AR:歌手]\r\n[00:01.00][00:05.00]第一句\r\n[00:02.00]\r\n");
  EXPECT_EQ(lrcHeader(lrc, QLatin1String("ti")), QStringLiteral("标题"));
  EXPECT_EQ(lrcHeader(lrc, QLatin1String("ar")), QStringLiteral("歌手"));
  EXPECT_EQ(lrcHeader(lrc, QLatin1String("al")), QString());
  EXPECT_EQ(lrcPlainText(lrc), QStringLiteral("第一句"));
  const QString download = lrcForDownload(lrc, QStringLiteral("T"), QStringLiteral("A"), QString());
  EXPECT_TRUE(download.startsWith(QLatin1String("\r\n[ti:T]\r\n[ar:A]\r\n[al:]\r\n[by:Lumiqo]\r\n")));
  EXPECT_TRUE(download.endsWith(QStringLiteral("[00:01.00][00:05.00]第一句\r\n[00:02.00]\r\n")));
  EXPECT_EQ(download.count(QLatin1String("[ti:"), Qt::CaseInsensitive), 1);
}

} // namespace
