// Seihoukei, Seihoukei2, En and En2: a square or a circle centred on the picture that shrinks or grows by the
// same amount at every step, drawn as a window (white on black) or as a blot (black on white).
#include "effects/EffectGeometry.h"
#include "effects/MaskSteps.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vis {

std::int32_t DiagonalSize(std::int32_t w, std::int32_t h) {
    // W² + H² passes 32 bits from a diagonal of 46341 pixels on; in 64 bits it holds for any 32-bit sides.
    const std::int64_t sum = std::int64_t{h} * h + std::int64_t{w} * w;
    auto s = static_cast<std::int64_t>(std::sqrt(static_cast<double>(sum)));
    // The double may be a unit off for sums beyond 2^52; settle on the exact truncated root.
    while (s > 0 && s * s > sum)
        --s;
    while ((s + 1) * (s + 1) <= sum)
        ++s;
    return static_cast<std::int32_t>(std::min<std::int64_t>(s, std::numeric_limits<std::int32_t>::max()));
}

Rect CentredShapeRect(std::int32_t w, std::int32_t h, std::int32_t s, std::int32_t f) {
    const std::int64_t u = (std::int64_t{s} - 1) / 20 + 1;
    const std::int64_t d = u * f / 2;
    const std::int64_t x = std::min<std::int64_t>((std::int64_t{w} - s) / 2 + d, w / 2);
    const std::int64_t y = std::min<std::int64_t>((std::int64_t{h} - s) / 2 + d, h / 2);
    return Rect{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), static_cast<std::int32_t>(w - x),
                static_cast<std::int32_t>(h - y)};
}

namespace {
enum class Shape { Square, Circle };

// window: a white shape on black whose factor runs with k going out (Seihoukei, En); otherwise a black shape on
// white whose factor runs with k coming in (Seihoukei2, En2).
void CentredShapeStep(EffectContext fm, Shape shape, bool window) {
    const Color background = window ? clBlack : clWhite;
    RedrawnMaskStep(fm, background, background, [&](const EffectPhase& p, Bitmap& mask) {
        const std::int32_t w = mask.Width(), h = mask.Height();
        const std::int32_t s = shape == Shape::Square ? std::max(w, h) : DiagonalSize(w, h);
        const Rect r = CentredShapeRect(w, h, s, p.Factor(window));
        if (shape == Shape::Square)
            mask.FillRect(r);
        else
            mask.Ellipse(r);
    });
}
} // namespace

void StepSeihoukei(EffectContext fm) {
    CentredShapeStep(fm, Shape::Square, true);
}
void StepSeihoukei2(EffectContext fm) {
    CentredShapeStep(fm, Shape::Square, false);
}
void StepEn(EffectContext fm) {
    CentredShapeStep(fm, Shape::Circle, true);
}
void StepEn2(EffectContext fm) {
    CentredShapeStep(fm, Shape::Circle, false);
}

} // namespace vis
