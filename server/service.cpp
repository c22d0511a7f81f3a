#include "service.h"

#include "base/endpoints.h"
#include "base/gbk.h"
#include "base/song_formats.h"
#include "byte_range.h"
#include "catalogue/hex_codec.h"
#include "lrc_text.h"
#include "safe_file.h"
#include "site_pages.h"
#include "stream_validators.h"

#include <QStringDecoder>
#include <QStringList>

#include <ctime>
#include <optional>

namespace lumiqo::server {
namespace {

constexpr const char *kTextType = "text/plain; charset=GBK";
constexpr const char *kHtmlType = "text/html; charset=GBK";

std::string gbk(const QString &text) {
  return toGbk(text).toStdString();
}

HttpReply fail(int status, const std::string &message) {
  return HttpReply::text(status, message + "\n", "text/plain; charset=utf-8");
}

// A list as the player reads it: "title,artist,link" records ended by CR LF, in GBK.
HttpReply listReply(const std::vector<ListRow> &rows) {
  std::string body;
  body.reserve(rows.size() * 48);
  for (const ListRow &row : rows) {
    body += row.title;
    body += ',';
    body += row.artist;
    body += ',';
    body += row.link;
    body += "\r\n";
  }
  return HttpReply::text(200, gbk(QString::fromStdString(body)), kTextType);
}

std::int64_t unixNow() {
  return static_cast<std::int64_t>(std::time(nullptr));
}

// 0 to 8 for the start list and the charts' paths, else -1.
int listNumber(std::string_view path) {
  if (path == "/soft/mlist0.asp")
    return 0;
  if (path.size() == 16 && path.starts_with("/soft/mlist") && path.ends_with(".txt") && path[11] >= '1' &&
      path[11] <= '8')
    return path[11] - '0';
  return -1;
}

// The search term of "gs": the inverse of the player's term encoding. Returns what is
// wrong with it, or "" when term is set.
std::string termOf(const HttpRequest &request, std::string &term) {
  const std::string hex = request.query("gs");
  if (hex.empty())
    return "missing gs";
  QString decoded;
  if (!HexDecodeTerm(QString::fromStdString(hex), decoded) || decoded.contains(QChar(0xFFFD)))
    return "gs is not a hex-encoded GBK text";
  term = decoded.trimmed().toStdString();
  return term.empty() ? "empty search term" : "";
}

// The lyrics search's NAME: percent-decoded bytes, GBK (UTF-8 accepted too).
QString decodeQueryText(const std::string &bytes) {
  const QString text = fromGbk(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!text.contains(QChar(0xFFFD)))
    return text;
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString alt = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return utf8.hasError() ? text : alt;
}

// The player's caption reads "歌名:TITLE  歌手:ARTIST"; without the labels the whole text
// is a title.
void splitCaption(QString name, QString &title, QString &artist) {
  name.replace(QChar(0xFF1A), QLatin1Char(':'));
  const QString titleLabel = QStringLiteral("歌名:");
  const QString artistLabel = QStringLiteral("歌手:");
  const qsizetype t = name.indexOf(titleLabel);
  const qsizetype a = name.indexOf(artistLabel);
  if (t < 0 && a < 0) {
    title = name.trimmed();
    artist.clear();
    return;
  }
  if (a >= 0) {
    artist = name.mid(a + artistLabel.size()).trimmed();
    name.truncate(a);
  }
  title = (t >= 0 ? name.mid(t + titleLabel.size()) : name).trimmed();
}

// True when the Cookie header carries uuauth with the player's fixed value.
bool hasAuthCookie(const std::string &header) {
  for (const QString &part : QString::fromStdString(header).split(QLatin1Char(';'))) {
    if (part.trimmed() == QLatin1String("uuauth=") + QLatin1String(kAuthCookieValue))
      return true;
  }
  return false;
}

} // namespace

Service::Service(const CatalogueStore &store, ServiceOptions options)
    : store_(store), options_(std::move(options)), token_(options_.secret, options_.tokenLifetimeSeconds),
      cache_(store_), http_([this](const HttpRequest &request) { return answer(request); }, options_.threads,
                            options_.limits, options_.accessLog, options_.errorLog) {}

Service::~Service() {
  stop();
}

bool Service::bind(const std::string &host, int port) {
  return http_.bind(host, port);
}

int Service::bindToAnyPort(const std::string &host) {
  return http_.bind(host, 0) ? http_.port() : -1;
}

bool Service::listen() {
  if (!http_.start())
    return false;
  std::unique_lock lock(mutex_);
  running_ = true;
  stopRequested_.wait(lock, [this] { return stopping_; });
  running_ = false;
  lock.unlock();
  http_.stop();
  return true;
}

void Service::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopRequested_.notify_all();
}

bool Service::isRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

std::string Service::siteLine() const {
  return "[00:00.00]" + options_.siteAddress;
}

HttpReply Service::answer(const HttpRequest &request) {
  const std::string_view path = request.path();
  const std::string_view method = request.method();
  const bool read = method == "GET" || method == "HEAD";
  if (path == "/soft/ip.asp") {
    if (read || method == "POST")
      return HttpReply::text(200, request.remoteAddress(), kTextType);
    return fail(405, "method not allowed").header("Allow", "GET, HEAD, POST");
  }
  if (!read)
    return fail(405, "method not allowed").header("Allow", "GET, HEAD");

  if (const int list = listNumber(path); list >= 0)
    return cache_.get(std::string(path), [&] { return listReply(store_.list(list)); });
  if (path == "/soft/mlist_so.asp" || path == "/soft/mlist_soso.asp")
    return search(request);
  if (path == "/soft/01.asp" || path == "/soft/02.asp")
    return cache_.get("ss=" + request.query("ss"), [&] { return translate(request); });
  if (path == "/getuuauthcode/")
    return authorise(request);
  if (path == "/gecisearch.so")
    return lyricsSearch(request);
  if (path == "/downlrc.jsp")
    return lyricsDownload(request);
  if (path.size() > 5 && songFormatOf(path))
    return stream(request, path.substr(1));
  const bool forumHost = !options_.forumAddress.empty() && request.header("Host") == options_.forumAddress;
  if (auto page = siteReply(request, store_, cache_, forumHost))
    return *page;
  return fail(404, "not found");
}

// The artist's page (mlist_so) and the search by title, artist or keyword (mlist_soso).
HttpReply Service::search(const HttpRequest &request) const {
  const bool byArtist = request.path() == "/soft/mlist_so.asp";
  const std::string field = request.query("t");
  if (!byArtist && field != "0" && field != "1" && field != "2")
    return fail(400, "t must be 0 (title), 1 (artist) or 2 (keyword)");
  std::string term;
  if (const std::string error = termOf(request, term); !error.empty())
    return fail(400, error);
  return listReply(byArtist ? store_.byArtist(term)
                            : store_.search(term, static_cast<SearchField>(field[0] - '0')));
}

// Link translation: hex(stream path) "," hex(lyrics).
HttpReply Service::translate(const HttpRequest &request) const {
  const std::string link = request.query("ss");
  if (link.empty())
    return fail(400, "missing ss");
  const auto song = store_.translate(link);
  if (!song)
    return fail(404, "unknown link");
  const std::string lyrics = song->lyrics && !song->lyrics->empty() ? *song->lyrics : siteLine();
  const QString body = HexEncodeText(QString::fromStdString(song->streamPath)) + QLatin1Char(',') +
                       HexEncodeText(QString::fromStdString(lyrics));
  return HttpReply::text(200, body.toStdString(), kTextType);
}

// The authorisation host: both cookies, for the domain the server is configured with.
HttpReply Service::authorise(const HttpRequest &request) const {
  if (!hasAuthCookie(request.header("Cookie")))
    return fail(403, "no authorisation without the uuauth cookie");
  const std::string tflag = StreamToken::tflagFor(unixNow());
  const std::string tail = "; domain=" + options_.cookieDomain + "; path=/";
  return HttpReply::text(200, "OK\n", kTextType)
      .header("Set-Cookie", "pin=" + token_.pinFor(tflag) + tail)
      .header("Set-Cookie", "tflag=" + tflag + tail);
}

// The stream hosts: the song's file from its descriptor, one byte range at most. Only a
// regular file inside the imported folder is opened, and the open never waits.
HttpReply Service::stream(const HttpRequest &request, std::string_view streamPath) const {
  if (!token_.valid(request.query("tflag"), request.query("pin"), unixNow()))
    return fail(403, "missing, forged or expired tflag/pin");
  const auto song = store_.streamFile(std::string(streamPath));
  if (!song)
    return fail(404, "no such stream");
  OpenedFile file = openRegularFile(song->file);
  if (file.problem != OpenedFile::Problem::None ||
      (!song->folder.empty() && !isInside(descriptorPath(file.fd.get()), song->folder)))
    return fail(404, "the stream's file is missing");
  const struct stat &info = file.info;
  const auto size = static_cast<std::uint64_t>(info.st_size);
  const char *type = songFormatOf(streamPath)->contentType;
  const std::string etag = entityTag(info);
  const std::string modified = httpDate(info.st_mtim.tv_sec);
  // A range of a file that has changed since the client's copy would splice two files.
  ByteRange range = parseByteRange(request.header("Range"), size);
  if (!ifRangeHolds(request.header("If-Range"), info, unixNow()))
    range = ByteRange{};
  const auto validated = [&](HttpReply reply) {
    return std::move(
        reply.header("Accept-Ranges", "bytes").header("ETag", etag).header("Last-Modified", modified));
  };
  switch (range.kind) {
  case ByteRange::Kind::Unsatisfiable:
    return fail(416, "range not satisfiable").header("Content-Range", "bytes */" + std::to_string(size));
  case ByteRange::Kind::Part:
    return validated(HttpReply::file(206, file.fd.release(), range.first, range.length, type)
                         .header("Content-Range", "bytes " + std::to_string(range.first) + "-" +
                                                      std::to_string(range.first + range.length - 1) + "/" +
                                                      std::to_string(size)));
  case ByteRange::Kind::Whole: break;
  }
  return validated(HttpReply::file(200, file.fd.release(), 0, size, type));
}

HttpReply Service::lyricsSearch(const HttpRequest &request) const {
  QString title, artist;
  splitCaption(decodeQueryText(request.query("query")), title, artist);
  QString page =
      QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
                     "<title>歌词搜索</title></head><body>\n");
  const auto ids = title.isEmpty() ? std::vector<std::int64_t>{}
                                   : store_.findLyrics(title.toStdString(), artist.toStdString());
  if (ids.empty())
    page += QStringLiteral("<p>抱歉，没有找到您需要的信息！</p>\n");
  for (std::int64_t id : ids) {
    page += QStringLiteral("<p>%1 - %2</p>").arg(htmlEscape(title), htmlEscape(artist));
    page += QStringLiteral("<br><a href=\"downlrc.jsp?tGroupid=%1\">LRC歌词下载</a>\n").arg(id);
  }
  page += QStringLiteral("</body></html>\n");
  return HttpReply::text(200, gbk(page), kHtmlType);
}

HttpReply Service::lyricsDownload(const HttpRequest &request) const {
  const std::string id = request.query("tGroupid");
  if (id.empty() || id.size() > 18 || id.find_first_not_of("0123456789") != std::string::npos)
    return fail(400, "tGroupid must be a number");
  const auto lrc = store_.lyricsFile(std::stoll(id));
  if (!lrc)
    return fail(404, "no such lyrics");
  return HttpReply::text(
      200,
      gbk(lrcForDownload(QString::fromStdString(lrc->lrc), QString::fromStdString(lrc->title),
                         QString::fromStdString(lrc->artist), QString::fromStdString(lrc->album))),
      kTextType);
}

} // namespace lumiqo::server
