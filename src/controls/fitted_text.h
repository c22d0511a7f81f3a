#pragma once
// Fitting a text into a column box: a text wider than its box keeps the longest beginning
// that leaves room for "...", drawn from the box's left edge with "..." right after it,
// whatever the column's alignment.

#include <QFontMetrics>
#include <QHash>
#include <QString>

#include <utility>

class QPainter;
class QRect;

namespace lumiqo {

struct FittedText {
  bool fits = true;   // the whole text fits: drawn with the column's alignment
  int width = 0;      // the whole text's width
  qsizetype kept = 0; // otherwise: the characters kept before "..." (0: none)
  int ellipsisX = 0;  // and where "..." starts, from the box's left edge
};

FittedText fitText(const QFontMetrics &fm, const QString &text, int boxWidth);

// Fits and draws texts in one font, remembering what it measured: the rows on screen show
// the same texts in the same boxes paint after paint.
class TextFitter {
public:
  explicit TextFitter(const QFont &font) : fm_(font) {}
  const QFontMetrics &metrics() const { return fm_; }
  const FittedText &fit(const QString &text, int boxWidth);
  // Draws `text` fitted into `box` (left-aligned or centred across; `top` is the top of the
  // text line) in the painter's pen colour, nothing outside the box.
  void draw(QPainter &p, const QString &text, const QRect &box, int top, bool centred);

private:
  static constexpr qsizetype kMaxRemembered = 4096;
  QFontMetrics fm_;
  QHash<std::pair<QString, int>, FittedText> fitted_;
};

} // namespace lumiqo
