#pragma once
// The catalogue's two hexadecimal text codecs. Search terms go to the catalogue server as
// lower-case hexadecimal GBK codes; texts come back from it as hexadecimal GBK, with "|#|"
// standing for a line break. The server side uses the inverse of each.

#include <QString>
#include <QStringView>

namespace lumiqo {

// Player side: a term for "gs=". A GBK code from 1 to 127 is written in lower-case hex
// without leading zero; any other code as four digits, lead byte first.
QString HexEncodeTerm(QStringView text);

// Player side: text from the server. Pairs of hex digits; a pair of 126 (0x7E) or more
// starts a double-byte code with the following pair. Then "|#|" becomes CR LF.
// Bad input never reads out of range: an odd trailing digit is dropped; a pair with a
// non-hex digit, a lead pair without its trail pair, and a pair that is not valid GBK each
// give U+FFFD.
QString HexDecodeText(QStringView text);

// Server side, the exact inverse of HexDecodeText for what it can carry: every GBK byte as
// two lower-case digits. CR LF becomes "|#|" first. A single-byte '~' (which the player would
// read as a lead byte) is sent as its full-width form, DEL as '?'.
QString HexEncodeText(QStringView text);

// Server side, the inverse of HexEncodeTerm. A leading digit 8 to f starts a four-digit
// code, "00" the four digits of a single byte outside 1 .. 127, any other two digits one
// byte (the one-digit codes of control characters are not told apart). False on malformed
// input.
bool HexDecodeTerm(QStringView hex, QString &out);

} // namespace lumiqo
