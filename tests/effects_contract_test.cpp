// What effects 3 to 16 share: no work outside a transition, twenty steps a phase, the presented frame, and
// masks that only ever hide more going out and uncover more coming in.
#include "effects/Compose.h"
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace vis {
namespace {

using test::EffectHarness;

class EveryEffect : public ::testing::TestWithParam<int> {};

TEST_P(EveryEffect, DoesNothingOutsideATransition) {
    const int n = GetParam();
    for (const int state : {1, 3, 5}) {
        EffectHarness h;
        h.Prepare(n, true, 64, 48);
        TFmqv& fm = h.Fm();
        h.Step(); // leave something in every bitmap
        fm.Timer1.SetInterval(1234);
        fm.SlideState = static_cast<SlideStates>(state);
        const Bitmap composite = fm.Composite, step = fm.StepMask, trail = fm.TrailMask;
        const ScreenImage screen = fm.Screen();
        const Bitmap current = fm.CurrentFrame, next = fm.NextFrame;
        fm.TakeDrawn();
        RunEffectStep(fm, n);
        EXPECT_EQ(fm.EffectStep, 1);
        EXPECT_EQ(fm.SlideState, state);
        EXPECT_EQ(fm.Timer1.Interval(), 1234);
        EXPECT_TRUE(fm.Composite == composite);
        EXPECT_TRUE(fm.StepMask == step);
        EXPECT_TRUE(fm.TrailMask == trail);
        EXPECT_TRUE(fm.CurrentFrame == current);
        EXPECT_TRUE(fm.NextFrame == next);
        EXPECT_TRUE(fm.Screen() == screen);
        EXPECT_TRUE(fm.TakeDrawn().Empty());
    }
}

TEST_P(EveryEffect, EveryPhaseTakesExactlyTwentySteps) {
    const int n = GetParam();
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {19, 19}, {37, 641}, {640, 480}}) {
        for (const bool out : {true, false}) {
            EffectHarness hr;
            hr.Prepare(n, out, w, h);
            TFmqv& fm = hr.Fm();
            for (int k = 1; k <= 20; ++k) {
                fm.Timer1.SetInterval(999);
                hr.Step();
                EXPECT_EQ(fm.EffectStep, k);
                EXPECT_EQ(fm.Timer1.Interval(), 50);
                EXPECT_EQ(fm.SlideState, k < 20 ? (out ? 2 : 4) : (out ? 3 : 5)) << "step " << k;
            }
        }
    }
}

TEST_P(EveryEffect, PresentsTheComposedFrameAtThePicturesPlace) {
    const int n = GetParam();
    for (const bool random : {false, true}) {
        EffectHarness h(300, 200);
        TFmqv& fm = h.Fm();
        fm.RandomPosition = random;
        fm.PosX = 17;
        fm.PosY = 9;
        h.Prepare(n, false, 120, 90);
        h.StepTo(7);
        const Point at = random ? Point{17, 9} : Point{90, 55};
        EXPECT_EQ(fm.DrawnThisTick(), (Rect{at.x, at.y, at.x + 120, at.y + 90}));
        ASSERT_EQ(fm.Composite.Width(), 120);
        ASSERT_EQ(fm.Composite.Height(), 90);
        // The frame under the effect's mask; Dai_shou draws its own composition.
        Bitmap composed = fm.Composite;
        if (n != kDai_shou) ComposeMasked(composed, fm.NextFrame, n <= 5 ? fm.TrailMask : fm.StepMask, {0, 0, 120, 90});
        for (std::int32_t y = 0; y < 200; ++y)
            for (std::int32_t x = 0; x < 300; ++x) {
                const bool inside = test::In(x, y, at.x, at.y, at.x + 120, at.y + 90);
                ASSERT_EQ(fm.Screen().Pixel(x, y), inside ? composed.Pixel(x - at.x, y - at.y) : clBlack)
                    << x << "," << y;
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Effects3To16, EveryEffect, ::testing::Range(3, 17),
                         [](const auto& p) { return std::string(EffectName(p.param)); });

// The mask effects: every composed pixel is the picture's or black, and the black only grows going out and
// only shrinks coming in, so the out phase never uncovers and the in phase never hides.
class MaskEffect : public ::testing::TestWithParam<int> {};

TEST_P(MaskEffect, BlackOnlyGrowsGoingOutAndShrinksComingIn) {
    const int n = GetParam();
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{320, 240}, {121, 161}, {101, 37}}) {
        for (const bool out : {true, false}) {
            EffectHarness hr;
            hr.Prepare(n, out, w, h);
            std::vector<bool> black(static_cast<std::size_t>(w * h), !out);
            for (int k = 1; k <= 20; ++k) {
                hr.Step();
                const Bitmap shown = hr.Shown();
                int wrong = 0;
                for (std::int32_t y = 0; y < h; ++y)
                    for (std::int32_t x = 0; x < w; ++x) {
                        const Color c = shown.Pixel(x, y);
                        const bool b = c == clBlack;
                        if (!b && c != test::CardColor(x, y)) ++wrong;
                        const auto i = static_cast<std::size_t>(y * w + x);
                        if (out ? (black[i] && !b) : (!black[i] && b)) ++wrong;
                        black[i] = b;
                    }
                ASSERT_EQ(wrong, 0) << (out ? "out" : "in") << " step " << k << " " << w << "x" << h;
            }
        }
    }
}

TEST_P(MaskEffect, UsesTheMasksColoursOnly) {
    const int n = GetParam();
    for (const bool out : {true, false}) {
        EffectHarness hr;
        hr.Prepare(n, out, 90, 70);
        hr.StepTo(11);
        const Bitmap& mask = n <= 5 ? hr.Fm().TrailMask : hr.Fm().StepMask;
        const Bitmap shown = hr.Shown();
        EXPECT_EQ(mask.Width(), 90);
        EXPECT_EQ(mask.Height(), 70);
        for (std::int32_t y = 0; y < 70; ++y)
            for (std::int32_t x = 0; x < 90; ++x) {
                const Color c = mask.Pixel(x, y);
                ASSERT_TRUE(c == clBlack || c == clWhite);
                ASSERT_EQ(shown.Pixel(x, y), c == clBlack ? clBlack : test::CardColor(x, y));
            }
    }
}

INSTANTIATE_TEST_SUITE_P(MaskEffects, MaskEffect, ::testing::Values(3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 16),
                         [](const auto& p) { return std::string(EffectName(p.param)); });

} // namespace
} // namespace vis
