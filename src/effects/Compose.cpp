// Composing a frame under a mask is most of the work of a mask effect's step. Masks are long runs of black or
// white, so the composition copies whole runs from the frame or the mask instead of testing every pixel twice.
#include "effects/Compose.h"

#include <cstring>

namespace vis {

namespace {

bool WhitePixel(const std::uint8_t* p) {
    return (p[0] & p[1] & p[2]) == 0xFF;
}

// Eight pixels (24 bytes) at once: all white, or all black (and so none white).
bool EightWhite(const std::uint8_t* p) {
    std::uint64_t a, b, c;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    std::memcpy(&c, p + 16, 8);
    return (a & b & c) == ~std::uint64_t{0};
}

bool EightBlack(const std::uint8_t* p) {
    std::uint64_t a, b, c;
    std::memcpy(&a, p, 8);
    std::memcpy(&b, p + 8, 8);
    std::memcpy(&c, p + 16, 8);
    return (a | b | c) == 0;
}

} // namespace

void ComposeMasked(Bitmap& dst, const Bitmap& frame, const Bitmap& mask) {
    const std::int32_t w = dst.Width(), h = dst.Height();
    if (frame.Width() != w || frame.Height() != h || mask.Width() != w || mask.Height() != h) {
        dst.DrawOpaque(0, 0, frame);
        dst.DrawTransparent(0, 0, mask);
        return;
    }
    const auto width = static_cast<std::size_t>(w);
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* f = frame.Row(y);
        const std::uint8_t* m = mask.Row(y);
        std::uint8_t* d = dst.Row(y);
        std::size_t x = 0;
        while (x < width) {
            const bool white = WhitePixel(m + 3 * x);
            std::size_t end = x + 1;
            if (white) {
                while (end + 8 <= width && EightWhite(m + 3 * end))
                    end += 8;
                while (end < width && WhitePixel(m + 3 * end))
                    ++end;
            } else {
                while (end + 8 <= width && EightBlack(m + 3 * end))
                    end += 8;
                while (end < width && !WhitePixel(m + 3 * end))
                    ++end;
            }
            std::memcpy(d + 3 * x, (white ? f : m) + 3 * x, 3 * (end - x));
            x = end;
        }
    }
}

} // namespace vis
