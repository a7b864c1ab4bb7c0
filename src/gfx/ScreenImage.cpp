#include "gfx/ScreenImage.h"

#include "gfx/CpuKernels.h"

#include <algorithm>
#include <cstdint>

#ifdef VIS_X86_KERNELS
#include <immintrin.h>
#endif

namespace vis {

namespace {
constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kWhite = 0x00FFFFFFu;

inline std::uint32_t Pixel24(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16;
}

// One row from blue-green-red bytes to 32-bit pixels.
void WidenPlain(std::uint32_t* __restrict dst, const std::uint8_t* __restrict src, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        dst[i] = kOpaque | Pixel24(src + 3 * i);
}

// dst := frame AND mask, widened; false when some mask pixel is neither black nor white (the row is then not
// the composition and must be done again by ComposeRowExactly).
bool WidenAndPlain(std::uint32_t* __restrict dst, const std::uint8_t* __restrict f, const std::uint8_t* __restrict m,
                   std::int32_t n) {
    bool ok = true;
    for (std::int32_t i = 0; i < n; ++i) {
        const std::uint32_t mm = Pixel24(m + 3 * i);
        ok &= mm == 0 || mm == kWhite;
        dst[i] = kOpaque | (Pixel24(f + 3 * i) & mm);
    }
    return ok;
}

// The composition by its definition: the mask's white pixels leave the frame's, all others are copied.
void ComposeRowExactly(std::uint32_t* dst, const std::uint8_t* f, const std::uint8_t* m, std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i) {
        const std::uint32_t mm = Pixel24(m + 3 * i);
        dst[i] = kOpaque | (mm == kWhite ? Pixel24(f + 3 * i) : mm);
    }
}

using WidenRow = void (*)(std::uint32_t*, const std::uint8_t*, std::int32_t);
using WidenAndRow = bool (*)(std::uint32_t*, const std::uint8_t*, const std::uint8_t*, std::int32_t);

#ifdef VIS_X86_KERNELS
// Three-byte pixels widen with one byte shuffle per four pixels. Each load reads 16 bytes for 12, so the
// vector loops stop early enough never to read past the row; the plain loops finish it. Chosen at run time, so
// the program still runs on any x86 processor.
__attribute__((target("ssse3"))) inline __m128i Spread4(__m128i v) {
    return _mm_shuffle_epi8(v, _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
}
__attribute__((target("avx2"))) inline __m256i Load8(const std::uint8_t* p) {
    const __m256i v = _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    return _mm256_shuffle_epi8(_mm256_inserti128_si256(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 12)), 1),
                               _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1, 2, -1, 3, 4,
                                                5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
}

__attribute__((target("ssse3"))) void WidenSsse3(std::uint32_t* dst, const std::uint8_t* src, std::int32_t n) {
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(kOpaque));
    std::int32_t i = 0;
    for (; i + 6 <= n; i += 4)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                         _mm_or_si128(Spread4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i))), alpha));
    WidenPlain(dst + i, src + 3 * i, n - i);
}

// Whole rows of a frame are far larger than the caches and are read next by the display server, not by
// this program: the AVX2 loops store them past the caches (non-temporal stores, from a 32-byte boundary on),
// which spares reading every destination line in first. Draw and DrawMasked fence once they are done.
__attribute__((target("avx2"))) std::int32_t AlignHead(std::uint32_t* dst, std::int32_t n) {
    return std::min(n, static_cast<std::int32_t>((32 - (reinterpret_cast<std::uintptr_t>(dst) & 31)) & 31) / 4);
}

__attribute__((target("avx2"))) void WidenAvx2(std::uint32_t* dst, const std::uint8_t* src, std::int32_t n) {
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(kOpaque));
    std::int32_t i = (reinterpret_cast<std::uintptr_t>(dst) & 3) == 0 ? AlignHead(dst, n) : n;
    WidenPlain(dst, src, i);
    for (; i + 10 <= n; i += 8)
        _mm256_stream_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(Load8(src + 3 * i), alpha));
    WidenPlain(dst + i, src + 3 * i, n - i);
}

__attribute__((target("ssse3"))) bool WidenAndSsse3(std::uint32_t* dst, const std::uint8_t* f, const std::uint8_t* m,
                                                    std::int32_t n) {
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(kOpaque)), white = _mm_set1_epi32(kWhite);
    __m128i ok = _mm_set1_epi32(-1);
    std::int32_t i = 0;
    for (; i + 6 <= n; i += 4) {
        const __m128i mv = Spread4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m + 3 * i)));
        const __m128i fv = Spread4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(f + 3 * i)));
        ok = _mm_and_si128(ok, _mm_or_si128(_mm_cmpeq_epi32(mv, _mm_setzero_si128()), _mm_cmpeq_epi32(mv, white)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(_mm_and_si128(fv, mv), alpha));
    }
    return (_mm_movemask_epi8(ok) == 0xFFFF) & WidenAndPlain(dst + i, f + 3 * i, m + 3 * i, n - i);
}

__attribute__((target("avx2"))) bool WidenAndAvx2(std::uint32_t* dst, const std::uint8_t* f, const std::uint8_t* m,
                                                  std::int32_t n) {
    const __m256i alpha = _mm256_set1_epi32(static_cast<int>(kOpaque)), white = _mm256_set1_epi32(kWhite);
    __m256i ok = _mm256_set1_epi32(-1);
    std::int32_t i = (reinterpret_cast<std::uintptr_t>(dst) & 3) == 0 ? AlignHead(dst, n) : n;
    const bool headOk = WidenAndPlain(dst, f, m, i);
    for (; i + 10 <= n; i += 8) {
        const __m256i mv = Load8(m + 3 * i), fv = Load8(f + 3 * i);
        ok = _mm256_and_si256(
            ok, _mm256_or_si256(_mm256_cmpeq_epi32(mv, _mm256_setzero_si256()), _mm256_cmpeq_epi32(mv, white)));
        _mm256_stream_si256(reinterpret_cast<__m256i*>(dst + i), _mm256_or_si256(_mm256_and_si256(fv, mv), alpha));
    }
    return headOk & (_mm256_movemask_epi8(ok) == -1) & WidenAndPlain(dst + i, f + 3 * i, m + 3 * i, n - i);
}

WidenRow PickWiden() {
    return PickKernel<WidenRow>(WidenAvx2, WidenSsse3, WidenPlain);
}
WidenAndRow PickWidenAnd() {
    return PickKernel<WidenAndRow>(WidenAndAvx2, WidenAndSsse3, WidenAndPlain);
}
void StoreFence() {
    _mm_sfence();
}
#else
void StoreFence() {}
WidenRow PickWiden() {
    return WidenPlain;
}
WidenAndRow PickWidenAnd() {
    return WidenAndPlain;
}
#endif

} // namespace

ScreenImage::ScreenImage(const ScreenImage& other)
    : width_(other.width_), height_(other.height_), own_(other.pixels_, other.pixels_ + other.PixelCount()),
      pixels_(own_.data()) {}

ScreenImage& ScreenImage::operator=(const ScreenImage& other) {
    if (this != &other) {
        own_.assign(other.pixels_, other.pixels_ + other.PixelCount());
        width_ = other.width_;
        height_ = other.height_;
        pixels_ = own_.data();
    }
    return *this;
}

bool operator==(const ScreenImage& a, const ScreenImage& b) {
    return a.width_ == b.width_ && a.height_ == b.height_ &&
           std::equal(a.pixels_, a.pixels_ + a.PixelCount(), b.pixels_);
}

void ScreenImage::Reset(std::int32_t width, std::int32_t height, std::uint32_t* storage) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    if (storage) {
        own_ = {};
        pixels_ = storage;
    } else {
        own_.assign(PixelCount(), kOpaque);
        pixels_ = own_.data();
    }
}

Rect ScreenImage::DrawRows(std::int32_t x, std::int32_t y, const Bitmap& src, std::int32_t top, std::int32_t bottom) {
    top = std::max(top, 0);
    bottom = std::min(bottom, src.Height());
    if (top >= bottom) return {};
    const Rect c = Intersect(Rect{x, y + top, x + src.Width(), y + bottom}, Rect{0, 0, width_, height_});
    if (c.Empty()) return {};
    static const WidenRow widenRow = PickWiden();
    for (std::int32_t row = c.top; row < c.bottom; ++row)
        widenRow(MutableRow(row) + c.left, src.Row(row - y) + static_cast<std::size_t>(c.left - x) * 3, c.Width());
    StoreFence();
    return c;
}

Rect ScreenImage::DrawMasked(std::int32_t x, std::int32_t y, const Bitmap& frame, const Bitmap& mask) {
    const Rect c = Intersect(Rect{x, y, x + frame.Width(), y + frame.Height()}, Rect{0, 0, width_, height_});
    if (c.Empty()) return {};
    static const WidenAndRow widenAndRow = PickWidenAnd();
    const auto first = static_cast<std::size_t>(c.left - x) * 3;
    for (std::int32_t row = c.top; row < c.bottom; ++row) {
        std::uint32_t* d = MutableRow(row) + c.left;
        const std::uint8_t* f = frame.Row(row - y) + first;
        const std::uint8_t* m = mask.Row(row - y) + first;
        if (!widenAndRow(d, f, m, c.Width())) {
            StoreFence(); // the row's streamed stores land before it is written again
            ComposeRowExactly(d, f, m, c.Width());
        }
    }
    StoreFence();
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
