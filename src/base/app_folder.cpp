#include "base/app_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumiqo {
namespace {
QString &overrideFolder() {
  static QString folder;
  return folder;
}

// $XDG_DATA_HOME/lumiqo/ (or ~/.local/share/lumiqo/), with its "inc" folder. The favourites
// of the program folder are copied in when "inc" is made, and only then.
QString userDataFolder(const QString &programFolder) {
  const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  const QString folder = home + QStringLiteral("/lumiqo/");
  const QString inc = folder + QStringLiteral("inc");
  if (QFileInfo::exists(inc))
    return folder;
  QDir().mkpath(home);
  // Private to the user: nobody else reads another's favourites.
  QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  if (!QDir().mkdir(inc))
    return folder;
  const QString favourites = folder + kFavouritesFile;
  if (QFile::copy(programFolder + kFavouritesFile, favourites))
    QFile::setPermissions(favourites, QFile::ReadOwner | QFile::WriteOwner);
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

bool isWritableFolder(const QString &folder) {
  const QByteArray path = QFile::encodeName(folder);
  if (::faccessat(AT_FDCWD, path.constData(), W_OK | X_OK, AT_EACCESS) != 0)
    return false;
  if (::geteuid() != 0)
    return true;
  struct stat status {};
  return ::stat(path.constData(), &status) == 0 && (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

QString DataFolder() {
  const QString program = AppFolder();
  if (!isWritableFolder(program))
    return userDataFolder(program);
  QDir().mkpath(program + QStringLiteral("inc"));
  return program;
}

} // namespace lumiqo
