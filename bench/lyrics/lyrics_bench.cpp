// Lyrics: parsing a song's LRC and a hostile text, the cost of hostile lyrics shown in the
// view (time, and the peak memory growth: run one case per process for that figure), and the
// CPU the lyrics view costs while it scrolls (offscreen platform; % of one core from getrusage).
#include "lyrics/exchange_order.h"
#include "lyrics/lrc_show.h"
#include "lyrics/lrc_timeline.h"

#include <QApplication>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

QString songLrc(int lines) {
  QString text = QStringLiteral("[ti:歌名]\r\n[ar:歌手]\r\n[al:专辑]\r\n[by:lumiqo]\r\n");
  for (int i = 0; i < lines; ++i) {
    const int t = 1000 + i * 300;
    text += QStringLiteral("[%1:%2.%3]第%4行歌词 line %4\r\n")
                .arg(t / 6000, 2, 10, QChar(u'0'))
                .arg(t / 100 % 60, 2, 10, QChar(u'0'))
                .arg(t % 100, 2, 10, QChar(u'0'))
                .arg(i);
  }
  return text;
}

void BM_Parse300LineLrc(benchmark::State &state) {
  const QString text = songLrc(300);
  for (auto _ : state)
    benchmark::DoNotOptimize(lumiqo::parseLrc(text));
}
BENCHMARK(BM_Parse300LineLrc)->Unit(benchmark::kMicrosecond);

void BM_ParseHostileBrackets(benchmark::State &state) {
  const QString text(static_cast<qsizetype>(state.range(0)), QChar(u'['));
  for (auto _ : state)
    benchmark::DoNotOptimize(lumiqo::parseLrc(text));
}
BENCHMARK(BM_ParseHostileBrackets)->Arg(200000)->Unit(benchmark::kMillisecond);

// Many tags with falling and equal times: the costly case for the exchange sort.
std::vector<std::int32_t> tiedFallingTimes(std::size_t n) {
  std::vector<std::int32_t> times(n);
  for (std::size_t i = 0; i < n; ++i)
    times[i] = static_cast<std::int32_t>((n - i) / 3 % 5000);
  return times;
}

void BM_ExchangeOrder(benchmark::State &state) {
  const auto times = tiedFallingTimes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(lumiqo::exchangeSortOrder(times));
}
BENCHMARK(BM_ExchangeOrder)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond);

// The quadratic exchange sort, for comparison (200 000 would take minutes).
void BM_PlainExchangeSort(benchmark::State &state) {
  const auto times = tiedFallingTimes(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state)
    benchmark::DoNotOptimize(lumiqo::plainExchangeSortOrder(times));
}
BENCHMARK(BM_PlainExchangeSort)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Hostile lyrics through the view as a song's lyrics arrive (begin and the first drawing):
// 0: 5 MB of "[" (beyond the bounds); 1: as many empty tags as allowed before one long text;
// 2: one line of a mebicharacter; 3: as many tags as allowed, each with a line of text.
QString hostileLyrics(int kind) {
  switch (kind) {
  case 0: return QString(5 * 1024 * 1024, QChar(u'['));
  case 1: return QString(9999, QChar(u'[')) + QStringLiteral("[00:00.00]") + QString(1000000, QChar(u'a'));
  case 2: return QStringLiteral("[00:00.00]") + QString(1000000, QChar(u'a'));
  default: {
    QString text;
    for (int i = 0; i < 10000; ++i)
      text += QStringLiteral("[%1:00.00]").arg(i % 100, 2, 10, QChar(u'0')) + QString(90, QChar(u'b'));
    return text;
  }
  }
}

long maxRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void BM_ViewHostileLyrics(benchmark::State &state) {
  const QString text = hostileLyrics(static_cast<int>(state.range(0)));
  lumiqo::LrcShow view;
  view.resize(330, 300);
  view.show();
  static const long before = maxRssKb(); // the first run's: the peak only ever grows
  for (auto _ : state) {
    view.begin(0, false, text);
    view.begin(0, false, QStringLiteral("[00:00.00]next song"));
  }
  state.counters["peak_growth_MB"] = static_cast<double>(maxRssKb() - before) / 1024.0;
}
BENCHMARK(BM_ViewHostileLyrics)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The view shown, scrolling a 300-line song from its second minute, for `seconds`.
void BM_ViewScrollingCpu(benchmark::State &state) {
  const int seconds = static_cast<int>(state.range(0));
  for (auto _ : state) {
    lumiqo::LrcShow view;
    view.ReadProperties({0, 0x9B9B, 0xFFFF, QString(), QString(), false});
    view.resize(330, 300);
    view.show();
    view.begin(12000, false, songLrc(300));
    view.setTimerE(true);
    QApplication::processEvents();
    const double before = cpuSeconds();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QApplication::exec();
    state.counters["cpu_percent"] = (cpuSeconds() - before) / seconds * 100.0;
  }
}
BENCHMARK(BM_ViewScrollingCpu)->Arg(30)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace
