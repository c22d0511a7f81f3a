#include "player/player_core.h"

#include "base/app_folder.h"
#include "base/gbk.h"
#include "catalogue/web_request.h"
#include "player/knobs.h"
#include "player/state_texts.h"

#include <QMetaObject>
#include <atomic>
#include <cmath>

namespace lumiqo {
namespace {
// The core that end-of-stream notices go to. Set on the user-interface thread; read by
// the engine's thread in EndSyncProc.
std::atomic<PlayerCore *> g_endReceiver{nullptr};
} // namespace

HSYNC SetStreamSync(DWORD handle, DWORD kind, DWORD param, SYNCPROC proc, void *user) {
  return BASS_ChannelSetSync(handle, kind, static_cast<QWORD>(param), proc, user);
}

PlayerCore::PlayerCore(PlayerFace &face, QObject *parent) : QObject(parent), face_(face) {
  times_zt.setInterval(1000);
  Timer2.setInterval(1000);
  Timer2.start(); // enabled as designed; start-up switches it off
  tmrNetRadio.setInterval(50);
  music_next.setInterval(1000);
  connect(&times_zt, &QTimer::timeout, this, &PlayerCore::times_zt_Timer);
  connect(&Timer2, &QTimer::timeout, this, &PlayerCore::Timer2_Timer);
  connect(&tmrNetRadio, &QTimer::timeout, this, &PlayerCore::tmrNetRadio_Timer);
  connect(&music_next, &QTimer::timeout, this, &PlayerCore::music_next_Timer);
  g_endReceiver.store(this);
}

PlayerCore::~PlayerCore() {
  // The stream goes first, so that no sync of it runs while this core is being taken down.
  if (state_.cur_stream != 0)
    BASS_StreamFree(state_.cur_stream);
  detachFromEngine();
}

void PlayerCore::detachFromEngine() {
  PlayerCore *self = this;
  g_endReceiver.compare_exchange_strong(self, nullptr);
}

// --- opening and starting --------------------------------------------------------------

void PlayerCore::openStream(const QString &address, StreamKind kind) {
  tmrNetRadio.stop();
  BASS_StreamFree(state_.cur_stream);
  state_.cur_stream = 0;
  face_.setStateText(kStateConnecting);
  const QByteArray bytes = toGbk(address);
  if (kind == StreamKind::Wma)
    state_.cur_stream = BASS_WMA_StreamCreateFile(0, bytes.constData(), 0, 0, 0);
  else
    state_.cur_stream = BASS_StreamCreateURL(bytes.constData(), 0, 0, nullptr, nullptr);
  streamRow_ = -1;
  if (state_.cur_stream != 0) {
    streamRow_ = face_.PlayIndex();
    streamLink_ = state_.cur_song;
    showLengthInRow();
    tmrNetRadio.start();
  } else {
    face_.setStateText(kStateFailed);
    switchOnAdvance();
  }
}

void PlayerCore::PlayUrlStream(const QString &address) {
  openStream(address, StreamKind::Mp3);
}

void PlayerCore::PlayWmaStream(const QString &address) {
  openStream(address, StreamKind::Wma);
}

bool PlayerCore::PlayStreamFor(const QString &address) {
  switch (streamKindFor(address)) {
  case StreamKind::Mp3: PlayUrlStream(address); return true;
  case StreamKind::Wma: PlayWmaStream(address); return true;
  case StreamKind::None: return false;
  }
  return false;
}

void PlayerCore::tmrNetRadio_Timer() {
  tmrNetRadio.stop();
  SetStreamSync(state_.cur_stream, BASS_SYNC_END, 0, &PlayerCore::EndSyncProc, nullptr);
  BASS_ChannelPlay(state_.cur_stream, 0);
  face_.setStateText(kStateBuffering);
}

void PlayerCore::EndSyncProc(HSYNC, DWORD channel, DWORD, void *) {
  PlayerCore *core = g_endReceiver.load();
  if (core == nullptr)
    return;
  QMetaObject::invokeMethod(
      core, [core, channel] { core->onStreamEnd(channel); }, Qt::QueuedConnection);
}

void PlayerCore::onStreamEnd(DWORD channel) {
  // A notice of a stream that has since been replaced would skip the new song.
  if (channel != state_.cur_stream)
    return;
  face_.setStateText(kStateEnded);
  switchOnAdvance();
  emit streamEnded();
}

void PlayerCore::switchOnAdvance() {
  music_next.setInterval(1000);
  music_next.start();
}

// --- transport ---------------------------------------------------------------------------

void PlayerCore::an_play_Click() {
  BASS_ChannelPlay(state_.cur_stream, 0);
  Timer2.start();
  Timer2_Timer();
}

void PlayerCore::an_pause_Click() {
  BASS_ChannelPause(state_.cur_stream);
  face_.setLyricsTimerE(false);
  Timer2.stop();
}

void PlayerCore::an_stop_Click() {
  if (state_.cur_stream != 0)
    BASS_ChannelStop(state_.cur_stream);
  Timer2.stop();
  face_.setLyricsTimerE(false);
}

// --- moving through the play list ----------------------------------------------------------

void PlayerCore::listplay() {
  const int p = face_.PlayIndex();
  state_.cur_song = face_.URL(p);
  face_.setCaption(QStringLiteral("歌名:") + face_.Title(p) + QStringLiteral("  歌手:") + face_.Author(p));
  if (!times_zt.isActive())
    times_zt.start();
  if (!state_.cur_song.isEmpty())
    face_.startLinkResolution();
  Timer2.start();
}

void PlayerCore::delie6() {
  ClearUrlCache();
}

void PlayerCore::an_next_Click() {
  const int p = face_.PlayIndex();
  const int n = face_.ListCount();
  if (p < n - 1) {
    face_.setPlayIndex(p + 1);
    face_.setPlayIndex(p + 2);
    face_.setPlayIndex(p + 1);
    face_.setListIndex(face_.PlayIndex());
    listplay();
    delie6();
    Timer2.start();
    Timer2_Timer();
  }
  face_.savelrc(state_.lrc_text);
}

void PlayerCore::an_prev_Click() {
  const int p = face_.PlayIndex();
  if (p > 0) {
    face_.setPlayIndex(p - 1);
    face_.setPlayIndex(p);
    face_.setPlayIndex(p - 1);
    face_.setListIndex(face_.PlayIndex());
    listplay();
    delie6();
  }
  face_.savelrc(state_.lrc_text);
}

void PlayerCore::music_next_Timer() {
  const QString state = face_.stateText();
  if (state != kStateFailed && state != kStateEnded)
    return;
  face_.savelrc(state_.lrc_text);
  const int p = face_.PlayIndex();
  const int n = face_.ListCount();
  if (p + 1 < n) {
    face_.setPlayIndex(n);
    face_.setPlayIndex(p + 1);
    face_.setListIndex(face_.PlayIndex());
    listplay();
    delie6();
  } else {
    face_.setPlayIndex(1);
    face_.setPlayIndex(0);
    listplay();
  }
}

// --- status and time -----------------------------------------------------------------------

const cbass_time &PlayerCore::timeFormat() const {
  static const cbass_time fallback; // before start-up made the main window's own
  return state_.time_fmt ? *state_.time_fmt : fallback;
}

void PlayerCore::showLengthInRow() {
  // Lists carry no lengths, so rows show invented ones until their song is open.
  if (streamRow_ < 0 || streamLink_.isEmpty() || face_.URL(streamRow_) != streamLink_)
    return;
  const auto length = static_cast<qint32>(std::floor(timeFormat().GetDuration(state_.cur_stream)));
  if (length <= 0)
    return; // not known (yet)
  const QString text = lengthText(length);
  if (face_.StrTime(streamRow_) != text)
    face_.setStrTime(streamRow_, text);
}

void PlayerCore::times_zt_Timer() {
  const HSTREAM s = state_.cur_stream;
  const cbass_time &t = timeFormat();
  face_.showPlaying(BASS_ChannelIsActive(s) == BASS_ACTIVE_PLAYING);
  if (BASS_ChannelIsActive(s) == BASS_ACTIVE_PLAYING) {
    const auto length = static_cast<qint32>(std::floor(t.GetDuration(s)));
    face_.setStateText(kStatePrefix + StateName(BASS_ACTIVE_PLAYING) + QLatin1Char('\r') + QLatin1Char(' ') +
                       t.GetTime(length));
    face_.setTimeText(t.GetTime(static_cast<qint32>(std::floor(t.GetPlayingPos(s)))));
    state_.song_secs = static_cast<qint32>(std::floor(t.GetDuration(s)));
    const auto pos = static_cast<qint32>(std::floor(t.GetPlayingPos(s)));
    state_.pos_text = (pos >= 0 ? QStringLiteral(" ") : QString()) + QString::number(pos);
    ShowTimeDigits();
    showLengthInRow();
  } else if (BASS_ChannelIsActive(s) == BASS_ACTIVE_PAUSED) {
    face_.setStateText(kStatePrefix + StateName(BASS_ACTIVE_PAUSED));
  }
}

void PlayerCore::ShowTimeDigits() {
  const QString text = face_.timeText();
  if (text.size() == 5) {
    for (int index : {0, 1, 3, 4}) {
      const QString path = AppFolder() + QStringLiteral("skin/") + text.at(index) + QStringLiteral(".gif");
      face_.loadTimeDigit(index, path); // a missing picture leaves that digit alone
    }
  }
  if (auto left = seekKnobLeftFor(state_.pos_text.trimmed().toDouble(), state_.song_secs))
    face_.setSeekKnobLeft(*left);
}

void PlayerCore::Timer2_Timer() {
  face_.setLyricsFilePath(QString());
  face_.setLyricsTime(state_.time_fmt ? state_.time_fmt->GetPlayingPos(state_.cur_stream) * 100.0f : 0.0f);
  face_.setLyricsTimerE(true);
  face_.setLyricsTimerE(face_.stateText() != kStateBuffering);
}

} // namespace lumiqo
