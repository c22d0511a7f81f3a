#pragma once
// How lyrics reach the lyrics view: savelrc hands a text over as it is, savelrc2 stores it
// (or lyrics found by a search) in the lyrics scratch file and shows that, and the Latency
// tick shows or hides the lyrics window by the lyrics text. The main window owns one and
// calls it; the view and the window's fades are reached through the host.

#include <QString>
#include <QTimer>
#include <functional>

namespace lumiqo {

class LrcShow;

struct LyricsHost {
  std::function<LrcShow &()> lyricsView;       // LrcShow1; creates the lyrics window when needed
  std::function<QString()> captionText;        // the main window's scrolling caption
  std::function<void()> fadeInLyricsWindow;    // fade control: handle, 255, 0, 255, 32
  std::function<void()> fadeOutLyricsWindow;   // fade control: handle, 255, 255, 0, -32
  std::function<void(bool)> switchLyricsClock; // true: enable the one-second timer and run it once
};

class LyricsHandover {
public:
  // `lrc_shown` and `lrc_text` are the shared player state; `latency` the main window's
  // Latency timer (may be null).
  LyricsHandover(LyricsHost host, qint16 &lrc_shown, const QString &lrc_text, QTimer *latency = nullptr);

  // Shows gc in the lyrics view. The site line alone means "no lyrics", and so does a text
  // too long to be lyrics: the caller's text becomes the no-lyrics text. An empty text leaves
  // the lyrics on display.
  void savelrc(QString &gc);

  // Writes gc to the lyrics scratch file — or, when gc says there are no lyrics, searches for
  // the song and writes what it found (or the site line) — and shows the file.
  void savelrc2(const QString &gc);

  // The song name for a search: the caption without "[歌名]:" and "[歌手]:".
  QString songName() const;

  void LatencyTick();

private:
  LyricsHost host_;
  qint16 &lrc_shown_;
  const QString &lrc_text_;
  QTimer *latency_;
};

} // namespace lumiqo
