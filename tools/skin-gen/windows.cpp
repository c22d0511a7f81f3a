#include "windows.h"

#include "buttons.h"
#include "layout.h"
#include "paint.h"

#include <QFontMetrics>
#include <QLinearGradient>

namespace skingen {
namespace {

using namespace layout;

constexpr double kCorner = 7;

// Title bar, body and rim of a dark skinned window of logical size `size`.
QImage darkWindow(QSize size, int scale, void (*decorate)(QPainter &)) {
  QImage image = newPicture(size, scale, colour::body);
  const QPainterPath shape = roundedRect(QRectF(QPointF(0, 0), size), kCorner);
  {
    Painter p(image, scale);
    const QLinearGradient bar = verticalGradient(0, titleHeight, QColor(74, 73, 74), QColor(48, 47, 48));
    p.fillRect(QRectF(0, 0, size.width(), titleHeight), bar);
    p.fillRect(QRectF(0, titleHeight - 1, size.width(), 1), QColor(18, 18, 18));
    p.fillRect(QRectF(0, titleHeight, size.width(), 1), QColor(255, 255, 255, 16));
    decorate(p);
    // A one-pixel lighter rim, brightest along the top; its middle stays one colour, so the lyrics
    // window's stretching row repeats its neighbours.
    const double h = size.height();
    QLinearGradient rim(0, 0, 0, h);
    rim.setColorAt(0, QColor(132, 130, 126));
    if (h > 60) {
      rim.setColorAt(30 / h, QColor(92, 91, 90));
      rim.setColorAt((h - 26) / h, QColor(92, 91, 90));
    }
    rim.setColorAt(1, QColor(70, 69, 70));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 2.0));
    p.drawPath(shape);
  }
  keyOutside(image, shape, scale);
  return image;
}

QImage titleBarPiece(QRect rect, int scale) {
  const QImage window = darkWindow(QSize(306, titleHeight + 2), scale, [](QPainter &) {});
  return crop(window, rect, scale);
}

void drawNote(QPainter &p) {
  // An eighth note, gold, with a soft shadow.
  QPainterPath note;
  QTransform tilt = QTransform().translate(6.8, 15.6).rotate(-22);
  QPainterPath head;
  head.addEllipse(QPointF(0, 0), 3.6, 2.6);
  note.addPath(tilt.map(head));
  note.addRect(QRectF(8.9, 3.5, 1.5, 12.4));
  QPainterPath flag;
  flag.moveTo(10.4, 3.5);
  flag.cubicTo(11.2, 7.0, 15.6, 7.6, 14.2, 12.6);
  flag.cubicTo(14.0, 9.6, 12.0, 8.6, 10.4, 8.4);
  flag.closeSubpath();
  note.addPath(flag);
  note.setFillRule(Qt::WindingFill);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 130));
  p.drawPath(note.translated(0.6, 1));
  const QLinearGradient ink = verticalGradient(3, 19, colour::goldLight, colour::goldDark);
  p.setBrush(ink);
  p.drawPath(note);
}

void drawTitle(QPainter &p, const QString &title, double left) {
  p.setFont(uiFont(12));
  shadowedText(p, QRectF(left, 0, 200, titleHeight - 1), Qt::AlignLeft | Qt::AlignVCenter, title,
               colour::text, QColor(0, 0, 0, 180));
}

void drawTabs(QPainter &p) {
  static const QString captions[4] = {QStringLiteral("推荐列表"), QStringLiteral("我的收藏"),
                                      QStringLiteral("分类找歌"), QStringLiteral("关键字找歌")};
  p.setFont(uiFont(12));
  for (int i = 0; i < 4; ++i) {
    const QRectF pill(tabs[i].left() - 2.5, 29.5, tabs[i].width() + 5, 17);
    const QLinearGradient fill =
        verticalGradient(pill.top(), pill.bottom(), QColor(255, 255, 255, 22), QColor(255, 255, 255, 6));
    p.setBrush(fill);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.drawRoundedRect(pill, 4, 4);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawLine(QPointF(pill.left() + 4, pill.top() + 1), QPointF(pill.right() - 4, pill.top() + 1));
    shadowedText(p, pill.adjusted(0, 0, 0, -0.5), Qt::AlignCenter, captions[i], colour::text,
                 QColor(0, 0, 0, 170));
  }
  // The two list tabs and the two search tabs are set apart by a groove.
  p.setPen(QPen(QColor(0, 0, 0, 120), 1));
  p.drawLine(QPointF(145.5, 31), QPointF(145.5, 45));
  p.setPen(QPen(QColor(255, 255, 255, 20), 1));
  p.drawLine(QPointF(146.5, 31), QPointF(146.5, 45));
}

void drawHeadings(QPainter &p) {
  const QRectF band(headings);
  p.setPen(Qt::NoPen);
  const QLinearGradient fill =
      verticalGradient(band.top(), band.bottom(), QColor(62, 61, 62), QColor(46, 45, 46));
  p.setBrush(fill);
  p.drawRoundedRect(band, 3, 3);
  p.fillRect(QRectF(band.left() + 3, band.top(), band.width() - 6, 1), QColor(255, 255, 255, 26));

  const ListColumns columns = listColumns();
  const QPointF at = band.topLeft();
  auto box = [&](QRect column) {
    return QRectF(at.x() + column.left(), band.top(), column.width(), band.height());
  };
  p.setFont(uiFont(12));
  const QColor shadow(0, 0, 0, 170);
  shadowedText(p, box(columns.number), Qt::AlignCenter, QStringLiteral("ID"), colour::gold, shadow);
  shadowedText(p, box(columns.title), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("歌名"), colour::gold,
               shadow);
  shadowedText(p, box(columns.artist), Qt::AlignCenter, QStringLiteral("歌手"), colour::gold, shadow);
  shadowedText(p, box(columns.time), Qt::AlignCenter, QStringLiteral("时间"), colour::gold, shadow);
  // Fine dividers where the columns meet.
  for (int x : {columns.number.right() + 1, columns.artist.left(), columns.time.left()}) {
    p.fillRect(QRectF(at.x() + x, band.top() + 4, 1, band.height() - 8), QColor(0, 0, 0, 110));
    p.fillRect(QRectF(at.x() + x + 1, band.top() + 4, 1, band.height() - 8), QColor(255, 255, 255, 22));
  }
}

void decoratePlaylist(QPainter &p) {
  drawTitle(p, QStringLiteral("播放列表"), 29);
  drawTabs(p);
  drawHeadings(p);
  // The list's frame: a sunken well the list fills.
  const QRectF frame(listFrame);
  p.setPen(QPen(QColor(255, 255, 255, 22), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(frame.adjusted(-0.5, -0.5, 0.5, 0.5));
  p.fillRect(frame, colour::body);
}

void decorateLyrics(QPainter &p) {
  // Everything stays left of the stretching column and above the stretching row.
  p.setFont(uiFont(11));
  shadowedText(p, QRectF(25, 0, 24, titleHeight - 1), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("歌词"), colour::text, QColor(0, 0, 0, 180));
}

} // namespace

ListColumns listColumns() {
  const QFontMetrics metrics(listFont());
  const int border = 1;
  const int rowWidth = listFrame.width() - scrollBarWidth - 2 * border;
  const int number = metrics.horizontalAdvance(QStringLiteral("000")) + 4;
  const int artist = metrics.horizontalAdvance(QStringLiteral("AAAAAAAAAAA")) + 4;
  const int time = metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 4;
  ListColumns columns;
  columns.number = QRect(border, 0, number, 18);
  columns.title = QRect(border + number + 2, 0, rowWidth - number - artist - time, 18);
  columns.artist = QRect(rowWidth - time - artist, 0, artist, 18);
  columns.time = QRect(rowWidth - time, 0, time, 18);
  return columns;
}

QImage image1(int scale) {
  QImage picture = titleBarPiece(layout::image1, scale);
  Painter p(picture, scale);
  drawNote(p);
  return picture;
}

QImage closeBoxStrip(int scale) {
  return buttonStrip(titleBarPiece(QRect(0, 0, 306, titleHeight + 2), scale), closeBox, Glyph::Close, scale);
}

QImage playlistBackground(const QImage &closeStrip, int scale) {
  QImage picture = darkWindow(playlistWindow, scale, decoratePlaylist);
  QPainter p(&picture);
  p.drawImage(layout::image1.topLeft() * scale, skingen::image1(scale));
  p.end();
  placeNormalFrame(picture, closeStrip, closeBox, scale);
  return picture;
}

QImage lyricsFrame(const QImage &closeStrip, int scale) {
  QImage picture = darkWindow(lyricsWindow, scale, decorateLyrics);
  QPainter p(&picture);
  p.drawImage(QPoint(4, 2) * scale, skingen::image1(scale));
  p.end();
  placeNormalFrame(picture, closeStrip, closeBox, scale);
  return picture;
}

QImage searchPanel(int scale) {
  QImage picture = newPicture(layout::searchPanel, scale, colour::cream);
  Painter p(picture, scale);
  const QRectF whole(QPointF(0, 0), layout::searchPanel);
  // A warm hairline frame with a soft shadow inside its top edge.
  p.setPen(QPen(QColor(190, 176, 110), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(whole.adjusted(0.5, 0.5, -0.5, -0.5));
  p.fillRect(QRectF(1, 1, whole.width() - 2, 1), QColor(232, 224, 180));

  static const QString captions[3] = {QStringLiteral("歌名"), QStringLiteral("歌手"),
                                      QStringLiteral("关键字")};
  p.setFont(uiFont(12));
  p.setPen(colour::olive);
  for (int i = 0; i < 3; ++i)
    p.drawText(QRectF(options[i].x() + 16, options[i].y() - 2, 40, 17), Qt::AlignLeft | Qt::AlignVCenter,
               captions[i]);

  // The text box's well.
  const QRectF well = QRectF(searchText).adjusted(-1, -1, 1, 1);
  p.setPen(QPen(QColor(176, 164, 100), 1));
  p.setBrush(Qt::white);
  p.drawRect(well.adjusted(0.5, 0.5, -0.5, -0.5));

  // The search button, gold.
  const QRectF button(searchButton);
  const QLinearGradient fill =
      verticalGradient(button.top(), button.bottom(), colour::goldLight, colour::gold);
  p.setBrush(fill);
  p.setPen(QPen(colour::goldDark, 1));
  p.drawRoundedRect(button.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
  p.setPen(QPen(QColor(255, 250, 220, 170), 1));
  p.drawLine(QPointF(button.left() + 3, button.top() + 1.5), QPointF(button.right() - 3, button.top() + 1.5));
  p.setFont(uiFont(11));
  p.setPen(QColor(58, 46, 4));
  p.drawText(button, Qt::AlignCenter, QStringLiteral("搜索"));
  return picture;
}

} // namespace skingen
