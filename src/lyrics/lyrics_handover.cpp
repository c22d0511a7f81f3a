#include "lyrics/lyrics_handover.h"

#include "base/lyrics_bounds.h"
#include "lyrics/downlrc.h"
#include "lyrics/lrc_show.h"
#include "lyrics/lyrics_texts.h"
#include "lyrics/text_file.h"

namespace lumiqo {

LyricsHandover::LyricsHandover(LyricsHost host, qint16 &lrc_shown, const QString &lrc_text, QTimer *latency)
    : host_(std::move(host)), lrc_shown_(lrc_shown), lrc_text_(lrc_text), latency_(latency) {}

void LyricsHandover::savelrc(QString &gc) {
  if (gc == SiteLine() || lyricsOverBounds(gc))
    gc = NoLyricsText();
  if (host_.lyricsView)
    host_.lyricsView().begin(0, false, gc);
}

QString LyricsHandover::songName() const {
  QString name = host_.captionText ? host_.captionText() : QString();
  name.remove(QStringLiteral("[歌名]:"));
  name.remove(QStringLiteral("[歌手]:"));
  return name;
}

void LyricsHandover::savelrc2(const QString &gc) {
  const QString scratch = downlrc::LyricsScratchFile();
  const QString crlf = QStringLiteral("\r\n");
  if (gc == NotFoundText() || gc == SiteLine()) {
    if (downlrc::DownLrc(songName()))
      writeGbkText(scratch, SourceLine() + crlf, true);
    else
      writeGbkText(scratch, SiteLine() + crlf, false);
  } else {
    writeGbkText(scratch, gc + crlf, false);
  }
  if (!host_.lyricsView)
    return;
  LrcShow &view = host_.lyricsView();
  view.setFilePath(scratch);
  view.begin(0);
}

void LyricsHandover::LatencyTick() {
  if (lrc_text_ != NoLyricsText()) {
    if (lrc_shown_ == 0) {
      if (host_.fadeInLyricsWindow)
        host_.fadeInLyricsWindow();
      lrc_shown_ = 1;
      if (host_.lyricsView)
        host_.lyricsView().setTimerE(true);
      if (host_.switchLyricsClock)
        host_.switchLyricsClock(true);
    }
  } else if (lrc_shown_ == 1) {
    if (host_.fadeOutLyricsWindow)
      host_.fadeOutLyricsWindow();
    lrc_shown_ = 0;
    if (host_.lyricsView)
      host_.lyricsView().setTimerE(false);
    if (host_.switchLyricsClock)
      host_.switchLyricsClock(false);
  }
  if (latency_)
    latency_->stop();
}

} // namespace lumiqo
