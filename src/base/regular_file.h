#pragma once
// Reading a whole file that the user may have replaced by anything: only a regular file is
// read, and it is opened without blocking, so a FIFO, a device or a directory in its place
// is refused at once instead of hanging the program.

#include <QByteArray>
#include <QString>

#include <optional>

namespace lumiqo {

// The bytes of `path`, or nothing when it is missing, unreadable, not a regular file or
// longer than `maxBytes`. A path into the program's own resources (":/...") is read from
// there.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes);

} // namespace lumiqo
