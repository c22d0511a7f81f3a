// A window manager that does not do what programs ask of it, for the desktop tests: it maps
// every window where the window asks to be, then
//   --refuse     never moves a mapped window: a request's position is dropped (its size is
//                kept) and, like some window managers, it sends no word back about it;
//   --late MS    applies every request MS milliseconds after it came, so the confirmations
//                arrive long after the requests, as under a busy compositor.
// It prints "ready" once it manages the display, then every request that asks for a position,
// one line each, "move WINDOW X Y" (WINDOW in hexadecimal), and names itself on the root window
// like any window manager.
#include <xcb/xcb.h>

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
  void operator()(void *p) const { std::free(p); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

struct Pending {
  Clock::time_point due;
  xcb_window_t window;
  uint16_t mask;
  uint32_t values[7];
  int count;
};

xcb_atom_t atom(xcb_connection_t *c, const char *name) {
  Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
  return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// Names the manager on the root window (_NET_SUPPORTING_WM_CHECK), as tests wait for.
void announce(xcb_connection_t *c, xcb_screen_t *screen) {
  const xcb_window_t check = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, check, screen->root, -10, -10, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  const xcb_atom_t supporting = atom(c, "_NET_SUPPORTING_WM_CHECK");
  const xcb_atom_t name = atom(c, "_NET_WM_NAME");
  const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
  for (xcb_window_t w : {screen->root, check})
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, supporting, XCB_ATOM_WINDOW, 32, 1, &check);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, check, name, utf8, 8, 8, "stubborn");
}

// The values of a configure request in the order of its mask bits, without the position
// unless `withPosition`.
int requestValues(const xcb_configure_request_event_t *e, bool withPosition, uint16_t &mask,
                  uint32_t *values) {
  int n = 0;
  mask = 0;
  auto add = [&](uint16_t bit, uint32_t value) {
    if (e->value_mask & bit) {
      mask |= bit;
      values[n++] = value;
    }
  };
  if (withPosition) {
    add(XCB_CONFIG_WINDOW_X, static_cast<uint32_t>(e->x));
    add(XCB_CONFIG_WINDOW_Y, static_cast<uint32_t>(e->y));
  }
  add(XCB_CONFIG_WINDOW_WIDTH, e->width);
  add(XCB_CONFIG_WINDOW_HEIGHT, e->height);
  add(XCB_CONFIG_WINDOW_BORDER_WIDTH, e->border_width);
  add(XCB_CONFIG_WINDOW_SIBLING, e->sibling);
  add(XCB_CONFIG_WINDOW_STACK_MODE, e->stack_mode);
  return n;
}

} // namespace

int main(int argc, char **argv) {
  bool refuse = false;
  int lateMs = -1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--refuse") == 0)
      refuse = true;
    else if (std::strcmp(argv[i], "--late") == 0 && i + 1 < argc)
      lateMs = std::atoi(argv[++i]);
  }
  if (refuse == (lateMs >= 0)) {
    std::fprintf(stderr, "usage: %s --refuse | --late MS\n", argv[0]);
    return 2;
  }
  xcb_connection_t *c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::fprintf(stderr, "stubborn_wm: no display\n");
    return 1;
  }
  xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  if (Reply<xcb_generic_error_t> error{xcb_request_check(
          c, xcb_change_window_attributes_checked(c, screen->root, XCB_CW_EVENT_MASK, &redirect))}) {
    std::fprintf(stderr, "stubborn_wm: another window manager runs\n");
    return 1;
  }
  announce(c, screen);
  xcb_flush(c);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("ready\n");

  std::deque<Pending> pending;
  pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
  for (;;) {
    int wait = -1;
    if (!pending.empty()) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(pending.front().due - Clock::now());
      wait = static_cast<int>(std::max<long long>(0, left.count()));
    }
    poll(&fd, 1, wait);
    while (!pending.empty() && pending.front().due <= Clock::now()) {
      const Pending &p = pending.front();
      xcb_configure_window(c, p.window, p.mask, p.values);
      pending.pop_front();
    }
    while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(c)}) {
      switch (event->response_type & 0x7f) {
      case XCB_MAP_REQUEST:
        xcb_map_window(c, reinterpret_cast<xcb_map_request_event_t *>(event.get())->window);
        break;
      case XCB_CONFIGURE_REQUEST: {
        const auto *e = reinterpret_cast<xcb_configure_request_event_t *>(event.get());
        if (e->value_mask & (XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y))
          std::printf("move 0x%x %d %d\n", e->window, e->x, e->y);
        Pending p{Clock::now() + std::chrono::milliseconds(refuse ? 0 : lateMs), e->window, 0, {}, 0};
        p.count = requestValues(e, !refuse, p.mask, p.values);
        if (refuse) {
          if (p.count > 0)
            xcb_configure_window(c, p.window, p.mask, p.values);
        } else {
          pending.push_back(p);
        }
        break;
      }
      default: break;
      }
    }
    xcb_flush(c);
    if (xcb_connection_has_error(c))
      return 0; // the display went away
  }
}
