#pragma once
// The window's content in the window system's own pixel format: 32 bits a pixel, 0xFFRRGGBB (bytes blue,
// green, red, 0xFF), rows top-down without padding. Qt shows it as QImage::Format_RGB32 and Windows as a
// 32-bit top-down DIB without converting a pixel, so presenting a 24-bit frame widens its rows once, here,
// and painting is a plain copy.
#include "gfx/Bitmap.h"
#include "gfx/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vis {

class ScreenImage {
  public:
    ScreenImage() = default;
    // A copy holds its own pixels.
    ScreenImage(const ScreenImage& other);
    ScreenImage& operator=(const ScreenImage& other);

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::size_t Stride() const { return static_cast<std::size_t>(width_) * 4; }
    const std::uint8_t* Bits() const { return reinterpret_cast<const std::uint8_t*>(pixels_); }
    const std::uint32_t* Row(std::int32_t y) const { return pixels_ + static_cast<std::size_t>(y) * width_; }

    // A black image of that size, in `storage` (width × height pixels that outlive the image; memory the
    // window system shares, say) or, without it, in memory of its own. Storage is taken as it is: fresh from the
    // system it is all zero, black where the window system ignores the top byte, and writing it would only
    // delay the window.
    void Reset(std::int32_t width, std::int32_t height, std::uint32_t* storage = nullptr);
    // Copies src opaquely with its top-left corner at (x, y), clipped to the image; returns the area it changed.
    Rect Draw(std::int32_t x, std::int32_t y, const Bitmap& src) { return DrawRows(x, y, src, 0, src.Height()); }
    // The same for src's rows top to bottom - 1 only.
    Rect DrawRows(std::int32_t x, std::int32_t y, const Bitmap& src, std::int32_t top, std::int32_t bottom);
    // Copies frame with mask (of the same size) laid over it, white transparent, at (x, y) in one pass: the
    // image shows what an opaque copy of frame followed by a colour-keyed copy of mask would show there.
    Rect DrawMasked(std::int32_t x, std::int32_t y, const Bitmap& frame, const Bitmap& mask);
    // The pixel as 0xRRGGBB.
    Color Pixel(std::int32_t x, std::int32_t y) const { return Row(y)[x] & 0xFFFFFFu; }
    // The same pixels as a 24-bit bitmap (the renderer's frames, tests).
    Bitmap ToBitmap() const;

    friend bool operator==(const ScreenImage& a, const ScreenImage& b);

  private:
    std::size_t PixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
    std::uint32_t* MutableRow(std::int32_t y) { return pixels_ + static_cast<std::size_t>(y) * width_; }

    std::int32_t width_ = 0, height_ = 0;
    std::vector<std::uint32_t> own_;
    std::uint32_t* pixels_ = nullptr;
};

} // namespace vis
