#pragma once
// The sixteen transition effects and the framework they share. An effect is a plain function over the saver
// window's effect context; it keeps no state of its own.
#include "effects/EffectContext.h"
#include "gfx/Bitmap.h"

#include <cstdint>
#include <optional>

namespace vis {

using EffectStepFn = void (*)(EffectContext);

// One step of a phase as the skeleton sets it up: direction, step number k (1..20) and the frame F with its
// source picture.
struct EffectPhase {
    bool out;             // SlideState 2: CurrentFrame goes out; otherwise 4: NextFrame comes in
    std::int32_t k;       // EffectStep after the increase
    Bitmap& frame;        // F
    const Bitmap& source; // CurrentPicture or NextPicture
    // The step factor: k going out and 21 - k coming in when outIsK, the reverse otherwise.
    std::int32_t Factor(bool outIsK) const { return out == outIsK ? k : 21 - k; }
};

// Skeleton steps 1 and 2: nothing (and no count) outside states 2 and 4; otherwise EffectStep + 1.
std::optional<EffectPhase> BeginEffectStep(EffectContext fm);
// Sets Timer1's interval to StepInterval and, after step 20, hands the next state to the state machine.
void EndEffectStep(EffectContext fm, const EffectPhase& phase);
// Sizes b to F's size, width first, then height.
void SizeToFrame(Bitmap& b, const Bitmap& frame);
// Presents F with mask M laid over it (M's white transparent) at the picture's place, as Composite composed of
// them would show; Composite's pixels are left as they were when it has F's size.
void ComposeAndPresent(EffectContext fm, const Bitmap& frame, const Bitmap& mask);

// Calls effect n (1..16); any other number does nothing.
void RunEffectStep(EffectContext fm, int effectNo);
// The effect's name as its settings box carries it ("Normal", "FadeInOut", ... "Kazaguruma"); "" if none.
const char* EffectName(int effectNo);

void StepNormal(EffectContext fm);
void StepFadeInOut(EffectContext fm);
void StepSikaku(EffectContext fm);
void StepTatesen(EffectContext fm);
void StepYokosen(EffectContext fm);
void StepSeihoukei(EffectContext fm);
void StepSeihoukei2(EffectContext fm);
void StepEn(EffectContext fm);
void StepEn2(EffectContext fm);
void StepTate(EffectContext fm);
void StepTate2(EffectContext fm);
void StepYoko(EffectContext fm);
void StepYoko2(EffectContext fm);
void StepDai_shou(EffectContext fm);
void StepTokei(EffectContext fm);
void StepKazaguruma(EffectContext fm);

} // namespace vis
