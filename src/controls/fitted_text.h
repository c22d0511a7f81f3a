#pragma once
// Fitting a text into a column box: a text wider than its box keeps the longest beginning
// that leaves room for "...", drawn from the box's left edge with "..." right after it,
// whatever the column's alignment.

#include <QFontMetrics>
#include <QString>

class QPainter;
class QRect;

namespace lumiqo {

struct FittedText {
  bool fits = true;   // the whole text fits: drawn with the column's alignment
  qsizetype kept = 0; // otherwise: the characters kept before "..." (0: none)
  int ellipsisX = 0;  // and where "..." starts, from the box's left edge
};

FittedText fitText(const QFontMetrics &fm, const QString &text, int boxWidth);

// Draws `text` fitted into `box` (left-aligned or centred across; the caller gives the top
// of the text line), in the painter's pen colour; nothing outside the box.
void drawFittedText(QPainter &p, const QFontMetrics &fm, const QString &text, const QRect &box, int top,
                    bool centred);

} // namespace lumiqo
