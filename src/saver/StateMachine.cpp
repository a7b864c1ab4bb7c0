// The slideshow's state machine: one step per tick of Timer1.
#include "effects/Effects.h"
#include "qv/DataFiles.h"
#include "saver/Unqv.h"

#include <utility>

namespace vis {

namespace {
// Prepares the accumulating mask for a phase: the frame's size, filled with `fill`, brush `brush`. Only the
// part that the window shows at the frame's place is filled: the effects compose and draw no other part, and
// the place stays the same until the mask is prepared again.
void PrepareTrailMask(TFmqv& fm, const Bitmap& frame, Color fill, Color brush) {
    Bitmap& mask = fm.TrailMask;
    mask.Reshape(frame.Width(), frame.Height());
    mask.brushColor = fill;
    mask.FillRect(fm.VisiblePart(mask));
    mask.brushColor = brush;
}
} // namespace

void TFmqv::Timer1Timer(TCustomDXTimer&, std::int32_t) {
    drawn_ = Rect{};
    if (Closing()) return;
    if (!PicturesLoaded) {
        LoadPicturePair();
        // The load asked the window to close: the bitmaps are gone, nothing more may touch them.
        if (Closing()) return;
    }
    switch (SlideState) {
    case kLayOutPicture:
        // A frame the load took over from state 5 is on the window already, at this place.
        if (std::exchange(frameOnScreen_, false))
            PresentedAlready(CurrentFrame);
        else
            Present(CurrentFrame);
        PrepareTrailMask(*this, CurrentFrame, clWhite, clBlack);
        EffectStep = 0;
        Timer1.SetInterval(ShowTime);
        if (FirstRound) Timer1.SetInterval(100);
        ChooseEffect();
        SlideState = kPictureGoesOut;
        break;
    case kPictureGoesOut:
    case kPictureComesIn:
        StepTransition();
        break;
    case kPauseBegins: {
        // Black wherever the old picture shows; what lies outside the window is never drawn.
        StepMask.Reshape(CurrentFrame.Width(), CurrentFrame.Height());
        StepMask.brushColor = clBlack;
        StepMask.FillRect(VisiblePart(StepMask));
        if (RandomPosition) {
            PresentAt(StepMask, Point{PosX, PosY});
            // A picture larger than the window on an axis cannot move on it: it is centred there.
            const std::int32_t freeW = screen_.Width() - NextFrame.Width();
            const std::int32_t freeH = screen_.Height() - NextFrame.Height();
            PosX = freeW >= 0 ? RandomBelow(freeW) : freeW / 2;
            PosY = freeH >= 0 ? RandomBelow(freeH) : freeH / 2;
        } else {
            Present(StepMask);
        }
        PrepareTrailMask(*this, NextFrame, clBlack, clWhite);
        EffectStep = 0;
        Timer1.SetInterval(HideTime);
        if (FirstRound) {
            Timer1.SetInterval(100);
            FirstRound = false;
        }
        ChooseEffect();
        SlideState = kPictureComesIn;
        break;
    }
    case kPictureShownWhole:
        Present(NextFrame);
        Timer1.SetInterval(10);
        PicturesLoaded = false;
        break;
    default:
        break;
    }
    PlanDecodeAhead();
}

void TFmqv::StepTransition() {
    RunEffectStep(*this, EffectNo);
}

void TFmqv::ChooseEffect() {
    bool any = false;
    for (bool on : EffectEnabled)
        any = any || on;
    // A mask that enables nothing would make the draw endless; it counts as all effects on instead.
    do
        EffectNo = static_cast<EffectNumber>(RandomBelow(kEffectCount) + kNormal);
    while (any && !EffectEnabled[static_cast<std::size_t>(EffectNo - 1)]);
}

void TFmqv::MediaPlayer1Notify() {
    const std::int64_t length = MediaPlayer1.TrackLength(1);
    const std::int64_t position = MediaPlayer1.Position();
    if (length > position) return;
    MediaPlayer1.Close();
    MediaPlayer1.FileName = DataFile(datafile::kMusic);
    MediaPlayer1.Open();
    MediaPlayer1.Play();
}

} // namespace vis
