// The main window's skin: its controls, the window sized around its face with the pure red
// of the face see-through, `loadanniu` and the re-skinning `wear`.
#include "app/qorvex.h"

#include "app/tray_icon.h"
#include "base/app_folder.h"
#include "base/colour.h"
#include "base/message_box.h"
#include "base/twips.h"
#include "catalogue/frm_play_list.h"
#include "controls/click_area.h"
#include "controls/colour_key_mask.h"
#include "controls/hidpi.h"
#include "controls/mod_skin.h"
#include "controls/vondan.h"
#include "lyrics/frm_lrc_show.h"
#include "net/winsocks.h"
#include "player/knobs.h"

#include <QDir>
#include <QFileInfo>

namespace lumiqo {
namespace {

void placeTwips(QWidget *w, double left, double top, double width, double height) {
  w->setGeometry(twipsToPixels(static_cast<int>(left)), twipsToPixels(static_cast<int>(top)),
                 twipsToPixels(static_cast<int>(width)), twipsToPixels(static_cast<int>(height)));
}

void moveTwips(QWidget *w, double left, double top) {
  w->move(twipsToPixels(static_cast<int>(left)), twipsToPixels(static_cast<int>(top)));
}

void resizeTwips(QWidget *w, double width, double height) {
  w->resize(twipsToPixels(static_cast<int>(width)), twipsToPixels(static_cast<int>(height)));
}

// The skin's text: 9 point, in the face's light colour.
void styleText(QWidget *w) {
  QFont font = w->font();
  font.setPointSize(9);
  w->setFont(font);
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, toQColor(RGB(239, 235, 222)));
  w->setPalette(p);
}

} // namespace

void qorvex::buildControls() {
  setAttribute(Qt::WA_OpaquePaintEvent); // the face and the see-through mask cover it all
  auto named = [this](QWidget *w, const char *name, const char *type) {
    w->setObjectName(QString::fromLatin1(name));
    controls_.push_back({w, type});
  };
  // A control of type T, named and in the window's order of controls.
  auto control = [&]<typename T>(const char *name, const char *type) {
    auto *c = new T(this);
    named(c, name, type);
    return c;
  };
  auto button = [&](const char *name) { return control.template operator()<vondan>(name, "vondan"); };
  auto image = [&](const char *name) { return control.template operator()<SkinImage>(name, "Image"); };

  s_main1 = image("s_main1");
  an_play = button("an_play");
  an_pause = button("an_pause");
  an_stop = button("an_stop");
  an_next = button("an_next");
  an_prev = button("an_prev");
  an_lyric = button("an_lyric");
  an_playlist = button("an_playlist");
  an_close = button("an_close");
  an_minimize = button("an_minimize");

  an_volume_fill = image("an_volume_fill");
  an_Volume = image("an_Volume");
  an_bar_bg = image("an_bar_bg");
  an_bar = image("an_bar");

  for (SkinImage *&digit : timelist) {
    digit = new SkinImage(this);
    named(digit, "timelist", "Image");
    resizeTwips(digit, 225, 315);
  }
  timelist[2]->load(QStringLiteral(":/res/colon.gif"));

  play_zt = new StateLabel(this);
  named(play_zt, "play_zt", "Label");
  styleText(play_zt);
  placeTwips(play_zt, 3990, 930, 1110, 510);

  timeslisttext = new ClickArea(this);
  named(timeslisttext, "timeslisttext", "TextBox");
  timeslisttext->setAccessibleRole(QAccessible::StaticText);
  placeTwips(timeslisttext, 2640, 1050, 1260, 315); // over the five digits

  an_web = new ClickArea(this);
  named(an_web, "an_web", "Label");
  an_bbs = new ClickArea(this);
  named(an_bbs, "an_bbs", "Label");
  for (ClickArea *link : {an_web, an_bbs}) {
    link->setCursor(Qt::PointingHandCursor);
    placeTwips(link, 0, 0, 360, 240);
  }

  gd_show = new CaptionBox(this);
  named(gd_show, "gd_show", "PictureBox");
  styleText(gd_show);
  placeTwips(gd_show, 2505, 1500, 2595, 270);

  Winsock1 = new Winsocks(this);
  Winsock1->setVisible(false);
}

void qorvex::sizeAroundFace() {
  s_main1->load(QStringLiteral(":/res/s_main1.bmp"));
  QSize face = s_main1->pictureSize();
  if (face.isEmpty())
    face = QSize(452, 173); // no face picture: the window keeps its designed size
  s_main1->setGeometry(0, 0, face.width(), face.height());
  const int width = face.width() * kTwipsPerPixel + 60;
  const int height = face.height() * kTwipsPerPixel + 60;
  setFixedSize(twipsToPixels(width), twipsToPixels(height));
  applyColourKey();
  refreshCaptionBackdrop();
}

void qorvex::refreshCaptionBackdrop() {
  // The caption box paints the face under it itself, so its ticks never repaint the face.
  const QImage &face = s_main1->picture();
  if (face.isNull())
    return;
  const qreal ratio = face.devicePixelRatio();
  const QRect box = gd_show->geometry().translated(-s_main1->pos());
  QImage backdrop = face.copy(QRect(box.topLeft() * ratio, box.size() * ratio));
  backdrop.setDevicePixelRatio(ratio);
  gd_show->setBackdrop(backdrop);
}

void qorvex::applyColourKey() {
  // Pure red is see-through: the window's shape is the face without its red pixels (and
  // without the margin around it, which the face does not cover).
  if (!s_main1->picture().isNull())
    setMask(colourKeyMask(s_main1->picture()));
}

void qorvex::loadanniu() {
  const QString skin = AppFolder() + QStringLiteral("skin/");
  // Every skin file that is missing or cannot be read whole, each named once.
  QStringList unreadable;
  auto note = [&](const QStringList &files) {
    for (const QString &file : files)
      if (!unreadable.contains(file))
        unreadable << file;
  };
  auto strip = [&](vondan *b, const char *file) {
    b->setUPicPath(skin + QString::fromLatin1(file));
    note(b->unreadableFiles());
  };
  // The volume and seek bars share their two pictures: each is read once.
  const qreal ratio = devicePixelRatioF();
  QStringList barFiles;
  const QImage track = loadSkinImage(skin + QStringLiteral("volume_fill.bmp"), ratio, &barFiles);
  const QImage knob = loadSkinImage(skin + QStringLiteral("volume.bmp"), ratio, &barFiles);
  note(barFiles);
  auto picture = [&](SkinImage *i, const QImage &image) {
    if (!image.isNull())
      i->setPicture(image);
  };

  strip(an_play, "play.bmp");
  moveTwips(an_play, 735, 735);
  strip(an_pause, "pause.bmp");
  moveTwips(an_pause, 735, 735);
  an_pause->setVisible(false);
  strip(an_stop, "stop.bmp");
  placeTwips(an_stop, 120, 1110, 375, 375);
  strip(an_next, "next.bmp");
  placeTwips(an_next, 405, 420, 375, 375);
  strip(an_prev, "prev.bmp");
  placeTwips(an_prev, 405, 1815, 375, 375);
  strip(an_lyric, "lyric.bmp");
  placeTwips(an_lyric, 1125, 150, 375, 375);
  strip(an_playlist, "playlist.bmp");
  placeTwips(an_playlist, 1125, 2115, 375, 375);
  strip(an_close, "close.bmp");
  placeTwips(an_close, 1755, 2040, 195, 195);
  strip(an_minimize, "minimize.bmp");
  placeTwips(an_minimize, 2115, 1605, 195, 195);
  picture(an_volume_fill, track);
  placeTwips(an_volume_fill, kVolumeTrackLeft, 1575, kVolumeTrackWidth, 90);
  picture(an_Volume, knob);
  placeTwips(an_Volume, volumeLeft_, 1590, kKnobWidth, 90);
  picture(an_bar_bg, track);
  placeTwips(an_bar_bg, kSeekLeftMin, 1920, 2130, 90);
  picture(an_bar, knob);
  placeTwips(an_bar, seekLeft_, 1920, kKnobWidth, 90);
  vondan *closeList = playListWindow().an_close_list;
  strip(closeList, "close2.bmp");
  placeTwips(closeList, 4230, 105, 195, 195);
  // The lyrics window's close button shares close2.bmp, read when that window was made.
  note(lyricsWindow().an_close_lrc->unreadableFiles());
  // The time digits are read on every status tick and the tray icon once the window is up:
  // a broken one is named now with the others.
  for (char digit = '0'; digit <= '9'; ++digit) {
    QStringList digitFiles;
    loadSkinImage(skin + QLatin1Char(digit) + QStringLiteral(".gif"), ratio, &digitFiles);
    note(digitFiles);
  }
  const QString trayIcon = skin + QStringLiteral("brivo.ico");
  if (TrayIcon::readIcon(trayIcon).isNull())
    note({trayIcon});

  // Without its pictures the window still works (its buttons still take clicks), but it is
  // half drawn: say which files are missing or broken instead of failing silently.
  if (!unreadable.isEmpty()) {
    for (QString &file : unreadable)
      file = QDir::toNativeSeparators(file);
    showMessage(this, QStringLiteral("皮肤文件无法读取:\n") + unreadable.join(QLatin1Char('\n')),
                MessageIcon::Warning);
  }
}

void qorvex::SetRect(QWidget &control, const QString &placement) {
  applyPlacement(control, parsePlacement(placement));
}

void qorvex::wear(const QString &path) {
  QString folder = path + QLatin1Char('/');
  while (folder.contains(QStringLiteral("//")))
    folder.replace(QStringLiteral("//"), QStringLiteral("/"));
  const QString settings = folder + QStringLiteral("config.ini");
  // The settings file of a relative folder lies under the program folder; its pictures are
  // read from the same folder (not from the current directory, which is inc/).
  const QString pictures = QFileInfo(skinSettingsPath(settings)).absolutePath() + QLatin1Char('/');

  auto value = [&](const char *section, const QString &key) {
    return ReadIniString(QString::fromLatin1(section), key, QString(), settings);
  };
  // Missing keys read as 0; sizes beyond any screen, or negative, are refused as SetRect
  // refuses them.
  const auto width = placementPixels(numberValue(value("pos", QStringLiteral("qorvex_width1"))), true);
  const auto height = placementPixels(numberValue(value("pos", QStringLiteral("qorvex_height1"))), true);
  setFixedSize(width.value_or(this->width()), height.value_or(this->height()));

  for (const NamedControl &c : controls_) {
    const QString name = c.control->objectName();
    const QString picture = value("picture", name);
    if (!picture.isEmpty()) {
      const QString type = QString::fromLatin1(c.typeName);
      if (type == QLatin1String("Image") || type == QLatin1String("PictureBox")) {
        if (auto *image = qobject_cast<SkinImage *>(c.control))
          image->load(pictures + picture);
      } else if (type == QLatin1String("vondan")) {
        static_cast<vondan *>(c.control)->setUPicPath(pictures + picture);
      }
    }
    const QString placement = value("pos", name);
    if (!placement.isEmpty())
      SetRect(*c.control, placement);
  }
  if (!s_main1->picture().isNull())
    applyColourKey();
  refreshCaptionBackdrop();
}

} // namespace lumiqo
