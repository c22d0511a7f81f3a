#pragma once
// Turns the catalogue link of the row being started into a playable stream address. On the
// main window's `Timer1` tick the socket control `Winsock1` fetches the `pin` and `tflag`
// cookies from the stream-authorisation host; the catalogue server then translates the link
// into a stream path and the lyrics; the lyrics go to `savelrc` and the address, on one of
// the two stream hosts, is opened as WMA or, like every other song format, as MP3.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <optional>

namespace lumiqo {

class Winsocks;

// The texts of the exchange, each a pure function of its inputs.

// The request for the two cookies: ten lines and an empty one, each ended by CR LF.
// `authority` is the authorisation host as it goes into the Host header ("host[:port]").
QString authRequest(const QString &authority);

// True once the reply's header block is complete (an empty line after the status line).
bool headerBlockComplete(const QString &reply);

// The catalogue link made safe to stand in the translation address: controls, blanks,
// non-ASCII (as its GBK bytes), '#', '%' and the other characters a URL cannot carry are
// percent-encoded; everything else, the link's own '?', '&', '=' and '/' included, stays.
QString escapeLinkForUrl(const QString &link);

// Every "|#|" becomes a line feed; then CR LF is put before every "[" at position 9 or
// later (counted from 1) that does not follow a "]".
QString shapeLyrics(const QString &lyrics);

// The non-empty CR LF lines of shaped lyrics, for the main window's `List1`.
QStringList lyricsLines(const QString &shapedLyrics);

// "http://" + stream host W or O + "/" + address: W when the address holds "19z/" or
// "21z/".
QString onStreamHost(const QString &address);

// What the exchange needs from the main window.
class LinkResolutionHost {
public:
  virtual ~LinkResolutionHost() = default;
  virtual QString cur_song() const = 0;
  virtual QString page_name() const = 0;
  virtual void set_page_name(const QString &name) = 0;
  virtual void set_sock_reply(const QString &reply) = 0;
  // Switches on the advance check `music_next`.
  virtual void enable_music_next() = 0;
  // The main window's hidden line list `List1`.
  virtual void setList1(const QStringList &lines) = 0;
  virtual void savelrc(QString &lyrics) = 0;
  virtual void PlayUrlStream(const QString &address) = 0;
  virtual void PlayWmaStream(const QString &address) = 0;
};

// Web requests of the exchange; the defaults are the program's own (FetchText, LookupAddress).
struct LinkResolutionRequests {
  std::function<QString(const QString &address)> fetchText;
  std::function<std::optional<QString>()> ip;
};

class LinkResolution : public QObject {
  Q_OBJECT
public:
  // `socket` is the main window's `Winsock1`, its RemoteHost and RemotePort already set to
  // the authorisation host. Neither it nor the host is owned.
  LinkResolution(Winsocks &socket, LinkResolutionHost &host, LinkResolutionRequests requests = {},
                 QObject *parent = nullptr);

  // 100 ms, single shot in effect: the tick disables it. Starting a row enables it.
  QTimer Timer1;

  // Sets nothing but the timer: `cur_song` is the host's.
  void start() { Timer1.start(); }

  void Timer1_Timer();

  // The request of the last exchange and the cookies of its reply.
  QString auth_request;
  QString pin_cookie;
  QString tflag_cookie;

  // A reply whose header block has neither completed nor been closed by then is taken as
  // it stands: the cookies come from what has arrived.
  static constexpr int kReplyTimeoutMs = 15000;
  void setReplyTimeout(int ms) { replyTimeout_.setInterval(ms); }
  // A reply that has grown this long without its header end is taken as it stands: the
  // cookies come first, and a peer must not make us hold and rescan an endless header.
  static constexpr int kMaxReplyChars = 64 * 1024;

private:
  void Winsock1_Connect();
  void Winsock1_DataArrival();
  void Winsock1_Close();
  void handleReply();

  // Winsock1's operations, each with its errors passed over.
  void wireSocket();
  qint32 socketState() const;
  void closeSocket();
  bool connectSocket();
  void sendText(const QString &text);
  QString readText();

  Winsocks &socket_;
  LinkResolutionHost &host_;
  LinkResolutionRequests requests_;
  QString reply_;
  bool awaiting_ = false;
  QTimer replyTimeout_;
};

} // namespace lumiqo
