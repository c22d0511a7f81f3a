#include "app/window_occlusion.h"

#include "controls/xcb_reply.h"

#include <QCoreApplication>
#include <QEvent>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <xcb/shape.h>

#include <vector>

namespace lumiqo {
namespace {

// After the first change of a burst (a window dragged over ours sends dozens), the stacking
// is looked at once this much later; at most a few times a second while it goes on.
constexpr int kSettleMs = 150;

struct Above {
  xcb_get_window_attributes_cookie_t attributes;
  xcb_get_geometry_cookie_t geometry;
  xcb_get_property_cookie_t opacity;
  xcb_shape_query_extents_cookie_t shape;
  bool shaped = false;
};

} // namespace

WindowOcclusion::WindowOcclusion(QWidget &area, QObject *parent) : QObject(parent), area_(area) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &WindowOcclusion::recheck);
  area_.window()->installEventFilter(this);
  if (QWindow *window = area_.window()->windowHandle())
    window->installEventFilter(this);
  connection_ = qtXcbConnection();
  if (connection_)
    listenToRoot();
  recheck();
}

WindowOcclusion::~WindowOcclusion() {
  if (connection_)
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

void WindowOcclusion::listenToRoot() {
  const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  XcbReply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection_, xcb_query_tree(connection_, area_.window()->winId()), nullptr));
  root_ = tree ? tree->root : screen ? screen->root : xcb_window_t(XCB_WINDOW_NONE);
  if (root_ == XCB_WINDOW_NONE) {
    connection_ = nullptr;
    return;
  }
  // The root window's properties (the stacking list among them): added to what the program
  // already listens to there.
  XcbReply<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, root_), nullptr));
  if (attributes && !(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
    const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
  }
  auto atom = [this](const char *name) {
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(qstrlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  };
  opacity_ = atom("_NET_WM_WINDOW_OPACITY");
  stacking_ = atom("_NET_CLIENT_LIST_STACKING");
  const xcb_query_extension_reply_t *shape = xcb_get_extension_data(connection_, &xcb_shape_id);
  shapeExtension_ = shape && shape->present;
  QCoreApplication::instance()->installNativeEventFilter(this);
}

bool WindowOcclusion::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
  if (eventType != "xcb_generic_event_t")
    return false;
  const auto *event = static_cast<const xcb_generic_event_t *>(message);
  bool changed = false;
  switch (event->response_type & 0x7f) {
  case XCB_PROPERTY_NOTIFY: {
    const auto *e = reinterpret_cast<const xcb_property_notify_event_t *>(event);
    changed = e->window == root_ && e->atom == stacking_ && stacking_ != XCB_ATOM_NONE;
    break;
  }
  case XCB_CONFIGURE_NOTIFY:
    changed = followed_.count(reinterpret_cast<const xcb_configure_notify_event_t *>(event)->event) > 0;
    break;
  case XCB_MAP_NOTIFY:
    changed = followed_.count(reinterpret_cast<const xcb_map_notify_event_t *>(event)->event) > 0;
    break;
  case XCB_UNMAP_NOTIFY:
    changed = followed_.count(reinterpret_cast<const xcb_unmap_notify_event_t *>(event)->event) > 0;
    break;
  case XCB_DESTROY_NOTIFY: {
    const auto *e = reinterpret_cast<const xcb_destroy_notify_event_t *>(event);
    changed = followed_.erase(e->event) > 0;
    break;
  }
  default: break;
  }
  if (changed && !settle_.isActive())
    settle_.start();
  return false; // the program's own handling sees every event as before
}

bool WindowOcclusion::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::Expose:
  case QEvent::Show:
  case QEvent::Hide: recheck(); break;
  case QEvent::Move:
  case QEvent::Resize:
    if (!settle_.isActive())
      settle_.start();
    break;
  case QEvent::WinIdChange:
    if (QWindow *window = area_.window()->windowHandle())
      window->installEventFilter(this);
    break;
  default: break;
  }
  return QObject::eventFilter(watched, event);
}

void WindowOcclusion::recheck() {
  const QWindow *window = area_.window()->windowHandle();
  const bool exposed = window && window->isExposed();
  const bool covered = !exposed || (connection_ && coveredByOthers());
  if (covered != covered_) {
    covered_ = covered;
    emit coveredChanged(covered);
  }
}

xcb_window_t WindowOcclusion::topFrame(xcb_window_t window) {
  for (int depth = 0; depth < 16 && window != XCB_WINDOW_NONE; ++depth) {
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), nullptr));
    if (!tree)
      return XCB_WINDOW_NONE;
    if (tree->parent == root_)
      return window;
    window = tree->parent;
  }
  return XCB_WINDOW_NONE;
}

QRect WindowOcclusion::areaOnRoot(xcb_window_t window) {
  // X counts device pixels; Qt's widgets logical ones.
  const qreal ratio = area_.devicePixelRatioF();
  const QPoint inWindow = area_.mapTo(area_.window(), QPoint(0, 0));
  XcbReply<xcb_translate_coordinates_reply_t> at(xcb_translate_coordinates_reply(
      connection_,
      xcb_translate_coordinates(connection_, window, root_,
                                static_cast<int16_t>(qRound(inWindow.x() * ratio)),
                                static_cast<int16_t>(qRound(inWindow.y() * ratio))),
      nullptr));
  if (!at)
    return {};
  return QRect(at->dst_x, at->dst_y, qRound(area_.width() * ratio), qRound(area_.height() * ratio));
}

bool WindowOcclusion::coveredByOthers() {
  if (!area_.isVisible() || area_.width() <= 0 || area_.height() <= 0)
    return false;
  const auto window = static_cast<xcb_window_t>(area_.window()->winId());
  const xcb_window_t frame = topFrame(window);
  const QRect area = areaOnRoot(window);
  if (frame == XCB_WINDOW_NONE || area.isEmpty())
    return false;
  XcbReply<xcb_query_tree_reply_t> tree(
      xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
  if (!tree)
    return false;
  const xcb_window_t *children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  int ours = 0;
  while (ours < count && children[ours] != frame)
    ++ours;
  if (ours >= count - 1)
    return false; // on top, or not found

  // Everything about the windows above ours is asked at once, then read.
  std::vector<Above> above;
  for (int i = ours + 1; i < count; ++i) {
    Above a;
    a.attributes = xcb_get_window_attributes(connection_, children[i]);
    a.geometry = xcb_get_geometry(connection_, children[i]);
    a.opacity = xcb_get_property(connection_, 0, children[i], opacity_, XCB_ATOM_CARDINAL, 0, 1);
    if (shapeExtension_)
      a.shape = xcb_shape_query_extents(connection_, children[i]);
    above.push_back(a);
  }
  QRegion cover;
  std::vector<std::pair<xcb_shape_get_rectangles_cookie_t, QPoint>> shaped;
  for (std::size_t i = 0; i < above.size(); ++i) {
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection_, above[i].attributes, nullptr));
    XcbReply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, above[i].geometry, nullptr));
    XcbReply<xcb_get_property_reply_t> opacity(
        xcb_get_property_reply(connection_, above[i].opacity, nullptr));
    XcbReply<xcb_shape_query_extents_reply_t> shape(
        shapeExtension_ ? xcb_shape_query_extents_reply(connection_, above[i].shape, nullptr) : nullptr);
    const xcb_window_t window = children[ours + 1 + int(i)];
    // Its moves and its going away are heard from now on (added to whatever this program
    // listens to there already).
    if (attributes && !followed_.count(window)) {
      const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
      xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
      followed_.insert(window);
    }
    if (!attributes || !geometry || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
        attributes->_class != XCB_WINDOW_CLASS_INPUT_OUTPUT || attributes->override_redirect ||
        geometry->depth >= 32)
      continue;
    if (opacity && opacity->format == 32 && xcb_get_property_value_length(opacity.get()) >= 4 &&
        *static_cast<const uint32_t *>(xcb_get_property_value(opacity.get())) != 0xffffffffu)
      continue;
    const QPoint origin(geometry->x, geometry->y);
    if (shape && shape->bounding_shaped) {
      // Only the window's shape hides what lies under it (our own masked windows are such).
      shaped.emplace_back(
          xcb_shape_get_rectangles(connection_, children[ours + 1 + int(i)], XCB_SHAPE_SK_BOUNDING),
          origin + QPoint(geometry->border_width, geometry->border_width));
      continue;
    }
    const int border = 2 * geometry->border_width;
    cover += QRect(origin, QSize(geometry->width + border, geometry->height + border));
  }
  for (const auto &[cookie, origin] : shaped) {
    XcbReply<xcb_shape_get_rectangles_reply_t> rectangles(
        xcb_shape_get_rectangles_reply(connection_, cookie, nullptr));
    if (!rectangles)
      continue;
    const xcb_rectangle_t *r = xcb_shape_get_rectangles_rectangles(rectangles.get());
    for (int i = 0, n = xcb_shape_get_rectangles_rectangles_length(rectangles.get()); i < n; ++i)
      cover += QRect(origin + QPoint(r[i].x, r[i].y), QSize(r[i].width, r[i].height));
  }
  return (QRegion(area) - cover).isEmpty();
}

} // namespace lumiqo
