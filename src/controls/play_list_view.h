#pragma once
// PlayListView: draws the play queue (a QMListBox) and feeds it the mouse: a frame, rows
// striped by their place on screen, a number (or the play icon) column and the title, artist
// and time columns with "..." where a text is too wide, the embedded vertical scroll bar
// ucBar, and wheel scrolling. It repaints only what the model says changed: one row when a
// row changes, the rows when the list scrolls.
//
// The keyboard moves the selection (Up, Down, Page Up, Page Down, Home, End), Enter plays the
// selected row (as a double click on it would), and Delete asks the host to remove it.
// Assistive tools read the list as a table (see accessible/play_list_accessible.h).

#include "controls/cls_icon.h"
#include "controls/fitted_text.h"
#include "controls/qmlistbox.h"
#include "controls/uc_scrollbar.h"

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <optional>

namespace lumiqo {

class PlayListView : public QWidget {
  Q_OBJECT
public:
  // ucBar's width as placed in the control.
  static constexpr int kBarWidth = 17;
  // One notch of a mouse wheel.
  static constexpr int kWheelNotch = 120;

  // The view draws `model`, which must outlive it.
  explicit PlayListView(QMListBox &model, QWidget *parent = nullptr);
  ~PlayListView() override;

  QMListBox &model() const { return model_; }
  ucScrollbar &ucBar() { return *ucBar_; }

  // Colours are 0x00BBGGRR. Writing the value already held does nothing.
  std::uint32_t BackColor() const { return backColor_; }
  void setBackColor(std::uint32_t colour);
  std::uint32_t ItemBkColor1() const { return bk1_; }
  void setItemBkColor1(std::uint32_t colour);
  std::uint32_t ItemBkColor2() const { return bk2_; }
  void setItemBkColor2(std::uint32_t colour);
  std::uint32_t ItemSelBkColor() const { return selBk_; }
  void setItemSelBkColor(std::uint32_t colour);
  std::uint32_t ItemNorTextColor() const { return norText_; }
  void setItemNorTextColor(std::uint32_t colour);
  std::uint32_t ItemSelTextColor() const { return selText_; }
  void setItemSelTextColor(std::uint32_t colour);
  std::uint32_t ItemPlyTextColor() const { return plyText_; }
  void setItemPlyTextColor(std::uint32_t colour);
  std::uint32_t ItemErrTextColor() const { return errText_; }
  void setItemErrTextColor(std::uint32_t colour);
  std::uint32_t BorderColor() const { return borderColor_; }
  void setBorderColor(std::uint32_t colour);
  bool Border() const { return model_.Border(); }
  void setBorder(bool on);
  int BorderWidth() const { return model_.BorderWidth(); }
  void setBorderWidth(int pixels);
  int ItemHeight() const { return model_.ItemHeight(); }
  void setItemHeight(int pixels);
  // The font is the widget's own (setFont); a change recomputes the column widths.

  // Draw this icon on the playing row instead of the program's "PLAYICON".
  void setPlayIcon(const ClsIcon &icon);

  // The rows keep the scroll bar's room while the bar is hidden, so their columns stay under
  // headings painted for the scrolling list (the room shows the back colour).
  void setKeepScrollBarRoom(bool on);

  // Layout, in the control's pixels.
  int inset() const { return Border() ? BorderWidth() : 0; }
  QRect rowsArea() const; // left and top inset, width W, height H
  QRect rowRect(int row) const;
  int numberColumnWidth() const { return numberWidth_; }
  int artistColumnWidth() const { return artistWidth_; }
  int timeColumnWidth() const { return timeWidth_; }
  // Rows one wheel notch scrolls: Int(H / ItemHeight * 0.2 + 1).
  int wheelStep() const;

  // The headings of the four columns as the host paints them, for assistive tools.
  QStringList columnHeadings() const { return headings_; }
  void setColumnHeadings(const QStringList &headings) { headings_ = headings; }

signals:
  // Delete was pressed on the list.
  void deleteKeyPressed();

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void changeEvent(QEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void focusInEvent(QFocusEvent *event) override;

private:
  void computeColumnWidths();
  void measureNumberColumn();
  void followNumberColumn();
  void placeBar();
  void updateScrollRange();
  void redrawRow(int row);
  void redrawRows();
  void drawRow(QPainter &p, int row);
  TextFitter &textFitter();
  void ensurePlayIcon();
  bool setColour(std::uint32_t &field, std::uint32_t colour);

  QMListBox &model_;
  ucScrollbar *ucBar_;

  std::uint32_t backColor_;
  std::uint32_t bk1_;
  std::uint32_t bk2_;
  std::uint32_t selBk_;
  std::uint32_t norText_;
  std::uint32_t selText_;
  std::uint32_t plyText_;
  std::uint32_t errText_;
  std::uint32_t borderColor_;

  int numberWidth_ = 0;
  int artistWidth_ = 0;
  int timeWidth_ = 0;
  QString numberSample_; // the text the number column was measured for
  QStringList headings_;
  std::optional<TextFitter> fitter_;
  bool rowsDirty_ = true; // a paint of every row is pending (or the view was never shown)

  ClsIcon playIcon_;
  bool ownIcon_ = false;
  bool keepScrollBarRoom_ = false;
  qreal iconRatio_ = 0;

  int wheelRest_ = 0;              // wheel turn not yet a whole notch
  bool releaseEndsDouble_ = false; // the release after a double click raises no Click
};

} // namespace lumiqo
