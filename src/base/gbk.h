#pragma once
// Text crosses every boundary of the program (files, sockets, catalogue replies, lyrics) in
// GBK, the Simplified Chinese code page. Inside, text is QString.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace lumiqo {

// Characters GBK cannot represent become '?', as the platform's own conversion does.
QByteArray toGbk(QStringView text);

// Byte sequences that are not valid GBK become U+FFFD, one per undecodable byte;
// decoding never fails and never reads past the input.
QString fromGbk(QByteArrayView bytes);

// Decodes one double-byte code (lead byte in the high half); U+FFFD when it is not a
// valid GBK character.
QChar gbkPairToChar(unsigned lead, unsigned trail);

} // namespace lumiqo
