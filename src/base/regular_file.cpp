#include "base/regular_file.h"

#include "base/file_handle.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace lumiqo {
namespace {

std::optional<QByteArray> readResource(const QString &path, qint64 maxBytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
    return std::nullopt;
  return file.readAll();
}

} // namespace

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes) {
  if (path.startsWith(QLatin1Char(':')))
    return readResource(path, maxBytes);
  const QByteArray name = QFile::encodeName(path);
  if (name.isEmpty())
    return std::nullopt;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const FileHandle fd(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > maxBytes)
    return std::nullopt;
  QByteArray bytes;
  bytes.reserve(static_cast<qsizetype>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return std::nullopt;
    if (got == 0)
      break;
    // A file that grows while it is read is held to the same bound.
    if (bytes.size() + got > maxBytes)
      return std::nullopt;
    bytes.append(buffer, got);
  }
  return bytes;
}

} // namespace lumiqo
