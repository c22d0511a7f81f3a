#pragma once
// QMListBox: the play queue behind the play list control. It holds the rows and the three
// indexes (selection, playing row, first visible row), changes them, and raises the control's
// events. Drawing belongs to the view, which listens to the redraw notifications and feeds
// mouse input and its geometry in.

#include "controls/play_list_item.h"

#include <QObject>
#include <QString>
#include <QVector>

#include <optional>

namespace lumiqo {

class QMListBox : public QObject {
  Q_OBJECT
public:
  // Mouse buttons and shift keys as the events carry them.
  static constexpr int kLeftButton = 1;
  static constexpr int kRightButton = 2;
  static constexpr int kMiddleButton = 4;
  static constexpr int kShiftMask = 1;
  static constexpr int kCtrlMask = 2;
  static constexpr int kAltMask = 4;

  // Indexes are 16-bit: the list never holds more rows than this.
  static constexpr int kMaxRows = 32767;

  explicit QMListBox(QObject *parent = nullptr);

  // Appends (no Index) or inserts at Index. An absent Author is "UnKnow". Returns the new
  // ListCount, or -1 when Index lies outside 0 .. ListCount or the list is full.
  int AddItem(const QString &Title, const std::optional<QString> &Author = std::nullopt,
              const QString &URL = {}, const QString &TimeText = {}, std::optional<int> Index = std::nullopt);
  // Returns the new ListCount, or -1 when Index is not a row.
  int RemoveItem(int Index);
  void Clear();
  void Refresh();

  int ListCount() const { return static_cast<int>(items_.size()); }
  int ListIndex() const { return listIndex_; }
  void setListIndex(int value);
  int PlayIndex() const { return playIndex_; }
  void setPlayIndex(int value);
  int FirstIndex() const { return firstIndex_; }
  int LastIndex() const;

  // Rows outside the list read as empty text, 0 or false; writes to them do nothing.
  QString Title(int row) const;
  void setTitle(int row, const QString &text);
  QString Author(int row) const;
  void setAuthor(int row, const QString &text);
  QString URL(int row) const;
  void setURL(int row, const QString &text);
  QString StrTime(int row) const;
  void setStrTime(int row, const QString &text);
  int LongTime(int row) const;
  void setLongTime(int row, int seconds);
  bool ItemError(int row) const;
  void setItemError(int row, bool failed);

  // The row under a vertical position, -1 when there is none. X is not used.
  int IndexFromPoint(float X, float Y) const;

  bool AutoCheckError() const { return autoCheckError_; }
  void setAutoCheckError(bool on);

  // Geometry the view shares with the model.
  int ItemHeight() const { return itemHeight_; }
  void setItemHeight(int pixels);
  bool Border() const { return border_; }
  void setBorder(bool on);
  int BorderWidth() const { return borderWidth_; }
  void setBorderWidth(int pixels);
  // The view's resize: the client height in pixels. Raises Resize.
  void resizeTo(int clientHeight);
  int innerHeight() const;
  // The scroll bar's value moved (thumb, clicks, wheel): the new first visible row.
  void setFirstIndex(int row);
  // The user scrolled (thumb drag or wheel): the new first visible row, then Scroll.
  void scrollByUser(int row);
  // Scroll bar range: Max and whether the bar shows.
  int scrollMax() const;
  bool scrollVisible() const;
  // The text whose width plus 4 pixels is the number column's width: "000" at first, the
  // decimal ListCount after every AddItem.
  QString numberColumnSample() const;

  // Room for this many rows, so a long list fills without moving its rows again and again.
  void reserve(int rows);

  // The view calls this before it draws a row: with AutoCheckError on, the failed mark is
  // tested again from the row's URL.
  void checkRowBeforeDrawing(int row);

  // Mouse input from the view, in pixels. Presses select; a double-click marks the row under
  // the last press as playing.
  void mousePress(int Button, int Shift, float X, float Y);
  void mouseMove(int Button, int Shift, float X, float Y);
  void mouseRelease(int Button, int Shift, float X, float Y);
  void click();
  void doubleClick();

  // The keyboard: the selection goes to `row` (held to the list) as a press would move it
  // (ByCode 0), and the list scrolls just enough to show it.
  void selectByKey(int row);
  // Enter: the selected row becomes the playing row as a double click would mark it, then
  // DBClick follows with X and Y 0, which its host reads as "the selected row". Nothing
  // happens without a selection.
  void playSelected();
  // Rows that fit the inner height whole (at least 1): a page for the keyboard.
  int pageRows() const;

signals:
  void Click(int Button, int Shift, float X, float Y);
  void DBClick(int Button, int Shift, float X, float Y);
  void MouseDown(int Button, int Shift, float X, float Y);
  void MouseMove(int Button, int Shift, float X, float Y);
  void MouseUp(int Button, int Shift, float X, float Y);
  // A handler may write NewIndex (direct connections only): the control stores that value.
  void ListIndexChanged(int OldIndex, int &NewIndex, int ByCode);
  void PlayIndexChanged(int OldIndex, int &NewIndex, int ByCode);
  void Scroll();
  void Resize();

  // Notifications for the view.
  void rowRedrawRequested(int row);
  void listRedrawRequested();
  void repaintRequested(); // a full paint request: frame, then the whole list
  void cleared();          // blank the control, hide the scroll bar, draw the frame again
  void scrollRangeChanged();
  void firstIndexChanged(int row); // the program moved the scroll position
  // After the fact, for assistive tools: rows came or went, the selection or the play mark
  // moved (whoever moved it).
  void rowsChanged();
  void selectionMoved(int row);
  void playMarkMoved(int row);

private:
  bool isRow(int row) const { return row >= 0 && row < ListCount(); }
  int rowAtY(float Y) const;
  int rowsThatFit() const;
  void updateLastRow();
  void updateScrollRange();
  void bringIntoView(int row);
  void scrollToShow(int row);
  void testFailedMark(PlayListItem &item) const;
  void markByUser(int &mark, int row, void (QMListBox::*event)(int, int &, int),
                  void (QMListBox::*moved)(int));
  bool setIndexByCode(int &mark, int value, void (QMListBox::*event)(int, int &, int));

  QVector<PlayListItem> items_;
  int listIndex_ = -1;
  int playIndex_ = -1;
  int firstIndex_ = 0;
  int lastRow_ = 0;
  bool autoCheckError_ = false;
  int itemHeight_ = 18;
  bool border_ = true;
  int borderWidth_ = 1;
  int clientHeight_ = 0;
  int numberColumnCount_ = -1; // ListCount after the last AddItem; -1 before any

  // The arguments of the last press, for Click and DBClick.
  int pressButton_ = 0;
  int pressShift_ = 0;
  float pressX_ = 0;
  float pressY_ = 0;
};

} // namespace lumiqo
