// Tokei: two black hands from 12 and 6 o'clock sweep clockwise 9° a step, hiding the picture going out and
// uncovering it coming in.
#include "effects/EffectGeometry.h"
#include "effects/MaskSteps.h"

namespace vis {

TokeiGeometry TokeiGeometryFor(std::int32_t w, std::int32_t h) {
    TokeiGeometry g{w / 2, h / 2, (w > h ? w / 2 : h / 2) + 1, {}};
    // About 40 × tan of 9°, 18°, 27°, 36° and 45°: where a hand at 9·j degrees meets the square of half-side R.
    constexpr std::array<std::int64_t, 6> kNumerators{0, 6, 13, 20, 29, 40};
    for (std::size_t j = 0; j < g.a.size(); ++j)
        g.a[j] = static_cast<std::int32_t>(kNumerators[j] * g.R / 40);
    return g;
}

std::vector<Point> TokeiHand(const TokeiGeometry& g, bool out, std::int32_t k) {
    const std::int32_t cx = g.cx, cy = g.cy, R = g.R;
    const auto a = [&g](std::int32_t j) { return g.a[static_cast<std::size_t>(j)]; };
    const Point T{cx, cy - R}, M{cx, cy}, B{cx, cy + R};
    if (out) {
        if (k <= 4) return {T, M, {cx + a(k), cy - R}};
        if (k <= 10) return {T, M, {cx + R, cy - a(10 - k)}, {cx + R, cy - R}};
        if (k <= 14) return {T, M, {cx + R, cy + a(k - 10)}, {cx + R, cy - R}};
        if (k <= 19) return {T, M, {cx + a(20 - k), cy + R}, {cx + R, cy + R}, {cx + R, cy - R}};
        return {T, B, {cx + R, cy + R}, {cx + R, cy - R}};
    }
    if (k <= 1) return {T, B, {cx - R, cy + R}, {cx - R, cy - R}};
    if (k <= 6) return {T, M, {cx - a(k - 1), cy + R}, {cx - R, cy + R}, {cx - R, cy - R}};
    if (k <= 11) return {T, M, {cx - R, cy + a(11 - k)}, {cx - R, cy - R}};
    if (k <= 16) return {T, M, {cx - R, cy - a(k - 11)}, {cx - R, cy - R}};
    return {T, M, {cx - a(21 - k), cy - R}};
}

std::vector<Point> HalfTurn(const TokeiGeometry& g, std::vector<Point> polygon) {
    for (Point& p : polygon)
        p = {2 * g.cx - p.x, 2 * g.cy - p.y};
    return polygon;
}

void StepTokei(EffectContext fm) {
    RedrawnMaskStep(fm, clWhite, clWhite, [](const EffectPhase& p, Bitmap& mask) {
        const TokeiGeometry g = TokeiGeometryFor(mask.Width(), mask.Height());
        const std::vector<Point> hand1 = TokeiHand(g, p.out, p.k);
        mask.Polygon(hand1);
        mask.Polygon(HalfTurn(g, hand1));
    });
}

} // namespace vis
