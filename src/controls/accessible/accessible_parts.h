#pragma once
// What assistive tools (screen readers, through the desktop's accessibility bus) see of a
// skinned window. A window, or a panel in it, names its controls in reading order; whatever
// else it holds (its painted face, grips, frames, decorations) stays out of their view. The
// same order is the keyboard's: Tab and Shift+Tab walk the focusable controls in it.
//
// A window's interface is a frame named by its title, a panel's a grouping named by its
// accessible name. The controls' own interfaces take the nearest such window or panel as their
// parent, so the tree reads the same from either end.

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QList>
#include <QString>

class QWidget;

namespace lumiqo {

// The controls `container` shows to assistive tools, in reading order. Controls that are
// themselves containers with parts keep their own.
void setAccessibleParts(QWidget *container, const QList<QWidget *> &parts);
QList<QWidget *> accessibleParts(const QWidget *container);
bool hasAccessibleParts(const QWidget *widget);

// Chains the keyboard focus through the focusable controls of `container`'s parts, panels'
// parts included, in reading order.
void chainTabOrder(QWidget *container);

// The interface of the nearest ancestor of `control` that names its parts: the parent of a
// control's interface. The application's interface for a window.
QAccessibleInterface *accessibleParentOf(const QWidget *control);

// The key that does what a control does, as assistive tools offer it ("X", "Space").
void setAccessibleKey(QWidget *control, const QString &key);
QString accessibleKey(const QWidget *control);

// Whether an assistive tool listens. Only then are events sent: sending one makes its object's
// interface, and nobody should pay for that otherwise.
bool toolsListen();
// Tests listen themselves: the events go to `sink` (null: to Qt again).
void setAccessibleEventsForTesting(void (*sink)(QAccessibleEvent *));

// Sends `event` while a tool listens.
void announce(QAccessibleEvent &&event);
void announce(QObject *object, QAccessible::Event type);

// A frame that groups some controls of a window (a skinned window's panel). A class of its own,
// so that assistive tools see a grouping of its parts rather than a plain frame's border.
class PartsPanel : public QFrame {
  Q_OBJECT
public:
  using QFrame::QFrame;
};

// A window or panel that names its parts.
class PartsAccessible : public QAccessibleWidget {
public:
  PartsAccessible(QWidget *container, QAccessible::Role role);

  QAccessibleInterface *parent() const override;
  int childCount() const override;
  QAccessibleInterface *child(int index) const override;
  int indexOfChild(const QAccessibleInterface *child) const override;
};

} // namespace lumiqo
