// Seihoukei, Seihoukei2, En and En2: a centred square or circle in StepMask, redrawn at every step.
#include "effects/EffectGeometry.h"
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

using test::EffectHarness;
using test::In;
using test::MaskIs;

TEST(CentredShapes, SquareRectangles) {
    EXPECT_EQ(CentredShapeRect(640, 480, 640, 1), (Rect{16, -64, 624, 544}));
    EXPECT_EQ(CentredShapeRect(640, 480, 640, 2), (Rect{32, -48, 608, 528}));
    EXPECT_EQ(CentredShapeRect(640, 480, 640, 10), (Rect{160, 80, 480, 400}));
    EXPECT_EQ(CentredShapeRect(640, 480, 640, 19), (Rect{304, 224, 336, 256}));
    EXPECT_EQ(CentredShapeRect(640, 480, 640, 20), (Rect{320, 240, 320, 240}));
    EXPECT_EQ(CentredShapeRect(1024, 768, 1024, 1), (Rect{26, -102, 998, 870}));
    EXPECT_EQ(CentredShapeRect(481, 641, 641, 1), (Rect{-64, 16, 545, 625}));
    EXPECT_EQ(CentredShapeRect(481, 641, 641, 20), (Rect{240, 320, 241, 321}));
}

TEST(CentredShapes, CircleRectangles) {
    EXPECT_EQ(DiagonalSize(640, 480), 800);
    EXPECT_EQ(DiagonalSize(1024, 768), 1280);
    EXPECT_EQ(DiagonalSize(481, 641), 801); // √642242 = 801.4
    EXPECT_EQ(CentredShapeRect(640, 480, 800, 1), (Rect{-60, -140, 700, 620}));
    EXPECT_EQ(CentredShapeRect(640, 480, 800, 10), (Rect{120, 40, 520, 440}));
    EXPECT_EQ(CentredShapeRect(640, 480, 800, 19), (Rect{300, 220, 340, 260}));
    EXPECT_TRUE(CentredShapeRect(640, 480, 800, 20).Empty());
    EXPECT_EQ(CentredShapeRect(1024, 768, 1280, 1), (Rect{-96, -224, 1120, 992}));
}

TEST(CentredShapes, DiagonalOfLargePicturesIsNotCutTo32Bits) {
    EXPECT_EQ(DiagonalSize(40000, 30000), 50000); // 2.5 × 10⁹ passes 32 bits
    EXPECT_EQ(DiagonalSize(65535, 65535), 92680); // √8589672450 = 92680.02
    EXPECT_EQ(DiagonalSize(32767, 32767), 46339); // still within 32 bits
    EXPECT_EQ(DiagonalSize(0, 0), 0);
    EXPECT_EQ(DiagonalSize(1, 1), 1);
}

TEST(Seihoukei, WindowShrinksGoingOutAndGrowsComingIn) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(6, out, 640, 480);
        for (const int k : {1, 2, 10, 19, 20}) {
            h.StepTo(k);
            const Rect r = CentredShapeRect(640, 480, 640, out ? k : 21 - k);
            ASSERT_TRUE(MaskIs(h.Fm().StepMask, [&](auto x, auto y) {
                return !In(x, y, r.left, r.top, r.right, r.bottom);
            })) << k;
        }
    }
    EffectHarness h;
    h.Prepare(6, true, 640, 480);
    h.Step();
    // Factor 1: black strips 16 wide at the left and right.
    EXPECT_TRUE(MaskIs(h.Fm().StepMask, [](auto x, auto) { return x < 16 || x >= 624; }));
}

TEST(Seihoukei, EndsBlackButForTheCentrePixelOfOddSides) {
    EffectHarness even;
    even.Prepare(6, true, 640, 480);
    even.StepTo(20);
    EXPECT_TRUE(MaskIs(even.Fm().StepMask, [](auto, auto) { return true; }));
    even.Prepare(6, false, 640, 480);
    even.Step();
    EXPECT_TRUE(MaskIs(even.Fm().StepMask, [](auto, auto) { return true; }));

    EffectHarness odd;
    odd.Prepare(6, true, 481, 641);
    odd.Step();
    EXPECT_TRUE(MaskIs(odd.Fm().StepMask, [](auto, auto y) { return y < 16 || y >= 625; }));
    odd.StepTo(20);
    EXPECT_TRUE(MaskIs(odd.Fm().StepMask, [](auto x, auto y) { return !(x == 240 && y == 320); }));
}

TEST(Seihoukei2, BlackSquareGrowsGoingOutAndShrinksComingIn) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(7, out, 640, 480);
        for (const int k : {1, 2, 10, 19, 20}) {
            h.StepTo(k);
            const Rect r = CentredShapeRect(640, 480, 640, out ? 21 - k : k);
            ASSERT_TRUE(MaskIs(h.Fm().StepMask, [&](auto x, auto y) {
                return In(x, y, r.left, r.top, r.right, r.bottom);
            })) << k;
        }
    }
    // The largest square leaves 16-pixel strips of picture at the left and right.
    EffectHarness h;
    h.Prepare(7, false, 640, 480);
    h.Step();
    EXPECT_TRUE(MaskIs(h.Fm().StepMask, [](auto x, auto) { return x >= 16 && x < 624; }));
    EXPECT_EQ(h.Shown().Pixel(15, 0), test::CardColor(15, 0));
    EXPECT_EQ(h.Shown().Pixel(16, 0), clBlack);
}

// The circle's extreme pixels: it reaches its rectangle's sides at the middle row and column and no further.
void ExpectCircleIn(const Bitmap& mask, const Rect& r, Color inside) {
    const Color outside = inside ^ clWhite;
    const std::int32_t midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
    const auto at = [&](std::int32_t x, std::int32_t y) {
        return x >= 0 && y >= 0 && x < mask.Width() && y < mask.Height() ? mask.Pixel(x, y) : inside;
    };
    EXPECT_EQ(at(r.left, midY), inside);
    EXPECT_EQ(at(r.right - 1, midY), inside);
    EXPECT_EQ(at(midX, r.top), inside);
    EXPECT_EQ(at(midX, r.bottom - 1), inside);
    if (r.left > 0) {
        EXPECT_EQ(mask.Pixel(r.left - 1, midY), outside);
    }
    if (r.right < mask.Width()) {
        EXPECT_EQ(mask.Pixel(r.right, midY), outside);
    }
    if (r.top > 0) {
        EXPECT_EQ(mask.Pixel(midX, r.top - 1), outside);
    }
    if (r.bottom < mask.Height()) {
        EXPECT_EQ(mask.Pixel(midX, r.bottom), outside);
    }
    // The rectangle's corners lie outside the circle.
    if (r.left >= 0 && r.top >= 0) {
        EXPECT_EQ(mask.Pixel(r.left + 1, r.top + 1), outside);
    }
    EXPECT_EQ(at(midX, midY), inside);
}

TEST(En, CircularWindow) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(8, out, 640, 480);
        for (int k = 1; k <= 20; ++k) {
            h.Step();
            const int f = out ? k : 21 - k;
            if (f == 20)
                EXPECT_TRUE(MaskIs(h.Fm().StepMask, [&](auto, auto) { return true; })); // both sides even
            else
                ExpectCircleIn(h.Fm().StepMask, CentredShapeRect(640, 480, 800, f), clWhite);
        }
    }
    // Factor 1 on 640 × 480: black only in the four corners.
    EffectHarness h;
    h.Prepare(8, true, 640, 480);
    h.Step();
    const Bitmap& m = h.Fm().StepMask;
    EXPECT_EQ(m.Pixel(0, 0), clBlack);
    EXPECT_EQ(m.Pixel(639, 479), clBlack);
    EXPECT_EQ(m.Pixel(0, 240), clWhite);
    EXPECT_EQ(m.Pixel(320, 0), clWhite);

    EffectHarness big;
    big.Prepare(8, true, 1024, 768);
    big.Step();
    ExpectCircleIn(big.Fm().StepMask, Rect{-96, -224, 1120, 992}, clWhite);
    EXPECT_EQ(big.Fm().StepMask.Pixel(0, 0), clBlack);
}

TEST(En2, BlackDisc) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(9, out, 640, 480);
        for (int k = 1; k <= 20; ++k) {
            h.Step();
            const Rect r = CentredShapeRect(640, 480, 800, out ? 21 - k : k);
            if (r.Empty())
                EXPECT_TRUE(MaskIs(h.Fm().StepMask, [](auto, auto) { return false; }));
            else
                ExpectCircleIn(h.Fm().StepMask, r, clBlack);
        }
    }
    // Odd sides: the smallest disc is the single centre pixel.
    EffectHarness odd;
    odd.Prepare(9, true, 481, 641);
    odd.Step();
    EXPECT_TRUE(MaskIs(odd.Fm().StepMask, [](auto x, auto y) { return x == 240 && y == 320; }));
}

} // namespace
} // namespace vis
