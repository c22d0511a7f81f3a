#pragma once
// Listens as an assistive tool would: records the events the program sends (type, object,
// child), until the spy goes.

#include "controls/accessible/accessible_parts.h"

#include <QAccessible>
#include <QPointer>
#include <vector>

namespace lumiqo::test {

class AccessibleSpy {
public:
  struct Event {
    QAccessible::Event type;
    QPointer<QObject> object;
    int child;
  };

  AccessibleSpy() {
    instance() = this;
    setAccessibleEventsForTesting(&record);
  }
  ~AccessibleSpy() {
    setAccessibleEventsForTesting(nullptr);
    instance() = nullptr;
  }
  AccessibleSpy(const AccessibleSpy &) = delete;
  AccessibleSpy &operator=(const AccessibleSpy &) = delete;

  std::vector<Event> events;

  // How many events of `type` came about `object` (any object when null).
  int count(QAccessible::Event type, const QObject *object = nullptr) const {
    int n = 0;
    for (const Event &e : events)
      n += e.type == type && (!object || e.object == object);
    return n;
  }
  void clear() { events.clear(); }

private:
  static AccessibleSpy *&instance() {
    static AccessibleSpy *spy = nullptr;
    return spy;
  }
  static void record(QAccessibleEvent *event) {
    if (AccessibleSpy *spy = instance())
      spy->events.push_back({event->type(), event->object(), event->child()});
  }
};

} // namespace lumiqo::test
