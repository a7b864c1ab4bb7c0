#include "gfx/Tone.h"

#include "gfx/CpuKernels.h"

namespace vis {

namespace {

// The quotients are computed with shifts and multiplications that give exactly the truncated divisions
// (checked for every possible input below). Unlike table look-ups this arithmetic vectorises, which keeps a
// tone pass within a small multiple of a plain copy of the bitmap.

// All of it in 16-bit lanes, the widest the vector units handle in large numbers.
using u16 = std::uint16_t;

// x / 255 for 0 <= x <= 65534.
constexpr u16 Div255(u16 x) {
    return static_cast<u16>(static_cast<u16>(x + 1 + (x >> 8)) >> 8);
}

// The upper half of a 16 x 16-bit product.
constexpr u16 MulHigh(u16 a, u16 b) {
    return static_cast<u16>((std::uint32_t{a} * b) >> 16);
}

constexpr u16 Luma(u16 b, u16 g, u16 r) {
    return static_cast<u16>(Div255(static_cast<u16>(150 * g)) + Div255(static_cast<u16>(76 * r)) +
                            Div255(static_cast<u16>(29 * b)));
}

// (y - 255)^2 / 441 above 150 and y^2 / 900 up to it; both squares fit in 16 bits on their side of 150.
constexpr u16 Shift(u16 y) {
    const auto d = static_cast<u16>(255 - y);
    return y > 150 ? static_cast<u16>(MulHigh(static_cast<u16>(d * d), 9511) >> 6)
                   : static_cast<u16>(MulHigh(static_cast<u16>(y * y), 9321) >> 7);
}

constexpr bool ArithmeticIsExact() {
    for (int v = 0; v < 256; ++v)
        for (int c : {150, 76, 29})
            if (Div255(static_cast<u16>(c * v)) != c * v / 255) return false;
    for (int y = 0; y < 256; ++y) {
        const int k = y > 150 ? (y - 255) * (y - 255) / 441 : y * y / 900;
        if (Shift(static_cast<u16>(y)) != k) return false;
        // Sepia stays within a byte everywhere, so it needs no clamping.
        if (y + k > 255 || y - k < 0) return false;
    }
    return Luma(255, 255, 255) == 255;
}
static_assert(ArithmeticIsExact());

VIS_ALWAYS_INLINE void GreyPixels(std::uint8_t* __restrict p, std::int32_t n) {
    for (std::int32_t x = 0; x < n; ++x) {
        const auto y = static_cast<std::uint8_t>(Luma(p[3 * x], p[3 * x + 1], p[3 * x + 2]));
        p[3 * x] = y;
        p[3 * x + 1] = y;
        p[3 * x + 2] = y;
    }
}

VIS_ALWAYS_INLINE void SepiaPixels(std::uint8_t* __restrict p, std::int32_t n) {
    for (std::int32_t x = 0; x < n; ++x) {
        const u16 y = Luma(p[3 * x], p[3 * x + 1], p[3 * x + 2]);
        const u16 k = Shift(y);
        p[3 * x] = static_cast<std::uint8_t>(y - k);
        p[3 * x + 1] = static_cast<std::uint8_t>(y);
        p[3 * x + 2] = static_cast<std::uint8_t>(y + k);
    }
}

using RowFunction = void (*)(std::uint8_t*, std::int32_t);

void GreyRowPlain(std::uint8_t* p, std::int32_t n) {
    GreyPixels(p, n);
}
void SepiaRowPlain(std::uint8_t* p, std::int32_t n) {
    SepiaPixels(p, n);
}

#ifdef VIS_X86_KERNELS
// The same loops compiled for the byte shuffles that the three-byte pixels need; chosen at run time, so the
// program still runs on any x86 processor.
__attribute__((target("avx2"))) void GreyRowAvx2(std::uint8_t* p, std::int32_t n) {
    GreyPixels(p, n);
}
__attribute__((target("avx2"))) void SepiaRowAvx2(std::uint8_t* p, std::int32_t n) {
    SepiaPixels(p, n);
}
__attribute__((target("ssse3"))) void GreyRowSsse3(std::uint8_t* p, std::int32_t n) {
    GreyPixels(p, n);
}
__attribute__((target("ssse3"))) void SepiaRowSsse3(std::uint8_t* p, std::int32_t n) {
    SepiaPixels(p, n);
}

RowFunction GreyRow() {
    return PickKernel<RowFunction>(GreyRowAvx2, GreyRowSsse3, GreyRowPlain);
}
RowFunction SepiaRow() {
    return PickKernel<RowFunction>(SepiaRowAvx2, SepiaRowSsse3, SepiaRowPlain);
}
#else
RowFunction GreyRow() {
    return GreyRowPlain;
}
RowFunction SepiaRow() {
    return SepiaRowPlain;
}
#endif

void ToneRows(Bitmap& bitmap, RowFunction row) {
    for (std::int32_t y = 0; y < bitmap.Height(); ++y)
        row(bitmap.Row(y), bitmap.Width());
}

} // namespace

std::uint8_t ToneLuminance(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    return static_cast<std::uint8_t>(Luma(b, g, r));
}

std::uint8_t SepiaShift(std::uint8_t y) {
    return static_cast<std::uint8_t>(Shift(y));
}

void ToneGrey(Bitmap& bitmap) {
    ToneRows(bitmap, GreyRow());
}

void ToneSepia(Bitmap& bitmap) {
    ToneRows(bitmap, SepiaRow());
}

} // namespace vis
