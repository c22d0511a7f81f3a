#include "base/gbk.h"

#include <gtest/gtest.h>

using namespace lumiqo;

TEST(Gbk, RoundTripsChineseAndAscii) {
  const QString text = QStringLiteral("欢迎使用Lumiqo 歌词");
  const QByteArray bytes = toGbk(text);
  EXPECT_EQ(bytes.left(4), QByteArray("\xBB\xB6\xD3\xAD"));
  EXPECT_EQ(fromGbk(bytes), text);
}

TEST(Gbk, UnmappableCharactersBecomeQuestionMarks) {
  // An emoji (a surrogate pair) has no GBK code: one '?' for the whole character.
  EXPECT_EQ(toGbk(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
}

TEST(Gbk, InvalidBytesDecodeToReplacementWithoutOverrun) {
  // A lone lead byte at the end, and 0xFF, which is never valid.
  EXPECT_EQ(fromGbk(QByteArray("a\xFF"
                               "b\xB6")),
            QStringLiteral("a\uFFFDb\uFFFD"));
  EXPECT_EQ(gbkPairToChar(0xBB, 0xB6), QChar(0x6B22));
  EXPECT_EQ(gbkPairToChar(0x7E, 0x41), QChar(0xFFFD));
}
