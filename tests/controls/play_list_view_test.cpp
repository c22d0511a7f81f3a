#include "base/colour.h"
#include "controls/fitted_text.h"
#include "controls/play_list_view.h"
#include "controls/round_half_even.h"
#include "icon_bytes.h"
#include "scrollbar_test_art.h"
#include "support/mouse.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

constexpr QRgb kIcon = qRgb(150, 40, 220);

struct List {
  explicit List(int rows, QSize size = {300, 182}) {
    QFont f = view.font();
    f.setPixelSize(12);
    f.setStyleStrategy(QFont::NoAntialias); // glyphs in the exact text colour
    view.setFont(f);
    view.ucBar().setDrawing(std::make_unique<cScrollbarDraw>(test::testBitmaps()));
    ClsIcon icon;
    icon.LoadFromData(test::squareIcon(kIcon));
    view.setPlayIcon(icon);
    view.setItemBkColor1(RGB(250, 250, 200));
    view.setBackColor(RGB(10, 20, 30));
    view.resize(size);
    view.show(); // offscreen; a shown widget hears of its size at once
    for (int i = 0; i < rows; ++i)
      model.AddItem(QStringLiteral("Song %1").arg(i), QStringLiteral("Singer"), {},
                    QStringLiteral("03:2%1").arg(i % 10));
  }
  QImage shot() { return view.grab().toImage(); }
  int top(int row) const { return view.rowRect(row).top(); }
  QMListBox model;
  PlayListView view{model};
};

QRgb rgb(std::uint32_t colour) {
  return toQColor(colour).rgb();
}

bool hasColour(const QImage &img, const QRect &box, QRgb colour) {
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x)
      if (img.pixel(x, y) == colour)
        return true;
  return false;
}

void wheel(QWidget &w, int delta) {
  QWheelEvent e(QPointF(50, 50), w.mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, delta), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(&w, &e);
}

void click(QWidget &w, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  test::sendMouse(&w, type, QPointF(at), button,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button));
}

TEST(PlayListViewDraw, StripesFollowTheScreenSelectionFrameAndFill) {
  List l(5);
  l.model.setListIndex(2);
  const QImage img = l.shot();
  const int x = 1 + l.view.numberColumnWidth(); // between the number and title boxes
  EXPECT_EQ(img.pixel(x, l.top(0)), rgb(l.view.ItemBkColor1()));
  EXPECT_EQ(img.pixel(x, l.top(1)), rgb(l.view.ItemBkColor2()));
  EXPECT_EQ(img.pixel(x, l.top(2)), rgb(l.view.ItemSelBkColor()));
  EXPECT_EQ(img.pixel(x, l.top(3)), rgb(l.view.ItemBkColor2()));
  EXPECT_EQ(img.pixel(x, l.top(4) + 17), rgb(l.view.ItemBkColor1()));
  EXPECT_EQ(img.pixel(x, l.top(4) + 18), rgb(l.view.BackColor())); // below the last row
  EXPECT_EQ(img.pixel(x, 180), rgb(l.view.BackColor()));
  EXPECT_EQ(img.pixel(0, 0), rgb(l.view.BorderColor()));
  EXPECT_EQ(img.pixel(299, 181), rgb(l.view.BorderColor()));
  EXPECT_EQ(img.pixel(298, 100), rgb(l.view.BackColor())); // no bar with five rows

  // An empty list is the back colour inside the frame.
  l.model.Clear();
  const QImage empty = l.shot();
  EXPECT_EQ(empty.pixel(x, l.top(0)), rgb(l.view.BackColor()));
  EXPECT_EQ(empty.pixel(0, 90), rgb(l.view.BorderColor()));
}

TEST(PlayListViewDraw, ScrollingOneRowSwapsEveryRowsStripe) {
  List l(30);
  const int x = 1 + l.view.numberColumnWidth();
  EXPECT_EQ(l.shot().pixel(x, 1 + 18), rgb(l.view.ItemBkColor2())); // row 1 at place 1
  QSignalSpy scroll(&l.model, &QMListBox::Scroll);
  l.view.ucBar().setValue(1);
  EXPECT_EQ(l.model.FirstIndex(), 1);
  EXPECT_EQ(scroll.count(), 0); // a value set by the program is no user scroll
  const QImage img = l.shot();
  EXPECT_EQ(img.pixel(x, 1), rgb(l.view.ItemBkColor1())); // row 1 now at place 0
  EXPECT_EQ(img.pixel(x, 1 + 18), rgb(l.view.ItemBkColor2()));
}

TEST(PlayListViewDraw, TextColoursAndThePlayIcon) {
  List l(6);
  l.model.setListIndex(1);
  l.model.setItemError(3, true);
  l.model.setItemError(4, true);
  l.model.setPlayIndex(4); // failed and playing: its number in the error colour, no icon
  QImage img = l.shot();
  const int numW = l.view.numberColumnWidth();
  auto numberBox = [&](int row) { return QRect(1, l.top(row), numW, 18); };
  auto titleBox = [&](int row) { return QRect(1 + numW + 2, l.top(row), 60, 18); };
  EXPECT_TRUE(hasColour(img, numberBox(0), rgb(l.view.ItemNorTextColor())));
  EXPECT_TRUE(hasColour(img, titleBox(1), rgb(l.view.ItemSelTextColor())));
  EXPECT_FALSE(hasColour(img, titleBox(1), rgb(l.view.ItemNorTextColor())));
  EXPECT_TRUE(hasColour(img, titleBox(3), rgb(l.view.ItemErrTextColor())));
  EXPECT_TRUE(hasColour(img, numberBox(4), rgb(l.view.ItemErrTextColor())));
  EXPECT_FALSE(hasColour(img, numberBox(4), kIcon));

  l.model.setPlayIndex(2);
  img = l.shot();
  // The icon at (inset + 2, top + (18 - 12) / 2); its one-pixel margin is transparent.
  EXPECT_EQ(img.pixel(1 + 2 + 1, l.top(2) + 3 + 1), kIcon);
  EXPECT_EQ(img.pixel(1 + 2 + 10, l.top(2) + 3 + 10), kIcon);
  EXPECT_EQ(img.pixel(1 + 2, l.top(2) + 3), rgb(l.view.ItemBkColor1()));
  EXPECT_FALSE(hasColour(img, numberBox(2), rgb(l.view.ItemPlyTextColor()))); // no number
  EXPECT_TRUE(hasColour(img, titleBox(2), rgb(l.view.ItemPlyTextColor())));

  // Selected and playing: the selection's colours and the icon.
  l.model.setListIndex(2);
  img = l.shot();
  EXPECT_EQ(img.pixel(1 + 2 + 5, l.top(2) + 8), kIcon);
  EXPECT_TRUE(hasColour(img, titleBox(2), rgb(l.view.ItemSelTextColor())));
  EXPECT_EQ(img.pixel(1 + numW, l.top(2)), rgb(l.view.ItemSelBkColor()));
}

TEST(PlayListViewDraw, ThePlayingRowShowsTheProgramsOwnIcon) {
  QMListBox model;
  PlayListView view(model); // draws the program's own icon, the green triangle
  view.resize(300, 182);
  view.show();
  model.AddItem(QStringLiteral("a"));
  model.setPlayIndex(0);
  const QColor middle = view.grab().toImage().pixelColor(1 + 2 + 5, 1 + 3 + 6);
  EXPECT_GT(middle.green(), 100);
  EXPECT_GT(middle.green(), middle.red() + 40);
  EXPECT_GT(middle.green(), middle.blue() + 40);
}

// The longest beginning that leaves room for "...", then "..." right after it.
TEST(PlayListViewText, FittingKeepsTheLongestBeginning) {
  QFont f;
  f.setPixelSize(12);
  const QFontMetrics fm(f);
  const QString text = QStringLiteral("一首名字很长很长的歌 A Very Long Song Title");
  const int box = 120;
  const FittedText fitted = fitText(fm, text, box);
  ASSERT_FALSE(fitted.fits);
  const int room = box - fm.horizontalAdvance(QStringLiteral("..."));
  EXPECT_LE(fm.horizontalAdvance(text.left(fitted.kept)), room);
  EXPECT_GT(fm.horizontalAdvance(text.left(fitted.kept + 1)), room);
  EXPECT_EQ(fitted.ellipsisX, fm.horizontalAdvance(text.left(fitted.kept)));
  EXPECT_TRUE(fitText(fm, QStringLiteral("short"), box).fits);
  EXPECT_TRUE(fitText(fm, QString(), 0).fits);
  // Not one character fits: no text, "..." one character width in.
  const FittedText none = fitText(fm, QStringLiteral("WWW"), fm.horizontalAdvance(QStringLiteral("...")) - 1);
  EXPECT_EQ(none.kept, 0);
  EXPECT_EQ(none.ellipsisX, fm.horizontalAdvance(QStringLiteral("W")));
}

// What a row's too-wide title and artist look like: drawn from the box's left edge even in the
// centred artist column, with "..." after them.
TEST(PlayListViewText, TruncatedTextsAreLeftAlignedWithDots) {
  List l(1);
  const QString title = QStringLiteral("这是一个非常非常长的歌曲名字，长到一行放不下 and more");
  const QString author = QStringLiteral("AVeryLongArtistName");
  l.model.setTitle(0, title);
  l.model.setAuthor(0, author);
  const QImage img = l.shot();

  const QFontMetrics fm(l.view.font());
  const int W = l.view.rowsArea().width();
  const int numW = l.view.numberColumnWidth();
  const int artW = l.view.artistColumnWidth();
  const int timeW = l.view.timeColumnWidth();
  const QRect titleBox(1 + numW + 2, 1, W - numW - artW - timeW, 18);
  const QRect artistBox(W - timeW - artW, 1, artW, 18);
  // The expected picture of the row, drawn piece by piece.
  QImage expected(img.size(), QImage::Format_RGB32);
  expected.fill(rgb(l.view.ItemBkColor1()));
  {
    QPainter p(&expected);
    p.setFont(l.view.font());
    p.setPen(toQColor(l.view.ItemNorTextColor()));
    const int baseline = 1 + roundHalfEven((18 - fm.height()) / 2.0) + fm.ascent();
    for (const auto &[text, box] : {std::pair{title, titleBox}, std::pair{author, artistBox}}) {
      const FittedText f = fitText(fm, text, box.width());
      ASSERT_FALSE(f.fits);
      ASSERT_GT(f.kept, 0);
      p.drawText(box.x(), baseline, text.left(f.kept));
      p.setClipRect(box);
      p.drawText(box.x() + f.ellipsisX, baseline, QStringLiteral("..."));
      p.setClipping(false);
    }
  }
  for (const QRect &box : {QRect(titleBox.x(), 1, artistBox.x() - titleBox.x(), 18), artistBox})
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x)
        ASSERT_EQ(img.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
}

TEST(PlayListViewScroll, BarShowsOnlyWhenTheRowsOverflow) {
  List l(10); // 10 rows of 18 in an inner height of 180: no bar
  EXPECT_TRUE(l.view.ucBar().isHidden());
  EXPECT_EQ(l.view.rowsArea().width(), 298);
  l.model.AddItem(QStringLiteral("eleventh"));
  EXPECT_FALSE(l.view.ucBar().isHidden());
  EXPECT_EQ(l.view.ucBar().Max(), 1);
  EXPECT_EQ(l.view.ucBar().geometry(), QRect(300 - 17 - 1, 1, 17, 180));
  EXPECT_EQ(l.view.rowsArea().width(), 300 - 17 - 2);
  const QImage img = l.shot();
  EXPECT_EQ(img.pixel(300 - 17 - 1, 5), test::artColour(test::kArrowV, 0, 0)); // the bar's first arrow
  l.view.setBorder(false);
  EXPECT_EQ(l.view.ucBar().geometry(), QRect(300 - 17, 0, 17, 182));
  l.model.Clear();
  EXPECT_TRUE(l.view.ucBar().isHidden());
  EXPECT_EQ(l.view.ucBar().Max(), 0);
}

TEST(PlayListViewScroll, KeptRoomHoldsTheColumnsWhereTheBarWouldBe) {
  List l(3);
  l.view.setKeepScrollBarRoom(true);
  EXPECT_TRUE(l.view.ucBar().isHidden());
  EXPECT_EQ(l.view.rowsArea().width(), 300 - 17 - 2);
  const QImage img = l.shot();
  EXPECT_EQ(img.pixel(300 - 10, 5), rgb(l.view.BackColor())); // the room, in the back colour
  for (int i = 0; i < 10; ++i)
    l.model.AddItem(QStringLiteral("row"));
  EXPECT_FALSE(l.view.ucBar().isHidden());
  EXPECT_EQ(l.view.rowsArea().width(), 300 - 17 - 2); // the same columns with the bar
}

TEST(PlayListViewScroll, WheelStepsAFifthOfAPagePlusOne) {
  List l(100);
  EXPECT_EQ(l.view.wheelStep(), 3); // Int(10 * 0.2 + 1)
  QSignalSpy scroll(&l.model, &QMListBox::Scroll);
  wheel(l.view, -120); // towards the user: down
  EXPECT_EQ(l.model.FirstIndex(), 3);
  EXPECT_EQ(l.view.ucBar().Value(), 3);
  EXPECT_EQ(scroll.count(), 1);
  wheel(l.view, 120);
  wheel(l.view, 120); // already at the top: nothing
  EXPECT_EQ(l.model.FirstIndex(), 0);
  EXPECT_EQ(scroll.count(), 2);
  wheel(l.view, -60); // half notches add up
  EXPECT_EQ(l.model.FirstIndex(), 0);
  wheel(l.view, -60);
  EXPECT_EQ(l.model.FirstIndex(), 3);
  for (int i = 0; i < 40; ++i)
    wheel(l.view, -120);
  EXPECT_EQ(l.model.FirstIndex(), 90); // Max = 100 - 10

  List few(5); // no bar: the wheel does nothing
  QSignalSpy none(&few.model, &QMListBox::Scroll);
  wheel(few.view, -120);
  EXPECT_EQ(few.model.FirstIndex(), 0);
  EXPECT_EQ(none.count(), 0);
}

TEST(PlayListViewMouse, PressSelectsDoubleClickMarksTheBarKeepsItsClicks) {
  List l(30);
  QSignalSpy clicks(&l.model, &QMListBox::Click);
  QSignalSpy doubles(&l.model, &QMListBox::DBClick);
  const QPoint row2(40, 1 + 2 * 18 + 9);
  click(l.view, QEvent::MouseButtonPress, row2, Qt::LeftButton);
  click(l.view, QEvent::MouseButtonRelease, row2, Qt::LeftButton);
  EXPECT_EQ(l.model.ListIndex(), 2);
  EXPECT_EQ(clicks.count(), 1);
  click(l.view, QEvent::MouseButtonDblClick, row2, Qt::LeftButton);
  click(l.view, QEvent::MouseButtonRelease, row2, Qt::LeftButton);
  EXPECT_EQ(l.model.PlayIndex(), 2);
  EXPECT_EQ(doubles.count(), 1);
  EXPECT_EQ(clicks.count(), 1); // the release ending a double click is no click
  // A right press on the bar stays with the bar.
  click(l.view.ucBar(), QEvent::MouseButtonPress, QPoint(8, 60), Qt::RightButton);
  EXPECT_EQ(l.model.ListIndex(), 2);
}

TEST(PlayListViewScroll, NumberColumnFollowsTheRowCount) {
  List l(100);
  const QFontMetrics fm(l.view.font());
  l.shot();
  EXPECT_EQ(l.view.numberColumnWidth(), fm.horizontalAdvance(QStringLiteral("100")) + 4);
  EXPECT_EQ(l.view.artistColumnWidth(), fm.horizontalAdvance(QStringLiteral("AAAAAAAAAAA")) + 4);
  EXPECT_EQ(l.view.timeColumnWidth(), fm.horizontalAdvance(QStringLiteral("00:00:00")) + 4);
}

// Five rows measure "5", ten thousand "10000": both unlike the "000" the column starts at. The
// widest number stays inside its column and the title starts just after it.
TEST(PlayListViewScroll, NumberColumnIsAsWideAsTheRowCountsDigits) {
  for (int rows : {5, 10000}) {
    SCOPED_TRACE(rows);
    List l(rows);
    const QFontMetrics fm(l.view.font());
    const int numW = fm.horizontalAdvance(QString::number(rows)) + 4;
    ASSERT_NE(numW, fm.horizontalAdvance(QStringLiteral("000")) + 4);
    l.view.ucBar().setValue(l.view.ucBar().Max()); // down to the last row
    const QImage img = l.shot();
    EXPECT_EQ(l.view.numberColumnWidth(), numW);
    const QRect row = l.view.rowRect(rows - 1);
    ASSERT_TRUE(l.view.rowsArea().contains(row));
    const QRgb ink = rgb(l.view.ItemNorTextColor());
    int lastNumberX = -1, firstTitleX = img.width();
    for (int y = row.top(); y <= row.bottom(); ++y)
      for (int x = row.left(); x < row.left() + numW + 20; ++x)
        if (img.pixel(x, y) == ink) {
          if (x < row.left() + numW)
            lastNumberX = std::max(lastNumberX, x);
          else
            firstTitleX = std::min(firstTitleX, x);
        }
    EXPECT_GE(lastNumberX, row.left() + numW - 8) << "the number is drawn to its column's end";
    EXPECT_GE(firstTitleX, row.left() + numW + 2);
    EXPECT_LE(firstTitleX, row.left() + numW + 4);
  }
}

// Records the rectangles the view repaints.
struct PaintLog : QObject {
  bool eventFilter(QObject *, QEvent *e) override {
    if (e->type() == QEvent::Paint)
      region += static_cast<QPaintEvent *>(e)->region();
    return false;
  }
  QRegion region;
};

TEST(PlayListViewRepaint, OneRowChangedRepaintsOneRow) {
  List l(30);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&l.view));
  QCoreApplication::processEvents();
  PaintLog log;
  l.view.installEventFilter(&log);

  l.model.setTitle(4, QStringLiteral("changed"));
  QCoreApplication::processEvents();
  EXPECT_EQ(log.region, QRegion(l.view.rowRect(4)));

  log.region = {};
  l.model.setListIndex(6); // old and new rows, then the rows (as the program's setter asks)
  QCoreApplication::processEvents();
  EXPECT_TRUE(log.region.contains(l.view.rowRect(6)));

  log.region = {};
  l.model.setTitle(25, QStringLiteral("off screen"));
  QCoreApplication::processEvents();
  EXPECT_TRUE(log.region.isEmpty());

  log.region = {};
  wheel(l.view, -120);
  QCoreApplication::processEvents();
  EXPECT_EQ(log.region, QRegion(l.view.rowsArea()));
}

} // namespace
} // namespace lumiqo
