#pragma once
// The timeline of LRC lyrics: timed lines sorted by time, and the clock that says where the
// song stands. Times are hundredths of a second.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lumiqo {

struct LyricLine {
  std::int32_t time = 0;
  QString text; // without its tags, CR LF turned into spaces, trimmed of spaces
};

// Where a position falls in a timeline: current line c (the last one that started strictly
// before the position, else 0), next n and previous q (clamped to the timeline), the
// duration d of the current line (1 when zero), remaining r and elapsed e. Once the last line
// has begun it has no end in the timeline: it stays where a line starts (r = d) and lit
// (e never beyond d).
struct LinePlace {
  int c = 0;
  int n = 0;
  int q = 0;
  float d = 1;
  float r = 0;
  float e = 0;
};

// The lyrics text of a file: each line preceded by CR LF. Nothing when the file cannot be
// read.
std::optional<QString> readLrcFile(const QString &path);

// Builds the timeline of a lyrics text: one entry for the text before the first "[" and
// one for every "[", sorted as the lyrics' exchange sort leaves them.
std::vector<LyricLine> parseLrc(const QString &text);

// `lines` must not be empty and must be sorted by time. O(log n).
LinePlace findLine(const std::vector<LyricLine> &lines, float position);
// The position from which findLine gives the same place for every later one: the last line
// has begun and is fully lit. Same precondition as findLine.
float heldFrom(const std::vector<LyricLine> &lines);

class LrcTimeline {
public:
  LrcTimeline();

  // Reads the lyrics (from `filePath` when `formFile`, else `LrcTxt`), replaces the timeline
  // and anchors the clock at `PMtime`. An empty or unreadable source changes nothing and
  // gives false.
  bool begin(std::int32_t PMtime, bool formFile, const QString &LrcTxt, const QString &filePath);

  // Re-anchors the clock so that the position now is `position`.
  void setTime(float position);
  // The position now, from the clock.
  float position() const;

  bool hasLines() const { return allocated_; }
  const std::vector<LyricLine> &lines() const { return lines_; }

  // Seconds from a monotonic clock; tests put their own hand on it.
  void setClockForTesting(std::function<double()> clock);

private:
  std::vector<LyricLine> lines_;
  bool allocated_ = false;
  double reference_ = 0;  // clock seconds at which the song position was 0
  float lastWritten_ = 0; // the position last written (kept, not read back)
  std::function<double()> clock_;
};

} // namespace lumiqo
