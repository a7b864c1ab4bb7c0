// Temporary stand-ins for the effects still being written: they only count their 20 steps and end the phase.
#include "effects/Effects.h"

namespace vis {

static void CountOnly(TFmqv& fm) {
    if (auto phase = BeginEffectStep(fm)) EndEffectStep(fm, *phase);
}

void StepSikaku(TFmqv& fm) { CountOnly(fm); }
void StepTatesen(TFmqv& fm) { CountOnly(fm); }
void StepYokosen(TFmqv& fm) { CountOnly(fm); }
void StepSeihoukei(TFmqv& fm) { CountOnly(fm); }
void StepSeihoukei2(TFmqv& fm) { CountOnly(fm); }
void StepEn(TFmqv& fm) { CountOnly(fm); }
void StepEn2(TFmqv& fm) { CountOnly(fm); }
void StepTate(TFmqv& fm) { CountOnly(fm); }
void StepTate2(TFmqv& fm) { CountOnly(fm); }
void StepYoko(TFmqv& fm) { CountOnly(fm); }
void StepYoko2(TFmqv& fm) { CountOnly(fm); }
void StepDai_shou(TFmqv& fm) { CountOnly(fm); }
void StepTokei(TFmqv& fm) { CountOnly(fm); }
void StepKazaguruma(TFmqv& fm) { CountOnly(fm); }

} // namespace vis
