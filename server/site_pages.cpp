#include "site_pages.h"

#include "catalogue_ini.h"
#include "catalogue_pages.h"

#include <string_view>

namespace lumiqo::server {
namespace {

const QString kSiteName = QStringLiteral("Lumiqo 在线音乐");

// No scripts, nothing from elsewhere: a mistake in a page cannot run anything.
constexpr const char *kPolicy =
    "default-src 'none'; style-src 'self'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'";

constexpr std::string_view kStyle = R"(body{margin:0;background:#f4f4f1;color:#222;
font:15px/1.6 "WenQuanYi Micro Hei","Noto Sans CJK SC",sans-serif}
header{background:#23313f;padding:.7em 1.5em}
header a{color:#fff;font-size:1.2em;font-weight:bold;text-decoration:none}
nav.lists{background:#fff;border-bottom:1px solid #dcdcd6;padding:.5em 1.5em}
nav.lists a{display:inline-block;margin:0 1.1em 0 0;color:#1f5c8f;text-decoration:none}
nav.lists a:hover,nav.lists a:focus{text-decoration:underline}
nav.lists a[aria-current]{color:#222;font-weight:bold}
main{max-width:56em;margin:0 auto;padding:.5em 1.5em 2em}
main a{color:#1f5c8f}
h1{font-size:1.5em;font-weight:normal;margin:.8em 0 .5em}
h2{font-size:1.15em;font-weight:normal;margin:1.2em 0 .3em}
table.songs{width:100%;border-collapse:collapse;background:#fff;border:1px solid #dcdcd6}
table.songs th,table.songs td{padding:.45em .7em;border-bottom:1px solid #ebebe6;text-align:left}
table.songs th{background:#eceee9;color:#555;font-weight:normal}
table.songs td.n{color:#888;width:3em}
a.play{display:inline-block;padding:.1em .8em;border-radius:3px;background:#c0392b;color:#fff;
text-decoration:none;white-space:nowrap}
a.play:hover{background:#8e2a1f}
a.play:focus-visible{outline:2px solid #23313f;outline-offset:2px}
span.nolink{color:#999}
.count,.note{color:#555}
nav.pages{margin:1em 0}
nav.pages a{color:#1f5c8f;margin:0 .5em}
form.search{background:#fff;border:1px solid #dcdcd6;padding:.8em 1em}
form.search input[type=search]{font:inherit;padding:.25em .5em;width:18em;max-width:100%}
form.search fieldset{display:inline;border:0;margin:0 .5em;padding:0}
form.search legend{float:left;margin-right:.5em;color:#555}
form.search label{margin-right:.6em}
form.search button{font:inherit;padding:.2em 1.2em}
.hidden{position:absolute;width:1px;height:1px;overflow:hidden;clip:rect(0 0 0 0)}
footer{max-width:56em;margin:0 auto;padding:1em 1.5em;color:#777;border-top:1px solid #dcdcd6}
footer a{color:#1f5c8f}
)";

HttpReply htmlReply(int status, const QString &html) {
  HttpReply reply = HttpReply::text(status, html.toStdString(), "text/html; charset=utf-8");
  reply.header("Content-Security-Policy", kPolicy).header("X-Content-Type-Options", "nosniff");
  return reply;
}

QString navigation(const QString &current) {
  QString html = QStringLiteral("<nav class=\"lists\" aria-label=\"歌曲列表\">");
  const auto link = [&](const QString &path, const QString &label) {
    html += QStringLiteral("<a href=\"%1\"%2>%3</a>")
                .arg(path, path == current ? QStringLiteral(" aria-current=\"page\"") : QString(), label);
  };
  link(QLatin1String(kSongsPath), QStringLiteral("推荐列表"));
  for (int i = 1; i <= 8; ++i)
    link(chartPath(i), chartNames()[i - 1]);
  link(QLatin1String(kSearchPath), QStringLiteral("搜索歌曲"));
  return html + QStringLiteral("</nav>\n");
}

// The maker's own pages.
QString aboutPage(std::string_view path, bool forumHost) {
  if (path == "/bbs/" || (path == "/" && forumHost))
    return sitePage(QStringLiteral("Lumiqo 论坛"),
                    QStringLiteral("<p>欢迎来到论坛：意见建议、歌曲求助、歌词纠错都可以在这里发帖。</p>\n"));
  if (path == "/qq/")
    return sitePage(QStringLiteral("兴趣QQ群"),
                    QStringLiteral("<p>和喜欢音乐的朋友一起聊天：加入我们的兴趣群，分享好歌与歌词。</p>\n"));
  if (path == "/aboutus/")
    return sitePage(
        QStringLiteral("关于我们"),
        QStringLiteral("<p>Lumiqo 是一款小巧的在线音乐播放器，由一群热爱音乐的开发者制作。</p>\n"));
  if (path == "/")
    return sitePage(
        kSiteName,
        QStringLiteral("<p>欢迎使用 Lumiqo 网络收音机。歌曲排行、新歌推荐、经典老歌，天天更新。</p>\n"
                       "<p>在<a href=\"%1\">推荐列表</a>和八个排行榜里挑一首歌，或者<a href=\"%2\">搜索</a>"
                       "歌名、歌手和关键字。点“%3”，歌曲就加进 Lumiqo 的播放列表开始播放；"
                       "Lumiqo 还没有打开时，会自己启动。</p>\n")
            .arg(QLatin1String(kSongsPath), QLatin1String(kSearchPath), playLinkText()),
        QStringLiteral("/"));
  return {};
}

// "/songs/chart/N/" gives N (1 to 8), anything else 0.
int chartAt(std::string_view path) {
  constexpr std::string_view prefix = "/songs/chart/";
  if (path.size() != prefix.size() + 2 || !path.starts_with(prefix) || path.back() != '/')
    return 0;
  const char n = path[prefix.size()];
  return n >= '1' && n <= '8' ? n - '0' : 0;
}

HttpReply listReply(const QString &path, int list, const QString &heading, const HttpRequest &request,
                    const CatalogueStore &store, ReplyCache &cache) {
  const int page = pageNumber(request.query("p"));
  return cache.get("site " + path.toStdString() + " " + std::to_string(page), [&] {
    return htmlReply(200, sitePage(heading, songListHtml(store.list(list), page), path));
  });
}

HttpReply searchReply(const HttpRequest &request, const CatalogueStore &store) {
  const SiteSearch search = parseSiteSearch(request.query("q"), request.query("t"), request.query("p"));
  const QString heading = QStringLiteral("搜索歌曲");
  const QString path = QLatin1String(kSearchPath);
  if (!search.runs())
    return htmlReply(search.error.isEmpty() ? 200 : 400,
                     sitePage(heading, searchHtml(search, nullptr), path));
  const std::vector<ListRow> rows = store.search(search.term.toStdString(), search.field);
  return htmlReply(200, sitePage(heading, searchHtml(search, &rows), path));
}

} // namespace

QString chartPath(int number) {
  return QStringLiteral("/songs/chart/%1/").arg(number);
}

QString sitePage(const QString &heading, const QString &mainHtml, const QString &current) {
  const QString title = heading == kSiteName ? heading : heading + QStringLiteral(" - ") + kSiteName;
  return QStringLiteral("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
                        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                        "<title>%1</title>\n<link rel=\"stylesheet\" href=\"/site.css\">\n</head>\n<body>\n"
                        "<header><a href=\"/\">%2</a></header>\n%3<main>\n<h1>%4</h1>\n%5</main>\n"
                        "<footer><a href=\"/\">首页</a> | <a href=\"/qq/\">兴趣QQ群</a> | "
                        "<a href=\"/aboutus/\">关于我们</a></footer>\n</body>\n</html>\n")
      .arg(htmlEscape(title), kSiteName, navigation(current), htmlEscape(heading), mainHtml);
}

std::optional<HttpReply> siteReply(const HttpRequest &request, const CatalogueStore &store, ReplyCache &cache,
                                   bool forumHost) {
  std::string path(request.path());
  if (path == "/site.css")
    return HttpReply::text(200, kStyle, "text/css; charset=utf-8");
  if (!path.ends_with('/'))
    path += '/'; // "/songs" is "/songs/"
  if (const QString page = aboutPage(path, forumHost); !page.isEmpty())
    return htmlReply(200, page);
  if (path == kSongsPath)
    return listReply(QLatin1String(kSongsPath), 0, QStringLiteral("推荐列表"), request, store, cache);
  if (const int chart = chartAt(path))
    return listReply(chartPath(chart), chart, chartNames()[chart - 1], request, store, cache);
  if (path == kSearchPath)
    return searchReply(request, store);
  if (path.starts_with(kSongsPath))
    return htmlReply(404, sitePage(QStringLiteral("没有这个页面"),
                                   QStringLiteral("<p>这个地址没有页面。请从上面的列表里挑选。</p>\n")));
  return std::nullopt;
}

QString htmlEscape(const QString &text) {
  return text.toHtmlEscaped();
}

} // namespace lumiqo::server
