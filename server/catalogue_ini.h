#pragma once
// catalogue.ini: which songs make the start list and the eight charts.
//
//   ; a comment
//   [start]                 the start list (also [mlist0])
//   pop/song.mp3            a song file below the imported folder
//   [chart1]                chart 1 (also [mlist1], or the chart's name, [歌曲排行])
//   标题,歌手,old/gone.mp3    a song described by hand: title, artist, file; listed even
//                           when the file is missing
//
// Files are named relative to the imported folder; a path outside it (absolute, or climbing
// out with "..") is refused with a warning.
// The file is UTF-8 or GBK.

#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace lumiqo::server {

struct ManifestEntry {
  QString path;  // relative to the imported folder
  QString title; // set for a song described by hand
  QString artist;
  bool byHand() const { return !title.isEmpty(); }
  // The path as the import's walk names files: '/'-separated, without "." or "..".
  std::string relPath() const;
};

struct CatalogueManifest {
  // Index 0 the start list, 1 to 8 the charts; nullopt for a list the file does not name.
  std::array<std::optional<std::vector<ManifestEntry>>, 9> lists;
  QStringList warnings;
};

// The chart names in menu order, chart 1 first.
const QStringList &chartNames();

CatalogueManifest parseCatalogueIni(const QString &text);

} // namespace lumiqo::server
