// Effect 1, a cut: it draws nothing. Going out, the picture stays one more StepInterval until the state
// machine blacks out its area; coming in, the area stays black one more StepInterval until the state machine
// draws the picture whole. It leaves EffectStep alone.
#include "effects/Effects.h"
#include "saver/Unqv.h"

namespace vis {

void StepNormal(TFmqv& fm) {
    if (fm.SlideState == 2) {
        fm.Timer1.SetInterval(fm.StepInterval);
        fm.SlideState = 3;
    } else if (fm.SlideState == 4) {
        fm.Timer1.SetInterval(fm.StepInterval);
        fm.SlideState = 5;
    }
}

} // namespace vis
