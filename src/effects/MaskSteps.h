#pragma once
// The two kinds of step the mask effects share, so that an effect's own code is only its geometry.
#include "effects/EffectContext.h"
#include "effects/Effects.h"

namespace vis {

// A step of an effect that adds to TrailMask (Sikaku, Tatesen, Yokosen). The state machine prepared the mask
// and left the brush that hides (black, going out) or uncovers (white, coming in); draw(phase, mask) only fills
// with that brush, so the drawing accumulates over the phase.
template <class Draw> void TrailMaskStep(EffectContext fm, Draw draw) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    SizeToFrame(fm.Composite, phase->frame);
    // Only what the window shows is drawn, as the state machine prepared only that part of the mask.
    fm.TrailMask.SetClip(fm.VisiblePart(phase->frame));
    draw(*phase, fm.TrailMask);
    fm.TrailMask.ResetClip();
    ComposeAndPresent(fm, phase->frame, fm.TrailMask);
    EndEffectStep(fm, *phase);
}

// A step of an effect that redraws StepMask whole. The mask takes F's size and is filled with the phase's
// background; brush and pen take the other colour before draw(phase, mask) adds the step's shapes.
template <class Draw> void RedrawnMaskStep(EffectContext fm, Color outBackground, Color inBackground, Draw draw) {
    const auto phase = BeginEffectStep(fm);
    if (!phase) return;
    Bitmap& mask = fm.StepMask;
    SizeToFrame(fm.Composite, phase->frame);
    SizeToFrame(mask, phase->frame);
    const Color background = phase->out ? outBackground : inBackground;
    // Only the part that the window shows is drawn; the shapes' geometry stays that of the whole frame.
    mask.SetClip(fm.VisiblePart(phase->frame));
    mask.brushColor = background;
    mask.FillRect(Rect{0, 0, mask.Width(), mask.Height()});
    mask.brushColor = mask.penColor = background ^ clWhite;
    draw(*phase, mask);
    mask.ResetClip();
    ComposeAndPresent(fm, phase->frame, mask);
    EndEffectStep(fm, *phase);
}

} // namespace vis
