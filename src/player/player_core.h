#pragma once
// The player core of the main window: opening streams, starting them, the transport
// buttons, moving through the play list, and the status and lyrics clocks. It owns the
// shared player state and the main window's player timers; everything it shows goes
// through a PlayerFace.

#include "base/song_formats.h"
#include "player/engine/bass.h"
#include "player/player_face.h"
#include "player/player_state.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace lumiqo {

// Registers an engine sync; the parameter goes over as a 64-bit value with a zero high half.
HSYNC SetStreamSync(DWORD handle, DWORD kind, DWORD param, SYNCPROC proc, void *user);

class PlayerCore : public QObject {
  Q_OBJECT
public:
  explicit PlayerCore(PlayerFace &face, QObject *parent = nullptr);
  ~PlayerCore() override;

  PlayerState &state() { return state_; }
  const PlayerState &state() const { return state_; }

  // The main window's timers that belong to playback.
  QTimer times_zt;    // status, 1000 ms
  QTimer Timer2;      // lyrics clock, 1000 ms
  QTimer tmrNetRadio; // stream start, 50 ms
  QTimer music_next;  // advance check, 1000 ms once switched on

  // Opening a stream.
  void PlayUrlStream(const QString &address);
  void PlayWmaStream(const QString &address);
  // The choice the link resolution makes on a final address; false when nothing plays.
  bool PlayStreamFor(const QString &address);

  // The end-of-stream sync. Runs on an engine thread; its effects reach the user-interface
  // thread through a queued call.
  static void EndSyncProc(HSYNC handle, DWORD channel, DWORD data, void *user);

  // Transport buttons.
  void an_play_Click();
  void an_pause_Click();
  void an_stop_Click();
  void an_next_Click();
  void an_prev_Click();

  // Starts the entry under the play mark.
  void listplay();
  // Purges the URL cache of our web requests.
  void delie6();

  // Timer ticks.
  void tmrNetRadio_Timer();
  void music_next_Timer();
  void times_zt_Timer();
  void Timer2_Timer();
  void ShowTimeDigits();

  // The engine is going away: no end-of-stream notice reaches this core any more.
  void detachFromEngine();

signals:
  // Emitted on the user-interface thread when the current stream has ended.
  void streamEnded();

private:
  void openStream(const QString &address, StreamKind kind);
  // Writes the open stream's length, once known, into the time column of the row it plays.
  void showLengthInRow();
  const cbass_time &timeFormat() const;
  void onStreamEnd(DWORD channel);
  void switchOnAdvance();

  PlayerFace &face_;
  PlayerState state_;
  // The row the open stream plays and that row's link, taken when it opened: a list loaded
  // or changed since leaves the new rows' times alone.
  int streamRow_ = -1;
  QString streamLink_;
};

} // namespace lumiqo
