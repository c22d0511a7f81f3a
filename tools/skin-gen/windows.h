#pragma once
// The playlist window's background, its title-bar decoration and search panel, and the lyrics
// window's frame. Both windows share one title bar, so the close box (one strip for both) sits
// on identical pixels in each.

#include <QImage>

namespace skingen {

// Column boxes of the play list in list coordinates, as the list lays them out with its font
// while its scroll bar shows: number, title, artist and time.
struct ListColumns {
  QRect number, title, artist, time;
};
ListColumns listColumns();

QImage image1(int scale);        // the title bar's music note, on the title bar
QImage closeBoxStrip(int scale); // close2: four frames on the title bar's pixels
QImage playlistBackground(const QImage &closeStrip, int scale); // s_list1
QImage searchPanel(int scale);                                  // pic_serach_bg
QImage lyricsFrame(const QImage &closeStrip, int scale);        // lrcshow

} // namespace skingen
