// The JPEG decoder over arbitrary bytes. Every outcome is one of the three the slideshow knows: a picture
// within the size limits, "cannot be read" with the bitmap untouched (no picture-sized allocation before the
// size guard), or a damaged-data error.
#include "gfx/Jpeg.h"
#include "qv/Errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool WithinLimits(const vis::Bitmap& b) {
    return b.Width() >= 1 && b.Height() >= 1 && b.Width() <= vis::kMaxJpegSide && b.Height() <= vis::kMaxJpegSide &&
           std::int64_t{b.Width()} * b.Height() <= vis::kMaxJpegPixels;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A bitmap that already holds something, as the saver's bitmaps do from the second picture on.
    vis::Bitmap into(2, 3);
    into.FillAll(0x123456);
    const vis::Bitmap before = into;
    try {
        const vis::JpegStatus status = vis::DecodeJpeg(data, size, into);
        if (status == vis::JpegStatus::CannotBeRead && !(into == before)) std::abort();
        if (status == vis::JpegStatus::Decoded && !WithinLimits(into)) std::abort();
    } catch (const vis::EInvalidGraphic&) {
        // Damaged data: either refused before sizing (unknown colour format) or sized within the limits.
        if (!(into == before) && !WithinLimits(into)) std::abort();
    }
    return 0;
}
