// LoadPicturePair: which two pictures a cycle shows, their decoding, toning and working copies; and the
// decoding of the coming load's pictures ahead of it.
#include "gfx/Jpeg.h"
#include "qv/DataFiles.h"
#include "qv/Files.h"
#include "saver/Unqv.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vis {

namespace {

void CopyInto(Bitmap& frame, const Bitmap& picture) {
    // The copy covers every pixel: nothing of the old frame is kept or filled first, and a frame that grows
    // lets its old buffer go before it takes the new one.
    frame.Reshape(picture.Width(), picture.Height());
    frame.DrawOpaque(0, 0, picture);
}

} // namespace

// The variables that decide which pictures a load takes, so that the coming load can be worked out on copies.
struct TFmqv::PictureCursor {
    std::int32_t PictureNo, NextPictureNo, FirstPictureNo, LastPictureNo;
    bool RandomOrder, FirstRound;
};

TFmqv::PictureCursor TFmqv::Cursor() const {
    return {PictureNo, NextPictureNo, FirstPictureNo, LastPictureNo, RandomOrder, FirstRound};
}

void TFmqv::ChooseCurrentPicture(PictureCursor& c) const {
    // A missing file or a number past LastPictureNo wraps the cycle round to its first picture,
    // FirstPictureNo + 1. That picture is then taken as it is: it is what the previous load showed as the next
    // picture in that case, and taking it without a second round of checks keeps the load from looping for
    // ever when it is missing too or lies above LastPictureNo (decoding then fails and the saver closes, as
    // for any unreadable picture).
    const bool followPick = c.RandomOrder && !c.FirstRound;
    bool wrapped = false;
    for (;;) {
        std::int64_t candidate = std::int64_t{c.PictureNo} + 1;
        if (followPick && !wrapped) candidate = c.NextPictureNo;
        if (wrapped ||
            (candidate <= c.LastPictureNo && FileExists(PictureFile(static_cast<std::int32_t>(candidate))))) {
            c.PictureNo = static_cast<std::int32_t>(candidate);
            break;
        }
        c.PictureNo = c.FirstPictureNo;
        wrapped = true;
    }
    // The random pick must avoid the picture that is now current, which after a wrap is not the one that was
    // picked last time.
    if (followPick && wrapped) c.NextPictureNo = c.PictureNo;
}

void TFmqv::PickNextPicture(PictureCursor& c, RandomGenerator& random) {
    // Random order: PictureNo + 1 becomes the next picture, never the current one while there is a choice.
    if (!c.RandomOrder) return;
    if (!(c.FirstPictureNo == 1 && c.PictureNo == 0)) {
        // Candidates FirstPictureNo + 1 .. LastPictureNo, as offsets 0 .. count - 1.
        const std::int64_t count = std::min<std::int64_t>(std::int64_t{c.LastPictureNo} - c.FirstPictureNo,
                                                          std::numeric_limits<std::int32_t>::max());
        const std::int64_t avoid = std::int64_t{c.NextPictureNo} - 1 - c.FirstPictureNo;
        std::int64_t offset = 0;
        if (count <= 1) {
            // One picture in the cycle (or none): it follows itself, there being nothing else to show.
            offset = 0;
        } else if (avoid < 0 || avoid >= count) {
            offset = random.Below(static_cast<std::int32_t>(count));
        } else {
            // Uniform over the other candidates in one draw: the same choice as drawing until the number
            // differs, without an unbounded loop.
            offset = random.Below(static_cast<std::int32_t>(count - 1));
            if (offset >= avoid) ++offset;
        }
        c.PictureNo = static_cast<std::int32_t>(c.FirstPictureNo + offset);
    }
    c.NextPictureNo = c.PictureNo + 1;
}

std::int32_t TFmqv::NextPictureNumber(const PictureCursor& c) const {
    const std::int64_t n = std::int64_t{c.PictureNo} + 1;
    return n <= c.LastPictureNo && FileExists(PictureFile(static_cast<std::int32_t>(n))) ? static_cast<std::int32_t>(n)
                                                                                         : c.FirstPictureNo + 1;
}

std::int32_t TFmqv::NextPictureNumber() const {
    return NextPictureNumber(Cursor());
}

PictureTone TFmqv::ToneOfShow() const {
    if (FileExists(DataFile(datafile::kGray))) return PictureTone::Grey;
    if (FileExists(DataFile(datafile::kSepia))) return PictureTone::Sepia;
    return PictureTone::None;
}

TFmqv::Decoded TFmqv::DecodePicture(const std::string& path, PictureTone tone, Bitmap& into, Bitmap* frame) {
    Decoded d;
    if (decodeAhead_) {
        const DecodeAhead::Taken taken = decodeAhead_->Take(path, tone, into, frame);
        d.toned = taken.picture;
        d.framed = taken.frame;
        d.stamp = taken.stamp;
        if (taken.picture) {
            ++takenReady_;
            return d;
        }
    }
    // The stamp before the read: a change during the read shows as a change at the next load.
    d.stamp = StampOf(path);
    if (LoadJpegFile(path, into) == JpegStatus::CannotBeRead) {
        Close();
        d.ok = false;
    }
    return d;
}

void TFmqv::LoadPicturePair() {
    if (Closing()) return; // the bitmaps are gone

    // The markers are looked up on every load, so a change in the settings shows from the next cycle on. They
    // are read first, so that pictures decoded and toned ahead are known to fit.
    const PictureTone tone = ToneOfShow();

    PictureCursor c = Cursor();
    ChooseCurrentPicture(c);
    PictureNo = c.PictureNo;
    NextPictureNo = c.NextPictureNo;

    // The current picture is, as a rule, the file that the previous load decoded as the next one, unchanged
    // since: that decode is taken over instead of decoding the file again.
    const std::string currentPath = PictureFile(PictureNo);
    bool currentToned = false, handOver = false;
    Bitmap currentFrameReady, nextFrameReady; // copies made ahead; the frames change only once both decoded
    Decoded current;
    if (nextSource_ && nextSource_->path == currentPath && nextSource_->tone == tone &&
        StampOf(currentPath) == nextSource_->stamp) {
        CurrentPicture.SwapPixels(NextPicture);
        currentToned = true;
        ++takenReady_;
        // Its frame comes along: the in-transition that ended in state 5 left NextFrame equal to NextPicture
        // (the effects only read their frame, but for the fade, whose last in-step copies the picture back),
        // and state 5 has just shown it whole where state 1 will draw it.
        handOver = SlideState == kPictureShownWhole;
    }
    nextSource_.reset();
    if (!currentToned) {
        current = DecodePicture(currentPath, tone, CurrentPicture, &currentFrameReady);
        if (!current.ok) return;
        currentToned = current.toned;
    }
    PicturesLoaded = true;

    PickNextPicture(c, random_);
    PictureNo = c.PictureNo;
    NextPictureNo = c.NextPictureNo;

    // The next picture; a missing one is replaced by the first picture of the cycle.
    const std::string nextPath = PictureFile(NextPictureNumber());
    const Decoded next = DecodePicture(nextPath, tone, NextPicture, &nextFrameReady);
    if (!next.ok) return;

    if (!currentToned) ApplyTone(CurrentPicture, tone);
    if (!next.toned) ApplyTone(NextPicture, tone);

    // Fresh working copies for the effects, toning included.
    if (handOver)
        CurrentFrame.SwapPixels(NextFrame);
    else if (current.framed)
        CurrentFrame.SwapPixels(currentFrameReady);
    else
        CopyInto(CurrentFrame, CurrentPicture);
    frameOnScreen_ = handOver;
    if (next.framed)
        NextFrame.SwapPixels(nextFrameReady);
    else
        CopyInto(NextFrame, NextPicture);
    if (decodeAhead_) {
        // What the frames held before is room for the decodes to come.
        decodeAhead_->Recycle(currentFrameReady);
        decodeAhead_->Recycle(nextFrameReady);
    }
    if (next.stamp && decodeAhead_) nextSource_ = PictureSource{nextPath, *next.stamp, tone};
    SlideState = kLayOutPicture;
    aheadPlanned_ = false;
}

void TFmqv::PlanDecodeAhead() {
    if (!decodeAhead_ || aheadPlanned_ || Closing()) return;
    // In random order the next picture is drawn from the run's generator, which the effect picks, the random
    // placement and Sikaku's cells draw from too. Its state at the coming load is known once the in-effect is
    // picked, unless that is Sikaku, which draws at every step: then once the in-transition is over.
    if (RandomOrder && PicturesLoaded && SlideState != kPictureShownWhole &&
        (SlideState != kPictureComesIn || EffectNo == kSikaku))
        return;
    aheadPlanned_ = true;
    PictureCursor c = Cursor();
    RandomGenerator random = random_;
    ChooseCurrentPicture(c);
    const std::string currentPath = PictureFile(c.PictureNo);
    PickNextPicture(c, random);
    const std::string nextPath = PictureFile(NextPictureNumber(c));
    const PictureTone tone = ToneOfShow();
    // The next picture comes with its working copy. The current one is, as a rule, taken over from the
    // show's own next picture; when it is not, it is decoded ahead as well, and then, while the show holds
    // pictures of its own, without copies, so that no more than two picture-sized bitmaps are held ahead.
    if (nextSource_ && nextSource_->path == currentPath && nextSource_->tone == tone) {
        decodeAhead_->Want({PictureWish{nextPath, tone, true}});
        return;
    }
    const bool showHoldsNone = CurrentPicture.Width() == 0 && NextPicture.Width() == 0 && CurrentFrame.Width() == 0;
    decodeAhead_->Want({PictureWish{currentPath, tone, showHoldsNone}, PictureWish{nextPath, tone, showHoldsNone}});
}

} // namespace vis
