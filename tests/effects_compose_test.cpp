// The composition of a frame under a mask in one pass equals the opaque copy followed by the colour-keyed one.
#include "effects/Compose.h"
#include "saver/Random.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

Bitmap Reference(const Bitmap& frame, const Bitmap& mask) {
    Bitmap dst(frame.Width(), frame.Height());
    dst.DrawOpaque(0, 0, frame);
    dst.DrawTransparent(0, 0, mask);
    return dst;
}

TEST(ComposeMasked, EqualsOpaqueThenTransparentCopy) {
    RandomGenerator random(11);
    // Near-white and part-white colours must not count as white.
    const Color colours[] = {clWhite, clBlack, 0xFFFFFE, 0xFEFFFF, 0xFF00FF, 0x00FF00, 0x123456};
    for (const std::int32_t w : {1, 7, 8, 9, 17, 64, 333}) {
        const std::int32_t h = 13;
        Bitmap frame(w, h), mask(w, h);
        for (std::int32_t y = 0; y < h; ++y) {
            std::int32_t x = 0;
            while (x < w) {
                // Runs of one colour, long and short, so that both the eight-pixel and single-pixel scans run.
                const Color c = colours[random.Below(y % 3 == 0 ? 7 : 2)];
                const std::int32_t run = 1 + random.Below(random.Below(2) ? 40 : 3);
                for (std::int32_t i = 0; i < run && x < w; ++i, ++x) {
                    mask.SetPixel(x, y, c);
                    frame.SetPixel(x, y, static_cast<Color>(random.Below(0x1000000)));
                }
            }
        }
        Bitmap dst(w, h);
        ComposeMasked(dst, frame, mask);
        EXPECT_TRUE(dst == Reference(frame, mask)) << w;
    }
}

TEST(ComposeMasked, MaskOfAnotherSizeIsDrawnAtTheOrigin) {
    Bitmap frame(10, 6), mask(4, 9), dst(10, 6);
    frame.FillAll(0x336699);
    mask.FillAll(clBlack);
    mask.SetPixel(1, 1, clWhite);
    ComposeMasked(dst, frame, mask);
    EXPECT_TRUE(dst == Reference(frame, mask));
    EXPECT_EQ(dst.Pixel(0, 0), clBlack);
    EXPECT_EQ(dst.Pixel(1, 1), 0x336699u);
    EXPECT_EQ(dst.Pixel(4, 0), 0x336699u);
}

} // namespace
} // namespace vis
