#pragma once
#include <QString>

namespace lumiqo {

// One row of the play queue.
struct PlayListItem {
  QString Title;
  QString Author;
  QString Seconds; // the length in whole seconds as text; read and written through LongTime
  QString StrTime; // the length as shown
  QString URL;
  bool ItemError = false; // failed mark: error colour, no playing icon
};

} // namespace lumiqo
