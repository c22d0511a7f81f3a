// Docking: the time of one moving (and sizing) step of the geometry, with the player's three
// windows and with 100 registered windows; and one step of the whole loop on real windows
// (offscreen), the docking object and the moves of the window and its glued windows included.
#include "controls/cmagneticwnd.h"
#include "controls/magnetic_dock.h"

#include <QWidget>
#include <benchmark/benchmark.h>

#include <memory>
#include <unordered_map>
#include <vector>

namespace lumiqo {
namespace {

using Rect = cMagneticWnd::Rect;

struct Desktop : cMagneticWnd::Platform {
  std::unordered_map<cMagneticWnd::WindowId, Rect> rects;
  bool IsLive(cMagneticWnd::WindowId w) const override { return rects.count(w) > 0; }
  Rect WindowRect(cMagneticWnd::WindowId w) const override { return rects.at(w); }
  bool IsMaximised(cMagneticWnd::WindowId) const override { return false; }
  Rect WorkArea(cMagneticWnd::WindowId) const override { return {0, 0, 1920, 1050}; }
  void Subclass(cMagneticWnd::WindowId) override {}
  void Unsubclass(cMagneticWnd::WindowId) override {}
};

// The player's group (main, lyrics right of it, playlist below), then more windows on a grid,
// every other one a child of the main window (a few of them glued through their siblings).
void registerWindows(Desktop &desk, cMagneticWnd &dock, int count) {
  desk.rects[1] = {100, 100, 400, 220};
  desk.rects[2] = {400, 100, 600, 400};
  desk.rects[3] = {100, 220, 400, 500};
  dock.AddWindow(1);
  dock.AddWindow(2, 1);
  dock.AddWindow(3, 1);
  for (int i = 4; i <= count; ++i) {
    const int col = (i - 4) % 12, row = (i - 4) / 12;
    desk.rects[i] = {700 + col * 100, 20 + row * 120, 790 + col * 100, 130 + row * 120};
    dock.AddWindow(i, i % 2 ? 1 : 0);
  }
}

void BM_MovingStep(benchmark::State &state) {
  Desktop desk;
  cMagneticWnd dock(desk);
  registerWindows(desk, dock, static_cast<int>(state.range(0)));
  const Rect start = desk.rects[1];
  dock.EnterSizeMove(1, {150, 110});
  int step = 0;
  for (auto _ : state) {
    const QPoint cursor(150 + step % 600, 110 + (step * 7) % 500);
    benchmark::DoNotOptimize(dock.Moving(1, start, cursor));
    ++step;
  }
}
BENCHMARK(BM_MovingStep)->Arg(3)->Arg(100);

void BM_SizingStep(benchmark::State &state) {
  Desktop desk;
  cMagneticWnd dock(desk);
  registerWindows(desk, dock, static_cast<int>(state.range(0)));
  dock.EnterSizeMove(2, {599, 399});
  int step = 0;
  for (auto _ : state) {
    const Rect proposed{400, 100, 600 + step % 700, 400 + step % 500};
    benchmark::DoNotOptimize(dock.Sizing(2, cMagneticWnd::BottomRight, proposed));
    ++step;
  }
}
BENCHMARK(BM_SizingStep)->Arg(3)->Arg(100);

// The glue recheck at the end of every drag: quadratic passes over the windows.
void BM_CheckGlueing(benchmark::State &state) {
  Desktop desk;
  cMagneticWnd dock(desk);
  registerWindows(desk, dock, static_cast<int>(state.range(0)));
  for (auto _ : state)
    dock.CheckGlueing();
}
BENCHMARK(BM_CheckGlueing)->Arg(3)->Arg(100);

// One mouse move of a drag of the main window on real frameless windows: the loop, the
// docking object, and the moves of the three windows.
void BM_LoopStepThreeWindows(benchmark::State &state) {
  std::vector<std::unique_ptr<QWidget>> windows;
  for (const QRect r : {QRect(100, 100, 300, 120), QRect(400, 100, 200, 300), QRect(100, 220, 300, 280)}) {
    windows.push_back(std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint));
    windows.back()->setGeometry(r);
    windows.back()->show();
  }
  MagneticDock dock;
  dock.AddWindow(windows[0].get());
  dock.AddWindow(windows[1].get(), windows[0].get());
  dock.AddWindow(windows[2].get(), windows[0].get());
  WindowDragLoop *loop = WindowDragLoop::of(windows[0].get());
  loop->pressed(WindowDragLoop::Caption, {150, 110});
  int step = 0;
  for (auto _ : state) {
    loop->moved({150 + step % 300, 110 + (step * 7) % 200});
    ++step;
  }
  loop->released();
}
BENCHMARK(BM_LoopStepThreeWindows);

} // namespace
} // namespace lumiqo
