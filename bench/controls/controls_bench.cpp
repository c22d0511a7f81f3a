// The play list view and its scroll bar on the offscreen platform: a list of 32 767 rows
// loaded and painted, a wheel step and a scroll-bar hover change redrawn (ms per frame), a
// full page drawn, and the timer events that fire while the pointer rests outside.
#include "controls/play_list_view.h"
#include "controls/scrollbar_test_art.h"
#include "controls/uc_scrollbar.h"

#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

using lumiqo::PlayListView;
using lumiqo::QMListBox;

constexpr int kRows = QMListBox::kMaxRows;

// The rows' texts, made once: a load measures the list, not the making of its texts.
struct RowTexts {
  RowTexts() {
    for (int i = 0; i < kRows; ++i) {
      titles.append(QStringLiteral("第%1首歌 A Song With A Rather Long Title %1").arg(i));
      links.append(QStringLiteral("http://127.0.0.1/%1").arg(i));
      times.append(QStringLiteral("04:%1").arg(i % 60, 2, 10, QChar(u'0')));
    }
  }
  void fill(QMListBox &model, int rows) const {
    model.reserve(rows);
    for (int i = 0; i < rows; ++i)
      model.AddItem(titles[i], QStringLiteral("歌手 Singer"), links[i], times[i]);
  }
  QStringList titles, links, times;
};

const RowTexts &rowTexts() {
  static const RowTexts texts;
  return texts;
}

// The play list's place in its window: 286 x 271.
struct ShownList {
  ShownList() {
    // The program's bitmaps are generated with the skin; the tests' set has their sizes.
    view.ucBar().setDrawing(std::make_unique<lumiqo::cScrollbarDraw>(lumiqo::test::testBitmaps()));
    view.resize(286, 271);
    view.show();
    QCoreApplication::processEvents();
  }
  void fill(int rows) { rowTexts().fill(model, rows); }
  QMListBox model;
  PlayListView view{model};
};

void wheel(QWidget &w, int delta) {
  QWheelEvent e(QPointF(50, 50), w.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&w, &e);
}

void BM_LoadAndFirstPaint32767Rows(benchmark::State &state) {
  rowTexts();
  for (auto _ : state) {
    state.PauseTiming(); // a shown, empty list
    auto list = std::make_unique<ShownList>();
    state.ResumeTiming();
    list->fill(kRows);
    list->view.repaint();
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadAndFirstPaint32767Rows)->Unit(benchmark::kMillisecond)->Iterations(20);

// The same rows into the model alone: what the view adds to a load is the difference.
void BM_Load32767RowsModelOnly(benchmark::State &state) {
  for (auto _ : state) {
    QMListBox model;
    rowTexts().fill(model, kRows);
    benchmark::DoNotOptimize(model.ListCount());
  }
}
BENCHMARK(BM_Load32767RowsModelOnly)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_WheelStepRedrawn(benchmark::State &state) {
  ShownList list;
  list.fill(kRows);
  list.view.repaint();
  int direction = -1;
  for (auto _ : state) {
    const int before = list.model.FirstIndex();
    wheel(list.view, 120 * direction);
    if (list.model.FirstIndex() == before) { // an end of the list: turn back
      direction = -direction;
      wheel(list.view, 120 * direction);
    }
    list.view.repaint();
  }
}
BENCHMARK(BM_WheelStepRedrawn)->Unit(benchmark::kMillisecond);

void BM_FullPageDrawn(benchmark::State &state) {
  ShownList list;
  list.fill(kRows);
  list.model.setListIndex(3);
  list.model.setPlayIndex(5);
  for (auto _ : state)
    list.view.repaint(list.view.rowsArea());
}
BENCHMARK(BM_FullPageDrawn)->Unit(benchmark::kMillisecond);

void BM_ScrollbarHoverChangeRedrawn(benchmark::State &state) {
  ShownList list;
  list.fill(kRows);
  lumiqo::ucScrollbar &bar = list.view.ucBar();
  const QPoint spots[2] = {QPoint(8, 5), QPoint(8, bar.height() / 2)}; // the arrow, the track
  int i = 0;
  for (auto _ : state) {
    const QPoint at = spots[i++ % 2];
    QMouseEvent move(QEvent::MouseMove, QPointF(at), bar.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &move);
    bar.repaint();
  }
}
BENCHMARK(BM_ScrollbarHoverChangeRedrawn)->Unit(benchmark::kMillisecond);

// Counts every timer event in the program except the one that ends the wait.
struct TimerCount : QObject {
  bool eventFilter(QObject *receiver, QEvent *e) override {
    if (e->type() == QEvent::Timer && receiver != ender)
      ++count;
    return false;
  }
  QObject *ender = nullptr;
  long count = 0;
};

// A second of rest after the pointer hovered the bar, pressed and released an arrow, and left.
void BM_TimerEventsWhilePointerRestsOutside(benchmark::State &state) {
  ShownList list;
  list.fill(kRows);
  lumiqo::ucScrollbar &bar = list.view.ucBar();
  auto mouse = [&bar](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(at), bar.mapToGlobal(QPointF(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(&bar, &e);
  };
  long fired = 0;
  for (auto _ : state) {
    mouse(QEvent::MouseMove, {8, 40}, Qt::NoButton);
    mouse(QEvent::MouseMove, {8, 5}, Qt::NoButton);
    mouse(QEvent::MouseButtonPress, {8, 5}, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {8, 5}, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&bar, &leave);
    TimerCount counter;
    QEventLoop loop;
    QTimer end;
    end.setSingleShot(true);
    counter.ender = &end;
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    qApp->installEventFilter(&counter);
    end.start(1000);
    loop.exec();
    qApp->removeEventFilter(&counter);
    fired += counter.count;
  }
  state.counters["timer_events_per_s"] = benchmark::Counter(static_cast<double>(fired) / state.iterations());
}
BENCHMARK(BM_TimerEventsWhilePointerRestsOutside)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
