#include "base/gbk.h"
#include "catalogue/hex_codec.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <iconv.h>
#include <optional>
#include <thread>

namespace lumiqo {
namespace {

// A GBK pair decoded by iconv directly: the character, or nothing when the pair is not one
// GBK character.
std::optional<char16_t> iconvPair(unsigned lead, unsigned trail) {
  iconv_t cd = iconv_open("UTF-16LE", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::nullopt;
  char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char out[8];
  char *inPtr = in, *outPtr = out;
  size_t inLeft = 2, outLeft = sizeof out;
  const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || inLeft != 0 || sizeof out - outLeft != 2)
    return std::nullopt;
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) | static_cast<unsigned char>(out[1]) << 8);
}

QString hex4(unsigned code) {
  return QStringLiteral("%1").arg(code, 4, 16, QLatin1Char('0'));
}

TEST(HexCodec, EveryGbkDoubleByteCodeRoundTrips) {
  int characters = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      const unsigned code = lead << 8 | trail;
      const std::optional<char16_t> c = iconvPair(lead, trail);
      const QString decoded = HexDecodeText(hex4(code));
      if (!c) {
        ASSERT_EQ(decoded, QString(QChar(0xFFFD))) << hex4(code).toStdString();
        continue;
      }
      ++characters;
      ASSERT_EQ(decoded, QString(QChar(*c))) << hex4(code).toStdString();
      // Encoding gives the pair back wherever GBK maps the character to this pair.
      if (toGbk(QString(QChar(*c))) == QByteArray({static_cast<char>(lead), static_cast<char>(trail)})) {
        ASSERT_EQ(HexEncodeTerm(QString(QChar(*c))), hex4(code)) << hex4(code).toStdString();
      }
    }
  }
  EXPECT_GT(characters, 21000); // GBK has 21886 double-byte characters
}

// Pairs are decoded when first met and kept: a text met again, or by several threads at
// once, decodes the same every time.
TEST(HexCodec, PairsMetAgainOrAtOnceDecodeAlike) {
  QString text;
  QString expected;
  for (unsigned lead = 0x81; lead <= 0xFE; lead += 3) {
    for (unsigned trail = 0x40; trail <= 0xFE; trail += 5) {
      text += hex4(lead << 8 | trail);
      const std::optional<char16_t> c = iconvPair(lead, trail);
      expected += QChar(c ? *c : char16_t(0xFFFD));
    }
  }
  QString first, second;
  std::thread a([&] { first = HexDecodeText(text); });
  std::thread b([&] { second = HexDecodeText(text); });
  a.join();
  b.join();
  EXPECT_EQ(first, expected);
  EXPECT_EQ(second, expected);
  EXPECT_EQ(HexDecodeText(text), expected);
}

TEST(HexCodec, EncodeTerm) {
  EXPECT_EQ(HexEncodeTerm(u"ab"), QStringLiteral("6162"));
  EXPECT_EQ(HexEncodeTerm(u"\t"), QStringLiteral("9"));
  EXPECT_EQ(HexEncodeTerm(u"\x01~\x7f"), QStringLiteral("17e7f"));
  EXPECT_EQ(HexEncodeTerm(u"周杰伦 a"), QStringLiteral("d6dcbddcc2d72061"));
  EXPECT_EQ(HexEncodeTerm(u""), QString());
  // Single bytes outside 1 .. 127 are four-digit codes of their own: the euro sign is 0x80
  // in GBK and must not swallow the next character.
  EXPECT_EQ(HexEncodeTerm(u"€a"), QStringLiteral("008061"));
  EXPECT_EQ(HexEncodeTerm(QString(QChar(0))), QStringLiteral("0000"));
  // A character GBK cannot carry goes as '?'.
  EXPECT_EQ(HexEncodeTerm(u"\U0001F600"), QStringLiteral("3f"));
}

TEST(HexCodec, DecodeText) {
  EXPECT_EQ(HexDecodeText(u"6162"), QStringLiteral("ab"));
  EXPECT_EQ(HexDecodeText(u"4a4B6c6D"), QStringLiteral("JKlm")); // hex letters in either case
  EXPECT_EQ(HexDecodeText(u"617c237c62"), QStringLiteral("a\r\nb"));
  EXPECT_EQ(HexDecodeText(u"D6DCBDDCC2D7"), QStringLiteral("周杰伦")); // upper case too
  // 0x7E and 0x7F start a double-byte code, so "~" cannot arrive alone.
  EXPECT_EQ(HexDecodeText(u"7e41"), QString(QChar(0xFFFD)));
  EXPECT_EQ(HexDecodeText(u"7d"), QStringLiteral("}"));
  // "|#|" split by a double-byte character is no line break.
  EXPECT_EQ(HexDecodeText(u"7c23d6dc7c"), QStringLiteral("|#周|"));
}

TEST(HexCodec, DecodeBadInputSafely) {
  const QString bad(QChar(0xFFFD));
  EXPECT_EQ(HexDecodeText(u""), QString());
  EXPECT_EQ(HexDecodeText(u"6"), QString()); // odd trailing digit dropped
  EXPECT_EQ(HexDecodeText(u"616"), QStringLiteral("a"));
  EXPECT_EQ(HexDecodeText(u"zz61"), bad + "a"); // non-hex pair
  EXPECT_EQ(HexDecodeText(u"6g61"), bad + "a");
  EXPECT_EQ(HexDecodeText(u"61d6"), "a" + bad);   // lead pair without its trail
  EXPECT_EQ(HexDecodeText(u"61d6d"), "a" + bad);  // ... and an odd digit after it
  EXPECT_EQ(HexDecodeText(u"d6zz61"), bad + "a"); // non-hex trail: both pairs consumed
  EXPECT_EQ(HexDecodeText(u"ff4161"), bad + "a"); // not a GBK character
  EXPECT_EQ(HexDecodeText(u"80ff"), bad);
}

TEST(HexCodec, ServerSideInverses) {
  const QString text = QStringLiteral("周杰伦 - ~晴天~\r\n第二行 €");
  const QString sent = HexEncodeText(text);
  EXPECT_EQ(sent, sent.toLower());
  // A lone byte of 0x80 (the euro sign) cannot be carried: the player reads it as a lead.
  EXPECT_EQ(HexDecodeText(sent), QString(text).replace(u'~', QChar(0xFF5E)).replace(u'€', QChar(0xFFFD)));

  QString term;
  ASSERT_TRUE(HexDecodeTerm(HexEncodeTerm(u"周杰伦 abc"), term));
  EXPECT_EQ(term, QStringLiteral("周杰伦 abc"));
  ASSERT_TRUE(HexDecodeTerm(HexEncodeTerm(u"a€b"), term)); // "0080": a lone byte in four digits
  EXPECT_EQ(term, QStringLiteral("a€b"));
  EXPECT_FALSE(HexDecodeTerm(u"d6d", term));
  EXPECT_FALSE(HexDecodeTerm(u"6x", term));
}

} // namespace
} // namespace lumiqo
