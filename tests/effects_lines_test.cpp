// Tatesen and Yokosen: stripes that grow one line a step in every 20-pixel band of TrailMask.
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

using test::EffectHarness;
using test::MaskIs;

TEST(Tatesen, ColumnsAfterSteps1And10And19) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(4, out, 640, 480);
        h.Step();
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto x, auto) { return (x % 20 <= 1) == out; }));
        h.StepTo(10);
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto x, auto) { return (x % 20 <= 10) == out; }));
        h.StepTo(19);
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto, auto) { return out; }));
        h.Step();
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto, auto) { return out; }));
        EXPECT_TRUE(h.Shown() == (out ? [] { Bitmap b(640, 480); b.FillAll(clBlack); return b; }()
                                              : test::TestCard(640, 480)));
    }
}

TEST(Tatesen, TheLastBandPastAMultipleOf20) {
    EffectHarness h;
    h.Prepare(4, true, 650, 30);
    h.StepTo(3);
    // Band 32 starts at column 640, inside a picture 650 wide.
    EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [](auto x, auto) { return x % 20 <= 3; }));
    EXPECT_EQ(h.Fm().TrailMask.Pixel(643, 0), clBlack);
    EXPECT_EQ(h.Fm().TrailMask.Pixel(644, 29), clWhite);
}

TEST(Tatesen, NarrowPictureHasOneStripe) {
    EffectHarness h;
    h.Prepare(4, true, 7, 5);
    for (int k = 1; k <= 20; ++k) {
        h.Step();
        ASSERT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto x, auto) { return x <= k; })) << k;
    }
}

TEST(Yokosen, RowsAfterSteps1And10And19) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(5, out, 640, 480);
        h.Step();
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto, auto y) { return (y % 20 <= 1) == out; }));
        h.StepTo(10);
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto, auto y) { return (y % 20 <= 10) == out; }));
        h.StepTo(19);
        EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [&](auto, auto) { return out; }));
        const Bitmap shown = h.Shown();
        for (std::int32_t y = 0; y < 480; y += 7)
            for (std::int32_t x = 0; x < 640; x += 5)
                ASSERT_EQ(shown.Pixel(x, y), out ? clBlack : test::CardColor(x, y));
    }
}

TEST(Yokosen, TheLastBandPastAMultipleOf20) {
    EffectHarness h;
    h.Prepare(5, false, 30, 487);
    h.StepTo(2);
    EXPECT_TRUE(MaskIs(h.Fm().TrailMask, [](auto, auto y) { return y % 20 > 2; }));
    EXPECT_EQ(h.Fm().TrailMask.Pixel(0, 482), clWhite);
    EXPECT_EQ(h.Fm().TrailMask.Pixel(0, 483), clBlack);
}

} // namespace
} // namespace vis
