#include "gfx/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vis {

namespace {
std::size_t StrideFor(std::int32_t width) {
    return (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
}

void PutColor(std::uint8_t* p, Color c) {
    p[0] = static_cast<std::uint8_t>(c);
    p[1] = static_cast<std::uint8_t>(c >> 8);
    p[2] = static_cast<std::uint8_t>(c >> 16);
}

// Fills n pixels starting at p with one colour, a row at a time.
void FillPixels(std::uint8_t* p, std::int32_t n, Color c) {
    const std::uint8_t b = static_cast<std::uint8_t>(c), g = static_cast<std::uint8_t>(c >> 8),
                       r = static_cast<std::uint8_t>(c >> 16);
    if (b == g && g == r) {
        std::memset(p, b, static_cast<std::size_t>(n) * 3);
        return;
    }
    for (std::int32_t i = 0; i < n; ++i, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}
} // namespace

void Bitmap::SetSize(std::int32_t width, std::int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    const std::size_t stride = StrideFor(width);
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> pixels(stride * static_cast<std::size_t>(height),
                                                                           0xFF);
    const std::int32_t keepW = std::min(width, width_), keepH = std::min(height, height_);
    // A side of 0 leaves a buffer without storage; memcpy must not see its null pointer even for 0 bytes.
    for (std::int32_t y = 0; keepW > 0 && y < keepH; ++y)
        std::memcpy(pixels.data() + static_cast<std::size_t>(y) * stride, Row(y), static_cast<std::size_t>(keepW) * 3);
    pixels_ = std::move(pixels);
    width_ = width;
    height_ = height;
    stride_ = stride;
}

void Bitmap::Reshape(std::int32_t width, std::int32_t height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_) return;
    stride_ = StrideFor(width);
    // A vector keeps its capacity when it shrinks, and grows within it without moving. Beyond it nothing is
    // kept, so the old pixels go before the new ones are taken: old and new are never held at once.
    const std::size_t bytes = stride_ * static_cast<std::size_t>(height);
    if (bytes > pixels_.capacity()) pixels_ = {};
    pixels_.resize(bytes);
    width_ = width;
    height_ = height;
}

void Bitmap::Reserve(std::int32_t width, std::int32_t height) {
    pixels_.reserve(StrideFor(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)));
}

Rect Bitmap::DrawArea() const {
    return Intersect(clip_, Rect{0, 0, width_, height_});
}

void Bitmap::Release() {
    pixels_ = {};
    width_ = height_ = 0;
    stride_ = 0;
}

void Bitmap::SwapPixels(Bitmap& other) noexcept {
    std::swap(width_, other.width_);
    std::swap(height_, other.height_);
    std::swap(stride_, other.stride_);
    pixels_.swap(other.pixels_);
}

Color Bitmap::Pixel(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* p = Row(y) + static_cast<std::size_t>(x) * 3;
    return static_cast<Color>(p[0]) | static_cast<Color>(p[1]) << 8 | static_cast<Color>(p[2]) << 16;
}

void Bitmap::SetPixel(std::int32_t x, std::int32_t y, Color c) {
    PutColor(Row(y) + static_cast<std::size_t>(x) * 3, c);
}

void Bitmap::FillRect(const Rect& r) {
    const Rect c = Intersect(r, DrawArea());
    if (c.Empty()) return;
    for (std::int32_t y = c.top; y < c.bottom; ++y)
        FillPixels(Row(y) + static_cast<std::size_t>(c.left) * 3, c.Width(), brushColor);
}

void Bitmap::FillAll(Color c) {
    for (std::int32_t y = 0; y < height_; ++y)
        FillPixels(Row(y), width_, c);
}

void Bitmap::DrawOpaque(std::int32_t x, std::int32_t y, const Bitmap& src) {
    const Rect c = Intersect(Rect{x, y, x + src.width_, y + src.height_}, DrawArea());
    if (c.Empty()) return;
    const std::size_t bytes = static_cast<std::size_t>(c.Width()) * 3;
    for (std::int32_t row = c.top; row < c.bottom; ++row)
        std::memmove(Row(row) + static_cast<std::size_t>(c.left) * 3,
                     src.Row(row - y) + static_cast<std::size_t>(c.left - x) * 3, bytes);
}

void Bitmap::DrawTransparent(std::int32_t x, std::int32_t y, const Bitmap& src) {
    const Rect c = Intersect(Rect{x, y, x + src.width_, y + src.height_}, DrawArea());
    if (c.Empty()) return;
    for (std::int32_t row = c.top; row < c.bottom; ++row) {
        std::uint8_t* d = Row(row) + static_cast<std::size_t>(c.left) * 3;
        const std::uint8_t* s = src.Row(row - y) + static_cast<std::size_t>(c.left - x) * 3;
        for (std::int32_t i = 0; i < c.Width(); ++i, d += 3, s += 3)
            if ((s[0] & s[1] & s[2]) != 0xFF) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
    }
}

void Bitmap::StretchDraw(const Rect& dst, const Bitmap& src) {
    if (dst.Empty() || src.width_ == 0 || src.height_ == 0) return;
    const Rect c = Intersect(dst, DrawArea());
    if (c.Empty()) return;
    const std::int64_t dw = dst.Width(), dh = dst.Height();
    // Source column for every destination column, computed once: whole pixels, no averaging.
    std::vector<std::int32_t> srcX(static_cast<std::size_t>(c.Width()));
    for (std::int32_t x = c.left; x < c.right; ++x)
        srcX[static_cast<std::size_t>(x - c.left)] = static_cast<std::int32_t>((x - dst.left) * src.width_ / dw);
    // A slight shrink keeps long runs of neighbouring source columns; they are copied whole.
    struct Run {
        std::size_t dst, src, length;
    };
    std::vector<Run> runs;
    for (std::size_t i = 0; i < srcX.size(); ++i) {
        const auto sx = static_cast<std::size_t>(srcX[i]);
        if (!runs.empty() && runs.back().src + runs.back().length == sx && runs.back().dst + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, sx, 1});
    }
    const bool copyRuns = runs.size() * 4 <= srcX.size();
    std::size_t wide = 0;
    while (wide + 1 < srcX.size() && srcX[wide] + 1 < src.width_)
        ++wide;
    std::int32_t lastSrcY = -1;
    const std::uint8_t* lastRow = nullptr;
    for (std::int32_t y = c.top; y < c.bottom; ++y) {
        const auto sy = static_cast<std::int32_t>((y - dst.top) * src.height_ / dh);
        std::uint8_t* d = Row(y) + static_cast<std::size_t>(c.left) * 3;
        if (sy == lastSrcY && lastRow) {
            std::memcpy(d, lastRow, static_cast<std::size_t>(c.Width()) * 3);
            continue;
        }
        const std::uint8_t* s = src.Row(sy);
        if (copyRuns) {
            for (const Run& r : runs)
                std::memcpy(d + r.dst * 3, s + r.src * 3, r.length * 3);
        } else {
            std::size_t i = 0;
            // Four bytes at a time while both the source pixel and the destination pixel have a neighbour to
            // the right: the extra byte is written over by the next pixel.
            for (; i < wide; ++i, d += 3)
                std::memcpy(d, s + static_cast<std::size_t>(srcX[i]) * 3, 4);
            for (; i < srcX.size(); ++i, d += 3) {
                const std::uint8_t* p = s + static_cast<std::size_t>(srcX[i]) * 3;
                d[0] = p[0];
                d[1] = p[1];
                d[2] = p[2];
            }
        }
        lastSrcY = sy;
        lastRow = Row(y) + static_cast<std::size_t>(c.left) * 3;
    }
}

bool operator==(const Bitmap& a, const Bitmap& b) {
    if (a.width_ != b.width_ || a.height_ != b.height_) return false;
    const std::size_t bytes = static_cast<std::size_t>(a.width_) * 3;
    for (std::int32_t y = 0; y < a.height_; ++y)
        if (std::memcmp(a.Row(y), b.Row(y), bytes) != 0) return false;
    return true;
}

} // namespace vis
