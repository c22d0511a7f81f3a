#include "base/gbk.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace lumiqo {
namespace {

// One conversion descriptor per direction and thread; iconv_t is not thread-safe.
class Iconv {
public:
  Iconv(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (valid())
      iconv_close(cd_);
  }
  Iconv(const Iconv &) = delete;
  Iconv &operator=(const Iconv &) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }
  void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
  iconv_t cd_;
};

Iconv &decoder() {
  thread_local Iconv cd("UTF-16LE", "GBK");
  return cd;
}

Iconv &encoder() {
  thread_local Iconv cd("GBK", "UTF-16LE");
  return cd;
}

constexpr char16_t kReplacement = 0xFFFD;

// Every iconv call gets at most kChunkBytes of input, so a long text costs time in proportion
// to its length (the converter, and a sanitizer's check of the arguments, look at all the
// input they are handed, call after call). After a sequence that could not be converted the
// chunks start again from kFirstChunkBytes and double: a run of bad bytes, one call each,
// is never handed the whole rest of the text either.
constexpr qsizetype kChunkBytes = 64 * 1024;
constexpr qsizetype kFirstChunkBytes = 8;

// Converts [p, end) into out (a QString or QByteArray) in bounded chunks. A sequence that
// cannot be converted goes to skipBad(p), which moves p past it and returns the one unit that
// stands for it; a character cut by a chunk's end is converted with the next chunk.
// `outPerIn` bounds the output bytes per input byte.
template <typename Out, typename SkipBad>
void convertInChunks(Iconv &cd, const char *p, const char *end, qsizetype outPerIn, Out &out,
                     SkipBad skipBad) {
  constexpr qsizetype kUnit = sizeof(*out.data());
  qsizetype used = 0; // in units of out
  qsizetype limit = kChunkBytes;
  cd.reset();
  while (p < end) {
    const qsizetype chunk = std::min<qsizetype>(end - p, limit);
    const qsizetype room = (chunk * outPerIn + kUnit - 1) / kUnit + 1;
    if (out.size() - used < room)
      out.resize(used + std::max(room, out.size() / 2));
    char *inPtr = const_cast<char *>(p);
    size_t inLeft = static_cast<size_t>(chunk);
    char *outStart = reinterpret_cast<char *>(out.data()) + used * kUnit;
    char *outPtr = outStart;
    size_t outLeft = static_cast<size_t>((out.size() - used) * kUnit);
    const size_t r = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    used += (outPtr - outStart) / kUnit;
    p = inPtr;
    const bool bad = r == static_cast<size_t>(-1) && errno != E2BIG &&
                     !(errno == EINVAL && p + inLeft < end); // a cut character goes with the next chunk
    if (!bad) {
      limit = std::min(limit * 2, kChunkBytes);
      continue;
    }
    // The room left for the chunk holds its replacement too.
    out.data()[used++] = skipBad(p);
    limit = kFirstChunkBytes;
    cd.reset();
  }
  out.resize(used);
  if (out.capacity() - used > used / 4)
    out.squeeze();
}

} // namespace

QByteArray toGbk(QStringView text) {
  QByteArray out;
  if (text.isEmpty())
    return out;
  Iconv &cd = encoder();
  if (!cd.valid())
    return text.toLatin1();
  const char *begin = reinterpret_cast<const char *>(text.utf16());
  const char *end = begin + text.size() * 2;
  // A GBK code is at most two bytes for a two-byte UTF-16 unit; an unmappable character
  // becomes '?' (a surrogate pair counts as one character).
  convertInChunks(cd, begin, end, 1, out, [end](const char *&p) {
    const auto *unit = reinterpret_cast<const char16_t *>(p);
    const bool pair = QChar::isHighSurrogate(unit[0]) && p + 4 <= end && QChar::isLowSurrogate(unit[1]);
    p += pair ? 4 : 2;
    return '?';
  });
  return out;
}

QString fromGbk(QByteArrayView bytes) {
  QString out;
  if (bytes.isEmpty())
    return out;
  Iconv &cd = decoder();
  if (!cd.valid())
    return QString::fromLatin1(bytes);
  // One or two bytes of GBK give one UTF-16 unit; an undecodable byte gives U+FFFD.
  convertInChunks(cd, bytes.data(), bytes.data() + bytes.size(), 2, out, [](const char *&p) {
    ++p;
    return QChar(kReplacement);
  });
  return out;
}

QChar gbkPairToChar(unsigned lead, unsigned trail) {
  const char pair[2] = {static_cast<char>(lead & 0xFF), static_cast<char>(trail & 0xFF)};
  QString s = fromGbk(QByteArrayView(pair, 2));
  if (s.size() == 1)
    return s.at(0);
  return QChar(kReplacement);
}

} // namespace lumiqo
