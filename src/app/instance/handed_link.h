#pragma once
// The link a web page hands to the player through the qorvex:// protocol (also the program's
// own command line): "qorvex://zembrol=" T "_" A "_" L, where T and A are the title and the
// artist in the catalogue's hex text encoding and L the catalogue link. Every "/" anywhere in
// the text is dropped, a trailing one included.

#include <QString>
#include <QStringView>
#include <optional>

namespace lumiqo {

inline constexpr QStringView kLinkPrefix = u"qorvex://zembrol=";

// Longer texts are never links: they are ignored whole, before any work is done on them.
inline constexpr qsizetype kMaxLinkTextLength = 16 * 1024;

struct HandedLink {
  QString title;  // decoded
  QString artist; // decoded
  QString link;   // the catalogue link, as handed over
};

// The three fields of a link, or nothing when the text is empty, too long, does not split
// into exactly three fields at "_", or when the title or the artist is not well-formed hex
// text (an odd number of digits, a character that is not a hex digit, or a code that is not
// a GBK character).
std::optional<HandedLink> parseHandedLink(QStringView text);

} // namespace lumiqo
