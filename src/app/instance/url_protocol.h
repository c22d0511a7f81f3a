#pragma once
// The qorvex:// URL protocol, registered at every start as an XDG desktop entry
// "qorvex-url.desktop" in the user's applications folder and made the default handler of
// x-scheme-handler/qorvex in the user's mimeapps.list. Failures are skipped silently: the
// protocol then does not work and the player runs normally.

#include <QString>

namespace lumiqo {

inline constexpr QStringView kUrlDesktopId = u"qorvex-url.desktop";
inline constexpr QStringView kUrlSchemeMimeType = u"x-scheme-handler/qorvex";

// $XDG_DATA_HOME, or ~/.local/share when unset or not absolute.
QString xdgDataHome();
// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute.
QString xdgConfigHome();

// The Exec value that runs `program` with the link: the program (quoted and escaped for a
// desktop entry when it holds a blank or another reserved character), then " %u".
QString desktopExec(const QString &program);

// The whole desktop entry for the protocol.
QString urlDesktopEntry(const QString &program, const QString &iconPath);

// `mimeapps` with `mimeType` mapped to `desktopId` in [Default Applications]; the section is
// added when missing; every other line stays as it was.
QString withDefaultHandler(const QString &mimeapps, QStringView mimeType, QStringView desktopId);

// Writes the desktop entry and the mimeapps.list entry (atomically, and only when their
// contents change). `program` is the executable's path; `iconPath` the protocol's icon.
// True when both files hold what they should.
bool RegisterUrlProtocol(const QString &program, const QString &iconPath);

} // namespace lumiqo
