// Sikaku: random 20 × 20 cells of TrailMask filled at every step, more of them as the phase goes on.
#include "effects/EffectGeometry.h"
#include "effects/MaskSteps.h"

#include <algorithm>
#include <limits>

namespace vis {

std::int32_t SikakuCellCount(std::int32_t w, std::int32_t h, std::int32_t k, std::int32_t cellW, std::int32_t cellH) {
    if (cellW <= 0 || cellH <= 0) return 0;
    // W × H × k passes 32 bits from about 10 megapixels on; any bitmap that can exist keeps it within 64.
    const std::int64_t n = std::int64_t{w} * h * k / cellW / cellH / 50;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 0, std::numeric_limits<std::int32_t>::max()));
}

void StepSikaku(EffectContext fm) {
    TrailMaskStep(fm, [&fm](const EffectPhase& p, Bitmap& mask) {
        const std::int32_t cw = fm.CellWidth, ch = fm.CellHeight;
        const std::int32_t n = SikakuCellCount(p.frame.Width(), p.frame.Height(), p.k, cw, ch);
        const Rect area = mask.DrawArea();
        const Color brush = mask.brushColor;
        for (std::int32_t c = 0; c < n; ++c) {
            const std::int32_t i = fm.RandomBelow(p.frame.Width() / cw + 1); // column first
            const std::int32_t j = fm.RandomBelow(p.frame.Height() / ch + 1);
            // The mask began the phase in the other colour and cells never overlap, so a cell whose first pixel
            // has the brush colour was filled earlier in the phase: filling it again changes nothing. Late in a
            // phase most picks are such repeats.
            const Rect cell = Intersect(Rect{i * cw, j * ch, i * cw + cw, j * ch + ch}, area);
            if (cell.Empty() || mask.Pixel(cell.left, cell.top) == brush) continue;
            mask.FillRect(cell);
        }
    });
}

} // namespace vis
