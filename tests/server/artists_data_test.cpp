// The artist menu data: three categories, their letters and their counts.

#include <QFile>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

#include <map>

namespace {

struct Category {
  QString letters;
  int total;
  int least;
  int most;
};

TEST(ArtistsData, CategoriesLettersAndCounts) {
  QFile file(QStringLiteral(LUMIQO_ARTISTS_FILE));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::map<QString, Category> expected = {
      {QStringLiteral("华人男歌手"), {QStringLiteral("ABCDFGHJKLMNOPQRSTWXYZ"), 91, 2, 11}},
      {QStringLiteral("华人女歌手"), {QStringLiteral("ABCDFGHJKLMNPQRSTWXYZ"), 158, 5, 15}},
      {QStringLiteral("华人组合"), {QStringLiteral("ABCDFGHJKLMNPQRSTWXYZ"), 113, 4, 7}},
  };
  std::map<QString, std::map<QChar, int>> counts;
  QSet<QString> names;
  int lineNumber = 0;
  for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    ++lineNumber;
    const QStringList fields = line.split(QLatin1Char('\t'));
    ASSERT_EQ(fields.size(), 3) << lineNumber;
    ASSERT_TRUE(expected.count(fields[0])) << lineNumber;
    ASSERT_EQ(fields[1].size(), 1) << lineNumber;
    const QString &name = fields[2];
    // A name is sent as the search term and comes back in list records: no separators.
    EXPECT_FALSE(name.isEmpty() || name.contains(QLatin1Char(',')) || name.trimmed() != name) << lineNumber;
    EXPECT_FALSE(names.contains(name)) << "twice: " << name.toStdString();
    names.insert(name);
    ++counts[fields[0]][fields[1][0]];
  }
  for (const auto &[category, want] : expected) {
    QString letters;
    int total = 0;
    for (const auto &[letter, n] : counts[category]) {
      letters += letter;
      total += n;
      EXPECT_GE(n, want.least) << category.toStdString() << " " << letter.toLatin1();
      EXPECT_LE(n, want.most) << category.toStdString() << " " << letter.toLatin1();
    }
    EXPECT_EQ(letters, want.letters) << category.toStdString();
    EXPECT_EQ(total, want.total) << category.toStdString();
  }
}

} // namespace
