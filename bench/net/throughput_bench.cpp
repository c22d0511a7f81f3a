// Loopback TCP throughput: SendData/GetData between two socket objects on the event loop,
// against a plain blocking POSIX pair (writer thread, reading main thread) moving the same
// bytes. Compare the bytes_per_second of the two.
#include "net/csocket_master.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace lumiqo;

constexpr qsizetype kTransfer = 8 * 1024 * 1024;
constexpr qsizetype kPiece = 64 * 1024;

template <typename Pred> bool pump(Pred done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  return done();
}

void BM_SocketMaster(benchmark::State &state) {
  CSocketMaster server;
  server.Bind(0, QStringLiteral("127.0.0.1"));
  server.Listen();
  CSocketMaster receiver;
  QObject::connect(&server, &CSocketMaster::ConnectionRequest, [&](qint32 id) { receiver.Accept(id); });
  CSocketMaster sender;
  sender.Connect(QStringLiteral("127.0.0.1"), server.LocalPort());
  if (!pump([&] { return sender.State() == sckConnected && receiver.State() == sckConnected; })) {
    state.SkipWithError("no connection");
    return;
  }
  qsizetype received = 0;
  QObject::connect(&receiver, &CSocketMaster::DataArrival, [&](qint32) {
    SocketValue bytes;
    receiver.GetData(bytes, vt::ByteArray);
    received += std::get<QByteArray>(bytes).size();
  });
  const QByteArray piece(kPiece, 'x');
  for (auto _ : state) {
    received = 0;
    for (qsizetype sent = 0; sent < kTransfer; sent += kPiece)
      sender.SendData(piece);
    if (!pump([&] { return received >= kTransfer; })) {
      state.SkipWithError("transfer stalled");
      return;
    }
  }
  state.SetBytesProcessed(state.iterations() * kTransfer);
}
BENCHMARK(BM_SocketMaster)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PosixBlockingPair(benchmark::State &state) {
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
  ::listen(listener, 1);
  ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
  const int writer = ::socket(AF_INET, SOCK_STREAM, 0);
  ::connect(writer, reinterpret_cast<sockaddr *>(&address), sizeof address);
  const int reader = ::accept(listener, nullptr, nullptr);
  std::vector<char> piece(kPiece, 'x');
  std::vector<char> in(kPiece);
  for (auto _ : state) {
    std::thread send([&] {
      for (qsizetype sent = 0; sent < kTransfer;) {
        const ssize_t n = ::send(writer, piece.data(), piece.size(), 0);
        if (n <= 0)
          return;
        sent += n;
      }
    });
    for (qsizetype got = 0; got < kTransfer;) {
      const ssize_t n = ::recv(reader, in.data(), in.size(), 0);
      if (n <= 0)
        break;
      got += n;
    }
    send.join();
  }
  state.SetBytesProcessed(state.iterations() * kTransfer);
  ::close(reader);
  ::close(writer);
  ::close(listener);
}
BENCHMARK(BM_PosixBlockingPair)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
