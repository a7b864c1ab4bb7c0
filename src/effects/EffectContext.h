#pragma once
// What an effect may see and change of the saver window, and nothing more: the phase's state and step
// counter, the pictures (read only), the frames and masks, the frame timer's interval, the run's random
// generator and the presentation. It only holds references, so effects take it by value; the saver window
// converts to it.
#include "gfx/Bitmap.h"
#include "gfx/Geometry.h"
#include "saver/SlideState.h"

#include <cstdint>

namespace vis {

class TFmqv;

class EffectContext {
  public:
    EffectContext(TFmqv& fm); // NOLINT(google-explicit-constructor): every saver window is one

    SlideStates& SlideState;
    std::int32_t& EffectStep;
    const std::int32_t StepInterval, CellWidth, CellHeight;
    const Bitmap &CurrentPicture, &NextPicture;
    Bitmap &CurrentFrame, &NextFrame, &StepMask, &Composite, &TrailMask;

    // Timer1's interval until the next tick.
    void SetInterval(std::int32_t ms);
    std::int32_t RandomBelow(std::int32_t n);
    // Draws b opaquely on the window at the picture's place.
    void Present(const Bitmap& b);
    // Present for b's rows top to bottom - 1 only.
    void PresentRows(const Bitmap& b, std::int32_t top, std::int32_t bottom);
    // Draws frame with mask laid over it (white transparent) at the picture's place; both of one size.
    void PresentComposed(const Bitmap& frame, const Bitmap& mask);
    // The part of a picture-sized bitmap that lies inside the window at the picture's place.
    Rect VisiblePart(const Bitmap& b) const;

  private:
    TFmqv& fm_;
};

} // namespace vis
