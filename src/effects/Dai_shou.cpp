// Dai_shou: the picture shrinks toward the centre of its area on black, or grows from it; StepMask holds the
// scaled picture and is drawn opaque, so the picture's own white stays white.
#include "effects/EffectGeometry.h"
#include "effects/Effects.h"
#include "saver/Unqv.h"

namespace vis {

Point ScaledSize(std::int32_t w, std::int32_t h, std::int32_t f) {
    return {static_cast<std::int32_t>(w - std::int64_t{w} * f / 21),
            static_cast<std::int32_t>(h - std::int64_t{h} * f / 21)};
}

void StepDai_shou(TFmqv& fm) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    const Bitmap& frame = phase->frame;
    const Point size = ScaledSize(frame.Width(), frame.Height(), phase->out ? phase->k : 20 - phase->k);
    Bitmap& composite = fm.Composite;
    SizeToFrame(composite, frame);
    fm.StepMask.SetSize(size.x, size.y);
    fm.StepMask.StretchDraw(Rect{0, 0, size.x, size.y}, frame);
    // Black around the scaled picture, which covers the rest: filling the whole of Composite first would
    // write most of a frame for nothing.
    const std::int32_t W = composite.Width(), H = composite.Height();
    const Rect at{(W - size.x) / 2, (H - size.y) / 2, (W - size.x) / 2 + size.x, (H - size.y) / 2 + size.y};
    composite.brushColor = clBlack;
    composite.FillRect(Rect{0, 0, W, at.top});
    composite.FillRect(Rect{0, at.top, at.left, at.bottom});
    composite.FillRect(Rect{at.right, at.top, W, at.bottom});
    composite.FillRect(Rect{0, at.bottom, W, H});
    composite.DrawOpaque(at.left, at.top, fm.StepMask);
    fm.Present(composite);
    EndEffectStep(fm, *phase);
}

} // namespace vis
