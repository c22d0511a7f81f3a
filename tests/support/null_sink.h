#pragma once
// The PulseAudio null sink lumiqo_null (started by scripts/sound-server.sh) as a test hears
// it: whether it is there, this process's playback stream on it, and what that stream plays.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <cstdint>
#include <cstring>
#include <vector>

namespace lumiqo::test {

inline bool nullSinkExists() {
  QProcess pactl;
  pactl.start("pactl", {"list", "short", "sinks"});
  if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0)
    return false;
  return pactl.readAllStandardOutput().contains("lumiqo_null");
}

// The index of this process's newest playback stream on the sound server, or -1; recording
// only it keeps other programs playing into the same sink out of the recording.
inline int ourSinkInput() {
  QProcess pactl;
  pactl.start("pactl", {"list", "sink-inputs"});
  if (!pactl.waitForFinished(5000))
    return -1;
  int index = -1, ours = -1;
  const QString pid = QString::number(QCoreApplication::applicationPid());
  for (const QString &line : QString::fromUtf8(pactl.readAllStandardOutput()).split('\n')) {
    const QString t = line.trimmed();
    if (t.startsWith("Sink Input #"))
      index = t.mid(12).toInt();
    else if (t == "application.process.id = \"" + pid + "\"")
      ours = std::max(ours, index);
  }
  return ours;
}

// `seconds` of what the playback stream `sinkInput` sends to lumiqo_null: 44100 Hz mono.
inline std::vector<std::int16_t> recordSinkInput(int sinkInput, double seconds) {
  QProcess rec;
  rec.start("parec", {"-d", "lumiqo_null.monitor", "--monitor-stream=" + QString::number(sinkInput), "--raw",
                      "--format=s16le", "--rate=44100", "--channels=1"});
  QByteArray raw;
  if (rec.waitForStarted(5000)) {
    const auto wanted = static_cast<qsizetype>(seconds * 44100) * 2;
    const QDeadlineTimer enough(static_cast<qint64>(seconds * 1000) + 15000);
    while (raw.size() < wanted && !enough.hasExpired() && rec.state() == QProcess::Running) {
      rec.waitForReadyRead(100);
      raw += rec.readAllStandardOutput();
    }
  }
  rec.kill();
  rec.waitForFinished(5000);
  std::vector<std::int16_t> samples(static_cast<size_t>(raw.size()) / 2);
  std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
  return samples;
}

// The pitch of a recorded tone from its zero crossings, over the samples louder than `floor`
// and what lies between them; 0 when nothing was that loud.
inline double tonePitch(const std::vector<std::int16_t> &s, int floor = 300) {
  std::size_t first = 0, last = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (std::abs(int(s[i])) > floor) {
      if (!first)
        first = i;
      last = i;
    }
  }
  if (last <= first + 4410)
    return 0;
  int crossings = 0;
  for (std::size_t i = first + 1; i <= last; ++i)
    crossings += (s[i - 1] < 0) != (s[i] < 0);
  return crossings / 2.0 / (double(last - first) / 44100.0);
}

} // namespace lumiqo::test
