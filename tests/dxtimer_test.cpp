#include "platform/headless/Headless.h"
#include "saver/DXClass.h"

#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <vector>

namespace vis {
namespace {

struct Tick {
    std::uint32_t at;
    std::int32_t lag;
    friend bool operator==(const Tick&, const Tick&) = default;
};

// A timer as a window definition sets it up, on a virtual clock, with its ticks recorded.
struct TimerBench {
    explicit TimerBench(std::uint32_t start = 0, bool activeAtLoad = true) : clock(start), active(activeAtLoad) {
        timer.OnTimer = [this](TCustomDXTimer&, std::int32_t lag) {
            ticks.push_back({clock.NowMs(), lag});
            if (onTick) onTick();
        };
        timer.OnActivate = [this](TCustomDXTimer&) { ++activates; };
        timer.OnDeactivate = [this](TCustomDXTimer&) { ++deactivates; };
    }
    // The shell's idle loop with the clock jumping to each due tick, until `until`.
    void JumpUntil(std::uint32_t until) {
        for (;;) {
            auto due = timer.MsUntilDue();
            if (!due || clock.NowMs() + *due > until) break;
            clock.Advance(*due);
            timer.PollClock();
        }
        if (static_cast<std::int32_t>(until - clock.NowMs()) > 0) clock.Set(until);
    }
    void SetActive(bool a) {
        active = a;
        timer.WatchActivation(a);
    }

    VirtualClock clock;
    bool active;
    TDXTimer timer{clock, [this] { return active; }};
    std::vector<Tick> ticks;
    int activates = 0, deactivates = 0;
    std::function<void()> onTick;
};

TEST(DXTimer, ConstructionAndLoadCompletion) {
    TimerBench b(500);
    EXPECT_TRUE(b.timer.ActiveOnly());
    EXPECT_TRUE(b.timer.Enabled());
    EXPECT_EQ(b.timer.Interval(), 1000);
    // Properties set while the window definition is read do not start anything yet.
    b.timer.SetEnabled(false);
    b.timer.SetEnabled(true);
    EXPECT_FALSE(b.timer.Running());
    EXPECT_FALSE(b.timer.MsUntilDue().has_value());
    b.clock.Advance(100);
    b.timer.Loaded();
    EXPECT_TRUE(b.timer.Running());
    EXPECT_EQ(b.timer.MsUntilDue(), 1000u);
    b.JumpUntil(3000);
    EXPECT_EQ(b.ticks, (std::vector<Tick>{{1600, 1}, {2600, 1}}));
}

TEST(DXTimer, LagCountIsElapsedOverInterval) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.clock.Advance(350);
    b.timer.PollClock();
    b.timer.PollClock(); // nothing more is due
    ASSERT_EQ(b.ticks, (std::vector<Tick>{{350, 3}}));
    b.clock.Advance(99);
    b.timer.PollClock();
    EXPECT_EQ(b.ticks.size(), 1u);
    b.clock.Advance(1);
    b.timer.PollClock();
    EXPECT_EQ(b.ticks.back(), (Tick{450, 1}));
}

TEST(DXTimer, IntervalZeroTicksOnEveryPoll) {
    TimerBench b;
    b.timer.Loaded();
    b.timer.SetInterval(-25); // stored as 0
    EXPECT_EQ(b.timer.Interval(), 0);
    b.timer.PollClock();
    b.timer.PollClock();
    b.clock.Advance(7);
    b.timer.PollClock();
    b.clock.Advance(1234);
    b.timer.PollClock();
    // The lag is the elapsed milliseconds themselves, at least 1.
    EXPECT_EQ(b.ticks, (std::vector<Tick>{{0, 1}, {0, 1}, {7, 7}, {1241, 1234}}));
    EXPECT_EQ(b.timer.MsUntilDue(), 0u);
}

TEST(DXTimer, IntervalChangesDoNotRestartTheMeasurement) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.clock.Advance(60);
    b.timer.SetInterval(100); // the same value: nothing changes
    EXPECT_EQ(b.timer.MsUntilDue(), 40u);
    b.JumpUntil(100);
    ASSERT_EQ(b.ticks, (std::vector<Tick>{{100, 1}}));
    // A new interval counts from the start of the last tick, not from the moment it is set.
    b.clock.Advance(30);
    b.timer.SetInterval(20);
    EXPECT_EQ(b.timer.MsUntilDue(), 0u);
    b.timer.PollClock();
    EXPECT_EQ(b.ticks.back(), (Tick{130, 1}));
    b.timer.SetInterval(400);
    b.clock.Advance(150);
    b.timer.SetInterval(100);
    b.timer.PollClock();
    EXPECT_EQ(b.ticks.back(), (Tick{280, 1}));
}

TEST(DXTimer, DeactivationStopsAndReactivationRestartsAFullInterval) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.JumpUntil(250);
    ASSERT_EQ(b.ticks.size(), 2u);
    b.SetActive(false);
    EXPECT_EQ(b.deactivates, 1);
    EXPECT_TRUE(b.timer.Running());
    EXPECT_FALSE(b.timer.MsUntilDue().has_value());
    b.clock.Set(900);
    b.timer.PollClock(); // a detached timer ignores idle calls
    EXPECT_EQ(b.ticks.size(), 2u);
    b.SetActive(true);
    EXPECT_EQ(b.activates, 1);
    EXPECT_EQ(b.timer.MsUntilDue(), 100u);
    b.JumpUntil(1150);
    EXPECT_EQ(b.ticks, (std::vector<Tick>{{100, 1}, {200, 1}, {1000, 1}, {1100, 1}}));
}

TEST(DXTimer, ActiveOnlyOffTicksWhileInactive) {
    TimerBench b(0, /*activeAtLoad=*/false);
    b.timer.SetActiveOnly(false);
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.SetActive(false);
    b.JumpUntil(300);
    EXPECT_EQ(b.ticks.size(), 3u);
    EXPECT_EQ(b.deactivates, 1);
    // Activation fires the event but does not restart the measurement without ActiveOnly.
    b.clock.Set(350);
    b.SetActive(true);
    EXPECT_EQ(b.timer.MsUntilDue(), 50u);
}

TEST(DXTimer, InactiveAtStartWaitsForActivation) {
    TimerBench b(0, /*activeAtLoad=*/false);
    b.timer.SetInterval(100);
    b.timer.Loaded();
    EXPECT_TRUE(b.timer.Running());
    EXPECT_FALSE(b.timer.IdleAttached());
    b.clock.Set(5000);
    b.SetActive(true);
    b.JumpUntil(5250);
    EXPECT_EQ(b.ticks, (std::vector<Tick>{{5100, 1}, {5200, 1}}));
}

TEST(DXTimer, EnabledStopsAndRestarts) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.clock.Set(50);
    b.timer.SetEnabled(false);
    EXPECT_FALSE(b.timer.Running());
    b.clock.Set(500);
    b.timer.PollClock();
    EXPECT_TRUE(b.ticks.empty());
    b.timer.SetEnabled(true);
    b.JumpUntil(650);
    EXPECT_EQ(b.ticks, (std::vector<Tick>{{600, 1}}));
}

TEST(DXTimer, WrapOfTheMillisecondClock) {
    TimerBench b(0xFFFFFF00u);
    b.timer.Loaded();
    EXPECT_EQ(b.timer.MsUntilDue(), 1000u);
    b.clock.Advance(999);
    b.timer.PollClock();
    EXPECT_TRUE(b.ticks.empty());
    b.clock.Advance(1);
    b.timer.PollClock();
    EXPECT_EQ(b.ticks, (std::vector<Tick>{{0xFFFFFF00u + 1000u, 1}}));
    EXPECT_EQ(b.ticks[0].at, 744u); // past the wrap
}

TEST(DXTimer, LargestIntervalIsDueExactly) {
    TimerBench b(123);
    b.timer.Loaded();
    const std::int32_t max = std::numeric_limits<std::int32_t>::max();
    b.timer.SetInterval(max);
    EXPECT_EQ(b.timer.MsUntilDue(), static_cast<std::uint32_t>(max));
    b.clock.Advance(static_cast<std::uint32_t>(max) - 1);
    b.timer.PollClock();
    EXPECT_TRUE(b.ticks.empty());
    EXPECT_EQ(b.timer.MsUntilDue(), 1u);
    b.clock.Advance(1);
    b.timer.PollClock();
    ASSERT_EQ(b.ticks.size(), 1u);
    EXPECT_EQ(b.ticks[0].lag, 1);
}

TEST(DXTimer, HandlerTimeCountsAgainstTheNextInterval) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.onTick = [&b] {
        b.clock.Advance(300); // a slow tick
        b.timer.SetInterval(b.ticks.size() == 1 ? 5000 : 200);
    };
    b.JumpUntil(100);
    ASSERT_EQ(b.ticks.size(), 1u);
    EXPECT_EQ(b.clock.NowMs(), 400u);
    EXPECT_EQ(b.timer.MsUntilDue(), 4700u); // 5000 from the tick's start
    b.JumpUntil(5100);
    ASSERT_EQ(b.ticks.size(), 2u);
    EXPECT_EQ(b.ticks[1].at, 5100u);
    // That tick ran longer than the interval it set: the next one is due at once.
    EXPECT_EQ(b.clock.NowMs(), 5400u);
    EXPECT_EQ(b.timer.MsUntilDue(), 0u);
    // Overdue, the tick was still due 200 ms after the last one began, not now.
    EXPECT_EQ(b.timer.DueTime(), 5300u);
}

TEST(DXTimer, FailedTickStillCountsAsTheLastTick) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.onTick = [] { throw std::runtime_error("boom"); };
    b.clock.Set(130);
    EXPECT_THROW(b.timer.PollClock(), std::runtime_error);
    EXPECT_EQ(b.timer.MsUntilDue(), 100u);
}

// The shell's jumping loop must see exactly the ticks that the spinning loop sees, to the millisecond.
TEST(DXTimer, JumpingToTheDueTimeMatchesThePollingLoop) {
    auto run = [](bool spin) {
        TimerBench b(0xFFFF0000u); // crosses the clock's wrap on the way
        std::uint32_t seed = 7;
        b.onTick = [&] {
            seed = seed * 1103515245u + 12345u;
            const auto interval = static_cast<std::int32_t>((seed >> 16) % 400) + 1;
            b.clock.Advance((seed >> 8) % 3); // some ticks take a little time
            b.timer.SetInterval(interval);
        };
        b.timer.Loaded();
        if (spin) {
            // Poll again at once after a tick; otherwise the next poll comes a millisecond later.
            while (b.ticks.size() < 300) {
                const auto before = b.ticks.size();
                b.timer.PollClock();
                if (b.ticks.size() == before) b.clock.Advance(1);
            }
        } else {
            while (b.ticks.size() < 300) {
                b.clock.Advance(*b.timer.MsUntilDue());
                b.timer.PollClock();
            }
        }
        b.ticks.resize(300);
        return b.ticks;
    };
    EXPECT_EQ(run(true), run(false));
}

TEST(DXTimer, ChangingActiveOnlyWhileRunningAppliesAtOnce) {
    TimerBench b;
    b.timer.SetInterval(100);
    b.timer.Loaded();
    b.SetActive(false);
    EXPECT_FALSE(b.timer.IdleAttached());
    b.clock.Set(40);
    b.timer.SetActiveOnly(false);
    EXPECT_EQ(b.timer.MsUntilDue(), 100u);
    b.timer.SetActiveOnly(true);
    EXPECT_FALSE(b.timer.IdleAttached());
}

} // namespace
} // namespace vis
