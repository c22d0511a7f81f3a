// skin-gen: draws the player's skin. Run by the build; by hand it can also put the windows
// together into one picture for looking at the art.
//
//   skin-gen --skin DIR --resources DIR --icons DIR [--preview FILE] [--sheet FILE] [--scale 1|2]

#include "paint.h"
#include "preview.h"
#include "skin_set.h"

#include <QCommandLineParser>
#include <QFontInfo>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

int main(int argc, char **argv) {
  // Fonts need a platform; the generator never shows a window.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QCommandLineParser parser;
  parser.setApplicationDescription("Draws the Lumiqo skin.");
  parser.addHelpOption();
  const QCommandLineOption skin("skin", "Skin folder.", "dir");
  const QCommandLineOption resources("resources", "Resource folder (with skin.qrc).", "dir");
  const QCommandLineOption icons("icons", "Desktop icon folder.", "dir");
  const QCommandLineOption preview("preview", "Also write the three windows put together.", "file");
  const QCommandLineOption sheet("sheet", "Also write a sheet of every picture.", "file");
  const QCommandLineOption scale("scale", "Picture set of the preview and sheet: 1 or 2.", "n", "1");
  parser.addOptions({skin, resources, icons, preview, sheet, scale});
  parser.process(app);
  if (!parser.isSet(skin) || !parser.isSet(resources) || !parser.isSet(icons)) {
    std::fputs("skin-gen: --skin, --resources and --icons are required\n", stderr);
    return 2;
  }
  const QFontInfo cjk(skingen::uiFont(12));
  if (!cjk.exactMatch())
    std::fprintf(stderr,
                 "skin-gen: the font %s is missing (scripts/install-deps.sh installs it); captions use %s\n",
                 qPrintable(skingen::uiFont(12).family()), qPrintable(cjk.family()));
  const skingen::OutputFolders folders{parser.value(skin), parser.value(resources), parser.value(icons)};
  const int set = parser.value(scale) == QLatin1String("2") ? 2 : 1;
  try {
    skingen::writeSkinSet(folders);
    if (parser.isSet(preview))
      skingen::writePreview(folders, set, parser.value(preview));
    if (parser.isSet(sheet))
      skingen::writeSheet(folders, set, parser.value(sheet));
  } catch (const std::exception &error) {
    std::fprintf(stderr, "skin-gen: %s\n", error.what());
    return 1;
  }
  return 0;
}
