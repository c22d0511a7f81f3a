#include "catalogue/hex_codec.h"

#include "base/gbk.h"

#include <QByteArray>

#include <atomic>

namespace lumiqo {
namespace {

constexpr char kDigits[] = "0123456789abcdef";

int hexValue(QChar c) {
  const char16_t u = c.unicode();
  if (u >= '0' && u <= '9')
    return u - '0';
  if (u >= 'a' && u <= 'f')
    return u - 'a' + 10;
  if (u >= 'A' && u <= 'F')
    return u - 'A' + 10;
  return -1;
}

// Value of the pair at i, or -1 when either digit is not hexadecimal.
int pairAt(QStringView text, qsizetype i) {
  const int hi = hexValue(text[i]);
  const int lo = hexValue(text[i + 1]);
  return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

constexpr QChar kReplacement(0xFFFD);

// Every double-byte code the decoder can meet (lead 0x7E .. 0xFF), each decoded when it is
// first met: U+FFFD where the pair is not one GBK character. Filling all 33 280 at once cost
// the first song's link several milliseconds on its way to the first sound; a text holds a
// few hundred different characters at most. Threads may meet the same pair at once: both
// store the same value, and no decoded pair is 0, which marks a pair not yet met.
class PairTable {
public:
  static constexpr unsigned kFirstLead = 126;
  char16_t at(int lead, int trail) {
    std::atomic<char16_t> &slot =
        chars_[(static_cast<unsigned>(lead) - kFirstLead) * 256 + static_cast<unsigned>(trail)];
    char16_t c = slot.load(std::memory_order_relaxed);
    if (c == 0) {
      c = gbkPairToChar(static_cast<unsigned>(lead), static_cast<unsigned>(trail)).unicode();
      slot.store(c, std::memory_order_relaxed);
    }
    return c;
  }

private:
  std::atomic<char16_t> chars_[(256 - kFirstLead) * 256] = {};
};

PairTable &pairTable() {
  static PairTable table;
  return table;
}

} // namespace

QString HexEncodeTerm(QStringView text) {
  const QByteArray gbk = toGbk(text);
  QString out;
  out.reserve(gbk.size() * 2);
  for (qsizetype i = 0; i < gbk.size(); ++i) {
    const unsigned b = static_cast<unsigned char>(gbk[i]);
    unsigned code = b;
    if (b >= 1 && b <= 127) {
      if (b >= 16)
        out += QLatin1Char(kDigits[b >> 4]);
      out += QLatin1Char(kDigits[b & 15]);
      continue;
    }
    // A lead byte takes its trail byte; a single byte outside 1 .. 127 (NUL, 0x80 for the
    // euro sign, 0xFF) is a code of its own, written with four digits as well.
    if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size())
      code = (b << 8) | static_cast<unsigned char>(gbk[++i]);
    for (int shift = 12; shift >= 0; shift -= 4)
      out += QLatin1Char(kDigits[(code >> shift) & 15]);
  }
  return out;
}

QString HexDecodeText(QStringView text) {
  QString out;
  out.reserve(text.size() / 2);
  const qsizetype n = text.size() - (text.size() % 2); // an odd trailing digit is dropped
  for (qsizetype i = 0; i < n; i += 2) {
    const int v = pairAt(text, i);
    if (v < 0) {
      out += kReplacement;
    } else if (v >= 126) {
      if (i + 2 >= n) {
        out += kReplacement;
        break;
      }
      const int trail = pairAt(text, i + 2);
      i += 2;
      out += trail < 0 ? kReplacement : QChar(pairTable().at(v, trail));
    } else {
      out += QChar(static_cast<char16_t>(v));
    }
  }
  out.replace(QLatin1String("|#|"), QLatin1String("\r\n"));
  return out;
}

QString HexEncodeText(QStringView text) {
  QString source = text.toString();
  source.replace(QLatin1String("\r\n"), QLatin1String("|#|"));
  source.replace(QLatin1Char('~'), QChar(0xFF5E));
  source.replace(QChar(0x7F), QLatin1Char('?'));
  const QByteArray gbk = toGbk(source);
  QString out;
  out.reserve(gbk.size() * 2);
  for (char c : gbk) {
    const unsigned b = static_cast<unsigned char>(c);
    out += QLatin1Char(kDigits[b >> 4]);
    out += QLatin1Char(kDigits[b & 15]);
  }
  return out;
}

bool HexDecodeTerm(QStringView hex, QString &out) {
  QByteArray gbk;
  qsizetype i = 0;
  while (i < hex.size()) {
    const int first = hexValue(hex[i]);
    if (first < 0)
      return false;
    // "00" starts the four digits of a single byte outside 1 .. 127 (NUL, 0x80, 0xFF).
    const bool wideSingle = first == 0 && i + 4 <= hex.size() && hexValue(hex[i + 1]) == 0;
    if (wideSingle) {
      const int v = pairAt(hex, i + 2);
      if (v < 0)
        return false;
      gbk += static_cast<char>(v);
      i += 4;
      continue;
    }
    const qsizetype width = first >= 8 ? 4 : 2;
    if (i + width > hex.size()) {
      // A last lone digit is a one-digit code (a control character).
      if (width == 2 && i + 1 == hex.size()) {
        gbk += static_cast<char>(first);
        break;
      }
      return false;
    }
    for (qsizetype k = 0; k < width; k += 2) {
      const int v = pairAt(hex, i + k);
      if (v < 0)
        return false;
      gbk += static_cast<char>(v);
    }
    i += width;
  }
  out = fromGbk(gbk);
  return true;
}

} // namespace lumiqo
