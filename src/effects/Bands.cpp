// Tate, Tate2, Yoko and Yoko2: a band symmetric about the picture's centre line that narrows or widens by the
// same amount at every step, drawn as a window (white on black) or as a blot (black on white).
#include "effects/EffectGeometry.h"
#include "effects/MaskSteps.h"

#include <algorithm>

namespace vis {

std::int32_t BandInset(std::int32_t s, std::int32_t f) {
    const std::int64_t u = (std::int64_t{s} - 1) / 20 + 1;
    return static_cast<std::int32_t>(std::min<std::int64_t>(u * f / 2, s / 2));
}

namespace {
enum class Band { Vertical, Horizontal };

// window: a white band on black whose factor runs with k going out (Tate, Yoko); otherwise a black band on
// white whose factor runs with k coming in (Tate2, Yoko2).
void BandStep(EffectContext fm, Band band, bool window) {
    const Color background = window ? clBlack : clWhite;
    RedrawnMaskStep(fm, background, background, [&](const EffectPhase& p, Bitmap& mask) {
        const std::int32_t w = mask.Width(), h = mask.Height();
        if (band == Band::Vertical) {
            const std::int32_t e = BandInset(w, p.Factor(window));
            mask.FillRect(Rect{e, 0, w - e, h});
        } else {
            const std::int32_t e = BandInset(h, p.Factor(window));
            mask.FillRect(Rect{0, e, w, h - e});
        }
    });
}
} // namespace

void StepTate(EffectContext fm) {
    BandStep(fm, Band::Vertical, true);
}
void StepTate2(EffectContext fm) {
    BandStep(fm, Band::Vertical, false);
}
void StepYoko(EffectContext fm) {
    BandStep(fm, Band::Horizontal, true);
}
void StepYoko2(EffectContext fm) {
    BandStep(fm, Band::Horizontal, false);
}

} // namespace vis
