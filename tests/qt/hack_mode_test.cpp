// Running inside xscreensaver: when the program counts as a hack, where the show goes in the window it is
// given, how errors reach xscreensaver's log, and how a copy waits for the guard.
#include "platform/posix/FlockGuard.h"
#include "platform/qt/GuardWaiter.h"
#include "platform/qt/HostLayout.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/SaverRole.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace vis {
namespace {

TEST(HackModeTest, StartedByXscreensaverWhenGivenTheRootOrAWindow) {
    EXPECT_TRUE(IsHackStart("-root", nullptr));
    EXPECT_TRUE(IsHackStart("--root", nullptr));
    EXPECT_TRUE(IsHackStart("/s", "0x600010"));
    EXPECT_TRUE(IsHackStart("", "12345"));
    EXPECT_FALSE(IsHackStart("/s", nullptr));
    EXPECT_FALSE(IsHackStart("/s", ""));
    EXPECT_FALSE(IsHackStart("-rootx", nullptr));

    EXPECT_EQ(SaverName("/home/u/savers/Sunset.scr"), "Sunset");
    EXPECT_EQ(SaverName("Sunset.SCR"), "Sunset");
    EXPECT_EQ(SaverName("/opt/a.b/Demo"), "Demo");
    EXPECT_EQ(SaverName("/x/.hidden"), ".hidden");
}

TEST(HackModeTest, HostWindowLayout) {
    const QList<QRect> one{QRect(0, 0, 800, 600)};
    const QList<QRect> two{QRect(0, 0, 1280, 720), QRect(1280, 0, 1920, 1080)};
    struct Case {
        const char* what;
        QRect host;
        bool isRoot;
        QList<QRect> monitors;
        bool preview;
        QSize screen;
        QRect target;
    };
    const Case cases[] = {
        {"a window covering its monitor", QRect(0, 0, 800, 600), false, one, false, QSize(800, 600),
         QRect(0, 0, 800, 600)},
        {"the second monitor's window", QRect(1280, 0, 1920, 1080), false, two, false, QSize(1920, 1080),
         QRect(0, 0, 1920, 1080)},
        {"three quarters of each side is not yet a preview", QRect(0, 0, 600, 450), false, one, false, QSize(600, 450),
         QRect(0, 0, 600, 450)},
        {"one pixel less is", QRect(0, 0, 599, 450), false, one, true, QSize(800, 600), QRect(0, 0, 599, 449)},
        {"a wide preview: the height limits, centred across", QRect(100, 380, 400, 200), false, one, true,
         QSize(800, 600), QRect(66, 0, 267, 200)},
        {"a tall preview on the second monitor: the width limits, centred down", QRect(1400, 100, 320, 240), false, two,
         true, QSize(1920, 1080), QRect(0, 30, 320, 180)},
        {"a window straddling monitors belongs to the one with its centre", QRect(1200, 0, 300, 200), false, two, true,
         QSize(1920, 1080), QRect(0, 15, 300, 169)},
        {"the root window spanning both monitors", QRect(0, 0, 3200, 1080), true, two, false, QSize(3200, 1080),
         QRect(0, 0, 3200, 1080)},
        {"no monitors known", QRect(0, 0, 300, 200), false, {}, false, QSize(300, 200), QRect(0, 0, 300, 200)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const HostLayout layout = LayoutInHost(c.host, c.isRoot, c.monitors);
        EXPECT_EQ(layout.preview, c.preview);
        EXPECT_EQ(layout.screen, c.screen);
        EXPECT_EQ(layout.target, c.target);
    }
}

TEST(HackModeTest, ErrorsBecomeOneLineOnStandardErrorAndNoBox) {
    EXPECT_EQ(ErrorLine("Sunset", "'x' は整数ではありません"), "Sunset: 'x' は整数ではありません");
    EXPECT_EQ(ErrorLine("Sunset", "first\r\nsecond\nthird"), "Sunset: first  second third");
    const std::string longLine = ErrorLine("S", std::string(5000, 'a'));
    EXPECT_LT(longLine.size(), 1100u); // cut as the box cuts it
    EXPECT_EQ(longLine.find('\n'), std::string::npos);

    QtApplication app;
    app.SetTitle("Vistrelle");
    app.SendErrorsToStandardError("Sunset");
    testing::internal::CaptureStderr();
    app.ShowError("原因不明のｴﾗｰ");
    app.ShowError("MCI ﾃﾞﾊﾞｲｽがありません");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sunset: 原因不明のｴﾗｰ\nSunset: MCI ﾃﾞﾊﾞｲｽがありません\n");
}

TEST(HackModeTest, WaiterStartsTheCopyOnceTheUsersRoleLetsGo) {
    test::TempDir dir;
    const std::string lock = dir.File("guard.lock");
    auto settingsDialog = std::make_unique<FlockGuard>(lock);
    ASSERT_TRUE(settingsDialog->TryAcquire());
    FlockGuard hack(lock, FlockGuard::Mode::Shared);
    ASSERT_FALSE(hack.TryAcquire());

    int started = 0;
    GuardWaiter waiter(hack, [&] { ++started; });
    auto spin = [&](int ms) {
        QElapsedTimer t;
        t.start();
        while (started == 0 && t.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    };
    spin(300);
    EXPECT_EQ(started, 0);
    settingsDialog.reset();
    spin(5000);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(hack.Held());
    spin(100);
    EXPECT_EQ(started, 1);
}

} // namespace
} // namespace vis
