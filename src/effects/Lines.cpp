// Tatesen and Yokosen: in every 20-pixel band a stripe of TrailMask grows one line a step from the band's start.
#include "effects/MaskSteps.h"

namespace vis {

namespace {
constexpr std::int32_t kBand = 20;
}

void StepTatesen(TFmqv& fm) {
    TrailMaskStep(fm, [](const EffectPhase& p, Bitmap& mask) {
        for (std::int32_t i = 0; i <= p.frame.Width() / kBand; ++i) {
            const std::int32_t x = kBand * i + p.k - 1;
            mask.FillRect(Rect{x, 0, x + 2, p.frame.Height()});
        }
    });
}

void StepYokosen(TFmqv& fm) {
    TrailMaskStep(fm, [](const EffectPhase& p, Bitmap& mask) {
        for (std::int32_t i = 0; i <= p.frame.Height() / kBand; ++i) {
            const std::int32_t y = kBand * i + p.k - 1;
            mask.FillRect(Rect{0, y, p.frame.Width(), y + 2});
        }
    });
}

} // namespace vis
