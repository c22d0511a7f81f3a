#pragma once
// What `lumiqo-server import` prints while it works and when it is done. On a terminal one
// line is redrawn in place (files done of total, rate, time left) and warnings scroll above
// it; into a file or a pipe a plain line goes out every few seconds.

#include "importer.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace lumiqo::server {

// "reading 1200 of 20000 files (6%), 850 files/s, 21 s left"; rate in files per second
// (0: not known yet).
std::string progressLine(const ImportProgress &progress, double rate);

// The closing lines: what changed, what was skipped and why, how many warnings.
std::string importSummary(const ImportReport &report, const std::string &folder, const std::string &db);

class ProgressPrinter {
public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  // A terminal is redrawn at most this often; a file gets a line this often.
  static constexpr std::chrono::milliseconds kRedraw{100};
  static constexpr std::chrono::seconds kPlainLine{5};

  ProgressPrinter(std::FILE *out, bool terminal, Clock clock = &std::chrono::steady_clock::now);
  ~ProgressPrinter();
  ProgressPrinter(const ProgressPrinter &) = delete;
  ProgressPrinter &operator=(const ProgressPrinter &) = delete;

  void update(const ImportProgress &progress);
  // A warning on a line of its own, above the progress line.
  void warning(const QString &text);
  // Clears the progress line (a terminal) before the summary.
  void finish();

private:
  void draw(const std::string &line);

  std::FILE *out_;
  const bool terminal_;
  const Clock clock_;
  std::chrono::steady_clock::time_point lastDrawn_{};
  std::chrono::steady_clock::time_point readingSince_{};
  std::size_t readingFrom_ = 0;
  ImportProgress::Phase phase_ = ImportProgress::Phase::Scanning;
  bool started_ = false;
  std::string shown_; // the progress line on the terminal now
};

} // namespace lumiqo::server
