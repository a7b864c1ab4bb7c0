// Dai_shou: the picture shrinks toward the centre of its area on black, or grows from it; StepMask holds the
// scaled picture and is drawn opaque, so the picture's own white stays white.
#include "effects/EffectContext.h"
#include "effects/EffectGeometry.h"
#include "effects/Effects.h"

namespace vis {

Point ScaledSize(std::int32_t w, std::int32_t h, std::int32_t f) {
    return {static_cast<std::int32_t>(w - std::int64_t{w} * f / 21),
            static_cast<std::int32_t>(h - std::int64_t{h} * f / 21)};
}

void StepDai_shou(EffectContext fm) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    const Bitmap& frame = phase->frame;
    const Point size = ScaledSize(frame.Width(), frame.Height(), phase->out ? phase->k : 20 - phase->k);
    Bitmap& composite = fm.Composite;
    Bitmap& scaled = fm.StepMask;
    SizeToFrame(composite, frame);
    // The scaled picture's size changes at every step; room for the largest of the phase (its first step going
    // out, the whole frame coming in) is made once, so no step reallocates.
    if (phase->k == 1) scaled.Reserve(frame.Width(), frame.Height());
    scaled.Reshape(size.x, size.y);
    const std::int32_t W = composite.Width(), H = composite.Height();
    const Rect at{(W - size.x) / 2, (H - size.y) / 2, (W - size.x) / 2 + size.x, (H - size.y) / 2 + size.y};
    // Only what lands inside the window is drawn. The scaled copy still maps the whole picture: of the scaled
    // picture just the pixels that show are sampled from it.
    const Rect visible = fm.VisiblePart(composite);
    scaled.SetClip(
        Rect{visible.left - at.left, visible.top - at.top, visible.right - at.left, visible.bottom - at.top});
    scaled.StretchDraw(Rect{0, 0, size.x, size.y}, frame);
    scaled.ResetClip();
    // Black around the scaled picture, which covers the rest: filling the whole of Composite first would
    // write most of a frame for nothing.
    composite.SetClip(visible);
    composite.brushColor = clBlack;
    composite.FillRect(Rect{0, 0, W, at.top});
    composite.FillRect(Rect{0, at.top, at.left, at.bottom});
    composite.FillRect(Rect{at.right, at.top, W, at.bottom});
    composite.FillRect(Rect{0, at.bottom, W, H});
    composite.DrawOpaque(at.left, at.top, scaled);
    composite.ResetClip();
    fm.Present(composite);
    EndEffectStep(fm, *phase);
}

} // namespace vis
