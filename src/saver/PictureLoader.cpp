// LoadPicturePair: which two pictures a cycle shows, their decoding, toning and working copies.
#include "gfx/Jpeg.h"
#include "gfx/Tone.h"
#include "qv/DataFiles.h"
#include "qv/Files.h"
#include "saver/Unqv.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vis {

namespace {

// Decodes picture file `path` into `into`; false when the file cannot be read as a JPEG file, in which case
// the window has been asked to close. A picture too large for this machine raises EPictureTooLarge, and
// libjpeg's errors in the image data EInvalidGraphic, for the error report.
bool DecodePicture(TFmqv& fm, const std::string& path, Bitmap& into) {
    if (LoadJpegFile(path, into) == JpegStatus::CannotBeRead) {
        fm.Close();
        return false;
    }
    return true;
}

void CopyInto(Bitmap& frame, const Bitmap& picture) {
    // The copy covers every pixel: nothing of the old frame is kept or filled first, and a frame that grows
    // lets its old buffer go before it takes the new one.
    frame.Reshape(picture.Width(), picture.Height());
    frame.DrawOpaque(0, 0, picture);
}

} // namespace

void TFmqv::LoadPicturePair() {
    if (Closing()) return; // the bitmaps are gone

    // The current picture. A missing file or a number past LastPictureNo wraps the cycle round to its first
    // picture, FirstPictureNo + 1. That picture is then taken as it is: it is what the previous load showed as
    // the next picture in that case, and taking it without a second round of checks keeps the load from
    // looping for ever when it is missing too or lies above LastPictureNo (decoding then fails and the saver
    // closes, as for any unreadable picture).
    const bool followPick = RandomOrder && !FirstRound;
    bool wrapped = false;
    for (;;) {
        std::int64_t candidate = std::int64_t{PictureNo} + 1;
        if (followPick && !wrapped) candidate = NextPictureNo;
        if (wrapped || (candidate <= LastPictureNo && FileExists(PictureFile(static_cast<std::int32_t>(candidate))))) {
            PictureNo = static_cast<std::int32_t>(candidate);
            break;
        }
        PictureNo = FirstPictureNo;
        wrapped = true;
    }
    // The random pick below must avoid the picture that is now current, which after a wrap is not the one
    // that was picked last time.
    if (followPick && wrapped) NextPictureNo = PictureNo;

    if (!DecodePicture(*this, PictureFile(PictureNo), CurrentPicture)) return;
    PicturesLoaded = true;

    // Random order: PictureNo + 1 becomes the next picture, never the current one while there is a choice.
    if (RandomOrder) {
        if (!(FirstPictureNo == 1 && PictureNo == 0)) {
            // Candidates FirstPictureNo + 1 .. LastPictureNo, as offsets 0 .. count - 1.
            const std::int64_t count = std::min<std::int64_t>(std::int64_t{LastPictureNo} - FirstPictureNo,
                                                              std::numeric_limits<std::int32_t>::max());
            const std::int64_t avoid = std::int64_t{NextPictureNo} - 1 - FirstPictureNo;
            std::int64_t offset = 0;
            if (count <= 1) {
                // One picture in the cycle (or none): it follows itself, there being nothing else to show.
                offset = 0;
            } else if (avoid < 0 || avoid >= count) {
                offset = RandomBelow(static_cast<std::int32_t>(count));
            } else {
                // Uniform over the other candidates in one draw: the same choice as drawing until the
                // number differs, without an unbounded loop.
                offset = RandomBelow(static_cast<std::int32_t>(count - 1));
                if (offset >= avoid) ++offset;
            }
            PictureNo = static_cast<std::int32_t>(FirstPictureNo + offset);
        }
        NextPictureNo = PictureNo + 1;
    }

    // The next picture; a missing one is replaced by the first picture of the cycle.
    if (!DecodePicture(*this, PictureFile(NextPictureNumber()), NextPicture)) return;

    // Toning. The markers are looked up on every load, so a change in the settings shows from the next cycle on.
    if (FileExists(DataFile(datafile::kGray))) {
        ToneGrey(CurrentPicture);
        ToneGrey(NextPicture);
    } else if (FileExists(DataFile(datafile::kSepia))) {
        ToneSepia(CurrentPicture);
        ToneSepia(NextPicture);
    }

    // Fresh working copies for the effects, toning included.
    CopyInto(CurrentFrame, CurrentPicture);
    CopyInto(NextFrame, NextPicture);
    SlideState = kLayOutPicture;
}

} // namespace vis
