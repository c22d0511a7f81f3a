// Three plain frameless windows docked like the player's: "dock-main" (no parent), then
// "dock-lyrics" right of it and "dock-playlist" below it, both with the main window as parent.
// Drag them by the background, size them by their edges. The docking test drives it with
// xdotool; it also serves to try the docking by hand.
#include "controls/magnetic_dock.h"
#include "support/frameless_test_window.h"

#include <QApplication>

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  using lumiqo::FramelessTestWindow;
  FramelessTestWindow main("dock-main", QColor(70, 110, 160), {200, 150, 300, 120});
  FramelessTestWindow lyrics("dock-lyrics", QColor(90, 150, 90), {500, 150, 200, 300});
  FramelessTestWindow playlist("dock-playlist", QColor(160, 120, 70), {200, 270, 300, 280});
  lumiqo::MagneticDock dock;
  dock.AddWindow(&main);
  dock.AddWindow(&lyrics, &main);
  dock.AddWindow(&playlist, &main);
  main.show();
  lyrics.show();
  playlist.show();
  return app.exec();
}
