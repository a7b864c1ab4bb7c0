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
                // Rows of black and white only (the one-pass composition) and rows with other colours too (composed
                // pixel by pixel), in runs long and short.
                const Color c = colours[random.Below(y % 3 == 0 ? 7 : 2)];
                const std::int32_t run = 1 + random.Below(random.Below(2) ? 40 : 3);
                for (std::int32_t i = 0; i < run && x < w; ++i, ++x) {
                    mask.SetPixel(x, y, c);
                    frame.SetPixel(x, y, static_cast<Color>(random.Below(0x1000000)));
                }
            }
        }
        Bitmap dst(w, h);
        ComposeMasked(dst, frame, mask, Rect{0, 0, w, h});
        EXPECT_TRUE(dst == Reference(frame, mask)) << w;

        // Within an area only: the rest of dst keeps what it held.
        const Rect area{w / 3, 2, w - w / 4, h - 3};
        Bitmap part(w, h), want = Reference(frame, mask);
        part.FillAll(0x0A0B0C);
        ComposeMasked(part, frame, mask, area);
        for (std::int32_t y = 0; y < h; ++y)
            for (std::int32_t x = 0; x < w; ++x) {
                const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
                ASSERT_EQ(part.Pixel(x, y), inside ? want.Pixel(x, y) : 0x0A0B0Cu) << w << " " << x << "," << y;
            }
    }
}

TEST(ComposeMasked, MaskOfAnotherSizeIsDrawnAtTheOrigin) {
    Bitmap frame(10, 6), mask(4, 9), dst(10, 6);
    frame.FillAll(0x336699);
    mask.FillAll(clBlack);
    mask.SetPixel(1, 1, clWhite);
    ComposeMasked(dst, frame, mask, Rect{0, 0, 10, 6});
    EXPECT_TRUE(dst == Reference(frame, mask));
    EXPECT_EQ(dst.Pixel(0, 0), clBlack);
    EXPECT_EQ(dst.Pixel(1, 1), 0x336699u);
    EXPECT_EQ(dst.Pixel(4, 0), 0x336699u);
}

} // namespace
} // namespace vis
