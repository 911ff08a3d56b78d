// Pixel sizes at any screen density. The windows are drawn for 96 DPI (100 %); at 120, 144 or
// 192 DPI every fixed size grows by the same factor, rounded as the system's MulDiv rounds.
#pragma once

#include <cstdint>

namespace ravak {

inline constexpr int kBaseDpi = 96;

// n pixels at from_dpi, in pixels at to_dpi: rounded to the nearest pixel, halves away from zero.
// A DPI of 0 or less (unknown) leaves n as it is.
constexpr int Rescale(int n, int from_dpi, int to_dpi) {
  if (from_dpi <= 0 || to_dpi <= 0 || from_dpi == to_dpi) return n;
  const int64_t product = static_cast<int64_t>(n) * to_dpi;
  const int64_t half = from_dpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / from_dpi
                                       : -((-product + half) / from_dpi));
}

// n pixels at 96 DPI, at dpi.
constexpr int ScaleToDpi(int n, int dpi) {
  return Rescale(n, kBaseDpi, dpi);
}

// The pixel height of a font of the given point size (1/72 inch) at dpi.
constexpr int PointsToPixels(int points, int dpi) {
  return Rescale(points, 72, dpi);
}

struct PixelSize {
  int width;
  int height;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelRect {
  int left;
  int top;
  int width;
  int height;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// Edges are scaled, not sizes, so that rectangles that touch at one DPI touch at every other.
constexpr PixelRect Rescale(const PixelRect& r, int from_dpi, int to_dpi) {
  const int left = Rescale(r.left, from_dpi, to_dpi);
  const int top = Rescale(r.top, from_dpi, to_dpi);
  return {left, top, Rescale(r.left + r.width, from_dpi, to_dpi) - left,
          Rescale(r.top + r.height, from_dpi, to_dpi) - top};
}

constexpr PixelRect ScaleToDpi(const PixelRect& r, int dpi) {
  return Rescale(r, kBaseDpi, dpi);
}

}  // namespace ravak
