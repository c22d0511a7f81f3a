#pragma once
// Work on items 0 .. count-1 spread over worker threads, handed back in item order. Workers
// run at most `window` items ahead of the caller, so a slow consumer bounds what is held.

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace lumiqo::server {

template <typename Result> class OrderedPool {
public:
  OrderedPool(std::size_t count, int threads, std::size_t window, std::function<Result(std::size_t)> work)
      : count_(count), window_(std::max<std::size_t>(window, 1)), work_(std::move(work)), slots_(window_) {
    const int n =
        static_cast<int>(std::min<std::size_t>(count, static_cast<std::size_t>(std::max(threads, 1))));
    for (int i = 0; i < n; ++i)
      workers_.emplace_back([this] { run(); });
  }

  ~OrderedPool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    room_.notify_all();
    for (std::thread &t : workers_)
      t.join();
  }

  OrderedPool(const OrderedPool &) = delete;
  OrderedPool &operator=(const OrderedPool &) = delete;

  // The result of the next item in order; waits for it. Call exactly `count` times.
  Result next() {
    std::unique_lock lock(mutex_);
    std::optional<Result> &slot = slots_[taken_ % window_];
    ready_.wait(lock, [&] { return slot.has_value(); });
    Result result = std::move(*slot);
    slot.reset();
    ++taken_;
    lock.unlock();
    room_.notify_all();
    return result;
  }

private:
  void run() {
    for (;;) {
      std::size_t item;
      {
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return stopping_ || next_ >= count_ || next_ < taken_ + window_; });
        if (stopping_ || next_ >= count_)
          return;
        item = next_++;
      }
      Result result = work_(item);
      {
        std::lock_guard lock(mutex_);
        slots_[item % window_] = std::move(result);
      }
      ready_.notify_all();
    }
  }

  const std::size_t count_;
  const std::size_t window_;
  const std::function<Result(std::size_t)> work_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable room_;
  std::vector<std::optional<Result>> slots_;
  std::size_t next_ = 0;
  std::size_t taken_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

} // namespace lumiqo::server
