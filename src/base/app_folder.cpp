#include "base/app_folder.h"

#include <QCoreApplication>

namespace lumiqo {
namespace {
QString &overrideFolder() {
  static QString folder;
  return folder;
}
} // namespace

QString AppFolder() {
  QString folder = overrideFolder();
  if (folder.isEmpty())
    folder = QCoreApplication::applicationDirPath();
  if (!folder.endsWith(QLatin1Char('/')))
    folder += QLatin1Char('/');
  return folder;
}

void setAppFolderForTesting(const QString &folder) {
  overrideFolder() = folder;
}

} // namespace lumiqo
