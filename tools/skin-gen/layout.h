#pragma once
// Where things sit in the three windows, in logical pixels. The main window, its buttons and
// bars place themselves at these rectangles, so the pictures are drawn to fit them exactly.

#include <QPointF>
#include <QRect>
#include <QSize>

namespace skingen::layout {

// Main window face.
inline constexpr QSize face(452, 173);
inline constexpr QPointF discCentre(87, 87);
inline constexpr double discRadius = 86;
inline constexpr double ringRadius = 66; // where the round buttons sit
// Its left end is hidden in the disc. At start-up the lyrics window covers the face above y 30
// and the playlist window the face below y 149, right of x 150: the panel lies between.
inline constexpr QRectF panel(120, 30, 332, 119);
inline constexpr QRectF display(163, 58, 178, 63);
inline constexpr QRect play(49, 49, 76, 76);
inline constexpr QRect stop(8, 74, 25, 25);
inline constexpr QRect next(27, 28, 25, 25);
inline constexpr QRect prev(27, 121, 25, 25);
inline constexpr QRect lyric(75, 10, 25, 25);
inline constexpr QRect playlist(75, 141, 25, 25);
inline constexpr QRect close(117, 136, 13, 13);
inline constexpr QRect minimize(141, 107, 13, 13);
inline constexpr QSize digit(15, 21);
inline constexpr int digitTop = 70;
inline constexpr int digitLefts[5] = {176, 194, 211, 227, 245}; // index 2 is the colon
inline constexpr QRect stateLabel(266, 62, 74, 34);
inline constexpr QRect caption(167, 100, 173, 18);
inline constexpr QRect web(348, 100, 24, 16);
inline constexpr QRect forum(348, 125, 24, 16);
inline constexpr QRect volumeTrack(392, 105, 50, 6);
inline constexpr QRect seekTrack(167, 128, 142, 6);
inline constexpr QSize trackPicture(142, 6);
inline constexpr QSize knob(10, 6);
inline constexpr QPoint volumeKnob(430, 106);
inline constexpr QPoint seekKnob(167, 128);

// Playlist window.
inline constexpr QSize playlistWindow(306, 354);
inline constexpr int titleHeight = 25;
inline constexpr QRect image1(6, 2, 18, 21);
inline constexpr QRect closeBox(282, 7, 13, 13); // also in the lyrics window
inline constexpr QRect tabs[4] = {{16, 32, 49, 17}, {72, 27, 55, 16}, {165, 27, 55, 16}, {228, 27, 67, 16}};
inline constexpr QRect headings(10, 52, 286, 19);
inline constexpr QRect listFrame(10, 72, 286, 271);
inline constexpr int scrollBarWidth = 17;

// Search panel.
inline constexpr QSize searchPanel(290, 36);
inline constexpr QPoint options[3] = {{5, 11}, {48, 11}, {90, 11}};
inline constexpr QRect searchText(145, 10, 105, 17);
inline constexpr QRect searchButton(255, 10, 28, 16);

// Lyrics window.
inline constexpr QSize lyricsWindow(306, 87);
inline constexpr int lyricsCut = 50; // the one-pixel row and column that stretch
inline constexpr QPoint lyricsView(9, 34);

} // namespace skingen::layout
