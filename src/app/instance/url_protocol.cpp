#include "app/instance/url_protocol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace lumiqo {
namespace {

QString xdgHome(const char *variable, const QString &fallback) {
  const QString value = qEnvironmentVariable(variable);
  if (!value.isEmpty() && QDir::isAbsolutePath(value))
    return QDir::cleanPath(value);
  return QDir::homePath() + fallback;
}

// Writes the file through a temporary one renamed over it, unless it already holds `text`.
bool writeFileAtomically(const QString &path, const QString &text) {
  const QByteArray bytes = text.toUtf8();
  {
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
      return true;
  }
  if (!QDir().mkpath(QFileInfo(path).absolutePath()))
    return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly))
    return false;
  file.write(bytes);
  return file.commit();
}

bool isSectionHeader(QStringView line) {
  return line.trimmed().startsWith(QLatin1Char('['));
}

} // namespace

QString xdgDataHome() {
  return xdgHome("XDG_DATA_HOME", QStringLiteral("/.local/share"));
}
QString xdgConfigHome() {
  return xdgHome("XDG_CONFIG_HOME", QStringLiteral("/.config"));
}

QString desktopExec(const QString &program) {
  QString path = program;
  path.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
  // A plain path stands unquoted: simple launchers (xdg-open without a desktop) take the
  // Exec value's first word as it is.
  static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
  const bool needsQuotes =
      std::any_of(path.begin(), path.end(), [](QChar c) { return reserved.contains(c); });
  if (needsQuotes) {
    // Inside the quotes, '"', '`', '$' and '\' take a backslash; the value itself then
    // escapes every backslash once more.
    QString quoted;
    for (QChar c : path) {
      if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
        quoted += QLatin1Char('\\');
      quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    path = QLatin1Char('"') + quoted + QLatin1Char('"');
  }
  path.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return path + QStringLiteral(" %u");
}

QString urlDesktopEntry(const QString &program, const QString &iconPath) {
  QString icon = iconPath;
  icon.remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
  return QStringLiteral("[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=Pexa Protocol\n"
                        "Exec=%1\n"
                        "Icon=%2\n"
                        "MimeType=%3;\n"
                        "NoDisplay=true\n"
                        "Terminal=false\n")
      .arg(desktopExec(program), icon, kUrlSchemeMimeType);
}

QString withDefaultHandler(const QString &mimeapps, QStringView mimeType, QStringView desktopId) {
  const QString entry = mimeType.toString() + QLatin1Char('=') + desktopId.toString();
  QStringList lines;
  if (!mimeapps.isEmpty())
    lines = mimeapps.split(QLatin1Char('\n'));
  if (mimeapps.endsWith(QLatin1Char('\n')))
    lines.removeLast();

  qsizetype header = -1;
  for (qsizetype i = 0; i < lines.size(); ++i)
    if (lines[i].trimmed() == QLatin1String("[Default Applications]")) {
      header = i;
      break;
    }

  if (header < 0) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
      lines += QString();
    lines += QStringLiteral("[Default Applications]");
    lines += entry;
  } else {
    qsizetype end = header + 1;
    while (end < lines.size() && !isSectionHeader(lines[end]))
      ++end;
    bool replaced = false;
    for (qsizetype i = header + 1; i < end; ++i) {
      const qsizetype eq = lines[i].indexOf(QLatin1Char('='));
      if (eq > 0 && QStringView(lines[i]).left(eq).trimmed() == mimeType) {
        lines[i] = entry;
        replaced = true;
        break;
      }
    }
    if (!replaced) {
      // After the section's last non-blank line, so blank separators stay where they were.
      qsizetype at = end;
      while (at > header + 1 && lines[at - 1].trimmed().isEmpty())
        --at;
      lines.insert(at, entry);
    }
  }
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool RegisterUrlProtocol(const QString &program, const QString &iconPath) {
  const QString desktopPath = xdgDataHome() + QStringLiteral("/applications/") + kUrlDesktopId.toString();
  const bool entryWritten = writeFileAtomically(desktopPath, urlDesktopEntry(program, iconPath));

  const QString mimeappsPath = xdgConfigHome() + QStringLiteral("/mimeapps.list");
  QString mimeapps;
  QFile current(mimeappsPath);
  if (current.exists()) {
    if (!current.open(QIODevice::ReadOnly))
      return false; // never overwrite a file we could not read
    mimeapps = QString::fromUtf8(current.readAll());
    current.close();
  }
  const bool defaultWritten =
      writeFileAtomically(mimeappsPath, withDefaultHandler(mimeapps, kUrlSchemeMimeType, kUrlDesktopId));
  return entryWritten && defaultWritten;
}

} // namespace lumiqo
