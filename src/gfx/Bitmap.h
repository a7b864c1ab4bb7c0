#pragma once
// A 24-bit off-screen bitmap in the device-independent layout (bytes blue, green, red; rows top-down, each
// padded to a multiple of 4 bytes), with the canvas state the effects rely on: brush and pen colours.
#include "gfx/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

namespace vis {

// Leaves new elements of a vector uninitialised when it is resized without a value: a scratch bitmap that
// grows within its memory is drawn over wherever it is used, so zeroing it first would only cost time.
template <class T> struct UninitialisedAllocator : std::allocator<T> {
    template <class U> struct rebind { using other = UninitialisedAllocator<U>; };
    UninitialisedAllocator() = default;
    template <class U> UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <class U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class Bitmap {
  public:
    Bitmap() = default;
    Bitmap(std::int32_t width, std::int32_t height) { SetSize(width, height); }

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    // Resizing keeps the pixels of the overlapping area; new pixels are white. Negative sizes count as 0.
    void SetWidth(std::int32_t width) { SetSize(width, height_); }
    void SetHeight(std::int32_t height) { SetSize(width_, height); }
    void SetSize(std::int32_t width, std::int32_t height);
    // Sets the size without keeping the pixels, for scratch bitmaps that are drawn afresh wherever they are
    // used: what the pixels hold afterwards is unspecified. Memory is kept for a later size up to the largest
    // so far; growing past it lets the old pixels go before the new ones are taken.
    void Reshape(std::int32_t width, std::int32_t height);
    // Makes room for width x height, so that Reshape up to that size does not reallocate.
    void Reserve(std::int32_t width, std::int32_t height);
    // Frees the pixels; the bitmap is 0 x 0 afterwards.
    void Release();
    // Exchanges size and pixels with other; brush, pen and clip stay with each bitmap.
    void SwapPixels(Bitmap& other) noexcept;

    std::size_t Stride() const { return stride_; }
    std::uint8_t* Row(std::int32_t y) { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* Row(std::int32_t y) const { return pixels_.data() + static_cast<std::size_t>(y) * stride_; }
    std::uint8_t* Bits() { return pixels_.data(); }
    const std::uint8_t* Bits() const { return pixels_.data(); }
    // The pixel as 0xRRGGBB; for tests and tools.
    Color Pixel(std::int32_t x, std::int32_t y) const;
    void SetPixel(std::int32_t x, std::int32_t y, Color c);

    Color brushColor = clWhite;
    Color penColor = clBlack;

    // Drawing onto this bitmap (fills, shapes and copies; not FillAll) is clipped to this rectangle as well as
    // to the bitmap. Unlimited unless set.
    void SetClip(const Rect& clip) { clip_ = clip; }
    void ResetClip() { clip_ = kNoClip; }
    Rect Clip() const { return clip_; }
    // The part of the bitmap that drawing reaches: the bitmap within the clip rectangle.
    Rect DrawArea() const;

    // Canvas operations, GDI semantics: rectangles include left/top, exclude right/bottom, and are clipped.
    void FillRect(const Rect& r);                // with the brush
    void FillAll(Color c);                       // every pixel, ignoring the brush
    void Ellipse(const Rect& bounds);            // filled with the brush, outlined one pixel wide with the pen
    void Polygon(std::span<const Point> points); // likewise
    // Copies src at (x, y): every pixel, or every pixel but src's pure white (0xFFFFFF) ones.
    void DrawOpaque(std::int32_t x, std::int32_t y, const Bitmap& src);
    void DrawTransparent(std::int32_t x, std::int32_t y, const Bitmap& src);
    // Nearest-neighbour copy of the whole of src into dst (whole source pixels, no averaging).
    void StretchDraw(const Rect& dst, const Bitmap& src);

    friend bool operator==(const Bitmap& a, const Bitmap& b);

  private:
    static constexpr Rect kNoClip{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
    Rect clip_ = kNoClip;
    std::int32_t width_ = 0, height_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> pixels_;
};

} // namespace vis
