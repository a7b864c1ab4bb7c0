// Temporary stand-ins for the effects still being written: they only count their 20 steps and end the phase.
#include "effects/Effects.h"

namespace vis {

static void CountOnly(TFmqv& fm) {
    if (auto phase = BeginEffectStep(fm)) EndEffectStep(fm, *phase);
}


} // namespace vis
