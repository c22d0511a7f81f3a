#include "catalogue/web_request.h"

#include "base/endpoints.h"
#include "base/gbk.h"

#include <QByteArray>
#include <QFileInfo>
#include <QSaveFile>

#include <curl/curl.h>

#include <algorithm>
#include <memory>
#include <mutex>

namespace lumiqo {
namespace {

// Replies larger than this are refused rather than held in memory.
constexpr qsizetype kMaxBodyBytes = 64 * 1024 * 1024;

void ensureCurlInitialised() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
  void operator()(CURL *handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;

CurlHandle newHandle() {
  ensureCurlInitialised();
  CurlHandle handle(curl_easy_init());
  if (handle) {
    // No signals: the resolver's time-out must not rely on SIGALRM in a program with threads.
    curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle.get(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(handle.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  }
  return handle;
}

// Each phase has its own limit. Resolving and connecting are one phase to libcurl, bounded by
// their two limits added. Once connected, the request ends when no byte has moved for the
// send or receive limit (whole seconds, at least one): a server that accepts and stays
// silent is given up after that long, however long the other limits are. A server that
// trickles a byte now and then is bounded by the four limits added up.
void applyTimeouts(CURL *handle, const FetchTimeouts &t) {
  const long connect = static_cast<long>(t.resolveMs) + t.connectMs;
  const long idleSeconds = (static_cast<long>(std::max(t.sendMs, t.receiveMs)) + 999) / 1000;
  const long total = connect + t.sendMs + t.receiveMs;
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, std::max(connect, 1L));
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, std::max(idleSeconds, 1L));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, std::max(total, 1L));
}

size_t appendToBuffer(char *data, size_t size, size_t count, void *user) {
  auto *buffer = static_cast<QByteArray *>(user);
  const size_t bytes = size * count;
  if (static_cast<qsizetype>(bytes) > kMaxBodyBytes - buffer->size())
    return 0; // curl reports a write error
  buffer->append(data, static_cast<qsizetype>(bytes));
  return bytes;
}

size_t appendToFile(char *data, size_t size, size_t count, void *user) {
  auto *file = static_cast<QSaveFile *>(user);
  const size_t bytes = size * count;
  return file->write(data, static_cast<qint64>(bytes)) == static_cast<qint64>(bytes) ? bytes : 0;
}

// Runs the request into body; false on any transfer failure.
bool perform(CURL *handle, const QString &address, QByteArray &body) {
  const QByteArray url = address.toUtf8();
  curl_easy_setopt(handle, CURLOPT_URL, url.constData());
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, appendToBuffer);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  return curl_easy_perform(handle) == CURLE_OK;
}

// Bytes as text, the way the catalogue's replies are read: under 4 bytes is nothing.
QString decodeBody(const QByteArray &body) {
  if (body.size() < 4)
    return {};
  return fromGbk(body);
}

} // namespace

QString FetchText(const QString &address, const FetchTimeouts &timeouts) {
  if (address.isEmpty())
    return {};
  CurlHandle handle = newHandle();
  if (!handle)
    return {};
  applyTimeouts(handle.get(), timeouts);
  curl_easy_setopt(handle.get(), CURLOPT_HTTPGET, 1L);
  QByteArray body;
  if (!perform(handle.get(), address, body))
    return {};
  return decodeBody(body);
}

std::optional<QString> LookupAddress() {
  CurlHandle handle = newHandle();
  if (!handle)
    return std::nullopt;
  applyTimeouts(handle.get(), FetchTimeouts{});
  curl_easy_setopt(handle.get(), CURLOPT_POST, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDS, "");
  curl_easy_setopt(handle.get(), CURLOPT_POSTFIELDSIZE, 0L);
  QByteArray body;
  if (!perform(handle.get(), endpoint(Role::Catalogue).httpBase() + QStringLiteral("/soft/ip.asp"), body))
    return std::nullopt;
  return fromGbk(body).trimmed();
}

bool DownloadToFile(const QString &address, const QString &localPath) {
  if (address.isEmpty() || localPath.isEmpty() || QFileInfo(localPath).isDir())
    return false;
  CurlHandle handle = newHandle();
  if (!handle)
    return false;
  // The temporary file sits beside localPath and replaces it only on commit().
  QSaveFile file(localPath);
  // Unbuffered: a short write shows at once, instead of being lost in a later flush.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    return false;
  applyTimeouts(handle.get(), FetchTimeouts{});
  curl_easy_setopt(handle.get(), CURLOPT_FAILONERROR, 1L); // an error page is no download
  const QByteArray url = address.toUtf8();
  curl_easy_setopt(handle.get(), CURLOPT_URL, url.constData());
  curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, appendToFile);
  curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &file);
  if (curl_easy_perform(handle.get()) != CURLE_OK) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void ClearUrlCache() {
  // Every handle is created per request and keeps no cookies, connections or files behind.
}

} // namespace lumiqo
