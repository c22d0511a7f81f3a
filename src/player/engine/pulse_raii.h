#pragma once
// Owning handles and a scoped lock for the PulseAudio objects of the output.

#include <pulse/pulseaudio.h>

#include <memory>

namespace lumiqo::engine {

struct MainloopDeleter {
  void operator()(pa_threaded_mainloop *m) const {
    pa_threaded_mainloop_stop(m);
    pa_threaded_mainloop_free(m);
  }
};
struct ContextDeleter {
  void operator()(pa_context *c) const {
    pa_context_set_state_callback(c, nullptr, nullptr);
    pa_context_disconnect(c);
    pa_context_unref(c);
  }
};
struct StreamDeleter {
  void operator()(pa_stream *s) const {
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_set_write_callback(s, nullptr, nullptr);
    pa_stream_disconnect(s);
    pa_stream_unref(s);
  }
};
struct OperationDeleter {
  void operator()(pa_operation *o) const {
    pa_operation_cancel(o);
    pa_operation_unref(o);
  }
};

using MainloopPtr = std::unique_ptr<pa_threaded_mainloop, MainloopDeleter>;
using ContextPtr = std::unique_ptr<pa_context, ContextDeleter>;
using PaStreamPtr = std::unique_ptr<pa_stream, StreamDeleter>;
using OperationPtr = std::unique_ptr<pa_operation, OperationDeleter>;

// Holds the threaded main loop's lock; contexts and streams are touched only under it.
class MainloopLock {
public:
  explicit MainloopLock(pa_threaded_mainloop *m) : m_(m) { pa_threaded_mainloop_lock(m_); }
  ~MainloopLock() { pa_threaded_mainloop_unlock(m_); }
  MainloopLock(const MainloopLock &) = delete;
  MainloopLock &operator=(const MainloopLock &) = delete;

private:
  pa_threaded_mainloop *m_;
};

} // namespace lumiqo::engine
