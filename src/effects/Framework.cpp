#include "effects/Effects.h"

#include "effects/Compose.h"
#include "effects/EffectContext.h"

#include <array>

namespace vis {

std::optional<EffectPhase> BeginEffectStep(EffectContext fm) {
    if (fm.SlideState != kPictureGoesOut && fm.SlideState != kPictureComesIn) return std::nullopt;
    const bool out = fm.SlideState == kPictureGoesOut;
    ++fm.EffectStep;
    return EffectPhase{out, fm.EffectStep, out ? fm.CurrentFrame : fm.NextFrame,
                       out ? fm.CurrentPicture : fm.NextPicture};
}

void EndEffectStep(EffectContext fm, const EffectPhase& phase) {
    fm.SetInterval(fm.StepInterval);
    if (phase.k == 20) fm.SlideState = phase.out ? kPauseBegins : kPictureShownWhole;
}

void SizeToFrame(Bitmap& b, const Bitmap& frame) {
    // Width first, then height, each keeping what overlaps: as one step, since every user draws the whole of
    // what it shows afresh and no pixel that was there before is ever seen again.
    b.Reshape(frame.Width(), frame.Height());
}

void ComposeAndPresent(EffectContext fm, const Bitmap& frame, const Bitmap& mask) {
    const Bitmap& c = fm.Composite;
    if (c.Width() == frame.Width() && c.Height() == frame.Height() && mask.Width() == frame.Width() &&
        mask.Height() == frame.Height()) {
        // Composed straight onto the window, in its pixel format: Composite would only be read back once to be
        // shown, and nothing else reads it.
        fm.PresentComposed(frame, mask);
        return;
    }
    // Only the part that lands inside the window is composed: the rest of Composite is never shown.
    ComposeMasked(fm.Composite, frame, mask, fm.VisiblePart(fm.Composite));
    fm.Present(fm.Composite);
}

namespace {
struct EffectEntry {
    const char* name;
    EffectStepFn step;
};
constexpr std::array<EffectEntry, 16> kEffects{{
    {"Normal", StepNormal},
    {"FadeInOut", StepFadeInOut},
    {"Sikaku", StepSikaku},
    {"Tatesen", StepTatesen},
    {"Yokosen", StepYokosen},
    {"Seihoukei", StepSeihoukei},
    {"Seihoukei2", StepSeihoukei2},
    {"En", StepEn},
    {"En2", StepEn2},
    {"Tate", StepTate},
    {"Tate2", StepTate2},
    {"Yoko", StepYoko},
    {"Yoko2", StepYoko2},
    {"Dai_shou", StepDai_shou},
    {"Tokei", StepTokei},
    {"Kazaguruma", StepKazaguruma},
}};
} // namespace

void RunEffectStep(EffectContext fm, int effectNo) {
    if (effectNo >= kNormal && effectNo <= kKazaguruma) kEffects[static_cast<std::size_t>(effectNo - 1)].step(fm);
}

const char* EffectName(int effectNo) {
    return effectNo >= kNormal && effectNo <= kKazaguruma ? kEffects[static_cast<std::size_t>(effectNo - 1)].name : "";
}

} // namespace vis
