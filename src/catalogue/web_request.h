#pragma once
// The program's web requests, over libcurl. Every call blocks the calling (user-interface)
// thread until it is done or its time-outs run out, without a nested event loop: nothing
// re-enters the caller while it waits. Nothing here throws.

#include <QString>
#include <optional>

namespace lumiqo {

// Limits of a request's phases: resolving the host, connecting, sending the request, and the
// longest wait for the next received bytes. A silent server ends a request after the send or
// receive limit; no request lasts longer than the four added up.
struct FetchTimeouts {
  int resolveMs = 10000;
  int connectMs = 10000;
  int sendMs = 15000;
  int receiveMs = 15000;
};

// GET; the body decoded as GBK. An empty address sends nothing. A body under 4 bytes, and
// every failure (no connection, time-out, unresolvable host), give the empty text. The
// HTTP status is not examined.
QString FetchText(const QString &address, const FetchTimeouts &timeouts = {});

// POST with an empty body to the catalogue server's soft/ip.asp; the reply trimmed.
// Empty when the request fails.
std::optional<QString> LookupAddress();

// Downloads to a temporary file beside localPath and renames it over localPath only when
// complete; a failed download leaves localPath as it was. True only then.
bool DownloadToFile(const QString &address, const QString &localPath);

// Our requests keep no cache: nothing to clear, and other programs are never touched.
void ClearUrlCache();

} // namespace lumiqo
