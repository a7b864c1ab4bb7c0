// Composing a frame under a mask is most of the work of a mask effect's step. The masks hold only black and
// white, and for such a mask the composed pixel is the frame's pixel ANDed with the mask's: white keeps the
// frame, black gives black. That is one vectorisable pass; a row whose mask holds any other colour is composed
// pixel by pixel as the drawing operations define it, so the result is the same for every mask.
#include "effects/Compose.h"

#include "gfx/CpuKernels.h"

#include <cstring>

namespace vis {

namespace {

// d := f AND m over n pixels; false when some mask pixel is neither black nor white (d is then not the
// composition and the row must be done again).
VIS_ALWAYS_INLINE bool AndPixels(std::uint8_t* __restrict d, const std::uint8_t* __restrict f,
                                 const std::uint8_t* __restrict m, std::size_t n) {
    std::uint8_t bad = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t m0 = m[3 * i], m1 = m[3 * i + 1], m2 = m[3 * i + 2];
        // Three equal bytes, each 0x00 or 0xFF (that is, b + 1 is 0 or 1 modulo 256).
        bad |= static_cast<std::uint8_t>((m0 ^ m1) | (m1 ^ m2) | ((m0 + 1) & 0xFE));
        d[3 * i] = f[3 * i] & m0;
        d[3 * i + 1] = f[3 * i + 1] & m1;
        d[3 * i + 2] = f[3 * i + 2] & m2;
    }
    return bad == 0;
}

using RowFunction = bool (*)(std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::size_t);

bool AndRowPlain(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* m, std::size_t n) {
    return AndPixels(d, f, m, n);
}

#ifdef VIS_X86_KERNELS
// The three-byte pixels need byte shuffles to vectorise; the loop is compiled for them as well and chosen at
// run time, so the program still runs on any x86 processor.
__attribute__((target("avx2"))) bool AndRowAvx2(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* m,
                                                std::size_t n) {
    return AndPixels(d, f, m, n);
}
__attribute__((target("ssse3"))) bool AndRowSsse3(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* m,
                                                  std::size_t n) {
    return AndPixels(d, f, m, n);
}
RowFunction AndRow() {
    return PickKernel<RowFunction>(AndRowAvx2, AndRowSsse3, AndRowPlain);
}
#else
RowFunction AndRow() {
    return AndRowPlain;
}
#endif

// The composition by its definition: the mask's white pixels leave the frame's, all others are copied.
void ComposeRowExactly(std::uint8_t* d, const std::uint8_t* f, const std::uint8_t* m, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i, d += 3, f += 3, m += 3) {
        const std::uint8_t* from = (m[0] & m[1] & m[2]) == 0xFF ? f : m;
        d[0] = from[0];
        d[1] = from[1];
        d[2] = from[2];
    }
}

} // namespace

void ComposeMasked(Bitmap& dst, const Bitmap& frame, const Bitmap& mask, const Rect& area) {
    const std::int32_t w = dst.Width(), h = dst.Height();
    if (frame.Width() != w || frame.Height() != h || mask.Width() != w || mask.Height() != h) {
        const Rect clip = dst.Clip();
        dst.SetClip(area);
        dst.DrawOpaque(0, 0, frame);
        dst.DrawTransparent(0, 0, mask);
        dst.SetClip(clip);
        return;
    }
    const Rect a = Intersect(area, Rect{0, 0, w, h});
    if (a.Empty()) return;
    static const RowFunction andRow = AndRow();
    const auto first = static_cast<std::size_t>(a.left) * 3, n = static_cast<std::size_t>(a.Width());
    for (std::int32_t y = a.top; y < a.bottom; ++y) {
        std::uint8_t* d = dst.Row(y) + first;
        const std::uint8_t* f = frame.Row(y) + first;
        const std::uint8_t* m = mask.Row(y) + first;
        if (!andRow(d, f, m, n)) ComposeRowExactly(d, f, m, n);
    }
}

} // namespace vis
