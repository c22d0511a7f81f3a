#include "service.h"

#include "base/endpoints.h"
#include "base/gbk.h"
#include "catalogue/hex_codec.h"
#include "lrc_text.h"
#include "site_pages.h"

#include <httplib.h>

#include <QStringDecoder>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>

namespace lumiqo::server {
namespace {

constexpr const char *kTextType = "text/plain; charset=GBK";
constexpr const char *kHtmlType = "text/html; charset=GBK";

std::string gbk(const QString &text) {
  return toGbk(text).toStdString();
}
std::string gbkFromUtf8(const std::string &text) {
  return gbk(QString::fromStdString(text));
}

void fail(httplib::Response &res, int status, const std::string &message) {
  res.status = status;
  res.set_content(message + "\n", "text/plain; charset=utf-8");
}

void sendList(httplib::Response &res, const std::vector<ListRow> &rows) {
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
  res.set_content(gbkFromUtf8(body), kTextType);
}

// A search term from "gs": the inverse of the player's term encoding. False when missing
// or malformed (the response is then set).
bool termParam(const httplib::Request &req, httplib::Response &res, std::string &term) {
  const std::string hex = req.get_param_value("gs");
  if (hex.empty()) {
    fail(res, 400, "missing gs");
    return false;
  }
  QString decoded;
  if (!HexDecodeTerm(QString::fromStdString(hex), decoded) || decoded.contains(QChar(0xFFFD))) {
    fail(res, 400, "gs is not a hex-encoded GBK text");
    return false;
  }
  term = decoded.trimmed().toStdString();
  if (term.empty()) {
    fail(res, 400, "empty search term");
    return false;
  }
  return true;
}

// The lyrics search's NAME: percent-decoded bytes, GBK (UTF-8 accepted too).
QString decodeQueryText(const std::string &bytes) {
  const QString text = fromGbk(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!text.contains(QChar(0xFFFD)))
    return text;
  QStringDecoder utf8(QStringDecoder::Utf8);
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

std::string hostOf(const std::string &authority) {
  const auto colon = authority.rfind(':');
  return colon == std::string::npos ? authority : authority.substr(0, colon);
}

// True when the Cookie header carries uuauth with the player's fixed value.
bool hasAuthCookie(const httplib::Request &req) {
  const QString header = QString::fromStdString(req.get_header_value("Cookie"));
  for (const QString &part : header.split(QLatin1Char(';'))) {
    const QString cookie = part.trimmed();
    if (cookie == QLatin1String("uuauth=") + QLatin1String(kAuthCookieValue))
      return true;
  }
  return false;
}

// Serves a file with Range support; the stream holds the file open until the response ends.
bool serveFile(httplib::Response &res, const std::string &path, const char *type) {
  auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
  if (!*file)
    return false;
  file->seekg(0, std::ios::end);
  const auto size = static_cast<size_t>(file->tellg());
  res.set_header("Accept-Ranges", "bytes");
  res.set_content_provider(size, type, [file](size_t offset, size_t length, httplib::DataSink &sink) {
    char buf[64 * 1024];
    file->clear();
    file->seekg(static_cast<std::streamoff>(offset));
    const auto want = static_cast<std::streamsize>(std::min(length, sizeof buf));
    file->read(buf, want);
    const std::streamsize got = file->gcount();
    if (got <= 0)
      return false;
    sink.write(buf, static_cast<size_t>(got));
    return true;
  });
  return true;
}

thread_local std::chrono::steady_clock::time_point requestStart;

} // namespace

Service::Service(const CatalogueStore &store, ServiceOptions options)
    : store_(store), options_(std::move(options)), token_(options_.secret, options_.tokenLifetimeSeconds),
      http_(std::make_unique<httplib::Server>()) {
  const int threads = std::max(2, options_.threads);
  http_->new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<size_t>(threads)); };
  http_->set_keep_alive_max_count(1000);
  // Headers and body go out in separate writes: without this, Nagle's algorithm holds the
  // body back for the client's delayed acknowledgement on kept-alive connections.
  http_->set_tcp_nodelay(true);
  routes();
}

Service::~Service() {
  stop();
}

bool Service::bind(const std::string &host, int port) {
  return http_->bind_to_port(host, port);
}
int Service::bindToAnyPort(const std::string &host) {
  return http_->bind_to_any_port(host);
}
bool Service::listen() {
  return http_->listen_after_bind();
}
void Service::stop() {
  http_->stop();
}
bool Service::isRunning() const {
  return http_->is_running();
}

std::string Service::siteLine() const {
  return "[00:00.00]" + options_.siteAddress;
}

void Service::routes() {
  httplib::Server &http = *http_;

  // Catalogue lists.
  http.Get("/soft/mlist0.asp",
           [this](const httplib::Request &, httplib::Response &res) { sendList(res, store_.list(0)); });
  http.Get(R"(/soft/mlist([1-8])\.txt)", [this](const httplib::Request &req, httplib::Response &res) {
    sendList(res, store_.list(std::stoi(req.matches[1])));
  });
  http.Get("/soft/mlist_so.asp", [this](const httplib::Request &req, httplib::Response &res) {
    std::string artist;
    if (termParam(req, res, artist))
      sendList(res, store_.byArtist(artist));
  });
  http.Get("/soft/mlist_soso.asp", [this](const httplib::Request &req, httplib::Response &res) {
    const std::string t = req.get_param_value("t");
    if (t != "0" && t != "1" && t != "2")
      return fail(res, 400, "t must be 0 (title), 1 (artist) or 2 (keyword)");
    std::string term;
    if (termParam(req, res, term))
      sendList(res, store_.search(term, static_cast<SearchField>(t[0] - '0')));
  });

  // Link translation: hex(stream path) "," hex(lyrics).
  http.Get(R"(/soft/0[12]\.asp)", [this](const httplib::Request &req, httplib::Response &res) {
    const std::string link = req.get_param_value("ss");
    if (link.empty())
      return fail(res, 400, "missing ss");
    const auto song = store_.translate(link);
    if (!song)
      return fail(res, 404, "unknown link");
    const std::string lyrics = song->lyrics && !song->lyrics->empty() ? *song->lyrics : siteLine();
    const QString body = HexEncodeText(QString::fromStdString(song->streamPath)) + QLatin1Char(',') +
                         HexEncodeText(QString::fromStdString(lyrics));
    res.set_content(body.toStdString(), kTextType);
  });

  const auto callerAddress = [](const httplib::Request &req, httplib::Response &res) {
    res.set_content(req.remote_addr, kTextType);
  };
  http.Post("/soft/ip.asp", callerAddress);
  http.Get("/soft/ip.asp", callerAddress);

  // Authorisation host.
  http.Get("/getuuauthcode/", [this](const httplib::Request &req, httplib::Response &res) {
    if (!hasAuthCookie(req))
      return fail(res, 403, "no authorisation without the uuauth cookie");
    const std::string tflag = StreamToken::tflagFor(static_cast<std::int64_t>(std::time(nullptr)));
    std::string domain = hostOf(req.get_header_value("Host"));
    if (domain.empty())
      domain = req.local_addr;
    res.set_header("Set-Cookie", "pin=" + token_.pinFor(tflag) + "; domain=" + domain + "; path=/");
    res.set_header("Set-Cookie", "tflag=" + tflag + "; domain=" + domain + "; path=/");
    res.set_content("OK\n", kTextType);
  });

  // Stream hosts.
  http.Get(R"(/(.+\.(mp3|wma)))", [this](const httplib::Request &req, httplib::Response &res) {
    if (!token_.valid(req.get_param_value("tflag"), req.get_param_value("pin"),
                      static_cast<std::int64_t>(std::time(nullptr))))
      return fail(res, 403, "missing, forged or expired tflag/pin");
    const auto file = store_.streamFile(req.matches[1]);
    if (!file)
      return fail(res, 404, "no such stream");
    const char *type = req.matches[2] == "mp3" ? "audio/mpeg" : "audio/x-ms-wma";
    if (!serveFile(res, *file, type))
      fail(res, 404, "the stream's file is missing");
  });

  // Lyrics search.
  http.Get("/gecisearch.so", [this](const httplib::Request &req, httplib::Response &res) {
    QString title, artist;
    splitCaption(decodeQueryText(req.get_param_value("query")), title, artist);
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
    res.set_content(gbk(page), kHtmlType);
  });
  http.Get("/downlrc.jsp", [this](const httplib::Request &req, httplib::Response &res) {
    const std::string id = req.get_param_value("tGroupid");
    if (id.empty() || id.size() > 18 || id.find_first_not_of("0123456789") != std::string::npos)
      return fail(res, 400, "tGroupid must be a number");
    const auto lrc = store_.lyricsFile(std::stoll(id));
    if (!lrc)
      return fail(res, 404, "no such lyrics");
    res.set_content(
        gbk(lrcForDownload(QString::fromStdString(lrc->lrc), QString::fromStdString(lrc->title),
                           QString::fromStdString(lrc->artist), QString::fromStdString(lrc->album))),
        kTextType);
  });

  // The maker's site and forum.
  http.Get("/", [this](const httplib::Request &req, httplib::Response &res) {
    const bool forum =
        !options_.forumAddress.empty() && req.get_header_value("Host") == options_.forumAddress;
    res.set_content(gbk(sitePage(forum ? SitePage::Forum : SitePage::Home)), kHtmlType);
  });
  http.Get("/bbs/", [](const httplib::Request &, httplib::Response &res) {
    res.set_content(gbk(sitePage(SitePage::Forum)), kHtmlType);
  });
  http.Get("/qq/", [](const httplib::Request &, httplib::Response &res) {
    res.set_content(gbk(sitePage(SitePage::QqGroup)), kHtmlType);
  });
  http.Get("/aboutus/", [](const httplib::Request &, httplib::Response &res) {
    res.set_content(gbk(sitePage(SitePage::AboutUs)), kHtmlType);
  });

  // Whatever went wrong gets a short text; nothing escapes a request.
  http.set_exception_handler([](const httplib::Request &, httplib::Response &res, std::exception_ptr ep) {
    std::string what = "internal error";
    try {
      if (ep)
        std::rethrow_exception(ep);
    } catch (const std::exception &e) {
      what += std::string(": ") + e.what();
    } catch (...) {
    }
    fail(res, 500, what);
  });
  http.set_error_handler([](const httplib::Request &, httplib::Response &res) {
    if (res.body.empty() && !res.content_provider_)
      fail(res, res.status, res.status == 404 ? "not found" : "bad request");
  });

  http.set_pre_routing_handler([](const httplib::Request &, httplib::Response &) {
    requestStart = std::chrono::steady_clock::now();
    return httplib::Server::HandlerResponse::Unhandled;
  });
  if (options_.accessLog) {
    http.set_logger([this](const httplib::Request &req, const httplib::Response &res) {
      const auto now = std::chrono::steady_clock::now();
      const double ms = requestStart.time_since_epoch().count() == 0
                            ? 0.0
                            : std::chrono::duration<double, std::milli>(now - requestStart).count();
      const size_t bytes = res.content_provider_ ? res.content_length_ : res.body.size();
      char line[96];
      std::snprintf(line, sizeof line, " %d %zu %.2f", res.status, bytes, ms);
      options_.accessLog(req.method + " " + req.path + line);
    });
  }
}

} // namespace lumiqo::server
