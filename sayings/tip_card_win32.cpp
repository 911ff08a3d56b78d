// The tip card's picture: the carried PNG decoded with GDI+ into premultiplied pixels (a plain
// card drawn instead when it cannot be decoded), at the size of the tip for its DPI.
#include "sayings/tip_card_win32.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

// GDI+ first: the stream functions need its COM declarations.
#include "ui/gdiplus_win32.h"

#include <shlwapi.h>

#include "sayings/tip.h"
#include "sayings/tip_card.h"

namespace ravak::win32 {

namespace {

// The card as premultiplied 32-bit pixels, top row first.
struct CardPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

uint32_t Premultiply(uint32_t argb) {
  const uint32_t a = argb >> 24;
  auto channel = [a](uint32_t c) { return (c * a + 127) / 255; };
  return a << 24 | channel(argb >> 16 & 0xFF) << 16 | channel(argb >> 8 & 0xFF) << 8 |
         channel(argb & 0xFF);
}

// Copies a locked 32-bit bitmap row by row, premultiplying its pixels unless they already are.
void CopyPixels(const Gdiplus::BitmapData& data, bool premultiplied, CardPixels& card) {
  card.pixels.resize(static_cast<std::size_t>(card.width) * card.height);
  for (int y = 0; y < card.height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(data.Scan0) + static_cast<std::ptrdiff_t>(y) * data.Stride);
    for (int x = 0; x < card.width; ++x) {
      card.pixels[static_cast<std::size_t>(y) * card.width + x] =
          premultiplied ? row[x] : Premultiply(row[x]);
    }
  }
}

// The carried picture at width x height: as it is at its own size, stretched smoothly at any
// other. Empty when the picture does not decode.
CardPixels DecodeCard(int width, int height) {
  const std::span<const uint8_t> png = TipCardPicture();
  CardPixels card{width, height, {}};
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return card;
  if (IStream* stream = SHCreateMemStream(png.data(), static_cast<UINT>(png.size()))) {
    {
      Gdiplus::Bitmap bitmap(stream);
      Gdiplus::Rect rect(0, 0, width, height);
      Gdiplus::BitmapData data{};
      const bool decoded = bitmap.GetLastStatus() == Gdiplus::Ok &&
                           bitmap.GetWidth() == static_cast<UINT>(kTipWidth) &&
                           bitmap.GetHeight() == static_cast<UINT>(kTipHeight);
      if (decoded && width == kTipWidth && height == kTipHeight) {
        if (bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) ==
            Gdiplus::Ok) {
          CopyPixels(data, false, card);
          bitmap.UnlockBits(&data);
        }
      } else if (decoded) {
        Gdiplus::Bitmap scaled(width, height, PixelFormat32bppPARGB);
        Gdiplus::Graphics graphics(&scaled);
        graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        Gdiplus::ImageAttributes edges;
        edges.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
        if (graphics.DrawImage(&bitmap, rect, 0, 0, kTipWidth, kTipHeight, Gdiplus::UnitPixel,
                               &edges) == Gdiplus::Ok &&
            scaled.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) ==
                Gdiplus::Ok) {
          CopyPixels(data, true, card);
          scaled.UnlockBits(&data);
        }
      }
    }
    stream->Release();
  }
  Gdiplus::GdiplusShutdown(token);
  return card;
}

// A plain opaque card with a grey rim, should the picture not decode.
CardPixels PlainCard(int width, int height) {
  CardPixels card{width, height,
                  std::vector<uint32_t>(static_cast<std::size_t>(width) * height, 0xFFFBF9F4)};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) {
        card.pixels[static_cast<std::size_t>(y) * width + x] = 0xFFA3A8B0;
      }
    }
  }
  return card;
}

// The card at a size, kept for the next tip of that size.
const CardPixels& Card(int width, int height) {
  static CardPixels card;
  if (card.width != width || card.height != height || card.pixels.empty()) {
    card = DecodeCard(width, height);
    if (card.pixels.empty()) card = PlainCard(width, height);
  }
  return card;
}

}  // namespace

// A 32-bit top-down DIB section holding the card at width x height.
HBITMAP CreateCardBitmap(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return nullptr;
  const CardPixels& card = Card(width, height);
  std::copy(card.pixels.begin(), card.pixels.end(), static_cast<uint32_t*>(bits));
  GdiFlush();
  return bitmap;
}

}  // namespace ravak::win32
