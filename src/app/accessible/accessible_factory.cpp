#include "app/accessible/accessible_factory.h"

#include "app/accessible/face_accessible.h"
#include "app/caption_box.h"
#include "app/qorvex.h"
#include "app/state_label.h"
#include "catalogue/frm_play_list.h"
#include "controls/accessible/accessible_parts.h"
#include "controls/accessible/play_list_accessible.h"
#include "controls/accessible/press_accessible.h"
#include "controls/accessible/scroll_bar_accessible.h"
#include "controls/click_area.h"
#include "controls/play_list_view.h"
#include "controls/uc_scrollbar.h"
#include "controls/vondan.h"
#include "lyrics/accessible/lyrics_view_accessible.h"
#include "lyrics/frm_lrc_show.h"
#include "lyrics/lrc_show.h"

#include <QAccessible>

namespace lumiqo {
namespace {

// The state text as one line: its line break read as a space.
QString oneLine(const QString &text) {
  return QString(text)
      .replace(QLatin1Char('\r'), QLatin1Char(' '))
      .replace(QLatin1Char('\n'), QLatin1Char(' '))
      .simplified();
}

QAccessibleInterface *faceBar(QWidget *w) {
  auto *window = qobject_cast<qorvex *>(w->window());
  if (!window)
    return nullptr;
  if (w == window->an_volume_fill)
    return new FaceBarAccessible(w, *window, FaceBarAccessible::Volume);
  if (w == window->an_bar_bg)
    return new FaceBarAccessible(w, *window, FaceBarAccessible::Seek);
  return nullptr;
}

QAccessibleInterface *factory(const QString &, QObject *object) {
  auto *w = qobject_cast<QWidget *>(object);
  if (!w)
    return nullptr;
  if (auto *button = qobject_cast<vondan *>(w))
    return new PressAccessible(button);
  if (auto *area = qobject_cast<ClickArea *>(w))
    return new PressAccessible(area);
  if (auto *list = qobject_cast<PlayListView *>(w))
    return new PlayListAccessible(list);
  if (auto *bar = qobject_cast<ucScrollbar *>(w))
    return new ScrollBarAccessible(bar);
  if (auto *lyrics = qobject_cast<LrcShow *>(w))
    return new LyricsViewAccessible(lyrics);
  if (auto *label = qobject_cast<StateLabel *>(w))
    return new FaceTextAccessible(label, [label] { return oneLine(label->text()); });
  if (auto *caption = qobject_cast<CaptionBox *>(w))
    return new FaceTextAccessible(caption, [caption] { return caption->gd_a().trimmed(); });
  if (QAccessibleInterface *bar = faceBar(w))
    return bar;
  // Asked for while they are still being built (a focus event, with a screen reader running),
  // so told apart by their class: their parts are read when the parts are asked for.
  if (qobject_cast<qorvex *>(w) || qobject_cast<frmPlayList *>(w) || qobject_cast<frmLrcShow *>(w))
    return new PartsAccessible(w, QAccessible::Window);
  if (qobject_cast<PartsPanel *>(w))
    return new PartsAccessible(w, QAccessible::Grouping);
  return nullptr;
}

} // namespace

void installAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory(factory);
    return true;
  }();
  (void)installed;
}

} // namespace lumiqo
