#include "effects/EffectContext.h"

#include "saver/Unqv.h"

namespace vis {

EffectContext::EffectContext(TFmqv& fm)
    : SlideState(fm.SlideState), EffectStep(fm.EffectStep), StepInterval(fm.StepInterval), CellWidth(fm.CellWidth),
      CellHeight(fm.CellHeight), CurrentPicture(fm.CurrentPicture), NextPicture(fm.NextPicture),
      CurrentFrame(fm.CurrentFrame), NextFrame(fm.NextFrame), StepMask(fm.StepMask), Composite(fm.Composite),
      TrailMask(fm.TrailMask), fm_(fm) {}

void EffectContext::SetInterval(std::int32_t ms) {
    fm_.Timer1.SetInterval(ms);
}

std::int32_t EffectContext::RandomBelow(std::int32_t n) {
    return fm_.RandomBelow(n);
}

void EffectContext::Present(const Bitmap& b) {
    fm_.Present(b);
}

void EffectContext::PresentRows(const Bitmap& b, std::int32_t top, std::int32_t bottom) {
    fm_.PresentRows(b, top, bottom);
}

void EffectContext::PresentComposed(const Bitmap& frame, const Bitmap& mask) {
    fm_.PresentComposed(frame, mask);
}

Rect EffectContext::VisiblePart(const Bitmap& b) const {
    return fm_.VisiblePart(b);
}

} // namespace vis
