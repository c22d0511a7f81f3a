#pragma once
// pcMemDC: an off-screen drawing surface holding one picture, copied to a painter plainly,
// stretched, or with the magenta key colour left out (the key's pixels leave the destination
// as it was). Sizes and source positions are logical pixels: a surface made from a twice-size
// picture (device pixel ratio 2) measures and copies at the plain size, so the same geometry
// draws both sets and the twice-size one stays sharp on a high-density screen.

#include <QImage>

class QPainter;

namespace lumiqo {

class pcMemDC {
public:
  pcMemDC() = default;

  // The surface only grows: a larger value makes a new surface of that size (its contents are
  // lost), a smaller or equal one changes nothing.
  int Width() const { return width_; }
  void setWidth(int value);
  int Height() const { return height_; }
  void setHeight(int value);

  // The surface itself, to paint into.
  QImage &hdc() { return surface_; }
  const QImage &hdc() const { return surface_; }

  // Grows the surface to at least the picture's size and copies the picture in at (0, 0).
  // The surface takes over the picture's device pixel ratio.
  void CreateFromPicture(const QImage &sPic);

  // Copies the source rectangle unscaled to (xDst, yDst). A source width or height below 1
  // stands for the surface's full width or height. With UseMask the magenta pixels are left
  // out, so the destination shows through them.
  void Draw(QPainter &hdc, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst, int yDst,
            bool UseMask = false) const;
  // Copies the source rectangle onto the destination rectangle, stretched pixel by pixel
  // (no smoothing). Source width or height below 1 stand for the full surface.
  void StretchDraw(QPainter &hdc, int xDst, int yDst, int WidthDst, int HeightDst, int xSrc, int ySrc,
                   int WidthSrc, int HeightSrc) const;

  qreal devicePixelRatio() const { return ratio_; }

private:
  void recreate(int width, int height);
  const QImage &keyed() const;

  QImage surface_;
  int width_ = 0;
  int height_ = 0;
  qreal ratio_ = 1;
  // The surface with its key colour made transparent, rebuilt when the surface changes.
  mutable QImage keyed_;
  mutable qint64 keyedFrom_ = 0;
};

} // namespace lumiqo
