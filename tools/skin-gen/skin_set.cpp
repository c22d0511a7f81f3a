#include "skin_set.h"

#include "face.h"
#include "icons.h"
#include "image_files.h"
#include "lcd.h"
#include "scrollbar_art.h"
#include "windows.h"

#include <QBuffer>
#include <QDir>
#include <QStringList>
#include <stdexcept>

namespace skingen {
namespace {

QByteArray png(const QImage &image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG"))
    throw std::runtime_error("PNG picture could not be encoded");
  return bytes;
}

class Writer {
public:
  explicit Writer(const OutputFolders &folders) : folders_(folders) {
    for (const QString &dir : {folders.skin, folders.resources, folders.icons})
      if (!QDir().mkpath(dir))
        throw std::runtime_error(("cannot make folder " + dir).toStdString());
  }

  void skin(const QString &file, const QByteArray &bytes) {
    writeFile(QDir(folders_.skin).filePath(file), bytes);
  }
  void resource(const QString &file, const QByteArray &bytes) {
    writeFile(QDir(folders_.resources).filePath(file), bytes);
    resources_.append(file);
  }
  void icon(const QString &file, const QByteArray &bytes) {
    writeFile(QDir(folders_.icons).filePath(file), bytes);
  }

  // The resource list, written last so that rcc sees every file it names.
  void finish() {
    QByteArray qrc = "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/res\">\n";
    for (const QString &file : std::as_const(resources_))
      qrc += "  <file>" + file.toUtf8() + "</file>\n";
    qrc += "</qresource>\n</RCC>\n";
    writeFile(QDir(folders_.resources).filePath(QStringLiteral("skin.qrc")), qrc);
  }

private:
  OutputFolders folders_;
  QStringList resources_;
};

void writeScale(Writer &out, int scale) {
  const QImage base = faceBase(scale);
  QList<QImage> strips;
  for (const FaceButton &button : faceButtons()) {
    strips.append(buttonStrip(base, button.rect, button.glyph, scale));
    out.skin(setFileName(button.file, "bmp", scale), bmp24(strips.last()));
  }
  out.resource(setFileName("s_main1", "bmp", scale), bmp24(face(base, strips, scale)));
  out.skin(setFileName("volume_fill", "bmp", scale), bmp24(trackPicture(scale)));
  out.skin(setFileName("volume", "bmp", scale), bmp24(knobPicture(scale)));
  for (int digit = 0; digit <= 9; ++digit)
    out.skin(setFileName(QString::number(digit), "gif", scale), gif(lcdCell(digit, scale)));
  out.resource(setFileName("colon", "gif", scale), gif(lcdCell(kColonCell, scale)));

  const QImage close2 = closeBoxStrip(scale);
  out.skin(setFileName("close2", "bmp", scale), bmp24(close2));
  out.resource(setFileName("s_list1", "bmp", scale), bmp24(playlistBackground(close2, scale)));
  out.resource(setFileName("pic_serach_bg", "bmp", scale), bmp24(searchPanel(scale)));
  out.resource(setFileName("Image1", "bmp", scale), bmp24(image1(scale)));
  out.resource(setFileName("lrcshow", "bmp", scale), bmp24(lyricsFrame(close2, scale)));

  for (const NamedPicture &picture : scrollBarPictures(scale))
    out.resource(setFileName(picture.name, "bmp", scale), bmp24(picture.image));
  out.resource(setFileName("PLAYICON", "ico", scale), icoFile({playIcon(scale)}));
  out.resource(setFileName("hand", "png", scale), png(handCursor(scale)));
}

} // namespace

QString setFileName(const QString &name, const QString &extension, int scale) {
  return name + (scale == 2 ? QStringLiteral("@2x.") : QStringLiteral(".")) + extension;
}

void writeSkinSet(const OutputFolders &folders) {
  Writer out(folders);
  writeScale(out, 1);
  writeScale(out, 2);
  out.skin(QStringLiteral("brivo.ico"), icoFile({appMark(16), appMark(32), appMark(64)}));
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    out.icon(QStringLiteral("lumiqo-%1.png").arg(size), png(appMark(size)));
  out.finish();
}

} // namespace skingen
