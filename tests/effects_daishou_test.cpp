// Dai_shou: the picture scaled about the centre of its area on black, through an opaque StepMask.
#include "effects/EffectGeometry.h"
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

using test::EffectHarness;

struct Shown {
    int k;
    std::int32_t w, h, x, y;
};

// Composite is black but for StepMask (w × h) at (x, y).
void ExpectShown(EffectHarness& h, const Shown& s, std::int32_t W, std::int32_t H) {
    const TFmqv& fm = h.Fm();
    ASSERT_EQ(fm.StepMask.Width(), s.w) << "step " << s.k;
    ASSERT_EQ(fm.StepMask.Height(), s.h) << "step " << s.k;
    ASSERT_EQ(fm.Composite.Width(), W);
    ASSERT_EQ(fm.Composite.Height(), H);
    for (std::int32_t y = 0; y < H; ++y)
        for (std::int32_t x = 0; x < W; ++x) {
            const bool inside = test::In(x, y, s.x, s.y, s.x + s.w, s.y + s.h);
            ASSERT_EQ(fm.Composite.Pixel(x, y), inside ? fm.StepMask.Pixel(x - s.x, y - s.y) : clBlack)
                << "step " << s.k << " at " << x << "," << y;
        }
}

TEST(Dai_shou, SizesAndPlaces640x480) {
    EXPECT_EQ(ScaledSize(640, 480, 1), (Point{610, 458}));
    EXPECT_EQ(ScaledSize(640, 480, 2), (Point{580, 435}));
    EXPECT_EQ(ScaledSize(640, 480, 10), (Point{336, 252}));
    EXPECT_EQ(ScaledSize(640, 480, 19), (Point{61, 46}));
    EXPECT_EQ(ScaledSize(640, 480, 20), (Point{31, 23}));
    EffectHarness out;
    out.Prepare(14, true, 640, 480);
    for (const Shown s : {Shown{1, 610, 458, 15, 11},
                          {2, 580, 435, 30, 22},
                          {10, 336, 252, 152, 114},
                          {19, 61, 46, 289, 217},
                          {20, 31, 23, 304, 228}}) {
        out.StepTo(s.k);
        ExpectShown(out, s, 640, 480);
    }
    EffectHarness in;
    in.Prepare(14, false, 640, 480);
    for (const Shown s :
         {Shown{1, 61, 46, 289, 217}, {2, 92, 69, 274, 205}, {19, 610, 458, 15, 11}, {20, 640, 480, 0, 0}}) {
        in.StepTo(s.k);
        ExpectShown(in, s, 640, 480);
    }
    EXPECT_TRUE(in.Fm().Composite == test::TestCard(640, 480));
}

TEST(Dai_shou, SizesAndPlaces1024x768) {
    EffectHarness out;
    out.Prepare(14, true, 1024, 768);
    out.Step();
    ExpectShown(out, {1, 976, 732, 24, 18}, 1024, 768);
    out.StepTo(20);
    ExpectShown(out, {20, 49, 37, 487, 365}, 1024, 768);
    EffectHarness in;
    in.Prepare(14, false, 1024, 768);
    in.Step();
    ExpectShown(in, {1, 98, 74, 463, 347}, 1024, 768);
}

TEST(Dai_shou, TinyPictures) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(14, out, 1, 1);
        for (int k = 1; k <= 20; ++k) {
            h.Step();
            ExpectShown(h, {k, 1, 1, 0, 0}, 1, 1);
            ASSERT_EQ(h.Fm().Composite.Pixel(0, 0), test::CardColor(0, 0));
        }
    }
    EffectHarness h;
    h.Prepare(14, true, 20, 20);
    h.StepTo(20);
    ExpectShown(h, {20, 1, 1, 9, 9}, 20, 20);
}

TEST(Dai_shou, SamplesWholePixelsWithoutAveraging) {
    // The card's blue and green give each pixel's column and row below 250.
    EffectHarness h;
    h.Prepare(14, true, 240, 200);
    h.StepTo(7); // 160 × 134
    const Bitmap& m = h.Fm().StepMask;
    ASSERT_EQ(m.Width(), 160);
    ASSERT_EQ(m.Height(), 134);
    std::int32_t lastCol = -1;
    for (std::int32_t x = 0; x < m.Width(); ++x) {
        const std::int32_t col = static_cast<std::int32_t>(m.Pixel(x, 0) & 0xFF) - 1;
        EXPECT_GT(col, lastCol);
        lastCol = col;
        for (std::int32_t y = 0; y < m.Height(); ++y) {
            const Color c = m.Pixel(x, y);
            const std::int32_t row = static_cast<std::int32_t>((c >> 8) & 0xFF) - 1;
            ASSERT_EQ(c, test::CardColor(col, row)) << x << "," << y;
        }
    }
    EXPECT_EQ(m.Pixel(0, 0), test::CardColor(0, 0));
}

TEST(Dai_shou, KeepsTheColumnAndRowAtTheStartOfEachScaledPixel) {
    // Slight and strong shrinks: destination pixel x shows source column x × W div w, likewise for rows.
    for (const int k : {1, 7, 20}) {
        EffectHarness h;
        h.Prepare(14, true, 240, 200);
        h.StepTo(k);
        const Bitmap& m = h.Fm().StepMask;
        const Point size = ScaledSize(240, 200, k);
        ASSERT_EQ(m.Width(), size.x);
        for (std::int32_t y = 0; y < m.Height(); ++y)
            for (std::int32_t x = 0; x < m.Width(); ++x)
                ASSERT_EQ(m.Pixel(x, y), test::CardColor(x * 240 / size.x, y * 200 / size.y))
                    << k << ": " << x << "," << y;
    }
}

TEST(Dai_shou, WhiteStaysWhite) {
    Bitmap white(64, 48);
    white.FillAll(clWhite);
    EffectHarness h;
    h.Prepare(14, true, white);
    h.StepTo(10); // 34 × 26 at (15, 11)
    EXPECT_EQ(h.Fm().Composite.Pixel(15, 11), clWhite);
    EXPECT_EQ(h.Fm().Composite.Pixel(48, 36), clWhite);
    EXPECT_EQ(h.Fm().Composite.Pixel(14, 11), clBlack);
    EXPECT_EQ(h.Fm().Screen().Pixel(480 + 30, 360 + 20), clWhite); // presented at the picture's place
}

} // namespace
} // namespace vis
