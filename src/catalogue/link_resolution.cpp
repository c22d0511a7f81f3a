#include "catalogue/link_resolution.h"

#include "base/endpoints.h"
#include "base/gbk.h"
#include "base/lyrics_bounds.h"
#include "base/song_formats.h"
#include "catalogue/hex_codec.h"
#include "catalogue/text_between.h"
#include "catalogue/web_request.h"
#include "net/socket_error.h"
#include "net/winsocks.h"

#include <utility>

namespace lumiqo {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool standsInUrl(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 0x20 || u >= 0x7F)
    return false;
  switch (c) {
  case '#':
  case '%':
  case '"':
  case '<':
  case '>':
  case '\\':
  case '^':
  case '`':
  case '{':
  case '|':
  case '}': return false;
  default: return true;
  }
}

} // namespace

QString authRequest(const QString &authority) {
  const QStringList lines = {
      QStringLiteral("GET /getuuauthcode/ HTTP/1.1"),
      QStringLiteral("Referer: http://") + authority + QLatin1Char('/'),
      QStringLiteral("Host: ") + authority,
      QStringLiteral("Accept: */*"),
      QStringLiteral("Accept-Language: zh-cn"),
      QStringLiteral("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1;)"),
      QStringLiteral("Cookie: uuauth=") + QLatin1String(kAuthCookieValue) + QLatin1Char(';'),
      QStringLiteral("Pragma: no-cache"),
      QStringLiteral("Cache-Control: no-cache"),
      QStringLiteral("Connection: close"),
  };
  return lines.join(kCrLf) + kCrLf + kCrLf;
}

bool headerBlockComplete(const QString &reply) {
  return reply.contains(QStringLiteral("\r\n\r\n"));
}

QString escapeLinkForUrl(const QString &link) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  QString out;
  out.reserve(link.size());
  for (QChar c : link) {
    if (c.unicode() < 0x80 && standsInUrl(static_cast<char>(c.unicode()))) {
      out += c;
      continue;
    }
    for (char byte : toGbk(QStringView(&c, 1))) {
      const auto b = static_cast<unsigned char>(byte);
      out += QLatin1Char('%');
      out += QLatin1Char(kDigits[b >> 4]);
      out += QLatin1Char(kDigits[b & 15]);
    }
  }
  return out;
}

QString shapeLyrics(const QString &lyrics) {
  QString text = lyrics;
  text.replace(QStringLiteral("|#|"), QStringLiteral("\n"));
  QString out;
  out.reserve(text.size() + text.size() / 8);
  for (qsizetype i = 0; i < text.size(); ++i) {
    // i is the position counted from 0: "position 9 or later" is i >= 8.
    if (text[i] == QLatin1Char('[') && i >= 8 && text[i - 1] != QLatin1Char(']'))
      out += kCrLf;
    out += text[i];
  }
  return out;
}

QStringList lyricsLines(const QString &shapedLyrics) {
  return shapedLyrics.split(kCrLf, Qt::SkipEmptyParts);
}

QString onStreamHost(const QString &address) {
  const bool w = address.contains(QStringLiteral("19z/")) || address.contains(QStringLiteral("21z/"));
  return endpoint(w ? Role::StreamW : Role::StreamO).httpBase() + QLatin1Char('/') + address;
}

// ---------------------------------------------------------------------------------------
// The exchange.

LinkResolution::LinkResolution(Winsocks &socket, LinkResolutionHost &host, LinkResolutionRequests requests,
                               QObject *parent)
    : QObject(parent), socket_(socket), host_(host), requests_(std::move(requests)) {
  if (!requests_.fetchText)
    requests_.fetchText = [](const QString &address) { return FetchText(address); };
  if (!requests_.ip)
    requests_.ip = [] { return LookupAddress(); };

  Timer1.setInterval(100);
  connect(&Timer1, &QTimer::timeout, this, &LinkResolution::Timer1_Timer);
  replyTimeout_.setSingleShot(true);
  replyTimeout_.setInterval(kReplyTimeoutMs);
  connect(&replyTimeout_, &QTimer::timeout, this, [this] {
    if (awaiting_)
      handleReply();
  });
  wireSocket();
}

void LinkResolution::Timer1_Timer() {
  auth_request = authRequest(endpoint(Role::Auth).authority());
  // A reply still awaited belongs to the row before: it is dropped with its socket.
  awaiting_ = false;
  if (socketState() != 0)
    closeSocket();
  reply_.clear();
  awaiting_ = true; // before Connect, which may report the connection at once
  if (!connectSocket())
    awaiting_ = false;
  else if (awaiting_)
    replyTimeout_.start();
  Timer1.stop();
  host_.enable_music_next();
}

void LinkResolution::Winsock1_Connect() {
  if (awaiting_)
    sendText(auth_request);
}

void LinkResolution::Winsock1_DataArrival() {
  if (!awaiting_)
    return;
  reply_ += readText();
  // The cookies stand in the header block: wait for its end, or for the peer to close.
  if (headerBlockComplete(reply_) || reply_.size() >= kMaxReplyChars)
    handleReply();
}

void LinkResolution::Winsock1_Close() {
  if (awaiting_)
    handleReply();
}

void LinkResolution::handleReply() {
  awaiting_ = false;
  replyTimeout_.stop();
  reply_ += readText(); // whatever came with the close
  closeSocket();
  const QString reply = std::exchange(reply_, QString());
  host_.set_sock_reply(reply);
  if (reply.isEmpty())
    return;

  pin_cookie = TextBetween(reply, u"Set-Cookie: pin=", u"; domain=");
  tflag_cookie = TextBetween(reply, u"Set-Cookie: tflag=", u"; domain=");
  if (tflag_cookie.size() != 10 || pin_cookie.size() != 32)
    return;

  QString translation;
  const QString page = host_.page_name();
  if (page.size() == 6)
    translation = requests_.fetchText(endpoint(Role::Catalogue).httpBase() + QStringLiteral("/soft/") + page +
                                      QStringLiteral("?ss=") + escapeLinkForUrl(host_.cur_song()));
  else
    host_.set_page_name(QStringLiteral("01.asp"));

  const QStringList fields = translation.split(QLatin1Char(','));
  if (fields.size() < 2)
    return; // nothing to play
  const QString path = HexDecodeText(fields[0]);
  QString lyrics = HexDecodeText(fields[1]);
  // Lyrics too long to be lyrics are none (savelrc shows so): they are neither shaped nor
  // listed.
  if (lyricsOverBounds(lyrics)) {
    host_.setList1({});
  } else {
    lyrics = shapeLyrics(lyrics);
    host_.setList1(lyricsLines(lyrics));
  }

  QString address =
      onStreamHost(path + QStringLiteral("?tflag=") + tflag_cookie + QStringLiteral("&pin=") + pin_cookie);
  const std::optional<QString> ip = requests_.ip();
  if (!ip)
    return; // no listener's address: nothing to play
  address += QStringLiteral("&ip=") + *ip;

  host_.savelrc(lyrics);
  switch (streamKindFor(address)) {
  case StreamKind::Mp3: host_.PlayUrlStream(address); break;
  case StreamKind::Wma: host_.PlayWmaStream(address); break;
  case StreamKind::None: break;
  }
}

void LinkResolution::wireSocket() {
  connect(&socket_, &Winsocks::ConnectEvent, this, &LinkResolution::Winsock1_Connect);
  connect(&socket_, &Winsocks::DataArrival, this, &LinkResolution::Winsock1_DataArrival);
  connect(&socket_, &Winsocks::CloseSckEvent, this, &LinkResolution::Winsock1_Close);
}

qint32 LinkResolution::socketState() const {
  return socket_.State();
}

void LinkResolution::closeSocket() {
  try {
    socket_.CloseSck();
  } catch (const SocketError &) {
  }
}

bool LinkResolution::connectSocket() {
  try {
    socket_.Connect();
    return true;
  } catch (const SocketError &) {
    return false;
  }
}

void LinkResolution::sendText(const QString &text) {
  try {
    socket_.SendData(SocketValue(text));
  } catch (const SocketError &) {
  }
}

QString LinkResolution::readText() {
  SocketValue data;
  try {
    socket_.GetData(data, vt::String);
  } catch (const SocketError &) {
    return {};
  }
  const QString *text = std::get_if<QString>(&data);
  return text ? *text : QString();
}

} // namespace lumiqo
