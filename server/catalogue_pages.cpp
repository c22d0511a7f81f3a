#include "catalogue_pages.h"

#include "catalogue/hex_codec.h"
#include "site_pages.h"

#include <QStringDecoder>
#include <QUrl>

#include <algorithm>

namespace lumiqo::server {
namespace {

// The player ignores command texts longer than this.
constexpr qsizetype kMaxPlayLinkLength = 16 * 1024;
// Longest catalogue link offered to the player.
constexpr std::size_t kMaxLinkLength = 256;
constexpr qsizetype kMaxTermLength = 100;

bool isHandableLink(const std::string &link) {
  return !link.empty() && link.size() <= kMaxLinkLength && std::all_of(link.begin(), link.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

QString text(const std::string &utf8) {
  return htmlEscape(QString::fromStdString(utf8));
}

// Links to the pages before and after `page`; `query` is the rest of the address's query,
// ready for an attribute, ending with "&amp;" when not empty.
QString pager(int page, int pages, const QString &query) {
  if (pages <= 1)
    return {};
  const auto to = [&](int p, const char *rel, const QString &label) {
    return QStringLiteral("<a rel=\"%1\" href=\"?%2p=%3\">%4</a>")
        .arg(QLatin1String(rel), query, QString::number(p), label);
  };
  QString html = QStringLiteral("<nav class=\"pages\" aria-label=\"翻页\">");
  if (page > 1)
    html += to(page - 1, "prev", QStringLiteral("上一页"));
  html += QStringLiteral(" <span>第 %1 / %2 页</span> ").arg(page).arg(pages);
  if (page < pages)
    html += to(page + 1, "next", QStringLiteral("下一页"));
  return html + QStringLiteral("</nav>\n");
}

QString songTable(const std::vector<ListRow> &rows, std::size_t first, std::size_t end) {
  QString html =
      QStringLiteral("<table class=\"songs\">\n<thead><tr><th scope=\"col\">ID</th>"
                     "<th scope=\"col\">歌名</th><th scope=\"col\">歌手</th>"
                     "<th scope=\"col\"><span class=\"hidden\">播放</span></th></tr></thead>\n<tbody>\n");
  for (std::size_t i = first; i < end; ++i) {
    const ListRow &row = rows[i];
    const QString link = playLink(row);
    // The link's description names the song, for those who hear the page.
    const QString play =
        link.isEmpty() ? QStringLiteral("<span class=\"nolink\">暂不能播放</span>")
                       : QStringLiteral("<a class=\"play\" href=\"%1\" aria-describedby=\"song%2\">%3</a>")
                             .arg(link, QString::number(i + 1), playLinkText());
    // One pass: a title holding "%2" stays as it is.
    html +=
        QStringLiteral("<tr><td class=\"n\">%1</td><td id=\"song%1\">%2</td><td>%3</td><td>%4</td></tr>\n")
            .arg(QString::number(i + 1), text(row.title), text(row.artist), play);
  }
  return html + QStringLiteral("</tbody>\n</table>\n");
}

QString listHtml(const std::vector<ListRow> &rows, int page, const QString &query) {
  if (rows.empty())
    return QStringLiteral("<p class=\"note\">这里还没有歌曲。</p>\n");
  const int pages = static_cast<int>((rows.size() + kSongsPerPage - 1) / kSongsPerPage);
  page = std::clamp(page, 1, pages);
  const std::size_t first = static_cast<std::size_t>(page - 1) * kSongsPerPage;
  const std::size_t end = std::min(rows.size(), first + kSongsPerPage);
  return QStringLiteral("<p class=\"count\">共 %1 首</p>\n").arg(rows.size()) + songTable(rows, first, end) +
         pager(page, pages, query);
}

} // namespace

QString playLinkText() {
  return QStringLiteral("在 Lumiqo 中播放");
}

QString playLink(const ListRow &row) {
  if (!isHandableLink(row.link))
    return {};
  // Hex digits, "_", letters and digits: nothing in it needs escaping in HTML or in a URL.
  const QString link = QStringLiteral("qorvex://zembrol=") +
                       HexEncodeText(QString::fromStdString(row.title)) + QLatin1Char('_') +
                       HexEncodeText(QString::fromStdString(row.artist)) + QLatin1Char('_') +
                       QString::fromLatin1(row.link) + QLatin1Char('/');
  return link.size() <= kMaxPlayLinkLength ? link : QString();
}

int pageNumber(const std::string &text) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    return 1;
  return std::max(1, std::stoi(text));
}

QString songListHtml(const std::vector<ListRow> &rows, int page) {
  return listHtml(rows, page, {});
}

SiteSearch parseSiteSearch(const std::string &term, const std::string &field, const std::string &page) {
  SiteSearch search;
  search.page = pageNumber(page);
  QStringDecoder utf8(QStringDecoder::Utf8);
  const QString decoded = utf8(QByteArrayView(term.data(), static_cast<qsizetype>(term.size())));
  if (utf8.hasError()) {
    search.error = QStringLiteral("搜索词不是有效的 UTF-8 文本。");
    return search;
  }
  search.term = decoded.simplified();
  search.term.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
  if (search.term.size() > kMaxTermLength) {
    search.error = QStringLiteral("搜索词太长了：最多 %1 个字。").arg(kMaxTermLength);
    search.term.truncate(kMaxTermLength);
  } else if (field == "1") {
    search.field = SearchField::Artist;
  } else if (field == "2") {
    search.field = SearchField::Keyword;
  } else if (!field.empty() && field != "0") {
    search.error = QStringLiteral("只能按歌名、歌手或关键字搜索。");
  }
  return search;
}

QString searchHtml(const SiteSearch &search, const std::vector<ListRow> *results) {
  const auto option = [&](SearchField field, const char *label) {
    return QStringLiteral("<label><input type=\"radio\" name=\"t\" value=\"%1\"%2> %3</label>")
        .arg(QString::number(static_cast<int>(field)),
             search.field == field ? QStringLiteral(" checked") : QString(), QString::fromUtf8(label));
  };
  QString html =
      QStringLiteral("<form class=\"search\" action=\"%1\" method=\"get\" accept-charset=\"utf-8\" "
                     "role=\"search\">\n<input type=\"search\" name=\"q\" value=\"%2\" "
                     "aria-label=\"歌名、歌手或关键字\" minlength=\"2\" maxlength=\"%3\" required>\n"
                     "<fieldset><legend>搜索方式</legend>%4%5%6</fieldset>\n"
                     "<button type=\"submit\">搜索</button>\n</form>\n")
          .arg(QLatin1String(kSearchPath), htmlEscape(search.term), QString::number(kMaxTermLength),
               option(SearchField::Title, "歌名"), option(SearchField::Artist, "歌手"),
               option(SearchField::Keyword, "关键字"));
  if (!search.error.isEmpty())
    return html + QStringLiteral("<p class=\"note\" role=\"alert\">%1</p>\n").arg(search.error);
  if (!search.term.isEmpty() && !search.runs())
    return html + QStringLiteral("<p class=\"note\" role=\"alert\">请至少输入两个字。</p>\n");
  if (!results)
    return html;
  html += QStringLiteral("<h2>“%1”的搜索结果</h2>\n").arg(htmlEscape(search.term));
  if (results->empty())
    return html + QStringLiteral("<p class=\"note\">没有找到歌曲。</p>\n");
  if (results->size() >= static_cast<std::size_t>(CatalogueStore::kMaxRows))
    html += QStringLiteral("<p class=\"note\">只列出最先找到的 %1 首。</p>\n").arg(CatalogueStore::kMaxRows);
  const QString query = QStringLiteral("t=%1&amp;q=%2&amp;")
                            .arg(QString::number(static_cast<int>(search.field)),
                                 QString::fromLatin1(QUrl::toPercentEncoding(search.term)));
  return html + listHtml(*results, search.page, query);
}

} // namespace lumiqo::server
