// Effect 1, a cut: it draws nothing. Going out, the picture stays one more StepInterval until the state
// machine blacks out its area; coming in, the area stays black one more StepInterval until the state machine
// draws the picture whole. It leaves EffectStep alone.
#include "effects/EffectContext.h"
#include "effects/Effects.h"

namespace vis {

void StepNormal(EffectContext fm) {
    if (fm.SlideState == kPictureGoesOut) {
        fm.SetInterval(fm.StepInterval);
        fm.SlideState = kPauseBegins;
    } else if (fm.SlideState == kPictureComesIn) {
        fm.SetInterval(fm.StepInterval);
        fm.SlideState = kPictureShownWhole;
    }
}

} // namespace vis
