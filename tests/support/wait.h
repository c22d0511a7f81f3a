#pragma once
// Waiting on the UI thread's event loop in tests, by the clock.

#include <QCoreApplication>

#include <chrono>
#include <thread>

namespace lumiqo::test {

// Processes the UI thread's events until done() holds or timeoutMs passes; false when it
// never held.
template <typename Pred> bool waitUntil(Pred done, int timeoutMs = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// Processes the UI thread's events for ms milliseconds.
inline void settle(int ms) {
  waitUntil([] { return false; }, ms);
}

} // namespace lumiqo::test
