#pragma once
// Lyrics files: their two encodings, their header tags and their plain text.

#include <QByteArrayView>
#include <QString>

namespace lumiqo::server {

// UTF-8 (with or without a byte-order mark) when the bytes are valid UTF-8, UTF-16 with
// a byte-order mark, GBK otherwise. Line ends become CR LF.
QString decodeLrc(QByteArrayView bytes);

// True when some line carries a time tag ("[01:23.45]"): lyrics to follow the song, not just
// its words.
bool lrcIsTimed(const QString &lrc);

// The value of a header tag such as "ti" ("[ti:Title]"), trimmed; empty when absent.
QString lrcHeader(const QString &lrc, QLatin1StringView name);

// The lyrics without any [..] tags, one line per line, for searching.
QString lrcPlainText(const QString &lrc);

// The LRC as the lyrics search hands it out: a first line of its own, then the header tags
// ti, ar, al and by (replacing the file's own), then the rest of the file.
QString lrcForDownload(const QString &lrc, const QString &title, const QString &artist, const QString &album);

} // namespace lumiqo::server
