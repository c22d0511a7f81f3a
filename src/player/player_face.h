#pragma once
// What the player core needs from the main window and its neighbours: the state label
// `play_zt`, the transport buttons, the time digits, the seek knob, the caption, the lyrics
// view `LrcShow1`, the play list `m_list`, `savelrc` and the link-resolution timer. The main
// window `qorvex` implements it by forwarding to its controls.

#include <QString>

namespace lumiqo {

class PlayerFace {
public:
  virtual ~PlayerFace() = default;

  // The state label `play_zt`.
  virtual QString stateText() const = 0;
  virtual void setStateText(const QString &text) = 0;

  // Pause visible and play hidden while playing; the other way round otherwise.
  virtual void showPlaying(bool playing) = 0;

  // The text box `timeslisttext` and the digit pictures `timelist`(index). A picture that
  // cannot be loaded gives false and leaves the picture as it was.
  virtual QString timeText() const = 0;
  virtual void setTimeText(const QString &text) = 0;
  virtual bool loadTimeDigit(int index, const QString &path) = 0;

  // The seek knob `an_bar`, its left in twips.
  virtual void setSeekKnobLeft(double left) = 0;

  // The caption `gd_a`; setting it restarts the scroll (`gd_i` = 0).
  virtual void setCaption(const QString &text) = 0;

  // The lyrics view `LrcShow1`.
  virtual void setLyricsFilePath(const QString &path) = 0;
  virtual void setLyricsTime(float hundredths) = 0;
  virtual void setLyricsTimerE(bool on) = 0;

  // The play list `m_list`. Rows outside the list read as empty texts.
  virtual int PlayIndex() const = 0;
  virtual void setPlayIndex(int index) = 0;
  virtual void setListIndex(int index) = 0;
  virtual int ListCount() const = 0;
  virtual QString Title(int row) const = 0;
  virtual QString Author(int row) const = 0;
  virtual QString URL(int row) const = 0;
  // A row's time column; the new text shows at once.
  virtual QString StrTime(int row) const = 0;
  virtual void setStrTime(int row, const QString &text) = 0;

  // Hands the lyrics text to the lyrics store (which may rewrite it).
  virtual void savelrc(QString &text) = 0;

  // Switches on the link resolution of `cur_song` (`Timer1`).
  virtual void startLinkResolution() = 0;
};

} // namespace lumiqo
