// One run of skin-gen into a fresh folder: start-up, fonts, drawing both picture sets and
// writing every file, as the build pays it whenever the generator changes. Wall time, and the
// generator's own processor time (the counter), which a busy machine disturbs less.
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto seconds = [](const timeval &t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_SkinGeneratorRun(benchmark::State &state) {
  double cpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QTemporaryDir dir;
    const double before = childCpuSeconds();
    state.ResumeTiming();
    QProcess generator;
    generator.start(QStringLiteral(SKIN_GEN), {"--skin", dir.filePath("skin"), "--resources",
                                               dir.filePath("res"), "--icons", dir.filePath("icons")});
    if (!generator.waitForFinished(60000) || generator.exitCode() != 0) {
      state.SkipWithError("skin-gen failed");
      break;
    }
    cpu += childCpuSeconds() - before;
  }
  state.counters["generator_cpu_ms"] = benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK(BM_SkinGeneratorRun)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
