// Effect 2, a fade through black in 20 steps. Every step starts again from the undimmed picture and scales
// each byte down by (k - 1) / 19 going out or (20 - k) / 19 coming in, so out step k and in step 21 - k give
// the same bytes; no mask is involved and the frame is left darkened.
#include "effects/Effects.h"
#include "saver/Unqv.h"

#include <array>
#include <cstdint>

namespace vis {

void StepFadeInOut(TFmqv& fm) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    Bitmap& frame = phase->frame;
    frame.DrawOpaque(0, 0, phase->source);

    // One factor serves every byte of the step, so the 256 possible results are worked out once.
    const std::int32_t dim = phase->out ? phase->k - 1 : 20 - phase->k;
    std::array<std::uint8_t, 256> scaled{};
    for (std::int32_t b = 0; b < 256; ++b)
        scaled[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b - (b * dim) / 19);

    // Only the 3 * W pixel bytes of a row change; the row's padding is left as it is.
    const std::size_t rowBytes = static_cast<std::size_t>(frame.Width()) * 3;
    for (std::int32_t y = 0; y < frame.Height(); ++y) {
        std::uint8_t* row = frame.Row(y);
        for (std::size_t i = 0; i < rowBytes; ++i)
            row[i] = scaled[row[i]];
    }

    fm.Present(frame);
    EndEffectStep(fm, *phase);
}

} // namespace vis
