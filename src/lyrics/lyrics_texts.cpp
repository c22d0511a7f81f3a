#include "lyrics/lyrics_texts.h"

#include "base/endpoints.h"

namespace lumiqo {

namespace {
QString siteAddress() {
  return endpoint(Role::Site).authority();
}
} // namespace

QString SiteLine() {
  return QStringLiteral("[00:00.00]") + siteAddress();
}

QString NoLyricsText() {
  return QStringLiteral("[00:00.00]暂无歌词\r\n") + siteAddress();
}

QString NotFoundText() {
  return SiteLine() + QStringLiteral("\r\n") + SiteLine() + QStringLiteral("抱歉，没有找到您需要的信息！");
}

QString SourceLine() {
  return QStringLiteral("[00:00.00]本歌词来自SOGOU");
}

} // namespace lumiqo
