// The slideshow end to end on the virtual clock: real pictures, real loader, the state machine's timeline.
#include "platform/headless/HeadlessRun.h"
#include "support/SaverFolder.h"

#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <utility>

namespace vis {
namespace {

using test::Inf;
using test::SaverFolder;

constexpr std::int32_t kMaxMs = std::numeric_limits<std::int32_t>::max();

Rect At(Point p, std::int32_t w, std::int32_t h) {
    return {p.x, p.y, p.x + w, p.y + h};
}

// The ticks of a run from window creation to `until`.
std::vector<HeadlessTick> Timeline(const SaverFolder& f, std::uint32_t until, std::int32_t w = 640,
                                   std::int32_t h = 480) {
    HeadlessRun run(f.Options(w, h));
    run.Open();
    run.RunUntil(until);
    EXPECT_TRUE(run.errors.empty()) << run.errors.front().message;
    return run.ticks;
}

bool IsBlack(const Bitmap& screen, const Rect& r) {
    for (std::int32_t y = r.top; y < r.bottom; ++y)
        for (std::int32_t x = r.left; x < r.right; ++x)
            if (screen.Pixel(x, y) != clBlack) return false;
    return true;
}

// A flat picture colour after JPEG coding: within a few steps of what was written.
bool IsNear(Color got, Color want) {
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((got >> shift) & 0xFF), b = static_cast<int>((want >> shift) & 0xFF);
        if (a - b > 3 || b - a > 3) return false;
    }
    return true;
}

TEST(Slideshow, StartOfTheShowAndTheFirstFullCycle) {
    SaverFolder f(Inf(3, "0100000000000000", 5, 3)); // FadeInOut only: 20 steps a phase
    f.Pictures(4, 100, 80);
    const Rect place{270, 200, 370, 280};
    const auto ticks = Timeline(f, 15000);

    struct Expect {
        std::uint32_t t;
        int state, step;
        std::int32_t interval;
        bool draws;
    };
    std::vector<Expect> want;
    // About one second after creation: picture 0 at once, no in-transition, kept 100 ms.
    want.push_back({1000, 1, 0, 100, true});
    for (int k = 1; k <= 20; ++k)
        want.push_back({1100u + 50u * (k - 1), 2, k, 50, true});
    want.push_back({2100, 3, 0, 100, true}); // the first pause is 100 ms as well
    for (int k = 1; k <= 20; ++k)
        want.push_back({2200u + 50u * (k - 1), 4, k, 50, true});
    want.push_back({3200, 5, 20, 10, true});
    want.push_back({3210, 5, 0, 5000, true}); // the load, then state 1: the second picture stays ShowTime
    for (int k = 1; k <= 20; ++k)
        want.push_back({8210u + 50u * (k - 1), 2, k, 50, true});
    want.push_back({9210, 3, 0, 3000, true}); // from now on the full pause
    want.push_back({12210, 4, 1, 50, true});

    ASSERT_GE(ticks.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ticks[i].t, want[i].t);
        EXPECT_EQ(ticks[i].state, want[i].state);
        EXPECT_EQ(ticks[i].step, want[i].step);
        EXPECT_EQ(ticks[i].interval, want[i].interval);
        EXPECT_EQ(ticks[i].drawn, want[i].draws ? place : Rect{});
        EXPECT_EQ(ticks[i].effect, 2);
    }
    EXPECT_EQ(ticks[0].picture, 0);
    EXPECT_EQ(ticks[0].next, 1);
    EXPECT_EQ(ticks[43].picture, 1);
    EXPECT_EQ(ticks[43].next, 2);
}

TEST(Slideshow, WhatTheScreenShowsAtTheStart) {
    SaverFolder f(Inf(3, "0100000000000000", 5, 3));
    f.Picture(0, 100, 80, 0x20A040);
    f.Picture(1, 100, 80, 0xC06030);
    f.Picture(2, 100, 80);
    f.Picture(3, 100, 80);
    HeadlessRun run(f.Options());
    run.Open();
    const Rect place{270, 200, 370, 280};
    run.RunUntil(999);
    EXPECT_TRUE(IsBlack(run.Fmqv().Screen(), {0, 0, 640, 480}));
    run.RunUntil(1000);
    EXPECT_TRUE(IsNear(run.Fmqv().Screen().Pixel(300, 240), 0x20A040));
    EXPECT_TRUE(IsBlack(run.Fmqv().Screen(), {0, 0, 640, 200}));
    run.RunUntil(2050); // out step 20 of FadeInOut: all black
    EXPECT_TRUE(IsBlack(run.Fmqv().Screen(), place));
    run.RunUntil(3200); // state 5: the next picture whole
    EXPECT_TRUE(IsNear(run.Fmqv().Screen().Pixel(300, 240), 0xC06030));
    EXPECT_TRUE(IsBlack(run.Fmqv().Screen(), {0, 280, 640, 480}));
}

// A cut: the picture goes StepInterval after its display time, the next one comes HideTime + StepInterval later.
TEST(Slideshow, OnlyNormalCutsAtStepIntervalAfterEachTime) {
    SaverFolder f(Inf(3, "1000000000000000", 2, 1));
    f.Pictures(4, 100, 80);
    const Rect place{270, 200, 370, 280};
    const auto ticks = Timeline(f, 9000);
    struct Expect {
        std::uint32_t t;
        int state;
        std::int32_t interval;
        bool draws;
    };
    const std::vector<Expect> want{
        {1000, 1, 100, true},  {1100, 2, 50, false}, {1150, 3, 100, true},  {1250, 4, 50, false}, {1300, 5, 10, true},
        {1310, 5, 2000, true}, {3310, 2, 50, false}, {3360, 3, 1000, true}, {4360, 4, 50, false}, {4410, 5, 10, true},
        {4420, 5, 2000, true}, {6420, 2, 50, false}, {6470, 3, 1000, true}, {7470, 4, 50, false}, {7520, 5, 10, true},
    };
    ASSERT_GE(ticks.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ticks[i].t, want[i].t);
        EXPECT_EQ(ticks[i].state, want[i].state);
        EXPECT_EQ(ticks[i].interval, want[i].interval);
        EXPECT_EQ(ticks[i].drawn, want[i].draws ? place : Rect{});
        EXPECT_EQ(ticks[i].effect, 1);
        EXPECT_EQ(ticks[i].step, 0); // Normal never counts
    }
}

TEST(Slideshow, OutAndInEffectsArePickedAndDrawnIndependently) {
    SaverFolder f(Inf(3, "1100000000000000", 1, 1));
    f.Pictures(4, 60, 40);
    const auto ticks = Timeline(f, 200000);
    std::set<std::pair<int, int>> pairs;
    int outEffect = 0;
    for (std::size_t i = 0; i + 1 < ticks.size(); ++i) {
        const auto& t = ticks[i];
        if (t.state == 1 || (t.state == 5 && t.interval != 10)) outEffect = *t.effect;
        if (t.state == 3) {
            const int inEffect = *t.effect;
            pairs.insert({outEffect, inEffect});
            // The in-phase that follows is drawn by the in-effect: 20 drawn steps or one silent call.
            std::size_t j = i + 1, steps = 0;
            while (j < ticks.size() && ticks[j].state == 4) {
                EXPECT_EQ(ticks[j].drawn.Empty(), inEffect == 1);
                ++steps;
                ++j;
            }
            if (j < ticks.size()) {
                EXPECT_EQ(steps, inEffect == 1 ? 1u : 20u);
            }
        }
    }
    EXPECT_EQ(pairs, (std::set<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));
}

TEST(Slideshow, CentredPlacement) {
    {
        SaverFolder f(Inf(1, "1000000000000000", 1, 1));
        f.Pictures(2, 645, 100); // 5 px wider than the window: the extra column is cut at the right
        HeadlessRun run(f.Options());
        run.Open();
        run.RunUntil(1000);
        EXPECT_EQ(run.Fmqv().PlacePicture(run.Fmqv().CurrentFrame), (Point{-2, 190}));
        ASSERT_EQ(run.ticks.size(), 1u);
        EXPECT_EQ(run.ticks[0].drawn, (Rect{0, 190, 640, 290}));
    }
    {
        SaverFolder f(Inf(1, "1000000000000000", 1, 1));
        f.Pictures(2, 640, 101);
        HeadlessRun run(f.Options());
        run.Open();
        run.RunUntil(1000);
        EXPECT_EQ(run.Fmqv().PlacePicture(run.Fmqv().CurrentFrame), (Point{0, 189}));
    }
}

TEST(Slideshow, RandomPlacementKeepsEachPictureAtOnePlace) {
    SaverFolder f(Inf(3, "0100000000000000", 1, 1));
    f.Marker("qor_randompos");
    f.Pictures(4, 100, 80);
    HeadlessRun run(f.Options());
    std::vector<Point> placeAfter; // PosX, PosY after each tick
    run.onTick = [&](const HeadlessTick&) { placeAfter.push_back({run.Fmqv().PosX, run.Fmqv().PosY}); };
    run.Open();
    run.RunUntil(60000);
    const auto& ticks = run.ticks;
    ASSERT_GT(ticks.size(), 200u);
    EXPECT_EQ(ticks[0].drawn, (Rect{0, 0, 100, 80})); // the opening picture
    Point place{0, 0};
    std::set<std::int32_t> xs;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        SCOPED_TRACE(i);
        if (ticks[i].state == 3) {
            EXPECT_EQ(ticks[i].drawn, At(place, 100, 80)); // erased where it was drawn
            place = placeAfter[i];
            EXPECT_GE(place.x, 0);
            EXPECT_LT(place.x, 540);
            EXPECT_GE(place.y, 0);
            EXPECT_LT(place.y, 400);
            xs.insert(place.x);
        } else {
            EXPECT_EQ(ticks[i].drawn, At(place, 100, 80));
        }
    }
    EXPECT_GT(xs.size(), 5u);
}

TEST(Slideshow, RandomPlacementOfPicturesAsLargeAsTheWindowOrLarger) {
    {
        SaverFolder f(Inf(1, "1000000000000000", 1, 1));
        f.Marker("qor_randompos");
        f.Pictures(2, 640, 480); // RandomBelow(0) is 0
        const auto ticks = Timeline(f, 20000);
        for (const auto& t : ticks)
            if (!t.drawn.Empty()) {
                EXPECT_EQ(t.drawn, (Rect{0, 0, 640, 480}));
            }
    }
    {
        // Larger than the window: it cannot move, so it is centred on that axis.
        SaverFolder f(Inf(1, "1000000000000000", 1, 1));
        f.Marker("qor_randompos");
        f.Pictures(2, 700, 100);
        HeadlessRun run(f.Options());
        run.Open();
        run.RunUntil(1200); // past the first pause's start
        EXPECT_EQ(run.Fmqv().PosX, -30);
        EXPECT_GE(run.Fmqv().PosY, 0);
        EXPECT_LT(run.Fmqv().PosY, 380);
    }
}

TEST(Slideshow, PicturesInNumberedOrderWithTheirNextPicture) {
    SaverFolder f(Inf(3, "1000000000000000", 1, 1));
    f.Pictures(4, 40, 30);
    const auto ticks = Timeline(f, 20000);
    std::vector<std::pair<std::int32_t, std::int32_t>> loads;
    for (const auto& t : ticks)
        if (t.state == 5 && t.interval != 10) loads.push_back({t.picture, *t.next});
    ASSERT_GE(loads.size(), 5u);
    loads.resize(5);
    EXPECT_EQ(loads, (std::vector<std::pair<std::int32_t, std::int32_t>>{{1, 2}, {2, 3}, {3, 1}, {1, 2}, {2, 3}}));
    EXPECT_EQ(ticks[0].picture, 0);
    EXPECT_EQ(ticks[0].next, 1);
}

// A display or pause time whose milliseconds do not fit 32 bits waits as long as the timer can, never less.
TEST(Slideshow, HugeTimesSaturate) {
    SaverFolder f(Inf(1, "1000000000000000", 3000000, 2147484));
    f.Pictures(2, 40, 30);
    HeadlessRun run(f.Options());
    run.Open();
    EXPECT_EQ(run.Fmqv().ShowTime, kMaxMs);
    EXPECT_EQ(run.Fmqv().HideTime, kMaxMs);
    // The first round uses 100 ms; the second picture then waits the full 2^31 - 1 ms.
    run.RunUntil(1310);
    ASSERT_EQ(run.ticks.size(), 6u);
    EXPECT_EQ(run.ticks.back().interval, kMaxMs);
    EXPECT_TRUE(run.RunNext(std::numeric_limits<std::uint32_t>::max()));
    EXPECT_EQ(run.ticks.back().t, 1310u + static_cast<std::uint32_t>(kMaxMs));
    EXPECT_EQ(run.ticks.back().state, 2);
}

// An effect mask whose "1" lies past the sixteen effects turns every effect off; the show must still run.
TEST(Slideshow, NoEffectEnabledStillRuns) {
    SaverFolder f(Inf(1, "00000000000000000001", 1, 1));
    f.Pictures(2, 40, 30);
    HeadlessRun run(f.Options());
    run.Open();
    for (bool on : run.Fmqv().EffectEnabled)
        EXPECT_FALSE(on);
    run.RunUntil(30000);
    std::set<int> effects;
    for (const auto& t : run.ticks)
        effects.insert(*t.effect);
    EXPECT_GT(run.ticks.size(), 30u);
    EXPECT_GT(effects.size(), 3u); // drawn among all sixteen
}

// The timer is attached when the window definition is read and again at the activation; the first tick
// counts from the activation.
TEST(Slideshow, FirstTickCountsFromTheActivation) {
    SaverFolder f(Inf(1, "1000000000000000", 1, 1));
    f.Pictures(2, 40, 30);
    HeadlessRun run(f.Options());
    run.app.active = false;
    run.Fmqv().Timer1.WatchActivation(false);
    run.clock.Advance(400);
    run.Open();
    run.RunUntil(1399);
    EXPECT_TRUE(run.ticks.empty());
    run.RunUntil(1400);
    ASSERT_EQ(run.ticks.size(), 1u);
    // Deactivation pauses the show; reactivation gives the running interval afresh.
    run.SetActive(false);
    run.RunUntil(10000);
    EXPECT_EQ(run.ticks.size(), 1u);
    run.SetActive(true);
    run.RunUntil(10100);
    ASSERT_EQ(run.ticks.size(), 2u);
    EXPECT_EQ(run.ticks[1].t, 10100u);
    EXPECT_EQ(run.ticks[1].state, 2);
}

// Zero seconds of display and pause: the next step follows in the same millisecond, as the polling loop
// would run it on its next idle call.
TEST(Slideshow, ZeroTimesFollowAtOnce) {
    SaverFolder f(Inf(2, "1000000000000000", 0, 0));
    f.Pictures(3, 40, 30);
    const auto ticks = Timeline(f, 3000);
    ASSERT_GE(ticks.size(), 12u);
    // First round: 100 ms each; then the load at 1310 sets ShowTime 0 and the out-step runs at once.
    EXPECT_EQ(ticks[5].t, 1310u);
    EXPECT_EQ(ticks[5].interval, 0);
    EXPECT_EQ(ticks[6].t, 1310u);
    EXPECT_EQ(ticks[6].state, 2);
    EXPECT_EQ(ticks[7].t, 1360u);
    EXPECT_EQ(ticks[7].state, 3);
    EXPECT_EQ(ticks[7].interval, 0);
    EXPECT_EQ(ticks[8].t, 1360u);
    EXPECT_EQ(ticks[8].state, 4);
}

TEST(Slideshow, RunsAcrossTheWrapOfTheClock) {
    SaverFolder f(Inf(2, "0100000000000000", 1, 1));
    f.Pictures(3, 40, 30);
    auto options = f.Options();
    options.clockStart = 0xFFFFFE00u; // wraps 512 ms after creation
    HeadlessRun run(options);
    run.Open();
    run.RunUntil(3300);
    ASSERT_GE(run.ticks.size(), 44u);
    EXPECT_EQ(run.ticks[0].t, 1000u);
    EXPECT_EQ(run.ticks[1].t, 1100u);
    EXPECT_EQ(run.ticks[43].t, 3210u);
    EXPECT_EQ(run.ticks[43].interval, 1000);
}

} // namespace
} // namespace vis
