#include "catalogue/frm_play_list.h"

#include "controls/hidpi.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace lumiqo {

QImage frmPlayList::resourceBackground(qreal ratio) {
  return loadSkinImage(QStringLiteral(":/res/s_list1.bmp"), ratio);
}

frmPlayList::frmPlayList(CatalogueState &state, std::function<muen &()> menus, PlayListHost host, QWidget *owner,
                         const QImage &background)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), state_(state), menus_(std::move(menus)), host_(std::move(host)),
      background_(background.isNull() ? resourceBackground(devicePixelRatioF()) : background) {
  resize(306, 354);
  m_list = new QMListBox(this);
  f_list2 = new QFrame(this);
  m_listView = new QWidget(f_list2);
  f_serach_music = new QFrame(this);
  f_serach_music->hide();
  pic_serach_bg = new QLabel(f_serach_music);
  for (auto &option : music_type)
    option = new QRadioButton(f_serach_music);
  s_music_name = new QLineEdit(f_serach_music);
  an_close_list = new vondan(this);
}

frmPlayList::~frmPlayList() = default;

} // namespace lumiqo
