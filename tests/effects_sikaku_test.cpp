// Sikaku: random cells of TrailMask, n(k) of them at step k.
#include "effects/EffectGeometry.h"
#include "saver/Random.h"
#include "support/EffectHarness.h"

#include <gtest/gtest.h>

#include <vector>

namespace vis {
namespace {

using test::EffectHarness;

TEST(Sikaku, CellsPerStep) {
    EXPECT_EQ(SikakuCellCount(640, 480, 1, 20, 20), 15);
    EXPECT_EQ(SikakuCellCount(640, 480, 2, 20, 20), 30);
    EXPECT_EQ(SikakuCellCount(640, 480, 3, 20, 20), 46);
    EXPECT_EQ(SikakuCellCount(640, 480, 20, 20, 20), 307);
    int total = 0;
    for (int k = 1; k <= 20; ++k)
        total += SikakuCellCount(640, 480, k, 20, 20);
    EXPECT_EQ(total, 3216);
    EXPECT_EQ(SikakuCellCount(1024, 768, 1, 20, 20), 39);
    EXPECT_EQ(SikakuCellCount(1024, 768, 20, 20, 20), 786);
    for (int k = 1; k <= 20; ++k)
        EXPECT_EQ(SikakuCellCount(19, 19, k, 20, 20), 0);
    EXPECT_EQ(SikakuCellCount(100, 100, 1, 20, 20), 0);
    EXPECT_EQ(SikakuCellCount(100, 100, 2, 20, 20), 1);
}

TEST(Sikaku, CellCountOfLargePicturesIsNotCutTo32Bits) {
    // 10000 × 10000 × 20 still fits in 32 bits; 20000 × 10000 × 20 and 16000 × 12000 × 20 do not.
    EXPECT_EQ(SikakuCellCount(10000, 10000, 20, 20, 20), 100000);
    EXPECT_EQ(SikakuCellCount(20000, 10000, 20, 20, 20), 200000);
    EXPECT_EQ(SikakuCellCount(16000, 12000, 20, 20, 20), 192000);
    EXPECT_EQ(SikakuCellCount(16000, 12000, 11, 20, 20), 105600);
    EXPECT_EQ(SikakuCellCount(65535, 65535, 20, 20, 20), 4294836);
}

// Replays the saver's generator to know which cells each step picks: column first, then row.
class CellReplay {
  public:
    CellReplay(std::int32_t w, std::int32_t h)
        : w_(w), h_(h), cols_(w / 20 + 1), rows_(h / 20 + 1), filled_(static_cast<std::size_t>(cols_ * rows_)),
          random_(7) {}
    void Step(std::int32_t k) {
        for (std::int32_t c = 0; c < SikakuCellCount(w_, h_, k, 20, 20); ++c) {
            const std::int32_t i = random_.Below(cols_);
            const std::int32_t j = random_.Below(rows_);
            filled_[static_cast<std::size_t>(j * cols_ + i)] = true;
        }
    }
    bool Filled(std::int32_t x, std::int32_t y) const {
        return filled_[static_cast<std::size_t>((y / 20) * cols_ + x / 20)];
    }
    int Count() const {
        int n = 0;
        for (bool f : filled_)
            n += f;
        return n;
    }

  private:
    std::int32_t w_, h_, cols_, rows_;
    std::vector<bool> filled_;
    RandomGenerator random_;
};

TEST(Sikaku, FillsThePickedCellsOfA33By25GridAndKeepsThem) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(3, out, 640, 480);
        CellReplay replay(640, 480);
        for (int k = 1; k <= 20; ++k) {
            h.Step();
            replay.Step(k);
            ASSERT_TRUE(test::MaskIs(h.Fm().TrailMask, [&](auto x, auto y) { return replay.Filled(x, y) == out; }))
                << "step " << k;
            EXPECT_EQ(h.Fm().TrailMask.brushColor, out ? clBlack : clWhite);
        }
        // About four picks per cell leave few of the 825 cells unpicked.
        EXPECT_GT(replay.Count(), 780);
        EXPECT_LT(replay.Count(), 825);
    }
}

TEST(Sikaku, TinyPicturesFillNothing) {
    for (const bool out : {true, false}) {
        EffectHarness h;
        h.Prepare(3, out, 19, 19);
        for (int k = 1; k <= 20; ++k) {
            h.Step();
            ASSERT_TRUE(test::MaskIs(h.Fm().TrailMask, [&](auto, auto) { return !out; }));
        }
    }
    // 100 × 100: nothing at step 1, one cell (of a 6 × 6 grid) at step 2.
    EffectHarness h;
    h.Prepare(3, true, 100, 100);
    h.Step();
    EXPECT_TRUE(test::MaskIs(h.Fm().TrailMask, [](auto, auto) { return false; }));
    h.Step();
    CellReplay replay(100, 100);
    replay.Step(1);
    replay.Step(2);
    EXPECT_TRUE(test::MaskIs(h.Fm().TrailMask, [&](auto x, auto y) { return replay.Filled(x, y); }));
}

} // namespace
} // namespace vis
