#include "controls/qmlistbox.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace lumiqo {
namespace {

// A text read as a whole number the way the list reads lengths: blanks, an optional sign and
// the leading digits; anything else ends the number, and no digits give 0.
int wholeNumber(const QString &text) {
  qsizetype i = 0;
  while (i < text.size() && text[i].isSpace())
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
    negative = text[i++] == u'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    value = std::min<long long>(value * 10 + (text[i].unicode() - u'0'), 1LL << 31);
  value = negative ? -value : value;
  return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

} // namespace

QMListBox::QMListBox(QObject *parent) : QObject(parent) {}

int QMListBox::AddItem(const QString &Title, const std::optional<QString> &Author, const QString &URL,
                       const QString &TimeText, std::optional<int> Index) {
  if (ListCount() >= kMaxRows)
    return -1;
  PlayListItem item;
  item.Title = Title;
  item.Author = Author.value_or(QStringLiteral("UnKnow"));
  item.Seconds = TimeText;
  item.URL = URL;
  if (!Index) {
    item.StrTime = TimeText;
    if (autoCheckError_)
      testFailedMark(item);
    items_.append(std::move(item));
    updateLastRow();
    emit rowRedrawRequested(ListCount() - 1);
  } else {
    if (*Index < 0 || *Index > ListCount())
      return -1;
    item.StrTime = QString::number(wholeNumber(TimeText));
    items_.insert(*Index, std::move(item));
    updateLastRow();
    emit listRedrawRequested();
  }
  numberColumnCount_ = ListCount();
  updateScrollRange();
  emit rowsChanged();
  return ListCount();
}

int QMListBox::RemoveItem(int Index) {
  if (!isRow(Index))
    return -1;
  if (ListCount() == 1) {
    Clear();
    return 0;
  }
  items_.remove(Index);
  if (Index == playIndex_)
    playIndex_ = -1;
  updateScrollRange();
  updateLastRow();
  emit listRedrawRequested();
  emit rowsChanged();
  return ListCount();
}

void QMListBox::Clear() {
  if (items_.isEmpty())
    return;
  items_.clear();
  listIndex_ = -1;
  playIndex_ = -1;
  const bool scrolled = firstIndex_ != 0;
  firstIndex_ = 0;
  lastRow_ = 0;
  if (scrolled)
    emit firstIndexChanged(0);
  emit scrollRangeChanged();
  emit cleared();
  emit rowsChanged();
}

void QMListBox::Refresh() {
  emit repaintRequested();
}

void QMListBox::reserve(int rows) {
  items_.reserve(std::clamp(rows, 0, kMaxRows));
}

QString QMListBox::numberColumnSample() const {
  return numberColumnCount_ < 0 ? QStringLiteral("000") : QString::number(numberColumnCount_);
}

int QMListBox::LastIndex() const {
  return std::min(lastRow_, ListCount() - 1);
}

void QMListBox::setListIndex(int value) {
  if (setIndexByCode(listIndex_, value, &QMListBox::ListIndexChanged))
    emit selectionMoved(listIndex_);
}

void QMListBox::setPlayIndex(int value) {
  if (setIndexByCode(playIndex_, value, &QMListBox::PlayIndexChanged))
    emit playMarkMoved(playIndex_);
}

bool QMListBox::setIndexByCode(int &mark, int value, void (QMListBox::*event)(int, int &, int)) {
  // A value past the last row is refused like a negative one: no row could show it.
  if (items_.isEmpty() || value < 0 || value >= ListCount())
    return false;
  bringIntoView(value);
  const int old = mark;
  int newIndex = value;
  emit(this->*event)(old, newIndex, 1);
  mark = newIndex;
  emit rowRedrawRequested(mark);
  emit rowRedrawRequested(old);
  emit listRedrawRequested();
  return true;
}

QString QMListBox::Title(int row) const {
  return isRow(row) ? items_[row].Title : QString();
}
QString QMListBox::Author(int row) const {
  return isRow(row) ? items_[row].Author : QString();
}
QString QMListBox::URL(int row) const {
  return isRow(row) ? items_[row].URL : QString();
}
QString QMListBox::StrTime(int row) const {
  return isRow(row) ? items_[row].StrTime : QString();
}
int QMListBox::LongTime(int row) const {
  return isRow(row) ? wholeNumber(items_[row].Seconds) : 0;
}
bool QMListBox::ItemError(int row) const {
  return isRow(row) && items_[row].ItemError;
}

void QMListBox::setTitle(int row, const QString &text) {
  if (!isRow(row))
    return;
  items_[row].Title = text;
  emit rowRedrawRequested(row);
}

void QMListBox::setAuthor(int row, const QString &text) {
  if (!isRow(row))
    return;
  items_[row].Author = text;
  emit rowRedrawRequested(row);
}

void QMListBox::setURL(int row, const QString &text) {
  if (isRow(row))
    items_[row].URL = text;
}

void QMListBox::setStrTime(int row, const QString &text) {
  if (isRow(row))
    items_[row].StrTime = text;
}

void QMListBox::setLongTime(int row, int seconds) {
  if (!isRow(row))
    return;
  items_[row].Seconds = QString::number(seconds);
  emit rowRedrawRequested(row);
}

void QMListBox::setItemError(int row, bool failed) {
  if (!isRow(row) || items_[row].ItemError == failed)
    return;
  items_[row].ItemError = failed;
  emit rowRedrawRequested(row);
}

int QMListBox::IndexFromPoint(float, float Y) const {
  const int row = rowAtY(Y);
  return isRow(row) ? row : -1;
}

void QMListBox::setAutoCheckError(bool on) {
  if (autoCheckError_ == on)
    return;
  autoCheckError_ = on;
  if (on)
    emit listRedrawRequested();
}

void QMListBox::setItemHeight(int pixels) {
  if (pixels <= 0 || pixels == itemHeight_)
    return;
  itemHeight_ = pixels;
  updateLastRow();
  updateScrollRange();
  emit repaintRequested();
}

void QMListBox::setBorder(bool on) {
  if (border_ == on)
    return;
  border_ = on;
  updateLastRow();
  updateScrollRange();
  emit repaintRequested();
}

void QMListBox::setBorderWidth(int pixels) {
  if (pixels < 0 || pixels == borderWidth_)
    return;
  borderWidth_ = pixels;
  updateLastRow();
  updateScrollRange();
  emit repaintRequested();
}

void QMListBox::resizeTo(int clientHeight) {
  clientHeight_ = std::max(0, clientHeight);
  if (!items_.isEmpty())
    updateLastRow();
  updateScrollRange();
  emit Resize();
}

int QMListBox::innerHeight() const {
  return std::max(0, clientHeight_ - (border_ ? 2 * borderWidth_ : 0));
}

void QMListBox::setFirstIndex(int row) {
  row = std::clamp(row, 0, std::max(0, scrollMax()));
  if (row == firstIndex_)
    return;
  firstIndex_ = row;
  updateLastRow();
  emit listRedrawRequested();
}

void QMListBox::scrollByUser(int row) {
  setFirstIndex(row);
  emit Scroll();
}

int QMListBox::scrollMax() const {
  return items_.isEmpty() ? 0 : ListCount() - rowsThatFit();
}

bool QMListBox::scrollVisible() const {
  return !items_.isEmpty() &&
         static_cast<long long>(innerHeight()) < static_cast<long long>(itemHeight_) * ListCount();
}

void QMListBox::checkRowBeforeDrawing(int row) {
  if (!isRow(row))
    return;
  updateLastRow();
  if (autoCheckError_)
    testFailedMark(items_[row]);
}

void QMListBox::mousePress(int Button, int Shift, float X, float Y) {
  pressButton_ = Button;
  pressShift_ = Shift;
  pressX_ = X;
  pressY_ = Y;
  if ((Button == kLeftButton || Button == kRightButton) && !items_.isEmpty()) {
    const int row = rowAtY(Y);
    if (!isRow(row) || row == listIndex_)
      return;
    markByUser(listIndex_, row, &QMListBox::ListIndexChanged, &QMListBox::selectionMoved);
  }
  emit MouseDown(Button, Shift, X, Y);
}

void QMListBox::mouseMove(int Button, int Shift, float X, float Y) {
  emit MouseMove(Button, Shift, X, Y);
}

void QMListBox::mouseRelease(int Button, int Shift, float X, float Y) {
  emit MouseUp(Button, Shift, X, Y);
}

void QMListBox::click() {
  emit Click(pressButton_, pressShift_, pressX_, pressY_);
}

void QMListBox::doubleClick() {
  if (!items_.isEmpty() && pressButton_ == kLeftButton) {
    const int row = rowAtY(pressY_);
    if (isRow(row))
      markByUser(playIndex_, row, &QMListBox::PlayIndexChanged, &QMListBox::playMarkMoved);
  }
  emit DBClick(pressButton_, pressShift_, pressX_, pressY_);
}

void QMListBox::selectByKey(int row) {
  if (items_.isEmpty())
    return;
  row = std::clamp(row, 0, ListCount() - 1);
  scrollToShow(row);
  if (row != listIndex_)
    markByUser(listIndex_, row, &QMListBox::ListIndexChanged, &QMListBox::selectionMoved);
}

void QMListBox::playSelected() {
  if (!isRow(listIndex_))
    return;
  if (listIndex_ != playIndex_)
    markByUser(playIndex_, listIndex_, &QMListBox::PlayIndexChanged, &QMListBox::playMarkMoved);
  emit DBClick(kLeftButton, 0, 0, 0);
}

// A mark moved by the user (ByCode 0): the handler of the event may redirect it; the rows it
// left and reached are drawn again.
void QMListBox::markByUser(int &mark, int row, void (QMListBox::*event)(int, int &, int),
                           void (QMListBox::*moved)(int)) {
  const int old = mark;
  int newIndex = row;
  emit(this->*event)(old, newIndex, 0);
  mark = newIndex;
  emit rowRedrawRequested(old);
  emit rowRedrawRequested(mark);
  emit(this->*moved)(mark);
}

int QMListBox::pageRows() const {
  return std::max(1, rowsThatFit());
}

int QMListBox::rowAtY(float Y) const {
  const float top = border_ ? static_cast<float>(borderWidth_) : 0.0f;
  const double row = std::floor((static_cast<double>(Y) - top) / itemHeight_) + firstIndex_;
  return !std::isfinite(row) || row < -1 || row > kMaxRows ? -1 : static_cast<int>(row);
}

int QMListBox::rowsThatFit() const {
  return innerHeight() / itemHeight_;
}

void QMListBox::updateLastRow() {
  lastRow_ = firstIndex_ + rowsThatFit() + 1;
}

void QMListBox::updateScrollRange() {
  const int first = std::clamp(firstIndex_, 0, std::max(0, scrollMax()));
  if (first != firstIndex_) {
    // Rows went away below the window: keep the window on the list.
    firstIndex_ = first;
    updateLastRow();
    emit firstIndexChanged(firstIndex_);
  }
  emit scrollRangeChanged();
}

// The newly marked row is brought into view: when it lies outside the fully visible rows it
// becomes the first visible row (as far as the scroll range allows).
void QMListBox::bringIntoView(int row) {
  if (!scrollVisible())
    return;
  const int fit = rowsThatFit();
  if (row >= firstIndex_ && row < firstIndex_ + std::max(fit, 1))
    return;
  const int first = std::clamp(row, 0, std::max(0, scrollMax()));
  if (first == firstIndex_)
    return;
  firstIndex_ = first;
  updateLastRow();
  emit firstIndexChanged(firstIndex_);
}

// The least scroll that shows the row whole: it becomes the first visible row when it lies
// above the window, the last when it lies below.
void QMListBox::scrollToShow(int row) {
  if (!scrollVisible())
    return;
  int first = firstIndex_;
  if (row < first)
    first = row;
  else if (row >= first + pageRows())
    first = row - pageRows() + 1;
  first = std::clamp(first, 0, std::max(0, scrollMax()));
  if (first == firstIndex_)
    return;
  firstIndex_ = first;
  updateLastRow();
  emit firstIndexChanged(firstIndex_);
}

void QMListBox::testFailedMark(PlayListItem &item) const {
  const QFileInfo file(item.URL);
  item.ItemError = item.URL.isEmpty() || !file.exists() || file.isDir();
}

} // namespace lumiqo
