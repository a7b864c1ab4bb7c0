// Tokei: two black hands sweeping clockwise from 12 and 6 o'clock, redrawn in StepMask at every step.
#include "effects/EffectGeometry.h"
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vis {
namespace {

using test::EffectHarness;
using test::MaskIs;

TEST(Tokei, ReachAndHandDistances) {
    const TokeiGeometry g = TokeiGeometryFor(640, 480);
    EXPECT_EQ(g.cx, 320);
    EXPECT_EQ(g.cy, 240);
    EXPECT_EQ(g.R, 321);
    EXPECT_EQ(g.a, (std::array<std::int32_t, 6>{0, 48, 104, 160, 232, 321}));
    const TokeiGeometry b = TokeiGeometryFor(1024, 768);
    EXPECT_EQ(b.cx, 512);
    EXPECT_EQ(b.cy, 384);
    EXPECT_EQ(b.R, 513);
    EXPECT_EQ(b.a, (std::array<std::int32_t, 6>{0, 76, 166, 256, 371, 513}));
    EXPECT_EQ(TokeiGeometryFor(481, 641).R, 321); // taller than wide: from the height
    EXPECT_EQ(TokeiGeometryFor(200, 200).R, 101);
    // T = (320, -81) and B = (320, 561), outside the picture.
    EXPECT_EQ(TokeiHand(g, true, 1), (std::vector<Point>{{320, -81}, {320, 240}, {368, -81}}));
    EXPECT_EQ(TokeiHand(g, true, 20), (std::vector<Point>{{320, -81}, {320, 561}, {641, 561}, {641, -81}}));
    EXPECT_EQ(HalfTurn(g, TokeiHand(g, true, 1)), (std::vector<Point>{{320, 561}, {320, 240}, {272, 561}}));
}

TEST(Tokei, HandDistanceOfEveryStep) {
    const TokeiGeometry g = TokeiGeometryFor(640, 480);
    const std::int32_t cx = 320, cy = 240, R = 321;
    const int outJ[] = {1, 2, 3, 4, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 4, 3, 2, 1};
    for (int k = 1; k <= 19; ++k) {
        const auto p = TokeiHand(g, true, k);
        const std::int32_t a = g.a[static_cast<std::size_t>(outJ[k - 1])];
        const Point end = k <= 4    ? Point{cx + a, cy - R}
                          : k <= 10 ? Point{cx + R, cy - a}
                          : k <= 14 ? Point{cx + R, cy + a}
                                    : Point{cx + a, cy + R};
        EXPECT_EQ(p[2], end) << "out " << k;
    }
    const int inJ[] = {0, 1, 2, 3, 4, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 4, 3, 2, 1};
    for (int k = 2; k <= 20; ++k) {
        const auto p = TokeiHand(g, false, k);
        const std::int32_t a = g.a[static_cast<std::size_t>(inJ[k - 1])];
        const Point end = k <= 6    ? Point{cx - a, cy + R}
                          : k <= 11 ? Point{cx - R, cy + a}
                          : k <= 16 ? Point{cx - R, cy - a}
                                    : Point{cx - a, cy - R};
        EXPECT_EQ(p[2], end) << "in " << k;
    }
}

TEST(Tokei, OutStep20AndInStep1AreAllBlack) {
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{640, 480}, {1024, 768}, {481, 641}, {1, 1}}) {
        EffectHarness out;
        out.Prepare(15, true, w, h);
        out.StepTo(20);
        EXPECT_TRUE(MaskIs(out.Fm().StepMask, [](auto, auto) { return true; })) << w << "x" << h;
        EffectHarness in;
        in.Prepare(15, false, w, h);
        in.Step();
        EXPECT_TRUE(MaskIs(in.Fm().StepMask, [](auto, auto) { return true; })) << w << "x" << h;
    }
}

TEST(Tokei, QuartersAtHalfTime) {
    // Out step 10: 12 to 3 o'clock and 6 to 9 o'clock; in step 11: 9 to 12 and 3 to 6 o'clock, axes included.
    EffectHarness out;
    out.Prepare(15, true, 640, 480);
    out.StepTo(10);
    EXPECT_TRUE(
        MaskIs(out.Fm().StepMask, [](auto x, auto y) { return (x >= 320 && y <= 240) || (x <= 320 && y >= 240); }));
    EffectHarness in;
    in.Prepare(15, false, 640, 480);
    in.StepTo(11);
    EXPECT_TRUE(
        MaskIs(in.Fm().StepMask, [](auto x, auto y) { return (x <= 320 && y <= 240) || (x >= 320 && y >= 240); }));
}

// Black wherever the pixel lies clearly inside the sector between the angles (clockwise from 12 o'clock, in
// degrees), white wherever clearly outside; pixels within a pixel of the hands may go either way.
::testing::AssertionResult SectorsAre(const Bitmap& m, std::int32_t cx, std::int32_t cy,
                                      std::vector<std::pair<double, double>> sectors) {
    int wrong = 0;
    for (std::int32_t y = 0; y < m.Height(); ++y)
        for (std::int32_t x = 0; x < m.Width(); ++x) {
            const double dx = x - cx, dy = cy - y, dist = std::hypot(dx, dy);
            if (dist < 2) continue;
            double angle = std::atan2(dx, dy) * 180 / M_PI;
            if (angle < 0) angle += 360;
            const double slack = 1.5 / dist * 180 / M_PI; // a pixel and a half, as an angle
            bool in = false, near = false;
            for (const auto& [from, to] : sectors) {
                in = in || (angle > from + slack && angle < to - slack);
                near = near || std::abs(angle - from) <= slack || std::abs(angle - to) <= slack ||
                       std::abs(angle - from - 360) <= slack || std::abs(angle - to + 360) <= slack;
            }
            if (near) continue;
            if ((m.Pixel(x, y) == clBlack) != in) ++wrong;
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels on the wrong side";
}

double DegreesOf(std::int32_t a, std::int32_t R) {
    return std::atan2(a, R) * 180 / M_PI;
}

TEST(Tokei, InStep20LeavesTwoWedgesOf9Degrees) {
    EffectHarness h;
    h.Prepare(15, false, 640, 480);
    h.StepTo(20);
    const double wedge = DegreesOf(48, 321); // a1 along the top side: about 8.5°
    EXPECT_TRUE(SectorsAre(h.Fm().StepMask, 320, 240, {{360 - wedge, 360}, {180 - wedge, 180}}));
    EXPECT_EQ(h.Fm().StepMask.Pixel(315, 20), clBlack);
    EXPECT_EQ(h.Fm().StepMask.Pixel(325, 20), clWhite);
    EXPECT_EQ(h.Fm().StepMask.Pixel(325, 460), clBlack);
    EXPECT_EQ(h.Fm().StepMask.Pixel(315, 460), clWhite);
    EXPECT_EQ(h.Fm().SlideState, 5);
}

TEST(Tokei, HandsSweepClockwise) {
    const double a[] = {0, DegreesOf(48, 321), DegreesOf(104, 321), DegreesOf(160, 321), DegreesOf(232, 321), 45};
    // Out step k: sectors from 12 and 6 o'clock to the hand; the hand's angle by the side its end runs along.
    const auto outAngle = [&](int k) {
        if (k <= 5) return a[k];
        if (k <= 10) return 90 - a[10 - k];
        if (k <= 15) return 90 + a[k - 10];
        return 180 - a[20 - k];
    };
    EffectHarness out;
    out.Prepare(15, true, 640, 480);
    for (int k = 1; k <= 19; ++k) {
        out.Step();
        const double t = outAngle(k);
        ASSERT_TRUE(SectorsAre(out.Fm().StepMask, 320, 240, {{0, t}, {180, 180 + t}})) << "out " << k;
    }
    // In step k keeps black from the hand at out step k - 1's angle to 6 and to 12 o'clock.
    EffectHarness in;
    in.Prepare(15, false, 640, 480);
    in.Step();
    for (int k = 2; k <= 20; ++k) {
        in.Step();
        const double t = outAngle(k - 1);
        ASSERT_TRUE(SectorsAre(in.Fm().StepMask, 320, 240, {{t, 180}, {180 + t, 360}})) << "in " << k;
    }
}

TEST(Tokei, RepeatedVertexStepsFillThePolygonWithoutIt) {
    const TokeiGeometry g = TokeiGeometryFor(640, 480);
    for (const auto& [out, k] : std::vector<std::pair<bool, int>>{{true, 5}, {true, 15}, {false, 6}, {false, 16}}) {
        std::vector<Point> hand = TokeiHand(g, out, k);
        ASSERT_EQ(hand[2], hand[3]) << k;
        EffectHarness h;
        h.Prepare(15, out, 640, 480);
        h.StepTo(k);
        hand.erase(hand.begin() + 3);
        Bitmap want(640, 480);
        want.FillAll(clWhite);
        want.brushColor = want.penColor = clBlack;
        want.Polygon(hand);
        want.Polygon(HalfTurn(g, hand));
        EXPECT_TRUE(h.Fm().StepMask == want) << k;
    }
}

} // namespace
} // namespace vis
