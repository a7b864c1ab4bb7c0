// Kazaguruma: four blades along the half-axes widening clockwise in StepMask.
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

using test::EffectHarness;
using test::In;
using test::MaskIs;

// Inside one of the four blades of a w × h picture at step k.
bool InBlade(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, int k) {
    const std::int32_t cx = w / 2, cy = h / 2, dx = w / 40, dy = h / 40;
    return In(x, y, cx, 0, cx + k * dx, cy) || In(x, y, cx, cy, w, cy + k * dy) || In(x, y, cx - k * dx, cy, cx, h) ||
           In(x, y, 0, cy - k * dy, cx, cy);
}

TEST(Kazaguruma, BladesOn640x480) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(16, out, 640, 480);
        for (const int k : {1, 2, 10, 19, 20}) {
            h.StepTo(k);
            ASSERT_TRUE(MaskIs(h.Fm().StepMask, [&](auto x, auto y) { return InBlade(x, y, 640, 480, k) == out; }))
                << k;
        }
        // Step 20 covers the whole picture.
        EXPECT_TRUE(MaskIs(h.Fm().StepMask, [&](auto, auto) { return out; }));
    }
    // Step 1: blade 1 is columns 320..335 of rows 0..239, blade 2 rows 240..251 of the right half.
    EffectHarness h;
    h.Prepare(16, false, 640, 480);
    h.Step();
    const Bitmap& m = h.Fm().StepMask;
    EXPECT_EQ(m.Pixel(320, 0), clWhite);
    EXPECT_EQ(m.Pixel(335, 239), clWhite);
    EXPECT_EQ(m.Pixel(336, 0), clBlack);
    EXPECT_EQ(m.Pixel(320, 240), clWhite);
    EXPECT_EQ(m.Pixel(639, 251), clWhite);
    EXPECT_EQ(m.Pixel(639, 252), clBlack);
    EXPECT_EQ(m.Pixel(304, 479), clWhite);
    EXPECT_EQ(m.Pixel(303, 479), clBlack);
    EXPECT_EQ(m.Pixel(0, 228), clWhite);
    EXPECT_EQ(m.Pixel(0, 227), clBlack);
}

TEST(Kazaguruma, UncoveredStripsOn1024x768) {
    EffectHarness h;
    h.Prepare(16, true, 1024, 768);
    h.StepTo(20);
    const auto uncovered = [](std::int32_t x, std::int32_t y) {
        return In(x, y, 1012, 0, 1024, 384) || In(x, y, 512, 764, 1024, 768) || In(x, y, 0, 384, 12, 768) ||
               In(x, y, 0, 0, 512, 4);
    };
    EXPECT_TRUE(MaskIs(h.Fm().StepMask, [&](auto x, auto y) { return !uncovered(x, y); }));
    EXPECT_EQ(h.Shown().Pixel(1015, 100), test::CardColor(1015, 100));
    EffectHarness in;
    in.Prepare(16, false, 1024, 768);
    in.StepTo(20);
    EXPECT_TRUE(MaskIs(in.Fm().StepMask, [&](auto x, auto y) { return uncovered(x, y); }));
}

TEST(Kazaguruma, FramesSmallerThan40Pixels) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(16, out, 39, 39);
        for (int k = 1; k <= 20; ++k) {
            h.Step();
            ASSERT_TRUE(MaskIs(h.Fm().StepMask, [&](auto, auto) { return !out; })) << k;
        }
    }
    // 39 wide, 100 high: only the blades along the horizontal axis grow, 2 rows a step.
    EffectHarness h;
    h.Prepare(16, true, 39, 100);
    h.StepTo(5);
    EXPECT_TRUE(MaskIs(h.Fm().StepMask,
                       [](auto x, auto y) { return (x >= 19 && y >= 50 && y < 60) || (x < 19 && y >= 40 && y < 50); }));
}

} // namespace
} // namespace vis
