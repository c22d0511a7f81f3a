#pragma once
// One player per user. The first instance listens on a local channel named after the service
// and topic "Lumiqo|FormDDE" and the user's id; a second start hands its command line over
// that channel as one message and ends.
//
// A message is a 4-byte big-endian length and that many bytes of UTF-8. Both ends check that
// the peer runs as the same user; the channel's socket is private to the user.

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

namespace lumiqo {

inline constexpr QStringView kServiceTopic = u"Lumiqo|FormDDE";

// Longer messages are refused by both ends.
inline constexpr qint64 kMaxHandOverBytes = 64 * 1024;

// The channel's name for a user: a socket path in the user's runtime folder when there is a
// usable one ($XDG_RUNTIME_DIR), else in the temporary folder; the file name carries the
// service, topic and user id.
QString channelName(uint userId);
QString channelName();

class SingleInstance : public QObject {
  Q_OBJECT
public:
  explicit SingleInstance(QString name = channelName(), QObject *parent = nullptr);

  // True when this is the first instance: it now listens (or, when the channel cannot be
  // set up at all, runs alone). False when another instance of the same user answers.
  // A channel left behind by a crashed instance is removed and taken over. Taking the
  // channel is atomic among the user's starts: a lock file beside it is held meanwhile.
  bool claim();

  bool isListening() const { return server_.isListening(); }
  QString name() const { return name_; }

  // Messages that arrive while the program is still starting are held, in order of arrival,
  // until start-up releases them; from then on each is delivered as it arrives.
  void releaseHeldLinks();
  const QStringList &heldLinks() const { return held_; }

signals:
  // A whole message from another instance, to be executed by `Form_LinkExecute`.
  void LinkExecute(const QString &text);

private:
  void acceptConnections();
  void deliver(const QString &text);

  QString name_;
  QLocalServer server_;
  bool holding_ = true;
  QStringList held_;
};

// Sends the command text to the running instance as one message and closes the
// conversation. Waits at most `budgetMs` in all. False when nobody of the same user
// answered or the text is too long; the caller ends either way.
bool SendToRunning(const QString &text, const QString &name = channelName(), int budgetMs = 300);

} // namespace lumiqo
