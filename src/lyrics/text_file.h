#pragma once
// Plain text files in GBK, read the way the lyrics code reads them: a line ends at CR LF or
// at a lone CR, and the terminators are not kept (a lone LF stays inside its line).

#include <QString>
#include <QStringList>
#include <optional>

namespace lumiqo {

// The lines of a GBK file; nothing when the file cannot be opened or read, or when it is
// longer than maxBytes (when given).
std::optional<QStringList> readGbkLines(const QString &path, qint64 maxBytes = -1);

// Splits text into lines by the same rule.
QStringList splitLines(const QString &text);

// Writes text as GBK; `append` adds to the end instead of replacing. False on failure.
bool writeGbkText(const QString &path, const QString &text, bool append);

} // namespace lumiqo
