// Dai_shou: the picture shrinks toward the centre of its area on black, or grows from it; StepMask holds the
// scaled picture and is drawn opaque, so the picture's own white stays white.
#include "effects/EffectGeometry.h"
#include "effects/Effects.h"
#include "saver/Unqv.h"

namespace vis {

Point ScaledSize(std::int32_t w, std::int32_t h, std::int32_t f) {
    return {static_cast<std::int32_t>(w - std::int64_t{w} * f / 21), static_cast<std::int32_t>(h - std::int64_t{h} * f / 21)};
}

void StepDai_shou(TFmqv& fm) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    const Bitmap& frame = phase->frame;
    const Point size = ScaledSize(frame.Width(), frame.Height(), phase->out ? phase->k : 20 - phase->k);
    Bitmap& composite = fm.Composite;
    SizeToFrame(composite, frame);
    fm.StepMask.SetWidth(size.x);
    fm.StepMask.SetHeight(size.y);
    composite.brushColor = clBlack;
    composite.FillRect(Rect{0, 0, composite.Width(), composite.Height()});
    fm.StepMask.StretchDraw(Rect{0, 0, size.x, size.y}, frame);
    composite.DrawOpaque((composite.Width() - size.x) / 2, (composite.Height() - size.y) / 2, fm.StepMask);
    composite.Force24Bit();
    fm.Present(composite);
    EndEffectStep(fm, *phase);
}

} // namespace vis
