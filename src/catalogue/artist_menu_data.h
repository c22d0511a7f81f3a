#pragma once
// The artist menu data shipped with the program: for each of the three artist groups the
// initial letters in menu order and, per letter, the artists' names. A name is both the menu
// caption and the search term sent to the catalogue.

#include <QString>
#include <QStringList>
#include <vector>

namespace lumiqo {

struct ArtistLetter {
  QString letter;    // "A" .. "Z"
  QStringList names; // in the data's order
};

struct ArtistGroup {
  QString caption; // "华人男歌手", "华人女歌手", "华人组合"
  std::vector<ArtistLetter> letters;
  int count() const;
};

struct ArtistMenuData {
  std::vector<ArtistGroup> groups; // in the order the data first names them
  const ArtistGroup *group(const QString &caption) const;
};

// Parses lines of "group<TAB>letter<TAB>name". Blank lines and lines starting with "#" are
// skipped; a line without three non-empty fields is skipped too. Letters keep the order in
// which each first appears within its group.
ArtistMenuData parseArtistMenuData(const QString &text);

// The data compiled into the program.
const ArtistMenuData &builtInArtistMenuData();

} // namespace lumiqo
