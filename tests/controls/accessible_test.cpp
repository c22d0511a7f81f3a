// The skinned controls as assistive tools read them: roles, names, states, actions and values,
// the play list's table and its cells made only when read, the events sent (and not sent), the
// keyboard on the buttons and the list, the reading and Tab order of a window's parts.
#include "controls/accessible/accessible_parts.h"
#include "controls/accessible/play_list_accessible.h"
#include "controls/accessible/press_accessible.h"
#include "controls/accessible/scroll_bar_accessible.h"
#include "controls/click_area.h"
#include "controls/focus_ring_check.h"
#include "controls/play_list_view.h"
#include "controls/scrollbar_test_art.h"
#include "controls/uc_scrollbar.h"
#include "controls/vondan.h"
#include "support/accessible_spy.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using test::AccessibleSpy;

// What the program's factory gives these controls (it lives with the main window).
QAccessibleInterface *controlsFactory(const QString &, QObject *object) {
  if (auto *b = qobject_cast<vondan *>(object))
    return new PressAccessible(b);
  if (auto *a = qobject_cast<ClickArea *>(object))
    return new PressAccessible(a);
  if (auto *v = qobject_cast<PlayListView *>(object))
    return new PlayListAccessible(v);
  if (auto *s = qobject_cast<ucScrollbar *>(object))
    return new ScrollBarAccessible(s);
  if (auto *w = qobject_cast<QWidget *>(object); w && (w->isWindow() || qobject_cast<PartsPanel *>(w)))
    return hasAccessibleParts(w)
               ? new PartsAccessible(w, w->isWindow() ? QAccessible::Window : QAccessible::Grouping)
               : nullptr;
  return nullptr;
}

const bool kFactory = [] {
  QAccessible::installFactory(controlsFactory);
  return true;
}();

QAccessibleInterface *of(QObject *object) {
  return QAccessible::queryAccessibleInterface(object);
}

void pressKey(QWidget *w, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool repeat = false) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), repeat);
  QApplication::sendEvent(w, &press);
}

void releaseKey(QWidget *w, int key, bool repeat = false) {
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(), repeat);
  QApplication::sendEvent(w, &release);
}

TEST(AccessibleButtons, ImageButtonIsANamedPushButtonThatAToolOrAKeyPresses) {
  ASSERT_TRUE(kFactory);
  QWidget window;
  auto *button = new vondan(&window);
  button->setAccessibleName(QStringLiteral("播放"));
  setAccessibleKey(button, QStringLiteral("X"));
  QSignalSpy clicks(button, &vondan::Click);

  QAccessibleInterface *iface = of(button);
  ASSERT_TRUE(iface);
  EXPECT_EQ(iface->role(), QAccessible::Button);
  EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("播放"));
  EXPECT_FALSE(iface->state().checkable);
  EXPECT_TRUE(iface->state().focusable);
  QAccessibleActionInterface *action = iface->actionInterface();
  ASSERT_TRUE(action);
  EXPECT_TRUE(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
  EXPECT_EQ(action->keyBindingsForAction(QAccessibleActionInterface::pressAction()), QStringList{"X"});
  action->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks.count(), 1);

  // Space: the pressed look while it is down, one click when it comes up; a held key's
  // repeats click nothing more.
  pressKey(button, Qt::Key_Space);
  EXPECT_EQ(button->state(), 2);
  pressKey(button, Qt::Key_Space, Qt::NoModifier, true);
  releaseKey(button, Qt::Key_Space, true);
  EXPECT_EQ(clicks.count(), 1);
  releaseKey(button, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 2);
  pressKey(button, Qt::Key_Return);
  releaseKey(button, Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 3);
  // A release without its press (the key went down elsewhere), or Ctrl+Space, clicks nothing.
  releaseKey(button, Qt::Key_Space);
  pressKey(button, Qt::Key_Space, Qt::ControlModifier);
  releaseKey(button, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 3);
}

TEST(AccessibleButtons, ToggleCarriesItsCheckedStateAndTellsOfAChangeOnce) {
  QWidget window;
  auto *toggle = new vondan(&window);
  toggle->setCheckable(true);
  QAccessibleInterface *iface = of(toggle);
  EXPECT_TRUE(iface->state().checkable);
  EXPECT_FALSE(iface->state().checked);
  EXPECT_TRUE(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));

  AccessibleSpy spy;
  toggle->setChecked(true);
  toggle->setChecked(true);
  EXPECT_TRUE(iface->state().checked);
  EXPECT_EQ(spy.count(QAccessible::StateChanged, toggle), 1);
  toggle->setChecked(false);
  EXPECT_EQ(spy.count(QAccessible::StateChanged, toggle), 2);
}

TEST(AccessibleButtons, ClickAreaIsWhatItsHostSaysAndATextOverPicturesTakesNoFocus) {
  QWidget window;
  auto *tab = new ClickArea(&window);
  tab->setAccessibleRole(QAccessible::PageTab);
  tab->setAccessibleName(QStringLiteral("我的收藏"));
  auto *link = new ClickArea(&window);
  link->setAccessibleRole(QAccessible::Link);
  link->setAccessibleName(QStringLiteral("打开网站"));
  link->setText(QStringLiteral("\u3000\u3000")); // a blank caption: the name stands
  auto *time = new ClickArea(&window);
  time->setAccessibleRole(QAccessible::StaticText);
  time->setAccessibleName(QStringLiteral("时间"));

  EXPECT_EQ(of(tab)->role(), QAccessible::PageTab);
  EXPECT_EQ(of(link)->role(), QAccessible::Link);
  EXPECT_EQ(of(link)->text(QAccessible::Name), QStringLiteral("打开网站"));
  EXPECT_EQ(of(time)->role(), QAccessible::StaticText);
  EXPECT_EQ(of(time)->text(QAccessible::Name), QStringLiteral("时间"));
  time->setText(QStringLiteral("03:05")); // the text it stands for, once there is one
  EXPECT_EQ(of(time)->text(QAccessible::Name), QStringLiteral("03:05"));
  EXPECT_EQ(time->focusPolicy(), Qt::NoFocus);
  EXPECT_TRUE(time->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_FALSE(
      of(time)->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));

  QSignalSpy clicks(tab, &ClickArea::Click);
  bool byKey = false;
  QObject::connect(tab, &ClickArea::Click, [&] { byKey = tab->clickedByKey(); });
  pressKey(tab, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 0); // on the way up
  releaseKey(tab, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(byKey);
  of(tab)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(clicks.count(), 2);
  EXPECT_FALSE(byKey);
}

// The next control Tab reaches from `w`.
QWidget *nextFocusable(QWidget *w) {
  QWidget *next = w->nextInFocusChain();
  while (next != w && !(next->focusPolicy() & Qt::TabFocus))
    next = next->nextInFocusChain();
  return next;
}

TEST(AccessibleParts, WindowReadsItsPartsInOrderAndTabFollowsThem) {
  PartsPanel window; // a window of a class of the program's, as the player's are
  window.setWindowTitle(QStringLiteral("Lumiqo 播放列表"));
  auto *first = new vondan(&window);
  auto *panel = new PartsPanel(&window);
  auto *inPanel = new ClickArea(panel);
  auto *label = new ClickArea(&window);
  label->setAccessibleRole(QAccessible::StaticText);
  auto *last = new vondan(&window);
  auto *decoration = new QWidget(&window); // not a part: never read
  (void)decoration;
  setAccessibleParts(panel, {inPanel});
  setAccessibleParts(&window, {last, panel, label, first});
  chainTabOrder(&window);

  QAccessibleInterface *w = of(&window);
  ASSERT_EQ(w->childCount(), 4);
  EXPECT_EQ(w->role(), QAccessible::Window);
  EXPECT_EQ(w->text(QAccessible::Name), QStringLiteral("Lumiqo 播放列表"));
  EXPECT_EQ(w->child(0)->object(), last);
  EXPECT_EQ(w->child(1)->role(), QAccessible::Grouping);
  EXPECT_EQ(w->indexOfChild(of(first)), 3);
  EXPECT_EQ(w->indexOfChild(of(decoration)), -1);
  // Each part names its container as its parent, the panel's part the panel.
  EXPECT_EQ(of(first)->parent(), w);
  EXPECT_EQ(of(inPanel)->parent(), of(panel));
  EXPECT_EQ(of(panel)->parent(), w);
  EXPECT_EQ(w->parent()->role(), QAccessible::Application);

  // Tab: the focusable parts in reading order, into the panel and out; the text is passed.
  EXPECT_EQ(nextFocusable(last), inPanel);
  EXPECT_EQ(nextFocusable(inPanel), first);
  EXPECT_EQ(nextFocusable(first), last);
}

// A list shown 200 x 180 with 18-pixel rows: ten rows fit.
struct ShownList {
  ShownList(int rows) {
    view.ucBar().setDrawing(std::make_unique<cScrollbarDraw>(test::testBitmaps()));
    view.setBorder(false);
    view.setColumnHeadings({"ID", "歌名", "歌手", "时间"});
    for (int i = 0; i < rows; ++i)
      model.AddItem(QStringLiteral("第%1首").arg(i), QStringLiteral("歌手%1").arg(i % 3), {},
                    QStringLiteral("03:%1").arg(i % 60, 2, 10, QChar(u'0')));
    view.resize(200, 180);
    view.show(); // a hidden widget hears of its size only when shown
    QCoreApplication::processEvents();
  }
  QAccessibleInterface *table() { return of(&view); }
  QMListBox model;
  PlayListView view{model};
};

TEST(AccessiblePlayList, TableReadsTheRowsCellsSelectionAndPlayingRow) {
  ShownList list(12);
  QAccessibleInterface *iface = list.table();
  ASSERT_EQ(iface->role(), QAccessible::Table);
  QAccessibleTableInterface *table = iface->tableInterface();
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rowCount(), 12);
  EXPECT_EQ(table->columnCount(), 4);
  EXPECT_EQ(iface->childCount(), 48);
  EXPECT_EQ(table->columnDescription(2), QStringLiteral("歌手"));
  const QStringList row4 = {"5", "第4首", "歌手1", "03:04"};
  for (int column = 0; column < 4; ++column) {
    QAccessibleInterface *cell = table->cellAt(4, column);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->role(), QAccessible::Cell);
    EXPECT_EQ(cell->text(QAccessible::Name), row4[column]);
    EXPECT_EQ(cell->parent(), iface);
    EXPECT_EQ(iface->indexOfChild(cell), 4 * 4 + column);
    EXPECT_EQ(cell->tableCellInterface()->rowIndex(), 4);
  }
  EXPECT_EQ(table->rowDescription(4), QStringLiteral("第4首 — 歌手1"));
  EXPECT_FALSE(table->cellAt(12, 0));
  EXPECT_FALSE(table->cellAt(0, 4));

  EXPECT_EQ(table->selectedRowCount(), 0);
  list.model.setListIndex(4);
  list.model.setPlayIndex(7);
  EXPECT_EQ(table->selectedRows(), QList<int>{4});
  EXPECT_EQ(table->selectedCellCount(), 4);
  EXPECT_TRUE(table->cellAt(4, 1)->state().selected);
  EXPECT_FALSE(table->cellAt(5, 1)->state().selected);
  EXPECT_EQ(table->cellAt(7, 1)->text(QAccessible::Description), QStringLiteral("正在播放"));
  EXPECT_TRUE(table->cellAt(4, 1)->text(QAccessible::Description).isEmpty());
  // Rows 10 and 11 lie below the ten shown.
  EXPECT_FALSE(table->cellAt(9, 1)->state().offscreen);
  EXPECT_TRUE(table->cellAt(11, 1)->state().offscreen);

  // A tool selects as the keyboard does: a user's move, the list scrolled to show it.
  int byCode = -1;
  QObject::connect(&list.model, &QMListBox::ListIndexChanged, [&](int, int &, int code) { byCode = code; });
  EXPECT_TRUE(table->selectRow(11));
  EXPECT_EQ(list.model.ListIndex(), 11);
  EXPECT_EQ(byCode, 0);
  EXPECT_EQ(list.model.FirstIndex(), 2);
  EXPECT_FALSE(table->unselectRow(11)); // the selection cannot be cleared
  EXPECT_FALSE(table->selectRow(12));
}

TEST(AccessiblePlayList, CellsAreMadeWhenReadKeptWhileTheRowsStayAndForgottenWhenTheyChange) {
  ShownList list(QMListBox::kMaxRows);
  auto *table = static_cast<PlayListAccessible *>(list.table());
  EXPECT_EQ(table->childCount(), QMListBox::kMaxRows * 4);
  EXPECT_EQ(table->cellsMade(), 0); // 32 767 rows cost nothing until read
  QAccessibleInterface *cell = table->cellAt(30000, 1);
  EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("第30000首"));
  EXPECT_EQ(table->cellAt(30000, 1), cell); // the same cell, read again
  EXPECT_EQ(table->cellsMade(), 1);
  const QAccessible::Id id = QAccessible::uniqueId(cell);

  AccessibleSpy spy;
  list.model.Clear();
  list.model.AddItem(QStringLiteral("新歌"));
  QCoreApplication::processEvents(); // one change told for the burst
  EXPECT_EQ(spy.count(QAccessible::TableModelChanged, &list.view), 1);
  EXPECT_EQ(table->cellsMade(), 0);
  EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
  EXPECT_EQ(table->cellAt(0, 1)->text(QAccessible::Name), QStringLiteral("新歌"));
}

TEST(AccessiblePlayList, KeysMoveTheSelectionPlayItAndAskForItsRemoval) {
  ShownList list(25);
  QSignalSpy played(&list.model, &QMListBox::DBClick);
  QSignalSpy deleted(&list.view, &PlayListView::deleteKeyPressed);
  pressKey(&list.view, Qt::Key_Return); // no selection: nothing plays
  pressKey(&list.view, Qt::Key_Delete);
  EXPECT_EQ(played.count(), 0);
  EXPECT_EQ(deleted.count(), 0);

  pressKey(&list.view, Qt::Key_Down); // the first key selects the first row shown
  EXPECT_EQ(list.model.ListIndex(), 0);
  pressKey(&list.view, Qt::Key_Down);
  pressKey(&list.view, Qt::Key_Down);
  EXPECT_EQ(list.model.ListIndex(), 2);
  pressKey(&list.view, Qt::Key_PageDown); // ten rows a page
  EXPECT_EQ(list.model.ListIndex(), 12);
  EXPECT_EQ(list.model.FirstIndex(), 3); // scrolled just enough: row 12 is the last shown
  pressKey(&list.view, Qt::Key_End);
  EXPECT_EQ(list.model.ListIndex(), 24);
  EXPECT_EQ(list.model.FirstIndex(), 15);
  EXPECT_EQ(list.view.ucBar().Value(), 15);
  pressKey(&list.view, Qt::Key_Down); // held at the end
  EXPECT_EQ(list.model.ListIndex(), 24);
  pressKey(&list.view, Qt::Key_Home);
  EXPECT_EQ(list.model.ListIndex(), 0);
  EXPECT_EQ(list.model.FirstIndex(), 0);
  pressKey(&list.view, Qt::Key_Up);
  EXPECT_EQ(list.model.ListIndex(), 0);

  pressKey(&list.view, Qt::Key_PageDown);
  pressKey(&list.view, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(list.model.PlayIndex(), 10);
  ASSERT_EQ(played.count(), 1);
  // X and Y are 0: the host reads the selected row.
  EXPECT_EQ(played[0][2].toFloat(), 0.0f);
  EXPECT_EQ(played[0][3].toFloat(), 0.0f);
  pressKey(&list.view, Qt::Key_Delete);
  EXPECT_EQ(deleted.count(), 1);
  EXPECT_EQ(list.model.ListCount(), 25); // the host removes it
}

TEST(AccessiblePlayList, ASelectionMoveIsOneEventTheScrollingAndRedrawsNone) {
  ShownList list(40);
  list.view.clearFocus();
  AccessibleSpy spy;
  list.model.selectByKey(3);
  ASSERT_EQ(spy.events.size(), 1u);
  EXPECT_EQ(spy.events[0].type, QAccessible::Selection); // the list has no focus
  EXPECT_EQ(spy.events[0].child, 3 * 4 + PlayListAccessible::Title);
  spy.clear();
  list.model.scrollByUser(20);
  list.model.setTitle(25, QStringLiteral("改名"));
  list.model.setPlayIndex(21);
  EXPECT_TRUE(spy.events.empty());

  // The focused list: a move is the focus moving to the new row's cell.
  list.view.activateWindow();
  list.view.setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return list.view.hasFocus(); }, 5000));
  spy.clear();
  pressKey(&list.view, Qt::Key_Down);
  ASSERT_EQ(spy.count(QAccessible::Focus, &list.view), 1);
  EXPECT_EQ(spy.events.back().child, 4 * 4 + PlayListAccessible::Title);
  EXPECT_TRUE(list.table()->focusChild()->state().focused);
}

TEST(FocusRing, IsCrispInTheAccentColourRoundTheFocusedControl) {
  test::expectCrispRing();
}

TEST(FocusRing, ShowsWhileTheKeyboardIsInUseAndFollowsTheFocus) {
  QWidget window;
  window.resize(100, 60);
  auto *a = new vondan(&window);
  a->setGeometry(10, 10, 20, 20);
  auto *b = new vondan(&window);
  b->setGeometry(50, 10, 20, 20);
  FocusRing *ring = FocusRing::of(&window);
  EXPECT_EQ(FocusRing::of(&window), ring); // one a window
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  a->setFocus(Qt::TabFocusReason);
  QTest::mouseClick(a, Qt::LeftButton); // the mouse in use: no ring
  EXPECT_FALSE(ring->isVisible());
  QTest::keyClick(a, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), b);
  EXPECT_TRUE(ring->isVisible());
  EXPECT_EQ(ring->geometry(), QRect(47, 7, 26, 26));
  b->move(60, 20); // it follows its control
  EXPECT_EQ(ring->geometry(), QRect(57, 17, 26, 26));
  b->hide(); // the focus moves on, and the ring with it
  EXPECT_EQ(ring->target(), a);
  QTest::mouseClick(a, Qt::LeftButton);
  EXPECT_FALSE(ring->isVisible());
}

TEST(AccessibleScrollBar, ValueIsReadAndSetAsADragOfTheThumb) {
  ShownList list(30);
  QAccessibleInterface *bar = of(&list.view.ucBar());
  ASSERT_EQ(bar->role(), QAccessible::ScrollBar);
  QAccessibleValueInterface *value = bar->valueInterface();
  ASSERT_TRUE(value);
  EXPECT_EQ(value->maximumValue().toInt(), 20);
  QSignalSpy scrolled(&list.model, &QMListBox::Scroll);
  value->setCurrentValue(12);
  EXPECT_EQ(list.model.FirstIndex(), 12);
  EXPECT_EQ(value->currentValue().toInt(), 12);
  EXPECT_EQ(scrolled.count(), 1);
  value->setCurrentValue(99); // held to the range
  EXPECT_EQ(list.model.FirstIndex(), 20);
}

} // namespace
} // namespace lumiqo
