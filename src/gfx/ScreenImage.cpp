#include "gfx/ScreenImage.h"

#include <algorithm>

namespace vis {

namespace {
constexpr std::uint32_t kOpaque = 0xFF000000u;

// One row from blue-green-red bytes to 32-bit pixels; a plain loop the compiler vectorises.
void Widen(std::uint32_t* __restrict dst, const std::uint8_t* __restrict src, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = kOpaque | static_cast<std::uint32_t>(src[3 * i]) | static_cast<std::uint32_t>(src[3 * i + 1]) << 8 |
                 static_cast<std::uint32_t>(src[3 * i + 2]) << 16;
}
} // namespace

void ScreenImage::Reset(std::int32_t width, std::int32_t height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), kOpaque);
}

Rect ScreenImage::Draw(std::int32_t x, std::int32_t y, const Bitmap& src) {
    const Rect c = Intersect(Rect{x, y, x + src.Width(), y + src.Height()}, Rect{0, 0, width_, height_});
    if (c.Empty()) return {};
    for (std::int32_t row = c.top; row < c.bottom; ++row)
        Widen(pixels_.data() + static_cast<std::size_t>(row) * width_ + c.left,
              src.Row(row - y) + static_cast<std::size_t>(c.left - x) * 3, c.Width());
    return c;
}

Bitmap ScreenImage::ToBitmap() const {
    Bitmap b(width_, height_);
    for (std::int32_t y = 0; y < height_; ++y) {
        std::uint8_t* d = b.Row(y);
        const std::uint32_t* s = Row(y);
        for (std::int32_t x = 0; x < width_; ++x, d += 3) {
            d[0] = static_cast<std::uint8_t>(s[x]);
            d[1] = static_cast<std::uint8_t>(s[x] >> 8);
            d[2] = static_cast<std::uint8_t>(s[x] >> 16);
        }
    }
    return b;
}

} // namespace vis
