#pragma once
// The favourites store: the program folder's inc/mymusiclist.dat, GBK, one list record per
// line ended by CR LF. The favourites menus call FavouritesCommand after they have set
// state.fav_index from the play list's ListIndex.

#include "catalogue/catalogue_state.h"

#include <QString>

class QWidget;

namespace lumiqo {

class QMListBox;

// "ADD" appends the selected row to the file ("添加成功！"); "DEL" removes the selected row
// from the play list only; "DELL" removes it and rewrites the file from the remaining rows
// ("删除成功！"). Nothing happens without a selected row. Every write replaces the file as a
// whole, so a failed write leaves it as it was and shows an error message instead.
void FavouritesCommand(const QString &command, QMListBox &m_list, CatalogueState &state,
                       QWidget *messageParent = nullptr);

} // namespace lumiqo
