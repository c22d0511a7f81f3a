#include "preview.h"

#include "layout.h"
#include "paint.h"
#include "windows.h"

#include <QDir>
#include <QFontMetrics>
#include <stdexcept>

namespace skingen {
namespace {

class Loader {
public:
  Loader(const OutputFolders &folders, int scale) : folders_(folders), scale_(scale) {}
  QImage skin(const QString &name, const QString &ext) const { return load(folders_.skin, name, ext); }
  QImage res(const QString &name, const QString &ext) const { return load(folders_.resources, name, ext); }

private:
  QImage load(const QString &dir, const QString &name, const QString &ext) const {
    QImage image(QDir(dir).filePath(setFileName(name, ext, scale_)));
    if (image.isNull())
      throw std::runtime_error(("cannot read " + name + "." + ext).toStdString());
    image.setDevicePixelRatio(scale_);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
  OutputFolders folders_;
  int scale_;
};

// Pure red becomes see-through, as in the windows.
QImage keyed(QImage image) {
  for (int y = 0; y < image.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0xffffff) == 0xff0000)
        line[x] = 0;
  }
  return image;
}

QImage frame(const QImage &strip, int index, int count, bool across = true) {
  const qreal r = strip.devicePixelRatio();
  const int w = across ? strip.width() / count : strip.width();
  const int h = across ? strip.height() : strip.height() / count;
  QImage out = strip.copy(across ? QRect(w * index, 0, w, h) : QRect(0, h * index, w, h));
  out.setDevicePixelRatio(r);
  return out;
}

QSizeF logical(const QImage &image) {
  return image.deviceIndependentSize();
}

// `states` gives the frame shown by each button of the face (play, pause, stop, next, prev,
// lyric, playlist, close, minimize); -1 leaves the face as it is.
void drawMainWindow(QPainter &p, const Loader &load, const int (&states)[9]) {
  static const char *files[9] = {"play",  "pause",    "stop",  "next",    "prev",
                                 "lyric", "playlist", "close", "minimize"};
  static const QRect rects[9] = {layout::play,     layout::play,  layout::stop,
                                 layout::next,     layout::prev,  layout::lyric,
                                 layout::playlist, layout::close, layout::minimize};
  p.drawImage(QPointF(0, 0), keyed(load.res("s_main1", "bmp")));
  for (int i = 0; i < 9; ++i)
    if (states[i] >= 0)
      p.drawImage(QPointF(rects[i].topLeft()), frame(load.skin(files[i], "bmp"), states[i], 4));
  const QString time = QStringLiteral("03:05");
  for (int i = 0; i < 5; ++i)
    p.drawImage(QPointF(layout::digitLefts[i], layout::digitTop),
                i == 2 ? load.res("colon", "gif") : load.skin(time.mid(i, 1), "gif"));
  const QImage groove = load.skin("volume_fill", "bmp");
  const QImage knob = load.skin("volume", "bmp");
  p.drawImage(QRectF(layout::volumeTrack), groove);
  p.drawImage(QRectF(layout::seekTrack), groove);
  p.drawImage(QPointF(layout::volumeKnob), knob);
  p.drawImage(QPointF(layout::seekKnob + QPoint(58, 0)), knob);
  p.setFont(uiFont(12));
  p.setPen(colour::text);
  p.drawText(QRectF(layout::stateLabel), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("状态:播放\n 04:12"));
  p.drawText(QRectF(layout::caption).adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("歌名:晚风  歌手:林夕"));
}

void drawScrollBar(QPainter &p, const Loader &load, QRectF bar) {
  const QImage track = frame(load.res("SCRBACKV", "bmp"), 0, 2, false);
  p.drawImage(bar, track);
  const QImage arrow = frame(load.res("SCRARROWV", "bmp"), 0, 5, false);
  auto glyph = [&](const char *name, int state) {
    QImage g = keyed(frame(load.res(name, "bmp"), state, 5, false));
    for (int y = 0; y < g.height(); ++y) // magenta is this picture's see-through colour
      for (int x = 0; x < g.width(); ++x)
        if ((g.pixel(x, y) & 0xffffff) == 0xff00ff)
          g.setPixel(x, y, 0);
    return g;
  };
  p.drawImage(bar.topLeft(), frame(load.res("SCRARROWV", "bmp"), 2, 5, false));
  p.drawImage(bar.topLeft(), glyph("SCRARROWVT", 2));
  p.drawImage(QPointF(bar.left(), bar.bottom() - 18), arrow);
  p.drawImage(QPointF(bar.left(), bar.bottom() - 18), glyph("SCRARROWVB", 0));
  // A thumb 60 pixels long, nine-sliced.
  const QImage thumb = frame(load.res("SCRTHUMBV", "bmp"), 0, 4);
  const QRectF t(bar.left(), bar.top() + 40, 17, 60);
  const double r = thumb.devicePixelRatio();
  auto rows = [r](double top, double height) { return QRectF(0, top * r, 17 * r, height * r); };
  p.drawImage(QRectF(t.left(), t.top(), 17, 3), thumb, rows(0, 3));
  p.drawImage(QRectF(t.left(), t.top() + 3, 17, t.height() - 6), thumb, rows(3, 9));
  p.drawImage(QRectF(t.left(), t.bottom() - 3, 17, 3), thumb, rows(12, 3));
  QImage grip = keyed(frame(load.res("SCRGRIPV", "bmp"), 0, 4, false));
  for (int y = 0; y < grip.height(); ++y)
    for (int x = 0; x < grip.width(); ++x)
      if ((grip.pixel(x, y) & 0xffffff) == 0xff00ff)
        grip.setPixel(x, y, 0);
  p.drawImage(QPointF(t.left() + 4, t.top() + 25), grip);
}

void drawList(QPainter &p, const Loader &load) {
  const QRectF frameRect(layout::listFrame);
  p.save();
  p.translate(frameRect.topLeft());
  const ListColumns columns = listColumns();
  p.fillRect(QRectF(0, 0, frameRect.width(), frameRect.height()), Qt::white);
  static const char *rows[][3] = {{"晚风", "林夕", "04:12"},
                                  {"城南旧事", "陈白露", "03:48"},
                                  {"Morning Light", "Ossel", "05:01"},
                                  {"长夜将尽的时候我们仍在路上", "苏禾", "04:33"},
                                  {"雨巷", "戴望", "03:20"},
                                  {"海边的信", "周小安", "04:05"},
                                  {"Silver Lines", "Nora K.", "03:57"},
                                  {"月光下的城市", "林夕", "04:40"}};
  const QFont font = listFont();
  p.setFont(font);
  const QFontMetrics m(font);
  const QImage icon = load.res("PLAYICON", "ico");
  for (int i = 0; i < 15; ++i) {
    const auto &row = rows[i % 8];
    const QRectF r(1, 1 + i * 18, frameRect.width() - 2 - 17, 18);
    QColor ink(64, 64, 0);
    if (i == 2) {
      p.fillRect(r, QColor(192, 192, 0));
      ink = Qt::white;
    } else {
      p.fillRect(r, i % 2 ? QColor(234, 246, 250) : Qt::white);
    }
    if (i == 0)
      ink = QColor(83, 183, 18);
    p.setPen(ink);
    auto box = [&](QRect c) { return QRectF(c.left(), r.top(), c.width(), 18); };
    if (i == 0)
      p.drawImage(QPointF(3, r.top() + 3), icon);
    else
      p.drawText(box(columns.number), Qt::AlignCenter, QString::number(i + 1));
    p.drawText(box(columns.title), Qt::AlignLeft | Qt::AlignVCenter,
               m.elidedText(QString::fromUtf8(row[0]), Qt::ElideRight, columns.title.width()));
    p.drawText(box(columns.artist), Qt::AlignCenter, QString::fromUtf8(row[1]));
    p.drawText(box(columns.time), Qt::AlignCenter, QString::fromUtf8(row[2]));
  }
  drawScrollBar(p, load, QRectF(frameRect.width() - 1 - 17, 1, 17, frameRect.height() - 2));
  p.setPen(QColor(0, 64, 0));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(0.5, 0.5, frameRect.width() - 1, frameRect.height() - 1));
  // The search panel, centred over the list.
  const QImage panel = load.res("pic_serach_bg", "bmp");
  const QPointF at((frameRect.width() - logical(panel).width()) / 2,
                   (frameRect.height() - logical(panel).height()) / 2);
  p.drawImage(at, panel);
  p.setPen(QColor(90, 86, 60));
  p.setBrush(Qt::white);
  for (QPoint o : layout::options) {
    p.drawEllipse(QRectF(at + QPointF(o) + QPointF(1.5, 1.5), QSizeF(11, 11)));
  }
  p.setBrush(QColor(64, 64, 0));
  p.drawEllipse(QRectF(at + QPointF(layout::options[0]) + QPointF(4.5, 4.5), QSizeF(5, 5)));
  p.setFont(uiFont(12));
  p.setPen(Qt::black);
  p.drawText(QRectF(layout::searchText).translated(at).adjusted(3, 0, 0, 0), Qt::AlignVCenter,
             QStringLiteral("林夕"));
  p.restore();
}

void drawLyricsWindow(QPainter &p, const QImage &frame, double width) {
  // The nine pieces, cut at the one-pixel row and column that stretch.
  const QSizeF size = logical(frame);
  const double r = frame.devicePixelRatio();
  const double cut = layout::lyricsCut, extra = width - size.width();
  auto piece = [&](QRectF dst, QRectF src) {
    p.drawImage(dst, frame, QRectF(src.topLeft() * r, src.size() * r));
  };
  piece(QRectF(0, 0, cut, size.height()), QRectF(0, 0, cut, size.height()));
  piece(QRectF(cut, 0, 1 + extra, size.height()), QRectF(cut, 0, 1, size.height()));
  piece(QRectF(cut + 1 + extra, 0, size.width() - cut - 1, size.height()),
        QRectF(cut + 1, 0, size.width() - cut - 1, size.height()));
  p.setFont(uiFont(13));
  p.setPen(QColor(155, 155, 0));
  p.drawText(QRectF(9, 34, width - 18, 14), Qt::AlignCenter, QStringLiteral("风吹过城南的旧巷"));
  p.setPen(QColor(255, 255, 0));
  p.drawText(QRectF(9, 50, width - 18, 14), Qt::AlignCenter, QStringLiteral("晚风轻轻唱着那首歌"));
  p.setPen(QColor(155, 155, 0));
  p.drawText(QRectF(9, 66, width - 18, 14), Qt::AlignCenter, QStringLiteral("我在灯下等你回来"));
}

QImage desktop(QSize size, int scale) {
  QImage image = newPicture(size, scale, Qt::black);
  Painter p(image, scale);
  QLinearGradient sky(0, 0, size.width(), size.height());
  sky.setColorAt(0, QColor(96, 122, 150));
  sky.setColorAt(1, QColor(186, 196, 204));
  p.fillRect(QRectF(QPointF(0, 0), size), sky);
  return image;
}

} // namespace

void writePreview(const OutputFolders &folders, int scale, const QString &file) {
  const Loader load(folders, scale);
  // Stacked as at start-up: the lyrics window 850 twips above the main window's top, the
  // playlist window 2230 twips below it, both right-aligned with the main window; a wider
  // lyrics window beside them shows the frame stretched.
  const QPointF main(24, 24 + 57);
  QImage image = desktop(QSize(24 + 456 + 24 + 456 + 24, 24 + 57 + 149 + 354 + 24), scale);
  Painter p(image, scale);
  p.save();
  p.translate(main + QPointF(150, 149));
  p.drawImage(QPointF(0, 0), keyed(load.res("s_list1", "bmp")));
  p.drawImage(QPointF(layout::closeBox.topLeft()), frame(load.skin("close2", "bmp"), 0, 4));
  drawList(p, load);
  p.restore();
  p.save();
  p.translate(main);
  // Playing, the pointer on the next button.
  drawMainWindow(p, load, {-1, 0, -1, 1, -1, -1, -1, -1, -1});
  p.restore();
  p.save();
  // Alone, with the other looks: stop pressed, prev and close just left, lyric and minimise under
  // the pointer.
  p.translate(24 + 456 + 24, 24 + 87 + 40);
  drawMainWindow(p, load, {0, -1, 2, -1, 3, 1, -1, 3, 1});
  p.restore();
  const QImage lyrics = keyed(load.res("lrcshow", "bmp"));
  p.save();
  p.translate(main + QPointF(150, -57));
  drawLyricsWindow(p, lyrics, 306);
  p.restore();
  p.save();
  p.translate(24 + 456 + 24, 24);
  drawLyricsWindow(p, lyrics, 400);
  p.restore();
  p.end();
  if (!image.save(file))
    throw std::runtime_error(("cannot write " + file).toStdString());
}

void writeSheet(const OutputFolders &folders, int scale, const QString &file) {
  QStringList names;
  for (const QString &dir : {folders.skin, folders.resources})
    for (const QFileInfo &info : QDir(dir).entryInfoList(QDir::Files, QDir::Name))
      if (info.suffix() != QLatin1String("qrc") &&
          info.completeBaseName().endsWith(QLatin1String("@2x")) == (scale == 2))
        names.append(info.filePath());
  // Small pictures are shown four times enlarged, pixel for pixel.
  QList<QImage> pictures;
  for (const QString &name : names) {
    QImage image(name);
    if (image.isNull())
      throw std::runtime_error(("cannot read " + name).toStdString());
    image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image.width() <= 100 * scale && image.height() <= 100 * scale)
      image = image.scaled(image.size() * 4);
    pictures.append(image);
  }
  const int width = 1400 * scale;
  int x = 8, y = 8, rowHeight = 0;
  QList<QPoint> at;
  for (const QImage &image : pictures) {
    if (x + image.width() > width - 8) {
      x = 8;
      y += rowHeight + 24 * scale;
      rowHeight = 0;
    }
    at.append(QPoint(x, y + 16 * scale));
    x += std::max(image.width(), 120 * scale) + 12 * scale;
    rowHeight = std::max(rowHeight, image.height() + 16 * scale);
  }
  QImage sheet(width, y + rowHeight + 16 * scale, QImage::Format_RGB32);
  sheet.fill(QColor(150, 160, 170));
  QPainter p(&sheet);
  p.setFont(uiFont(11 * scale));
  for (int i = 0; i < pictures.size(); ++i) {
    p.setPen(Qt::black);
    p.drawText(at[i] - QPoint(0, 4 * scale), QFileInfo(names[i]).fileName());
    p.drawImage(at[i], pictures[i]);
  }
  p.end();
  if (!sheet.save(file))
    throw std::runtime_error(("cannot write " + file).toStdString());
}

} // namespace skingen
