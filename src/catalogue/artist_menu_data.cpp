#include "catalogue/artist_menu_data.h"

#include <QFile>

#include <algorithm>

static void initArtistResource() {
  Q_INIT_RESOURCE(artist_menu_data);
}

namespace lumiqo {

int ArtistGroup::count() const {
  int n = 0;
  for (const ArtistLetter &l : letters)
    n += static_cast<int>(l.names.size());
  return n;
}

const ArtistGroup *ArtistMenuData::group(const QString &caption) const {
  const auto it =
      std::find_if(groups.begin(), groups.end(), [&](const ArtistGroup &g) { return g.caption == caption; });
  return it == groups.end() ? nullptr : &*it;
}

ArtistMenuData parseArtistMenuData(const QString &text) {
  ArtistMenuData data;
  for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
      continue;
    const QList<QStringView> fields = line.split(QLatin1Char('\t'));
    if (fields.size() != 3)
      continue;
    const QString groupCaption = fields[0].trimmed().toString();
    const QString letter = fields[1].trimmed().toString();
    const QString name = fields[2].trimmed().toString();
    if (groupCaption.isEmpty() || letter.isEmpty() || name.isEmpty())
      continue;
    auto g = std::find_if(data.groups.begin(), data.groups.end(),
                          [&](const ArtistGroup &x) { return x.caption == groupCaption; });
    if (g == data.groups.end()) {
      data.groups.push_back({groupCaption, {}});
      g = data.groups.end() - 1;
    }
    auto l = std::find_if(g->letters.begin(), g->letters.end(),
                          [&](const ArtistLetter &x) { return x.letter == letter; });
    if (l == g->letters.end()) {
      g->letters.push_back({letter, {}});
      l = g->letters.end() - 1;
    }
    l->names.append(name);
  }
  return data;
}

const ArtistMenuData &builtInArtistMenuData() {
  static const ArtistMenuData data = [] {
    initArtistResource();
    QFile file(QStringLiteral(":/catalogue/artists.txt"));
    if (!file.open(QIODevice::ReadOnly))
      return ArtistMenuData{};
    return parseArtistMenuData(QString::fromUtf8(file.readAll()));
  }();
  return data;
}

} // namespace lumiqo
