#include "controls/fitted_text.h"

#include <QPainter>

namespace lumiqo {
namespace {

const QString kEllipsis = QStringLiteral("...");

// A beginning never ends between the two halves of a surrogate pair.
qsizetype wholeCharacters(const QString &text, qsizetype n) {
  if (n > 0 && n < text.size() && text[n - 1].isHighSurrogate() && text[n].isLowSurrogate())
    --n;
  return n;
}

} // namespace

FittedText fitText(const QFontMetrics &fm, const QString &text, int boxWidth) {
  FittedText fitted;
  fitted.width = fm.horizontalAdvance(text);
  if (fitted.width <= boxWidth)
    return fitted;
  fitted.fits = false;
  const int room = boxWidth - fm.horizontalAdvance(kEllipsis);
  // The width of a beginning grows with its length, so the longest one that fits is found
  // by halving rather than by measuring every length from the full one down.
  qsizetype low = 0; // fits (the empty beginning always counts as fitting)
  qsizetype high = text.size();
  while (high - low > 1) {
    const qsizetype mid = low + (high - low) / 2;
    if (fm.horizontalAdvance(text.left(mid)) <= room)
      low = mid;
    else
      high = mid;
  }
  fitted.kept = wholeCharacters(text, low);
  if (fitted.kept > 0)
    fitted.ellipsisX = fm.horizontalAdvance(text.left(fitted.kept));
  else if (!text.isEmpty()) // not one character fits: "..." one character in
    fitted.ellipsisX = fm.horizontalAdvance(text.left(text[0].isHighSurrogate() ? 2 : 1));
  return fitted;
}

const FittedText &TextFitter::fit(const QString &text, int boxWidth) {
  const std::pair<QString, int> key(text, boxWidth);
  auto it = fitted_.constFind(key);
  if (it != fitted_.constEnd())
    return *it;
  if (fitted_.size() >= kMaxRemembered)
    fitted_.clear();
  return *fitted_.insert(key, fitText(fm_, text, boxWidth));
}

void TextFitter::draw(QPainter &p, const QString &text, const QRect &box, int top, bool centred) {
  const FittedText &fitted = fit(text, box.width());
  const int baseline = top + fm_.ascent();
  if (fitted.fits) {
    p.drawText(centred ? box.x() + (box.width() - fitted.width) / 2 : box.x(), baseline, text);
    return;
  }
  if (fitted.kept > 0)
    p.drawText(box.x(), baseline, text.left(fitted.kept));
  // "..." runs up to the box's right edge and no further.
  p.save();
  p.setClipRect(box, Qt::IntersectClip);
  p.drawText(box.x() + fitted.ellipsisX, baseline, kEllipsis);
  p.restore();
}

} // namespace lumiqo
