// The loop contract every shell drives: the start-up order, what a tick reports, which mouse moves count and
// that nothing runs inside a running handler.
#include "saver/SaverSession.h"
#include "support/SaverFolder.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

using test::Inf;
using test::SaverFolder;

struct SessionBench {
    explicit SessionBench(const SaverFolder& f)
        : window(640, 480), media(&clock),
          session(SaverPlatform{app, window, clock, system, media, f.program, PathStyle::Posix, 1}) {}
    VirtualClock clock{5000};
    HeadlessApplication app;
    HeadlessWindow window;
    RecordingSystemSettings system;
    ScriptedMediaDevice media;
    SaverSession session;
};

TEST(SaverSession, StartsInOneOrderAndReportsEachTick) {
    SaverFolder f(Inf(1, "1111111111111111", 1, 1));
    f.Pictures(2, 100, 80);
    f.Music("MThd");
    SessionBench b(f);
    b.media.failOpenWith = "原因不明のｴﾗｰ";
    int shows = 0;
    b.session.Start([&] {
        // The window appears after the creation handler placed it and the show handler's error box was answered.
        ++shows;
        EXPECT_EQ(b.window.bounds, (Rect{0, 0, 640, 480}));
        EXPECT_EQ(b.app.errors, std::vector<std::string>{"原因不明のｴﾗｰ"});
        EXPECT_EQ(b.system.activeCalls, std::vector<bool>{false});
    });
    EXPECT_EQ(shows, 1);

    // The first tick comes 1000 ms after the activation: before that nothing runs.
    b.clock.Advance(400);
    SaverTick t = b.session.Tick();
    EXPECT_FALSE(t.ran);
    EXPECT_TRUE(t.drawn.Empty());
    EXPECT_EQ(t.dueInMs, 600u);
    b.clock.Advance(600);
    t = b.session.Tick();
    EXPECT_TRUE(t.ran);
    EXPECT_EQ(t.drawn, (Rect{270, 200, 370, 280})); // picture 0, centred
    EXPECT_EQ(t.dueInMs, 100u);                     // the first display is short

    // Inactive, the timer waits for the activation; Tick then has no due time.
    b.session.SetActive(false);
    EXPECT_EQ(b.session.Tick().dueInMs, std::nullopt);
    b.session.SetActive(true);
    EXPECT_EQ(b.session.DueInMs(), 100u);

    // A tick asked for while a handler runs (a modal error box runs a nested loop) waits for it.
    b.clock.Advance(100);
    b.session.Handle([&] {
        EXPECT_TRUE(b.session.Busy());
        EXPECT_FALSE(b.session.Tick().ran);
    });
    EXPECT_TRUE(b.session.Tick().ran);

    b.session.RequestClose();
    EXPECT_TRUE(b.session.Closed());
    EXPECT_EQ(b.window.endLoopCalls, 1);
    EXPECT_EQ(b.session.Tick().dueInMs, std::nullopt);
}

TEST(SaverSession, OnlyMovesToANewPlaceCount) {
    SaverFolder f(Inf(1, "1111111111111111", 1, 1));
    f.Pictures(2, 64, 48);
    SessionBench b(f);
    b.session.Form().SetPointerPosition(Point{10, 10});
    b.session.Start();
    // The system's own report of the pointer where it already is, as the window appears.
    for (int i = 0; i < 6; ++i)
        b.session.MouseMove(0, 10, 10);
    EXPECT_EQ(b.session.Form().MouseMoveCount, 0);
    for (int x = 11; x <= 14; ++x)
        b.session.MouseMove(0, x, 10);
    b.session.MouseMove(0, 14, 10); // no movement
    EXPECT_EQ(b.session.Form().MouseMoveCount, 4);
    EXPECT_FALSE(b.session.Closed());
    b.session.MouseMove(0, 14, 11); // the fifth movement, however small
    EXPECT_TRUE(b.session.Closed());
}

// The music device reports the end of a piece on its own, outside any handler the shell runs: the restart it
// causes is a handler too, so its error reaches the error box instead of the window system's event loop.
TEST(SaverSession, TheMusicsNoticesRunAsHandlers) {
    SaverFolder f(Inf(1, "1111111111111111", 1, 1));
    f.Pictures(2, 64, 48);
    f.Music("MThd");
    SessionBench b(f);
    b.media.pieceLengthMs = 300;
    b.session.Start();
    ASSERT_EQ(b.media.opens, 1);
    b.media.failOpenWith = "MCI ﾃﾞﾊﾞｲｽがありません";
    b.clock.Advance(300);
    EXPECT_NO_THROW(b.media.Update(b.clock.NowMs()));
    EXPECT_EQ(b.app.errors, std::vector<std::string>{"MCI ﾃﾞﾊﾞｲｽがありません"});
    EXPECT_FALSE(b.session.Closed());
}

} // namespace
} // namespace vis
