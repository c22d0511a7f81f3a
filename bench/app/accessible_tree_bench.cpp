// What a screen reader's dump of the whole player costs: the three windows' accessible trees
// read interface by interface (role, name, states, children), with 32 767 rows in the play
// list, first when no cell of the list has been read yet (every cell made then), then again
// with the cells kept. And what keeping the tree costs while no tool listens: a list load.

#include "app/qorvex.h"
#include "base/app_folder.h"
#include "base/message_box.h"
#include "catalogue/frm_play_list.h"
#include "controls/play_list_view.h"
#include "controls/qmlistbox.h"
#include "lyrics/frm_lrc_show.h"

#include <QAccessible>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace lumiqo {
namespace {

constexpr int kRows = QMListBox::kMaxRows;

struct World {
  QTemporaryDir root;
  std::unique_ptr<qorvex> window;

  World() {
    for (const char *dir : {"prog/inc", "prog/skin", "run"})
      QDir(root.path()).mkpath(dir);
    QFile::setPermissions(root.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", root.filePath("run").toLocal8Bit());
    setAppFolderForTesting(root.filePath("prog"));
    setMessageHandler([](const MessageRequest &) {});
    window = std::make_unique<qorvex>();
    fill(*window->m_list);
  }
  ~World() {
    window.reset();
    setMessageHandler({});
    setAppFolderForTesting({});
  }
  static void fill(QMListBox &list) {
    list.Clear();
    list.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
      list.AddItem(QStringLiteral("第%1首歌 A Song %1").arg(i), QStringLiteral("歌手 Singer"),
                   QStringLiteral("http://127.0.0.1/%1").arg(i), QStringLiteral("04:%1").arg(i % 60));
  }
};

World &world() {
  static World w;
  return w;
}

// Reads what a dump reads of every interface under `iface`; the number of interfaces.
long long dump(QAccessibleInterface *iface) {
  long long n = 1;
  benchmark::DoNotOptimize(iface->role());
  benchmark::DoNotOptimize(iface->text(QAccessible::Name).size());
  benchmark::DoNotOptimize(iface->state());
  const int count = iface->childCount();
  for (int i = 0; i < count; ++i)
    if (QAccessibleInterface *child = iface->child(i))
      n += dump(child);
  return n;
}

long long dumpAll() {
  qorvex &w = *world().window;
  return dump(QAccessible::queryAccessibleInterface(&w)) +
         dump(QAccessible::queryAccessibleInterface(&w.playListWindow())) +
         dump(QAccessible::queryAccessibleInterface(&w.lyricsWindow()));
}

// The list's rows changed (as a reload would tell a listening tool): no cell is kept.
void forgetCells() {
  QAccessibleTableModelChangeEvent reset(world().window->playListWindow().m_listView,
                                         QAccessibleTableModelChangeEvent::ModelReset);
  QAccessible::queryAccessibleInterface(world().window->playListWindow().m_listView)
      ->tableInterface()
      ->modelChange(&reset);
}

void BM_DumpTreeFirstRead(benchmark::State &state) {
  long long interfaces = 0;
  for (auto _ : state) {
    state.PauseTiming();
    forgetCells();
    state.ResumeTiming();
    interfaces = dumpAll();
  }
  state.counters["interfaces"] = static_cast<double>(interfaces);
}
BENCHMARK(BM_DumpTreeFirstRead)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DumpTreeAgain(benchmark::State &state) {
  dumpAll();
  long long interfaces = 0;
  for (auto _ : state)
    interfaces = dumpAll();
  state.counters["interfaces"] = static_cast<double>(interfaces);
}
BENCHMARK(BM_DumpTreeAgain)->Unit(benchmark::kMillisecond)->Iterations(5);

// A load of 32 767 rows while no tool listens, as before there were tools to tell.
void BM_LoadListNoToolListening(benchmark::State &state) {
  for (auto _ : state)
    World::fill(*world().window->m_list);
}
BENCHMARK(BM_LoadListNoToolListening)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
} // namespace lumiqo
