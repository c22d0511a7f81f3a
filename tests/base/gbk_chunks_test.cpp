// Long texts go through the converter in bounded pieces. This executable puts its own iconv
// in front of the C library's and counts the input each call is handed: a converter handed
// the whole rest of the text on every call (it stops after each output buffer) is quadratic,
// and under the sanitizer build, which checks every argument range, unusably so.
#include "base/gbk.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <iconv.h>

namespace {

std::size_t g_handed = 0; // input bytes handed to iconv, summed over the calls

} // namespace

extern "C" size_t iconv(iconv_t cd, char **in, size_t *inLeft, char **out, size_t *outLeft) {
  using Real = size_t (*)(iconv_t, char **, size_t *, char **, size_t *);
  static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "iconv"));
  if (in && *in && inLeft)
    g_handed += *inLeft;
  return real(cd, in, inLeft, out, outLeft);
}

namespace lumiqo {
namespace {

// The input handed to iconv while f runs.
template <typename F> std::size_t handedDuring(F f) {
  const std::size_t before = g_handed;
  f();
  return g_handed - before;
}

QString chinese(qsizetype characters) {
  const QString pattern = QStringLiteral("晴天周杰伦歌词");
  QString text;
  text.reserve(characters);
  while (text.size() < characters)
    text += pattern;
  text.truncate(characters);
  return text;
}

TEST(GbkChunks, ALongTextIsHandedOverOnceNotOncePerPiece) {
  const QString text = chinese(512 * 1024); // 1 MiB of GBK
  QByteArray bytes;
  EXPECT_LE(handedDuring([&] { bytes = toGbk(text); }), 2 * 2 * static_cast<std::size_t>(text.size()));
  ASSERT_EQ(bytes.size(), 1024 * 1024);
  QString back;
  EXPECT_LE(handedDuring([&] { back = fromGbk(bytes); }), 2 * static_cast<std::size_t>(bytes.size()));
  EXPECT_TRUE(back == text);
}

TEST(GbkChunks, BadBytesAnywhereCostInProportionToTheText) {
  // Undecodable bytes alone, and scattered through good text: each ends a call.
  QByteArray garbage(256 * 1024, '\xFF');
  QByteArray mixed = toGbk(chinese(128 * 1024));
  for (qsizetype i = 0; i < mixed.size(); i += 7)
    mixed[i] = '\xFF';
  for (const QByteArray &bytes : {garbage, mixed}) {
    QString text;
    EXPECT_LE(handedDuring([&] { text = fromGbk(bytes); }), 16 * static_cast<std::size_t>(bytes.size()));
    EXPECT_EQ(text.count(QChar(0xFFFD)), bytes.count('\xFF'));
  }
  const QString lone(64 * 1024, QChar(0xDC00)); // low surrogates alone: nothing GBK can hold
  QByteArray encoded;
  EXPECT_LE(handedDuring([&] { encoded = toGbk(lone); }), 16 * 2 * static_cast<std::size_t>(lone.size()));
  EXPECT_EQ(encoded, QByteArray(lone.size(), '?'));
}

TEST(GbkChunks, CharactersCutByAPiecesEndConvertWhole) {
  // Every offset of a double-byte character against the pieces' ends, both ways.
  for (qsizetype lead : {0, 1, 7, 8, 9}) {
    const QString text = QString(lead, QLatin1Char('a')) + chinese(100 * 1024);
    EXPECT_TRUE(fromGbk(toGbk(text)) == text) << lead;
  }
  // A surrogate pair (no GBK code: one '?') across a piece's end, and a lone lead byte at the
  // very end (one U+FFFD).
  for (qsizetype lead : {32 * 1024 - 1, 32 * 1024, 64 * 1024 - 1}) {
    const QString text = QString(lead, QLatin1Char('a')) + QStringLiteral("\U0001F600b");
    EXPECT_EQ(toGbk(text), QByteArray(lead, 'a') + "?b") << lead;
  }
  const QByteArray cut = QByteArray(64 * 1024 - 1, 'a') + "\xB6";
  EXPECT_EQ(fromGbk(cut), QString(64 * 1024 - 1, QLatin1Char('a')) + QChar(0xFFFD));
}

} // namespace
} // namespace lumiqo
