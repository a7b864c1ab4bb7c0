// Tate, Tate2, Yoko and Yoko2: a centred band in StepMask, redrawn at every step.
#include "effects/EffectGeometry.h"
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace vis {
namespace {

using test::EffectHarness;
using test::MaskIs;

TEST(Bands, Insets) {
    EXPECT_EQ(BandInset(640, 1), 16);
    EXPECT_EQ(BandInset(640, 2), 32);
    EXPECT_EQ(BandInset(640, 10), 160);
    EXPECT_EQ(BandInset(640, 19), 304);
    EXPECT_EQ(BandInset(640, 20), 320);
    EXPECT_EQ(BandInset(480, 1), 12);
    EXPECT_EQ(BandInset(480, 10), 120);
    EXPECT_EQ(BandInset(480, 19), 228);
    EXPECT_EQ(BandInset(1024, 1), 26);
    EXPECT_EQ(BandInset(768, 1), 19);
    EXPECT_EQ(BandInset(768, 20), 384);
    EXPECT_EQ(BandInset(481, 20), 240);
    EXPECT_EQ(BandInset(641, 20), 320);
    EXPECT_EQ(BandInset(10, 1), 0);
    EXPECT_EQ(BandInset(10, 2), 1);
    EXPECT_EQ(BandInset(10, 9), 4);
    EXPECT_EQ(BandInset(10, 10), 5);
    EXPECT_EQ(BandInset(10, 20), 5);
}

// Columns (Tate) or rows (Yoko) first..last of the band at factor f; first > last for none.
struct BandCase {
    int f;
    std::int32_t first, last;
};
const std::vector<BandCase> kTate640{{1, 16, 623}, {2, 32, 607}, {10, 160, 479}, {19, 304, 335}, {20, 320, 319}};
const std::vector<BandCase> kYoko480{{1, 12, 467}, {10, 120, 359}, {19, 228, 251}, {20, 240, 239}};

// Runs a phase and checks the mask at the steps whose factor has a case; the factor runs with k when
// factorIsK, else with 21 - k.
void ExpectBands(int effect, bool out, bool factorIsK, std::int32_t w, std::int32_t h,
                 const std::vector<BandCase>& cases, bool vertical, bool blackBand) {
    EffectHarness hr;
    hr.Prepare(effect, out, w, h);
    for (int k = 1; k <= 20; ++k) {
        hr.Step();
        const int f = factorIsK ? k : 21 - k;
        for (const BandCase& c : cases) {
            if (c.f != f) continue;
            ASSERT_TRUE(MaskIs(hr.Fm().StepMask,
                               [&](auto x, auto y) {
                                   const std::int32_t v = vertical ? x : y;
                                   return (v >= c.first && v <= c.last) == blackBand;
                               }))
                << (out ? "out" : "in") << " step " << k;
        }
    }
}

TEST(Tate, ColumnsOfTheWindow) {
    // Out step k has factor k; in step k shows out step 21 - k.
    ExpectBands(10, true, true, 640, 480, kTate640, true, false);
    ExpectBands(10, false, false, 640, 480, kTate640, true, false);
    EffectHarness big;
    big.Prepare(10, true, 1024, 768);
    big.Step();
    EXPECT_TRUE(MaskIs(big.Fm().StepMask, [](auto x, auto) { return x < 26 || x > 997; }));
    EffectHarness odd;
    odd.Prepare(10, true, 481, 641);
    odd.StepTo(20);
    EXPECT_TRUE(MaskIs(odd.Fm().StepMask, [](auto x, auto) { return x != 240; }));
}

TEST(Tate, TenPixelsWide) {
    EffectHarness h;
    h.Prepare(10, true, 10, 6);
    h.Step();
    EXPECT_TRUE(MaskIs(h.Fm().StepMask, [](auto, auto) { return false; }));
    h.Step();
    EXPECT_TRUE(MaskIs(h.Fm().StepMask, [](auto x, auto) { return x < 1 || x > 8; }));
    h.StepTo(9);
    EXPECT_TRUE(MaskIs(h.Fm().StepMask, [](auto x, auto) { return x < 4 || x > 5; }));
    for (int k = 10; k <= 20; ++k) {
        h.Step();
        ASSERT_TRUE(MaskIs(h.Fm().StepMask, [](auto, auto) { return true; })) << k;
    }
}

TEST(Tate2, BlackBandWidensGoingOut) {
    ExpectBands(11, true, false, 640, 480, kTate640, true, true);
    ExpectBands(11, false, true, 640, 480, kTate640, true, true);
    // Out step 20: picture strips of 16 pixels at both edges, the band over every row.
    EffectHarness h;
    h.Prepare(11, true, 640, 480);
    h.StepTo(20);
    EXPECT_EQ(h.Shown().Pixel(15, 0), test::CardColor(15, 0));
    EXPECT_EQ(h.Shown().Pixel(16, 0), clBlack);
    EXPECT_EQ(h.Shown().Pixel(623, 479), clBlack);
    EXPECT_EQ(h.Shown().Pixel(624, 479), test::CardColor(624, 479));
}

TEST(Yoko, RowsOfTheWindow) {
    ExpectBands(12, true, true, 640, 480, kYoko480, false, false);
    ExpectBands(12, false, false, 640, 480, kYoko480, false, false);
    EffectHarness big;
    big.Prepare(12, true, 1024, 768);
    big.Step();
    EXPECT_TRUE(MaskIs(big.Fm().StepMask, [](auto, auto y) { return y < 19 || y > 748; }));
    big.StepTo(20);
    EXPECT_TRUE(MaskIs(big.Fm().StepMask, [](auto, auto) { return true; }));
    EffectHarness odd;
    odd.Prepare(12, true, 481, 641);
    odd.StepTo(20);
    EXPECT_TRUE(MaskIs(odd.Fm().StepMask, [](auto, auto y) { return y != 320; }));
}

TEST(Yoko2, BlackBandWidensGoingOut) {
    ExpectBands(13, true, false, 640, 480, kYoko480, false, true);
    ExpectBands(13, false, true, 640, 480, kYoko480, false, true);
}

} // namespace
} // namespace vis
