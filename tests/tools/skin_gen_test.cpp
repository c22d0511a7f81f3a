// The art the build draws: every file of the skin folder and every compiled picture exists at
// its size (and at twice it), loads, keeps its key colours clean, and lines up with the face
// or window it is laid on.
#include "controls/colour_key_mask.h"
#include "controls/skin_resources.h"
#include "support/key_pixels.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

QString skinFile(const QString &name) {
  return QStringLiteral(LUMIQO_SKIN_DIR "/") + name;
}
QString resource(const QString &name) {
  return QStringLiteral(":/res/") + name;
}

QString twice(const QString &path) {
  const qsizetype dot = path.lastIndexOf('.');
  return path.left(dot) + "@2x" + path.mid(dot);
}

QImage load(const QString &path) {
  lumiqo::ensureSkinResources();
  return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

QByteArray bytes(const QString &path) {
  lumiqo::ensureSkinResources();
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 u32(const QByteArray &data, int at) {
  return qFromLittleEndian<quint32>(data.constData() + at);
}
quint16 u16(const QByteArray &data, int at) {
  return qFromLittleEndian<quint16>(data.constData() + at);
}

bool isRed(QRgb c) {
  return (c & 0xffffff) == 0xff0000;
}
bool isMagenta(QRgb c) {
  return (c & 0xffffff) == 0xff00ff;
}
// A pixel blended towards a key colour would show as a coloured fringe once the key is cut out.
bool nearRed(QRgb c) {
  return !isRed(c) && qRed(c) >= 128 && qRed(c) - std::max(qGreen(c), qBlue(c)) >= 64;
}
bool nearMagenta(QRgb c) {
  return !isMagenta(c) && qRed(c) >= 128 && qBlue(c) >= 128 && std::min(qRed(c), qBlue(c)) - qGreen(c) >= 64;
}

struct Picture {
  QString path;
  QSize size;
};

const QList<Picture> &everyPicture() {
  static const QList<Picture> pictures = [] {
    QList<Picture> list;
    for (const char *name : {"play", "pause"})
      list.append({skinFile(QString(name) + ".bmp"), {304, 76}});
    for (const char *name : {"stop", "next", "prev", "lyric", "playlist"})
      list.append({skinFile(QString(name) + ".bmp"), {100, 25}});
    for (const char *name : {"close", "minimize", "close2"})
      list.append({skinFile(QString(name) + ".bmp"), {52, 13}});
    list.append({skinFile("volume_fill.bmp"), {142, 6}});
    list.append({skinFile("volume.bmp"), {10, 6}});
    for (int digit = 0; digit <= 9; ++digit)
      list.append({skinFile(QString::number(digit) + ".gif"), {15, 21}});
    const QList<Picture> resources = {
        {"SCRBACKV.bmp", {17, 4}},    {"SCRBACKH.bmp", {4, 17}},        {"SCRARROWV.bmp", {17, 90}},
        {"SCRARROWH.bmp", {90, 17}},  {"SCRARROWVT.bmp", {17, 90}},     {"SCRARROWVB.bmp", {17, 90}},
        {"SCRARROWHL.bmp", {90, 17}}, {"SCRARROWHR.bmp", {90, 17}},     {"SCRTHUMBV.bmp", {68, 15}},
        {"SCRTHUMBH.bmp", {15, 68}},  {"SCRGRIPV.bmp", {9, 40}},        {"SCRGRIPH.bmp", {10, 36}},
        {"PLAYICON.ico", {12, 12}},   {"s_main1.bmp", {452, 173}},      {"colon.gif", {15, 21}},
        {"s_list1.bmp", {306, 354}},  {"pic_serach_bg.bmp", {290, 36}}, {"Image1.bmp", {18, 21}},
        {"lrcshow.bmp", {306, 87}},   {"hand.png", {32, 32}},
    };
    for (const Picture &picture : resources)
      list.append({resource(picture.path), picture.size});
    return list;
  }();
  return pictures;
}

TEST(SkinArt, EveryPictureLoadsAtItsSizeAndAtTwiceIt) {
  for (const Picture &picture : everyPicture()) {
    SCOPED_TRACE(picture.path.toStdString());
    EXPECT_EQ(load(picture.path).size(), picture.size);
    EXPECT_EQ(load(twice(picture.path)).size(), picture.size * 2);
  }
}

TEST(SkinArt, BitmapsAre24BitAndGifsAreGifs) {
  for (const Picture &picture : everyPicture())
    for (const QString &path : {picture.path, twice(picture.path)}) {
      SCOPED_TRACE(path.toStdString());
      const QByteArray data = bytes(path);
      ASSERT_GT(data.size(), 54);
      if (path.endsWith(".bmp")) {
        EXPECT_TRUE(data.startsWith("BM"));
        EXPECT_EQ(u32(data, 2), quint32(data.size()));
        EXPECT_EQ(u16(data, 28), 24);
        EXPECT_EQ(u32(data, 30), 0u); // uncompressed
      } else if (path.endsWith(".gif")) {
        EXPECT_TRUE(data.startsWith("GIF8"));
      }
    }
}

TEST(SkinArt, PlayIconIsOneThirtyTwoBitImageAtOffsetTwentyTwo) {
  for (int scale : {1, 2}) {
    const int side = 12 * scale;
    const QByteArray data = bytes(scale == 1 ? resource("PLAYICON.ico") : resource("PLAYICON@2x.ico"));
    const int maskRow = ((side + 7) / 8 + 3) / 4 * 4;
    const int imageBytes = 40 + side * side * 4 + maskRow * side;
    ASSERT_EQ(data.size(), 22 + imageBytes);
    EXPECT_EQ(u16(data, 0), 0);
    EXPECT_EQ(u16(data, 2), 1);
    EXPECT_EQ(u16(data, 4), 1);
    EXPECT_EQ(quint8(data[6]), side);
    EXPECT_EQ(quint8(data[7]), side);
    EXPECT_EQ(u16(data, 12), 32);
    EXPECT_EQ(u32(data, 14), quint32(imageBytes));
    EXPECT_EQ(u32(data, 18), 22u);
    EXPECT_EQ(u32(data, 22), 40u);
    EXPECT_EQ(u32(data, 26), quint32(side));
    EXPECT_EQ(u32(data, 30), quint32(side * 2)); // colour rows and mask rows
    EXPECT_EQ(u16(data, 36), 32);
  }
  EXPECT_EQ(bytes(resource("PLAYICON.ico")).size() - 22, 664);

  // A green triangle pointing right, transparent around it.
  const QImage icon = load(resource("PLAYICON.ico"));
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(11, 1)), 0);
  const QRgb middle = icon.pixel(5, 6);
  EXPECT_EQ(qAlpha(middle), 255);
  EXPECT_GT(qGreen(middle), qRed(middle) + 40);
  EXPECT_GT(qGreen(middle), qBlue(middle) + 40);
}

TEST(SkinArt, TrayIconHoldsThreeSizesInsideItsData) {
  const QByteArray data = bytes(skinFile("brivo.ico"));
  ASSERT_GE(data.size(), 6 + 3 * 16);
  ASSERT_EQ(u16(data, 4), 3);
  quint32 end = 6 + 3 * 16;
  const int sides[3] = {16, 32, 64};
  for (int i = 0; i < 3; ++i) {
    const int entry = 6 + 16 * i;
    EXPECT_EQ(quint8(data[entry]), sides[i]);
    EXPECT_EQ(quint8(data[entry + 1]), sides[i]);
    EXPECT_EQ(u16(data, entry + 6), 32);
    const quint32 length = u32(data, entry + 8), offset = u32(data, entry + 12);
    EXPECT_EQ(offset, end); // images follow each other without gaps or overlaps
    end = offset + length;
    ASSERT_LE(end, quint32(data.size()));
    EXPECT_EQ(u32(data, offset + 8), quint32(sides[i] * 2));
  }
  EXPECT_EQ(end, quint32(data.size()));

  QImageReader reader(skinFile("brivo.ico"));
  EXPECT_EQ(reader.imageCount(), 3);
  const QImage first = reader.read();
  EXPECT_EQ(first.size(), QSize(16, 16));
  EXPECT_TRUE(first.hasAlphaChannel());
  EXPECT_EQ(qAlpha(first.pixel(0, 0)), 0); // round: the corners are clear
}

TEST(SkinArt, DesktopIconsAndHandCursor) {
  for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QImage icon = load(QStringLiteral(LUMIQO_ICON_DIR "/lumiqo-%1.png").arg(side));
    EXPECT_EQ(icon.size(), QSize(side, side)) << side;
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << side;
    EXPECT_EQ(qAlpha(icon.pixel(side / 2, side / 2)), 255) << side;
  }
  for (int scale : {1, 2}) {
    const QImage hand = load(scale == 1 ? resource("hand.png") : resource("hand@2x.png"));
    EXPECT_EQ(qAlpha(hand.pixel(6 * scale, 0)), 255) << "the fingertip is the hot spot";
    EXPECT_EQ(qAlpha(hand.pixel(6 * scale, 4 * scale)), 255);
    EXPECT_EQ(hand.pixel(6 * scale, 4 * scale) & 0xffffff, 0xffffffu) << "white inside";
    EXPECT_EQ(qAlpha(hand.pixel(31 * scale, 31 * scale)), 0);
    EXPECT_EQ(qAlpha(hand.pixel(0, 0)), 0);
  }
}

// Windows: pure red outside the outline, no pixel blended towards red, solid inside.
TEST(SkinArt, WindowOutlinesAreCleanlyKeyed) {
  struct Outline {
    QString name;
    QList<QPoint> outside, inside;
  };
  const QList<Outline> outlines = {
      {"s_main1.bmp",
       {{0, 0}, {451, 0}, {0, 172}, {451, 172}, {150, 5}, {200, 10}},
       {{87, 87}, {87, 3}, {3, 87}, {400, 140}, {448, 90}}},
      {"s_list1.bmp", {{0, 0}, {305, 0}, {0, 353}, {305, 353}}, {{0, 177}, {153, 0}, {305, 177}, {153, 353}}},
      {"lrcshow.bmp", {{0, 0}, {305, 0}, {0, 86}, {305, 86}}, {{0, 43}, {153, 0}, {305, 43}, {153, 86}}},
  };
  for (const Outline &outline : outlines)
    for (int scale : {1, 2}) {
      const QString path = resource(scale == 1 ? outline.name : twice(outline.name));
      SCOPED_TRACE(path.toStdString());
      const QImage image = load(path);
      for (QPoint at : outline.outside)
        EXPECT_TRUE(isRed(image.pixel(at * scale))) << at.x() << "," << at.y();
      for (QPoint at : outline.inside)
        EXPECT_FALSE(isRed(image.pixel(at * scale))) << at.x() << "," << at.y();
      int fringe = 0;
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          fringe += nearRed(image.pixel(x, y));
      EXPECT_EQ(fringe, 0);
    }
}

// The key never shares a logical pixel with the art, so the window's shape, made of whole
// logical pixels, cuts it all away at twice the size too; and no key pixel is left inside the
// shape the program makes from the art at either size.
TEST(SkinArt, NoKeyPixelSurvivesTheWindowsShapeAtEitherSize) {
  for (const char *name : {"s_main1.bmp", "s_list1.bmp", "lrcshow.bmp"})
    for (int scale : {1, 2}) {
      const QString path = resource(scale == 1 ? name : twice(name));
      SCOPED_TRACE(path.toStdString());
      QImage image = load(path).convertToFormat(QImage::Format_RGB32);
      int mixed = 0;
      for (int y = 0; y < image.height(); y += scale)
        for (int x = 0; x < image.width(); x += scale) {
          int keys = 0;
          for (int dy = 0; dy < scale; ++dy)
            for (int dx = 0; dx < scale; ++dx)
              keys += isRed(image.pixel(x + dx, y + dy));
          mixed += keys > 0 && keys < scale * scale;
        }
      EXPECT_EQ(mixed, 0) << "logical pixels holding the key and art both";
      image.setDevicePixelRatio(scale);
      const QRegion shape = lumiqo::colourKeyMask(image);
      EXPECT_FALSE(shape.isEmpty());
      EXPECT_EQ(lumiqo::test::keyPixelsShown(image, shape), 0);
    }
}

TEST(SkinArt, LyricsFrameStretchesOnlyPlainPixels) {
  for (int scale : {1, 2}) {
    const QImage frame = load(resource(scale == 1 ? "lrcshow.bmp" : "lrcshow@2x.bmp"));
    const int cut = 50 * scale;
    // The stretching column and row repeat their neighbours, so the frame widens without a seam.
    for (int y = 0; y < frame.height(); ++y)
      for (int x = cut; x < cut + scale + 1; ++x)
        ASSERT_EQ(frame.pixel(x, y), frame.pixel(cut + scale + 1, y)) << x << "," << y;
    for (int x = 0; x < frame.width(); ++x)
      for (int y = cut; y < cut + scale + 1; ++y)
        ASSERT_EQ(frame.pixel(x, y), frame.pixel(x, cut + scale + 1)) << x << "," << y;
    EXPECT_EQ(frame.pixel(150 * scale, 60 * scale), qRgb(41, 40, 41)) << "the body under the lyrics";
  }
}

QImage frameOf(const QImage &strip, int index, int count, bool across) {
  const int w = across ? strip.width() / count : strip.width();
  const int h = across ? strip.height() : strip.height() / count;
  return strip.copy(across ? QRect(w * index, 0, w, h) : QRect(0, h * index, w, h));
}

int differingPixels(const QImage &a, const QImage &b) {
  int count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      count += a.pixel(x, y) != b.pixel(x, y);
  return count;
}

// Each button's strip starts from the pixels behind it, and its four looks are clearly apart.
TEST(SkinArt, ButtonFramesSitSeamlesslyOnTheirBackground) {
  struct Button {
    const char *file;
    QRect rect;
    const char *background;
  };
  const Button buttons[] = {
      {"play", {49, 49, 76, 76}, "s_main1.bmp"},       {"pause", {49, 49, 76, 76}, "s_main1.bmp"},
      {"stop", {8, 74, 25, 25}, "s_main1.bmp"},        {"next", {27, 28, 25, 25}, "s_main1.bmp"},
      {"prev", {27, 121, 25, 25}, "s_main1.bmp"},      {"lyric", {75, 10, 25, 25}, "s_main1.bmp"},
      {"playlist", {75, 141, 25, 25}, "s_main1.bmp"},  {"close", {117, 136, 13, 13}, "s_main1.bmp"},
      {"minimize", {141, 107, 13, 13}, "s_main1.bmp"}, {"close2", {282, 7, 13, 13}, "s_list1.bmp"},
      {"close2", {282, 7, 13, 13}, "lrcshow.bmp"},
  };
  for (const Button &button : buttons)
    for (int scale : {1, 2}) {
      const QString file = QString(button.file) + ".bmp";
      SCOPED_TRACE((file + " on " + button.background + " at " + QString::number(scale)).toStdString());
      const QImage strip = load(skinFile(scale == 1 ? file : twice(file)));
      const QImage background = load(resource(scale == 1 ? button.background : twice(button.background)));
      const QRect rect(button.rect.topLeft() * scale, button.rect.size() * scale);
      QList<QImage> frames;
      for (int i = 0; i < 4; ++i)
        frames.append(frameOf(strip, i, 4, true));
      // Every frame's outermost pixels are the background's: no look shows the button's square.
      for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(frames[i].size(), rect.size());
        for (int x = 0; x < rect.width(); ++x)
          for (int y = 0; y < rect.height(); ++y)
            if (x == 0 || y == 0 || x == rect.width() - 1 || y == rect.height() - 1) {
              EXPECT_EQ(frames[i].pixel(x, y), background.pixel(rect.topLeft() + QPoint(x, y)))
                  << "frame " << i << " at " << x << "," << y;
            }
      }
      if (QLatin1String(button.file) != QLatin1String("pause")) { // the face shows play there
        EXPECT_EQ(frames[0], background.copy(rect)) << "the face shows the normal look in place";
      }
      for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
          EXPECT_GT(differingPixels(frames[a], frames[b]), rect.width() * rect.height() / 20)
              << a << " vs " << b;
    }
}

TEST(SkinArt, TimeDigitsAndTextSitOnThePlainDisplay) {
  for (int scale : {1, 2}) {
    const QImage face = load(resource(scale == 1 ? "s_main1.bmp" : "s_main1@2x.bmp"));
    const QPoint at(176 * scale, 70 * scale);
    QList<QImage> digits;
    for (int digit = 0; digit <= 9; ++digit) {
      const QString file = QString::number(digit) + ".gif";
      digits.append(load(skinFile(scale == 1 ? file : twice(file))));
      const QImage &cell = digits.last();
      EXPECT_EQ(cell.pixel(0, 0), face.pixel(at)) << digit;
      EXPECT_EQ(cell.pixel(cell.width() - 1, cell.height() - 1),
                face.pixel(at + QPoint(cell.width() - 1, cell.height() - 1)))
          << digit;
      for (int other = 0; other < digit; ++other)
        EXPECT_NE(digits[other], cell) << other << " and " << digit;
    }
    const QImage colon = load(resource(scale == 1 ? "colon.gif" : "colon@2x.gif"));
    EXPECT_EQ(colon, face.copy(QRect(QPoint(211, 70) * scale, colon.size())));

    // The state label and the caption are drawn over plain display background.
    const QRgb display = digits.first().pixel(0, 0);
    for (QRect area : {QRect(266, 62, 74, 34), QRect(167, 100, 173, 18)})
      for (int y = area.top() * scale; y < (area.bottom() + 1) * scale; ++y)
        for (int x = area.left() * scale; x < (area.right() + 1) * scale; ++x)
          ASSERT_EQ(face.pixel(x, y), display) << x << "," << y;
  }
}

TEST(SkinArt, TracksAreUniformGroovesAndTheSearchPanelIsCream) {
  for (int scale : {1, 2}) {
    const QImage track = load(skinFile(scale == 1 ? "volume_fill.bmp" : "volume_fill@2x.bmp"));
    for (int x = 1; x < track.width(); ++x)
      for (int y = 0; y < track.height(); ++y)
        ASSERT_EQ(track.pixel(x, y), track.pixel(0, y)) << x << "," << y;
    const QImage panel = load(resource(scale == 1 ? "pic_serach_bg.bmp" : "pic_serach_bg@2x.bmp"));
    for (QPoint option : {QPoint(5, 11), QPoint(48, 11), QPoint(90, 11)})
      for (QPoint inside : {QPoint(0, 0), QPoint(12, 12)})
        EXPECT_EQ(panel.pixel((option + inside) * scale), qRgb(253, 251, 226));
    const QImage list = load(resource(scale == 1 ? "s_list1.bmp" : "s_list1@2x.bmp"));
    EXPECT_EQ(list.pixel(QPoint(150, 200) * scale), qRgb(41, 40, 41)) << "the list's frame";
  }
}

// Scroll-bar parts: glyphs are magenta around the drawing and never blended towards it; the
// parts drawn plainly hold no magenta; the thumb's middle rows (the stretched ones) are alike.
TEST(SkinArt, ScrollBarPicturesKeepTheirKeyAndFrameLayout) {
  for (int scale : {1, 2}) {
    auto picture = [scale](const char *name) {
      return load(resource(scale == 1 ? QString(name) + ".bmp" : QString(name) + "@2x.bmp"));
    };
    struct Glyphs {
      const char *name;
      int frames;
      bool across;
    };
    for (const Glyphs &g :
         {Glyphs{"SCRARROWVT", 5, false}, Glyphs{"SCRARROWVB", 5, false}, Glyphs{"SCRARROWHL", 5, true},
          Glyphs{"SCRARROWHR", 5, true}, Glyphs{"SCRGRIPV", 4, false}, Glyphs{"SCRGRIPH", 4, false}}) {
      SCOPED_TRACE(g.name);
      const QImage strip = picture(g.name);
      QList<QImage> frames;
      for (int i = 0; i < g.frames; ++i) {
        frames.append(frameOf(strip, i, g.frames, g.across));
        const QImage &frame = frames.last();
        EXPECT_TRUE(isMagenta(frame.pixel(0, 0))) << "frame " << i;
        int drawn = 0;
        for (int y = 0; y < frame.height(); ++y)
          for (int x = 0; x < frame.width(); ++x)
            drawn += !isMagenta(frame.pixel(x, y));
        EXPECT_GT(drawn, 4 * scale * scale) << "frame " << i;
        EXPECT_LT(drawn, frame.width() * frame.height() / 2) << "frame " << i;
      }
      for (int a = 0; a < frames.size(); ++a)
        for (int b = a + 1; b < frames.size(); ++b)
          EXPECT_NE(frames[a], frames[b]) << a << " vs " << b;
      for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x)
          ASSERT_FALSE(nearMagenta(strip.pixel(x, y))) << x << "," << y;
    }
    for (const char *name : {"SCRBACKV", "SCRBACKH", "SCRARROWV", "SCRARROWH", "SCRTHUMBV", "SCRTHUMBH"}) {
      const QImage plain = picture(name);
      for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
          ASSERT_FALSE(isMagenta(plain.pixel(x, y))) << name << " " << x << "," << y;
    }
    const QImage thumbs = picture("SCRTHUMBV");
    for (int i = 0; i < 4; ++i) {
      const QImage frame = frameOf(thumbs, i, 4, true);
      for (int y = 3 * scale; y < 12 * scale; ++y)
        ASSERT_EQ(frame.copy(0, y, frame.width(), 1), frame.copy(0, 3 * scale, frame.width(), 1))
            << i << " row " << y;
    }
    const QImage across = picture("SCRTHUMBH");
    const QImage down = frameOf(picture("SCRTHUMBV"), 1, 4, true);
    const QImage sideways = frameOf(across, 1, 4, false);
    for (int y = 0; y < down.height(); ++y)
      for (int x = 0; x < down.width(); ++x)
        ASSERT_EQ(down.pixel(x, y), sideways.pixel(y, x))
            << "the horizontal thumb is the vertical one turned";
  }
}

} // namespace
