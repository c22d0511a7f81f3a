#include "base/gbk.h"

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

} // namespace

QByteArray toGbk(QStringView text) {
  QByteArray out;
  if (text.isEmpty())
    return out;
  Iconv &cd = encoder();
  if (!cd.valid())
    return text.toLatin1();
  out.reserve(text.size() * 2);
  cd.reset();
  // Convert character by character run; an unmappable character becomes '?'.
  const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
  const char16_t *end = p + text.size();
  char buf[4096];
  while (p < end) {
    char *inPtr = reinterpret_cast<char *>(const_cast<char16_t *>(p));
    size_t inLeft = static_cast<size_t>(end - p) * 2;
    char *outPtr = buf;
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<qsizetype>(outPtr - buf));
    p = reinterpret_cast<const char16_t *>(inPtr);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      // EILSEQ or EINVAL: skip one character (a surrogate pair counts as one).
      out.append('?');
      if (QChar::isHighSurrogate(*p) && p + 1 < end && QChar::isLowSurrogate(p[1]))
        p += 2;
      else
        p += 1;
      cd.reset();
    }
  }
  return out;
}

QString fromGbk(QByteArrayView bytes) {
  QString out;
  if (bytes.isEmpty())
    return out;
  Iconv &cd = decoder();
  if (!cd.valid())
    return QString::fromLatin1(bytes);
  out.reserve(bytes.size());
  cd.reset();
  const char *p = bytes.data();
  const char *end = p + bytes.size();
  char16_t buf[2048];
  while (p < end) {
    char *inPtr = const_cast<char *>(p);
    size_t inLeft = static_cast<size_t>(end - p);
    char *outPtr = reinterpret_cast<char *>(buf);
    size_t outLeft = sizeof buf;
    size_t r = iconv(cd.get(), &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(reinterpret_cast<const QChar *>(buf),
               static_cast<qsizetype>((reinterpret_cast<char16_t *>(outPtr) - buf)));
    p = inPtr;
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out.append(QChar(kReplacement));
      ++p;
      cd.reset();
    }
  }
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
