#include "controls/accessible/accessible_parts.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace lumiqo {
namespace {

constexpr const char *kKeyProperty = "lumiqoAccessibleKey";

// The list of parts, kept as a child of its container so that it goes with it.
class PartsList : public QObject {
  Q_OBJECT
public:
  explicit PartsList(QWidget *container) : QObject(container) {}
  QList<QPointer<QWidget>> parts;
};

PartsList *partsListOf(const QWidget *container) {
  return container ? container->findChild<PartsList *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void collectFocusable(const QWidget *container, QList<QWidget *> &out) {
  for (QWidget *part : accessibleParts(container)) {
    if (hasAccessibleParts(part))
      collectFocusable(part, out);
    else if (part->focusPolicy() & Qt::TabFocus)
      out.append(part);
  }
}

} // namespace

void setAccessibleParts(QWidget *container, const QList<QWidget *> &parts) {
  PartsList *list = partsListOf(container);
  if (!list)
    list = new PartsList(container);
  list->parts.clear();
  for (QWidget *part : parts)
    list->parts.append(part);
}

QList<QWidget *> accessibleParts(const QWidget *container) {
  QList<QWidget *> out;
  if (const PartsList *list = partsListOf(container))
    for (const QPointer<QWidget> &part : list->parts)
      if (part)
        out.append(part);
  return out;
}

bool hasAccessibleParts(const QWidget *widget) {
  return partsListOf(widget) != nullptr;
}

void chainTabOrder(QWidget *container) {
  QList<QWidget *> focusable;
  collectFocusable(container, focusable);
  for (qsizetype i = 1; i < focusable.size(); ++i)
    QWidget::setTabOrder(focusable[i - 1], focusable[i]);
}

QAccessibleInterface *accessibleParentOf(const QWidget *control) {
  if (!control || control->isWindow())
    return QAccessible::queryAccessibleInterface(qApp);
  for (QWidget *w = control->parentWidget(); w; w = w->parentWidget())
    if (hasAccessibleParts(w) || w->isWindow())
      return QAccessible::queryAccessibleInterface(w);
  return QAccessible::queryAccessibleInterface(qApp);
}

void setAccessibleKey(QWidget *control, const QString &key) {
  control->setProperty(kKeyProperty, key);
}

QString accessibleKey(const QWidget *control) {
  return control->property(kKeyProperty).toString();
}

namespace {
void (*&testSink())(QAccessibleEvent *) {
  static void (*sink)(QAccessibleEvent *) = nullptr;
  return sink;
}
} // namespace

bool toolsListen() {
  return testSink() || QAccessible::isActive();
}

void setAccessibleEventsForTesting(void (*sink)(QAccessibleEvent *)) {
  testSink() = sink;
}

void announce(QAccessibleEvent &&event) {
  if (testSink())
    testSink()(&event);
  else if (QAccessible::isActive())
    QAccessible::updateAccessibility(&event);
}

void announce(QObject *object, QAccessible::Event type) {
  announce(QAccessibleEvent(object, type));
}

PartsAccessible::PartsAccessible(QWidget *container, QAccessible::Role role)
    : QAccessibleWidget(container, role) {}

QAccessibleInterface *PartsAccessible::parent() const {
  return accessibleParentOf(widget());
}

int PartsAccessible::childCount() const {
  return static_cast<int>(accessibleParts(widget()).size());
}

QAccessibleInterface *PartsAccessible::child(int index) const {
  const QList<QWidget *> parts = accessibleParts(widget());
  if (index < 0 || index >= parts.size())
    return nullptr;
  return QAccessible::queryAccessibleInterface(parts[index]);
}

int PartsAccessible::indexOfChild(const QAccessibleInterface *child) const {
  if (!child)
    return -1;
  return static_cast<int>(accessibleParts(widget()).indexOf(qobject_cast<QWidget *>(child->object())));
}

} // namespace lumiqo

#include "accessible_parts.moc"
