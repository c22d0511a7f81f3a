#include "import_progress.h"

#include <cmath>

namespace lumiqo::server {
namespace {

std::string duration(double seconds) {
  const long s = std::lround(seconds);
  if (s < 60)
    return std::to_string(s) + " s";
  if (s < 3600)
    return std::to_string(s / 60) + " min " + std::to_string(s % 60) + " s";
  return std::to_string(s / 3600) + " h " + std::to_string(s % 3600 / 60) + " min";
}

constexpr const char *kClearLine = "\r\033[K";

} // namespace

std::string progressLine(const ImportProgress &p, double rate) {
  switch (p.phase) {
  case ImportProgress::Phase::Scanning:
    return "scanning the folder: " + std::to_string(p.done) + " files found";
  case ImportProgress::Phase::Writing: return "writing the catalogue";
  case ImportProgress::Phase::Reading: break;
  }
  const std::size_t percent = p.total ? p.done * 100 / p.total : 100;
  std::string line = "reading " + std::to_string(p.done) + " of " + std::to_string(p.total) + " files (" +
                     std::to_string(percent) + "%)";
  if (rate > 0) {
    line += ", " + std::to_string(std::lround(rate)) + " files/s";
    if (p.done < p.total)
      line += ", " + duration(static_cast<double>(p.total - p.done) / rate) + " left";
  }
  return line;
}

std::string importSummary(const ImportReport &r, const std::string &folder, const std::string &db) {
  std::string out = "imported " + folder + " into " + db + ": " + std::to_string(r.added) + " added, " +
                    std::to_string(r.updated) + " updated, " + std::to_string(r.unchanged) + " unchanged, " +
                    std::to_string(r.removed) + " removed, " + std::to_string(r.searchOnlyLyrics) +
                    " lyrics for the lyrics search only\n";
  std::string skipped;
  for (int k = 0; k < kSkipKinds; ++k) {
    if (r.skipped[static_cast<std::size_t>(k)] == 0)
      continue;
    skipped += (skipped.empty() ? "" : ", ") + std::to_string(r.skipped[static_cast<std::size_t>(k)]) + " " +
               skipText(static_cast<Skip>(k));
  }
  out += "skipped: " + (skipped.empty() ? std::string("nothing") : skipped) + "\n";
  out += std::to_string(r.warnings.size()) + (r.warnings.size() == 1 ? " warning" : " warnings") +
         (r.warnings.isEmpty() ? "" : " (above)") + "\n";
  return out;
}

ProgressPrinter::ProgressPrinter(std::FILE *out, bool terminal, Clock clock)
    : out_(out), terminal_(terminal), clock_(std::move(clock)), lastDrawn_(clock_()) {}

ProgressPrinter::~ProgressPrinter() {
  finish();
}

void ProgressPrinter::update(const ImportProgress &p) {
  const auto now = clock_();
  const bool newPhase = !started_ || p.phase != phase_;
  if (newPhase && p.phase == ImportProgress::Phase::Reading) {
    readingSince_ = now;
    readingFrom_ = p.done;
  }
  started_ = true;
  phase_ = p.phase;
  // A file gets a line now and then; quick imports print only their summary.
  const bool due = terminal_ ? newPhase || now - lastDrawn_ >= kRedraw : now - lastDrawn_ >= kPlainLine;
  if (!due)
    return;
  double rate = 0;
  const double seconds = std::chrono::duration<double>(now - readingSince_).count();
  if (p.phase == ImportProgress::Phase::Reading && seconds >= 0.5)
    rate = static_cast<double>(p.done - readingFrom_) / seconds;
  lastDrawn_ = now;
  draw(progressLine(p, rate));
}

void ProgressPrinter::warning(const QString &text) {
  const std::string line = "warning: " + text.toStdString() + "\n";
  if (terminal_ && !shown_.empty())
    std::fprintf(out_, "%s%s%s", kClearLine, line.c_str(), shown_.c_str());
  else
    std::fputs(line.c_str(), out_);
  std::fflush(out_);
}

void ProgressPrinter::finish() {
  if (terminal_ && !shown_.empty()) {
    std::fputs(kClearLine, out_);
    std::fflush(out_);
  }
  shown_.clear();
}

void ProgressPrinter::draw(const std::string &line) {
  if (terminal_) {
    std::fprintf(out_, "%s%s", kClearLine, line.c_str());
    shown_ = line;
  } else {
    std::fprintf(out_, "%s\n", line.c_str());
  }
  std::fflush(out_);
}

} // namespace lumiqo::server
