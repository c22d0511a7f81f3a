#include "catalogue_ini.h"

#include "safe_file.h"

#include <filesystem>

namespace lumiqo::server {
namespace {

// The list a section header names, or -1.
int sectionList(const QString &name) {
  const QString key = name.trimmed().toLower();
  if (key == QLatin1String("start") || key == QLatin1String("mlist0"))
    return 0;
  for (int n = 1; n <= 8; ++n) {
    if (key == QStringLiteral("chart%1").arg(n) || key == QStringLiteral("mlist%1").arg(n) ||
        key == chartNames()[n - 1].toLower())
      return n;
  }
  return -1;
}

// A text of the file fit for a warning line.
QString shown(const QString &text) {
  return QString::fromStdString(printableName(text.toStdString()));
}

// True when a path names a file below the imported folder: relative, and never climbing
// above the folder with "..".
bool staysInside(const QString &path) {
  if (path.startsWith(QLatin1Char('/')))
    return false;
  int depth = 0;
  for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
    if (part == QLatin1String(".."))
      --depth;
    else if (part != QLatin1String("."))
      ++depth;
    if (depth < 0)
      return false;
  }
  return depth > 0;
}

} // namespace

std::string ManifestEntry::relPath() const {
  return std::filesystem::path(path.toStdString()).lexically_normal().generic_string();
}

const QStringList &chartNames() {
  static const QStringList names = {QStringLiteral("歌曲排行"),       QStringLiteral("新歌推荐"),
                                    QStringLiteral("经典老歌"),       QStringLiteral("疯狂DJ"),
                                    QStringLiteral("一人一首成名曲"), QStringLiteral("电影金曲"),
                                    QStringLiteral("电视金曲"),       QStringLiteral("情歌对唱")};
  return names;
}

CatalogueManifest parseCatalogueIni(const QString &text) {
  CatalogueManifest manifest;
  std::vector<ManifestEntry> *current = nullptr;
  int lineNumber = 0;
  for (QString line : text.split(QLatin1Char('\n'))) {
    ++lineNumber;
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
      continue;
    if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
      const int list = sectionList(line.mid(1, line.size() - 2));
      if (list < 0) {
        manifest.warnings
            << QStringLiteral("catalogue.ini:%1: unknown section %2").arg(lineNumber).arg(shown(line));
        current = nullptr;
        continue;
      }
      auto &slot = manifest.lists[static_cast<size_t>(list)];
      if (!slot)
        slot.emplace();
      current = &*slot;
      continue;
    }
    if (!current) {
      manifest.warnings << QStringLiteral("catalogue.ini:%1: entry outside a list section").arg(lineNumber);
      continue;
    }
    const QStringList fields = line.split(QLatin1Char(','));
    ManifestEntry entry;
    if (fields.size() == 1) {
      entry = {line, {}, {}};
    } else if (fields.size() == 3 && !fields[0].trimmed().isEmpty() && !fields[2].trimmed().isEmpty()) {
      entry = {fields[2].trimmed(), fields[0].trimmed(), fields[1].trimmed()};
    } else {
      manifest.warnings
          << QStringLiteral("catalogue.ini:%1: expected a file or title,artist,file").arg(lineNumber);
      continue;
    }
    // The stream hosts serve what the lists name: nothing outside the folder may get in.
    if (!staysInside(entry.path)) {
      manifest.warnings << QStringLiteral(
                               "catalogue.ini:%1: %2 is not a file below the imported folder; refused")
                               .arg(lineNumber)
                               .arg(shown(entry.path));
      continue;
    }
    current->push_back(entry);
  }
  return manifest;
}

} // namespace lumiqo::server
