// Tatesen and Yokosen: in every 20-pixel band a stripe of TrailMask grows one line a step from the band's start.
#include "effects/MaskSteps.h"

#include <cstring>

namespace vis {

namespace {
constexpr std::int32_t kBand = 20;
}

void StepTatesen(EffectContext fm) {
    TrailMaskStep(fm, [](const EffectPhase& p, Bitmap& mask) {
        // Every stripe runs the frame's whole height, and the mask began the phase in one colour, so all its
        // rows are alike: the stripes go into the first row that shows, which is then copied to the others.
        const Rect area = mask.DrawArea();
        if (area.Empty()) return;
        for (std::int32_t i = 0; i <= p.frame.Width() / kBand; ++i) {
            const std::int32_t x = kBand * i + p.k - 1;
            mask.FillRect(Rect{x, area.top, x + 2, area.top + 1});
        }
        const std::size_t first = static_cast<std::size_t>(area.left) * 3;
        const std::size_t bytes = static_cast<std::size_t>(area.Width()) * 3;
        const std::uint8_t* row = mask.Row(area.top) + first;
        for (std::int32_t y = area.top + 1; y < area.bottom; ++y)
            std::memcpy(mask.Row(y) + first, row, bytes);
    });
}

void StepYokosen(EffectContext fm) {
    TrailMaskStep(fm, [](const EffectPhase& p, Bitmap& mask) {
        for (std::int32_t i = 0; i <= p.frame.Height() / kBand; ++i) {
            const std::int32_t y = kBand * i + p.k - 1;
            mask.FillRect(Rect{0, y, p.frame.Width(), y + 2});
        }
    });
}

} // namespace vis
