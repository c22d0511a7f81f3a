#pragma once
// The fixed lyrics texts. The site address is the maker's web site (its endpoint).

#include <QString>

namespace lumiqo {

// "[00:00.00]" and the site address: what the catalogue sends for a song without lyrics.
QString SiteLine();
// "[00:00.00]暂无歌词", CR LF, the site address.
QString NoLyricsText();
// The site line, CR LF, the site line followed by "抱歉，没有找到您需要的信息！".
QString NotFoundText();
// Ends the lyrics that a search found.
QString SourceLine();

} // namespace lumiqo
