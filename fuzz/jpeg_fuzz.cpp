// The JPEG decoder over arbitrary bytes. Every outcome is one of those the slideshow knows: a picture within
// the memory rule, "cannot be read" or "too large" with the bitmap untouched (no picture-sized allocation
// before the size guard), or a damaged-data error. The budget is a small machine's, so the fuzzer's memory
// limit is never the one that decides.
#include "gfx/Jpeg.h"
#include "gfx/PictureMemory.h"
#include "qv/Errors.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

constexpr std::uint64_t kBudget = std::uint64_t{256} << 20;

bool WithinLimits(const vis::Bitmap& b) {
    return b.Width() <= vis::kMaxJpegSide && b.Height() <= vis::kMaxJpegSide &&
           vis::PictureFitsMemory(b.Width(), b.Height(), 0, kBudget);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A bitmap that already holds something, as the saver's bitmaps do from the second picture on.
    vis::SetPictureMemoryBudget(kBudget);
    vis::Bitmap into(2, 3);
    into.FillAll(0x123456);
    const vis::Bitmap before = into;
    try {
        const vis::JpegStatus status = vis::DecodeJpeg(data, size, into);
        if (status == vis::JpegStatus::CannotBeRead && !(into == before)) std::abort();
        if (status == vis::JpegStatus::Decoded && !WithinLimits(into)) std::abort();
    } catch (const vis::EPictureTooLarge&) {
        if (!(into == before)) std::abort();
    } catch (const vis::EInvalidGraphic&) {
        // Damaged data: either refused before sizing (unknown colour format) or sized within the limits.
        if (!(into == before) && !WithinLimits(into)) std::abort();
    }
    return 0;
}
