// Kazaguruma: four blades along the half-axes widen clockwise, one fortieth of the picture a step, black on
// white going out and white on black coming in.
#include "effects/MaskSteps.h"

namespace vis {

void StepKazaguruma(EffectContext fm) {
    RedrawnMaskStep(fm, clWhite, clBlack, [](const EffectPhase& p, Bitmap& mask) {
        const std::int32_t w = mask.Width(), h = mask.Height(), k = p.k;
        const std::int32_t cx = w / 2, cy = h / 2, dx = w / 40, dy = h / 40;
        mask.FillRect(Rect{cx, 0, cx + k * dx, cy}); // 12 o'clock, widening to the right
        mask.FillRect(Rect{cx, cy, w, cy + k * dy}); // 3 o'clock, widening downward
        mask.FillRect(Rect{cx - k * dx, cy, cx, h}); // 6 o'clock, widening to the left
        mask.FillRect(Rect{0, cy - k * dy, cx, cy}); // 9 o'clock, widening upward
    });
}

} // namespace vis
