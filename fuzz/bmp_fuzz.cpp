// The bitmap reader over arbitrary bytes: a picture within the limits or a refusal, and a picture it accepts
// survives writing and reading back unchanged.
#include "gfx/Bmp.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bmp = vis::TryLoadBmp(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!bmp) return 0;
    if (bmp->Width() <= 0 || bmp->Height() <= 0 ||
        static_cast<std::int64_t>(bmp->Width()) * bmp->Height() > vis::kBmpMaxPixels)
        std::abort();
    const auto back = vis::TryLoadBmp(vis::SaveBmp(*bmp));
    if (!back || !(*back == *bmp)) std::abort();
    return 0;
}
