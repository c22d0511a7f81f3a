// Catalogue figures: a full 32 767-row list from a loopback server into the play list
// (fetch, decode, parse, fill, after emptying the previous list), and the throughput of the
// hex decoder and of GBK decoding of a 50 MB body.
#include "base/gbk.h"
#include "catalogue/catalogue_state.h"
#include "catalogue/hex_codec.h"
#include "catalogue/list_text.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <thread>

namespace {

using namespace lumiqo;

QString bigList(int rows) {
  QString text;
  for (int i = 0; i < rows; ++i)
    text +=
        QStringLiteral("第%1首歌,歌手%2,%3\r\n").arg(i).arg(i % 500).arg(i * 7919, 8, 16, QLatin1Char('0'));
  return text;
}

class LoopbackList {
public:
  explicit LoopbackList(const std::string &body) {
    server_.Get("/soft/mlist0.asp", [body](const httplib::Request &, httplib::Response &res) {
      res.set_content(body, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running())
      std::this_thread::yield();
    qputenv("LUMIQO_CATALOGUE_HOST", QByteArray("127.0.0.1:") + QByteArray::number(port_));
  }
  ~LoopbackList() {
    server_.stop();
    thread_.join();
  }

private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

void BM_LoadFullList(benchmark::State &state) {
  const std::string body = toGbk(bigList(QMListBox::kMaxRows)).toStdString();
  LoopbackList server(body);
  QMListBox list;
  list.resizeTo(354);
  CatalogueState catalogue;
  for (auto _ : state) {
    LoadList(QStringLiteral("M0"), list, catalogue);
    benchmark::DoNotOptimize(list.ListCount());
  }
  if (list.ListCount() != QMListBox::kMaxRows)
    state.SkipWithError("the list did not fill");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(body.size()));
  state.counters["rows"] = list.ListCount();
}
BENCHMARK(BM_LoadFullList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParseAndFill(benchmark::State &state) {
  const QString text = bigList(QMListBox::kMaxRows);
  CatalogueState catalogue;
  for (auto _ : state) {
    QMListBox list;
    for (const ListRecord &r : ParseListText(text))
      list.AddItem(r.title, r.artist, r.link, InventedTime(catalogue.random));
    benchmark::DoNotOptimize(list.ListCount());
  }
}
BENCHMARK(BM_ParseAndFill)->Unit(benchmark::kMillisecond);

void BM_HexDecodeText(benchmark::State &state) {
  const QString hex = HexEncodeText(bigList(static_cast<int>(state.range(0))));
  for (auto _ : state)
    benchmark::DoNotOptimize(HexDecodeText(hex));
  // Bytes of hex text read per second.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * hex.size());
}
BENCHMARK(BM_HexDecodeText)->Arg(100)->Arg(20000);

void BM_DecodeGbkBody(benchmark::State &state) {
  const QByteArray body = toGbk(bigList(static_cast<int>(state.range(0))));
  for (auto _ : state)
    benchmark::DoNotOptimize(fromGbk(body));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * body.size());
  state.counters["body_MB"] = static_cast<double>(body.size()) / 1e6;
}
BENCHMARK(BM_DecodeGbkBody)->Arg(20)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
