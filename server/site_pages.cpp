#include "site_pages.h"

namespace lumiqo::server {
namespace {

QString page(const QString &title, const QString &body) {
  return QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"gbk\"><title>%1</title></head>\n"
                        "<body><h1>%1</h1>\n%2\n<p><a href=\"/\">首页</a> | <a href=\"/qq/\">兴趣QQ群</a> | "
                        "<a href=\"/aboutus/\">关于我们</a></p></body></html>\n")
      .arg(title, body);
}

} // namespace

QString sitePage(SitePage which) {
  switch (which) {
  case SitePage::Home:
    return page(
        QStringLiteral("Lumiqo 在线音乐"),
        QStringLiteral("<p>欢迎使用 Lumiqo 网络收音机。歌曲排行、新歌推荐、经典老歌，天天更新。</p>"));
  case SitePage::QqGroup:
    return page(QStringLiteral("兴趣QQ群"),
                QStringLiteral("<p>和喜欢音乐的朋友一起聊天：加入我们的兴趣群，分享好歌与歌词。</p>"));
  case SitePage::AboutUs:
    return page(QStringLiteral("关于我们"),
                QStringLiteral("<p>Lumiqo 是一款小巧的在线音乐播放器，由一群热爱音乐的开发者制作。</p>"));
  case SitePage::Forum:
    return page(QStringLiteral("Lumiqo 论坛"),
                QStringLiteral("<p>欢迎来到论坛：意见建议、歌曲求助、歌词纠错都可以在这里发帖。</p>"));
  }
  return {};
}

QString htmlEscape(const QString &text) {
  return text.toHtmlEscaped();
}

} // namespace lumiqo::server
