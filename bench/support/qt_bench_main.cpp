// Benchmark main for code that needs Qt's event loop: one QApplication on the offscreen
// platform (unless the caller chose another), then Google Benchmark.
#include <QApplication>
#include <benchmark/benchmark.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
