// Effect 2, a fade through black in 20 steps. Every step starts again from the undimmed picture and scales
// each byte down by (k - 1) / 19 going out or (20 - k) / 19 coming in, so out step k and in step 21 - k give
// the same bytes; no mask is involved and the frame is left darkened.
#include "effects/EffectContext.h"
#include "effects/Effects.h"
#include "gfx/CpuKernels.h"

#include <algorithm>
#include <cstdint>

namespace vis {

namespace {

using u16 = std::uint16_t;

// b - (b × dim) div 19 for a byte b and 0 <= dim <= 19. The division is a multiplication and a shift that give
// exactly the truncated quotient for every product up to 255 × 19 (checked below); unlike a table look-up it
// vectorises, so the step reads the picture and writes the frame in one pass at the speed of a copy.
constexpr std::uint8_t Dimmed(std::uint8_t b, u16 dim) {
    const auto product = static_cast<u16>(b * dim);
    return static_cast<std::uint8_t>(b - ((std::uint32_t{product} * 13798u) >> 18));
}

constexpr bool DivisionIsExact() {
    for (int dim = 0; dim <= 19; ++dim)
        for (int b = 0; b < 256; ++b)
            if (Dimmed(static_cast<std::uint8_t>(b), static_cast<u16>(dim)) != b - (b * dim) / 19) return false;
    return true;
}
static_assert(DivisionIsExact());

VIS_ALWAYS_INLINE void DimBytes(std::uint8_t* __restrict to, const std::uint8_t* __restrict from, std::size_t n,
                                u16 dim) {
    for (std::size_t i = 0; i < n; ++i)
        to[i] = Dimmed(from[i], dim);
}

using DimRowFunction = void (*)(std::uint8_t*, const std::uint8_t*, std::size_t, u16);

void DimRowPlain(std::uint8_t* to, const std::uint8_t* from, std::size_t n, u16 dim) {
    DimBytes(to, from, n, dim);
}

#ifdef VIS_X86_KERNELS
// Twice as many bytes a step with AVX2, chosen at run time.
__attribute__((target("avx2"))) void DimRowAvx2(std::uint8_t* to, const std::uint8_t* from, std::size_t n, u16 dim) {
    DimBytes(to, from, n, dim);
}
DimRowFunction PickDimRow() {
    return PickKernel<DimRowFunction>(DimRowAvx2, DimRowPlain, DimRowPlain);
}
#else
DimRowFunction PickDimRow() {
    return DimRowPlain;
}
#endif

void DimRow(std::uint8_t* to, const std::uint8_t* from, std::size_t n, u16 dim) {
    static const DimRowFunction dimRow = PickDimRow();
    dimRow(to, from, n, dim);
}

void DimRowInPlace(std::uint8_t* row, std::size_t n, u16 dim) {
    for (std::size_t i = 0; i < n; ++i)
        row[i] = Dimmed(row[i], dim);
}

} // namespace

void StepFadeInOut(EffectContext fm) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    Bitmap& frame = phase->frame;
    const Bitmap& source = phase->source;
    const auto dim = static_cast<u16>(phase->out ? phase->k - 1 : 20 - phase->k);

    // The copy of the picture into the frame and the dimming are one pass, and only over the part of the frame
    // that the window shows: the rest is never presented (the frame is drawn at this same place until the next
    // load makes it afresh). The picture and the frame have one size, so the same rows and columns line up;
    // should they not, the frame is first made a plain copy as the drawing would leave it.
    const Rect v = fm.VisiblePart(frame);
    if (source.Width() != frame.Width() || source.Height() != frame.Height()) {
        frame.DrawOpaque(0, 0, source);
        for (std::int32_t y = v.top; y < v.bottom; ++y) {
            DimRowInPlace(frame.Row(y) + static_cast<std::size_t>(v.left) * 3, static_cast<std::size_t>(v.Width()) * 3,
                          dim);
        }
        fm.Present(frame);
    } else {
        // Only the 3 * W pixel bytes of a row change; the row's padding is left as it is. A band of rows is
        // presented as soon as it is dimmed, while it is still in the cache.
        constexpr std::int32_t kBand = 16;
        for (std::int32_t top = v.top; top < v.bottom; top += kBand) {
            const std::int32_t bottom = std::min(top + kBand, v.bottom);
            for (std::int32_t y = top; y < bottom; ++y)
                DimRow(frame.Row(y) + static_cast<std::size_t>(v.left) * 3,
                       source.Row(y) + static_cast<std::size_t>(v.left) * 3, static_cast<std::size_t>(v.Width()) * 3,
                       dim);
            fm.PresentRows(frame, top, bottom);
        }
    }
    EndEffectStep(fm, *phase);
}

} // namespace vis
