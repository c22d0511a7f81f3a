// The playlist window's tabs, search panel, close box and the list menu of its background.
#include "catalogue/frm_play_list.h"

#include "catalogue/artist_menu_data.h"
#include "catalogue/load_list.h"
#include "catalogue/muen.h"
#include "controls/accessible/accessible_parts.h"
#include "controls/click_area.h"
#include "controls/hidpi.h"
#include "controls/play_list_view.h"
#include "controls/qmlistbox.h"
#include "controls/skin_resources.h"

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRadioButton>

namespace lumiqo {

namespace {

// The search panel picture's size, for a program whose resources lack it.
constexpr QSize kPanelSize(290, 36);

// The search text box: a click selects its whole text.
class SearchBox : public QLineEdit {
public:
  using QLineEdit::QLineEdit;

protected:
  void mouseReleaseEvent(QMouseEvent *event) override {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
      selectAll(); // selection start 0, length = the text's length
  }
};

// The search text the window starts with: the first artist of the artist menus.
QString firstArtist() {
  for (const ArtistGroup &group : builtInArtistMenuData().groups)
    for (const ArtistLetter &letter : group.letters)
      if (!letter.names.isEmpty())
        return letter.names.first();
  return {};
}

} // namespace

QCursor frmPlayList::handCursor(qreal ratio) {
  ensureSkinResources();
  const QImage hand = loadSkinImage(QStringLiteral(":/res/hand.png"), ratio);
  if (hand.isNull())
    return QCursor(Qt::PointingHandCursor);
  // The X server takes the hot spot in the picture's own pixels (Qt passes it on unscaled):
  // (6, 0) in the plain picture, (12, 0) in the twice-size one.
  const int scale = qRound(hand.devicePixelRatio());
  return QCursor(QPixmap::fromImage(hand), 6 * scale, 0);
}

void frmPlayList::createTabs() {
  const QCursor hand = handCursor(devicePixelRatioF());
  MO = new ClickArea(this);
  MO->setGeometry(twipsRect(240, 480, 735, 255));
  myfavorites = new ClickArea(this);
  myfavorites->setGeometry(twipsRect(1080, 405, 825, 240));
  myfavorites->setCursor(hand);
  an_serach_music[0] = new ClickArea(this);
  an_serach_music[0]->setGeometry(twipsRect(2475, 405, 825, 240));
  an_serach_music[1] = new ClickArea(this);
  an_serach_music[1]->setGeometry(twipsRect(3420, 405, 1005, 240));
  connect(MO, &ClickArea::Click, this, &frmPlayList::MO_Click);
  connect(myfavorites, &ClickArea::Click, this, &frmPlayList::myfavorites_Click);
  for (int i = 0; i < 2; ++i) {
    ClickArea *area = an_serach_music[static_cast<std::size_t>(i)];
    area->setCursor(hand);
    connect(area, &ClickArea::Click, this, [this, i] { an_serach_music_Click(i); });
  }
}

void frmPlayList::createSearchPanel() {
  f_serach_music = new PartsPanel(this); // above the list's frame
  f_serach_music->hide();
  pic_serach_bg = new QLabel(f_serach_music);
  pic_serach_bg->installEventFilter(this);
  QImage picture = loadSkinImage(QStringLiteral(":/res/pic_serach_bg.bmp"), devicePixelRatioF());
  if (picture.isNull()) {
    qWarning("playlist window: no search panel picture, drawing a plain one");
    picture = QImage(kPanelSize, QImage::Format_RGB32);
    picture.fill(toQColor(kOptionBackColor));
  }
  pic_serach_bg->setPixmap(QPixmap::fromImage(picture));
  pic_serach_bg->resize(picture.deviceIndependentSize().toSize());

  // The options carry no captions: theirs are painted in the picture, right of each.
  for (QRadioButton *&option : music_type) {
    option = new QRadioButton(f_serach_music);
    option->resize(option->sizeHint());
  }
  music_type[0]->setChecked(true);

  s_music_name = new SearchBox(f_serach_music);
  s_music_name->setFrame(false); // the picture draws the box's well
  s_music_name->setFont(m_listView->font());
  s_music_name->setGeometry(145, 10, 105, 17);
  s_music_name->setText(firstArtist());
  // The Enter key searches as the button does.
  connect(s_music_name, &QLineEdit::returnPressed, this, &frmPlayList::an_serach_go_Click);

  an_serach_go = new ClickArea(f_serach_music);
  an_serach_go->setGeometry(twipsRect(3830, 150, 420, 240));
  an_serach_go->setCursor(myfavorites->cursor());
  connect(an_serach_go, &ClickArea::Click, this, &frmPlayList::an_serach_go_Click);
}

void frmPlayList::popUp(QMenu *(muen::*menu)(), const QPoint &at) {
  muen &menus = menus_();
  menus.popUp((menus.*menu)(), at);
}

void frmPlayList::popUp(QMenu *(muen::*menu)()) {
  popUp(menu, QCursor::pos());
}

// A right press on the background itself (not on a control) opens the list menu.
void frmPlayList::mousePressEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() == Qt::RightButton)
    popUp(&muen::muen_list);
}

void frmPlayList::MO_Click() {
  LoadList(QStringLiteral("M0"), *m_list, state_);
}

void frmPlayList::myfavorites_Click() {
  LoadList(QStringLiteral("MyMusicList"), *m_list, state_);
}

void frmPlayList::an_serach_music_Click(int index) {
  ClickArea *tab = an_serach_music[0];
  if (index == 0) // at the mouse, or below the tab when a key clicked it
    popUp(&muen::muen_list,
          tab->clickedByKey() ? tab->mapToGlobal(QPoint(0, tab->height())) : QCursor::pos());
  else
    f_serach_music->setVisible(f_serach_music->isHidden());
}

void frmPlayList::an_serach_go_Click() {
  const QString text = s_music_name->text();
  if (text.size() < 2)
    return;
  state_.s_music_name = text;
  state_.search_type = 0;
  for (qint16 i = 0; i < static_cast<qint16>(music_type.size()); ++i)
    if (music_type[static_cast<std::size_t>(i)]->isChecked())
      state_.search_type = i;
  LoadList(QStringLiteral("SOSO"), *m_list, state_);
}

void frmPlayList::an_close_list_Click() {
  if (host_.fadeOut)
    host_.fadeOut();
  if (host_.clearListShown)
    host_.clearListShown();
}

} // namespace lumiqo
