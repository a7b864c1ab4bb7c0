// The saver window's creation, showing, closing and input, with its music, on the headless platform.
#include "platform/headless/HeadlessRun.h"
#include "qv/Errors.h"
#include "qv/Files.h"
#include "saver/Random.h"
#include "support/SaverFolder.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

using test::Inf;
using test::SaverFolder;

bool Released(const TFmqv& fm) {
    for (const Bitmap* b : {&fm.CurrentFrame, &fm.NextFrame, &fm.CurrentPicture, &fm.NextPicture, &fm.StepMask,
                            &fm.Composite, &fm.TrailMask})
        if (b->Width() != 0 || b->Height() != 0) return false;
    return true;
}

bool IsBlackScreen(const TFmqv& fm) {
    const ScreenImage& s = fm.Screen();
    for (std::int32_t y = 0; y < s.Height(); ++y)
        for (std::int32_t x = 0; x < s.Width(); ++x)
            if (s.Pixel(x, y) != clBlack) return false;
    return s.Width() > 0;
}

TEST(SaverWindow, CreationSetsTheWindowAndEveryVariable) {
    SaverFolder f(Inf(7, "1011111111111110", 4, 2));
    f.Marker("install.exe");
    f.Marker("qor_random");
    f.Marker("qor_title");
    f.Marker("qor_randompos");
    HeadlessRun run(f.Options(800, 600));
    EXPECT_EQ(run.Fmqv().Timer1.Interval(), 900); // as the window definition sets it
    run.Fmqv().FormCreate();
    const TFmqv& fm = run.Fmqv();
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(run.window.bounds, (Rect{0, 0, 800, 600}));
    EXPECT_EQ(fm.DataFolder, f.data);
    EXPECT_FALSE(FileExists(f.File("install.exe")));
    EXPECT_FALSE(fm.PicturesLoaded);
    EXPECT_EQ(fm.SlideState, 1);
    EXPECT_EQ(fm.Timer1.Interval(), 1000);
    EXPECT_EQ(fm.PictureNo, -1);
    EXPECT_TRUE(fm.FirstRound);
    EXPECT_EQ(fm.NextPictureNo, 0);
    EXPECT_EQ(fm.MouseMoveCount, 0);
    EXPECT_FALSE(run.window.cursorVisible);
    EXPECT_TRUE(run.window.onTop);
    EXPECT_TRUE(run.window.imeDisabled);
    EXPECT_EQ(fm.StepInterval, 50);
    EXPECT_EQ(fm.CellWidth, 20);
    EXPECT_EQ(fm.CellHeight, 20);
    EXPECT_EQ(fm.LastPictureNo, 7);
    EXPECT_EQ(fm.ShowTime, 4000);
    EXPECT_EQ(fm.HideTime, 2000);
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(fm.EffectEnabled[n - 1], n != 2 && n != 16) << n;
    EXPECT_TRUE(fm.RandomOrder);
    EXPECT_EQ(fm.FirstPictureNo, 1);
    EXPECT_TRUE(fm.RandomPosition);
    EXPECT_EQ(fm.PosX, 0);
    EXPECT_EQ(fm.PosY, 0);
    EXPECT_TRUE(IsBlackScreen(fm));
}

TEST(SaverWindow, WithoutMarkersPicturesAreCentredInNumberedOrder) {
    SaverFolder f(Inf(2, "0000000000000000", 1, 1)); // a mask with no "1" leaves every effect on
    HeadlessRun run(f.Options());
    run.Open();
    const TFmqv& fm = run.Fmqv();
    EXPECT_FALSE(fm.RandomOrder);
    EXPECT_FALSE(fm.RandomPosition);
    EXPECT_EQ(fm.FirstPictureNo, 0);
    for (bool on : fm.EffectEnabled)
        EXPECT_TRUE(on);
}

TEST(SaverWindow, BadQorInfStopsTheRestOfTheCreation) {
    SaverFolder f("5\r\n0101\r\nabc\r\n3\r\n");
    f.Marker("qor_random");
    f.Marker("qor_title");
    f.Marker("qor_randompos");
    auto options = f.Options();
    options.seed = 12345;
    HeadlessRun run(options);
    run.Open();
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].message, "'abc' は整数ではありません");
    EXPECT_EQ(run.errors[0].t, 0u);
    EXPECT_EQ(run.app.errors, std::vector<std::string>{"'abc' は整数ではありません"});
    const TFmqv& fm = run.Fmqv();
    // What came before the bad line stays ...
    EXPECT_EQ(fm.LastPictureNo, 5);
    EXPECT_FALSE(fm.EffectEnabled[0]);
    EXPECT_TRUE(fm.EffectEnabled[1]);
    EXPECT_FALSE(fm.EffectEnabled[2]);
    EXPECT_TRUE(fm.EffectEnabled[4]);
    EXPECT_EQ(fm.ShowTime, 5000);
    EXPECT_EQ(fm.HideTime, 3000);
    // ... and the markers are never looked at.
    EXPECT_FALSE(fm.RandomOrder);
    EXPECT_EQ(fm.FirstPictureNo, 0);
    EXPECT_FALSE(fm.RandomPosition);
    // The generator was not seeded either.
    RandomGenerator seeded(12345);
    int same = 0;
    for (int i = 0; i < 8; ++i)
        same += run.Fmqv().RandomBelow(1 << 30) == seeded.Below(1 << 30);
    EXPECT_LT(same, 8);
    // The window exists all the same, and the show is shown.
    EXPECT_FALSE(run.window.cursorVisible);
    EXPECT_EQ(run.system.activeCalls, std::vector<bool>{false});
}

TEST(SaverWindow, MissingQorInfIsAnInputOutputError) {
    SaverFolder f("");
    HeadlessRun run(f.Options());
    run.Open();
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].message, "I/O エラー 2");
}

TEST(SaverWindow, CreationMakesAMissingDataFolder) {
    test::TempDir dir;
    HeadlessRunOptions options;
    options.programPath = dir.Path() + "/Lake.scr";
    HeadlessRun run(options);
    run.Open();
    EXPECT_TRUE(FolderExists(dir.Path() + "/velloran/Lake"));
    ASSERT_EQ(run.errors.size(), 1u); // and then finds no qor_inf in it
}

TEST(SaverWindow, AViewerLeavesTheDataFolderAlone) {
    SaverFolder f;
    f.Marker("install.exe");
    auto options = f.Options();
    options.programPath = f.dir.Path() + "/elsewhere/Other.scr";
    options.dataFolder = f.data;
    options.leaveDataFolderAlone = true;
    HeadlessRun run(options);
    run.Open();
    EXPECT_EQ(run.Fmqv().DataFolder, f.data);
    EXPECT_TRUE(FileExists(f.File("install.exe")));
    EXPECT_FALSE(FolderExists(f.dir.Path() + "/elsewhere/velloran"));
    EXPECT_TRUE(run.errors.empty());
}

TEST(SaverWindow, FifthMouseMoveCloses) {
    SaverFolder f;
    HeadlessRun run(f.Options());
    run.Open();
    for (int i = 0; i < 4; ++i)
        run.MouseMove(i, 0); // however small
    EXPECT_FALSE(run.Ended());
    EXPECT_EQ(run.Fmqv().MouseMoveCount, 4);
    run.MouseMove(4, 0);
    EXPECT_TRUE(run.Ended());
}

TEST(SaverWindow, AnyKeyOrButtonClosesAtOnce) {
    for (int input = 0; input < 2; ++input) {
        SaverFolder f;
        HeadlessRun run(f.Options());
        run.Open();
        run.MouseMove();
        run.MouseMove();
        if (input == 0)
            run.KeyDown(0x12); // Alt counts too
        else
            run.MouseDown();
        EXPECT_TRUE(run.Ended());
    }
}

TEST(SaverWindow, ClosingHappensOnceHoweverManyRequestsCome) {
    SaverFolder f(Inf(1, "1111111111111111", 1, 1));
    f.Pictures(2, 64, 48);
    HeadlessRun run(f.Options());
    run.Open();
    run.RunUntil(1500);
    ASSERT_GT(run.Fmqv().CurrentFrame.Width(), 0);
    run.KeyDown();
    run.MouseDown();
    for (int i = 0; i < 8; ++i)
        run.MouseMove();
    run.KeyDown();
    run.Fmqv().FormClose();
    EXPECT_EQ(run.window.endLoopCalls, 1);
    EXPECT_EQ(run.window.cursorCalls, 2); // hidden once, shown once
    EXPECT_TRUE(run.window.cursorVisible);
    EXPECT_EQ(run.system.activeCalls, (std::vector<bool>{false, true}));
    EXPECT_TRUE(Released(run.Fmqv()));
    EXPECT_TRUE(run.errors.empty());
    const auto ticks = run.ticks.size();
    EXPECT_FALSE(run.RunNext(100000));
    EXPECT_EQ(run.ticks.size(), ticks);
}

// The loader asks for the close in the middle of a tick: nothing is drawn after it.
TEST(SaverWindow, UnreadablePictureClosesWithinTheTick) {
    SaverFolder f(Inf(2, "1111111111111111", 1, 1));
    f.Pictures(3, 64, 48);
    f.Write("qor_1", "this is no JPEG file");
    HeadlessRun run(f.Options());
    run.Open();
    run.RunUntil(5000);
    ASSERT_EQ(run.ticks.size(), 1u);
    EXPECT_EQ(run.ticks[0].t, 1000u);
    EXPECT_TRUE(run.ticks[0].drawn.Empty());
    EXPECT_TRUE(run.Ended());
    EXPECT_TRUE(Released(run.Fmqv()));
    EXPECT_TRUE(IsBlackScreen(run.Fmqv()));
    EXPECT_TRUE(run.Fmqv().TakeDrawn().Empty());
    EXPECT_TRUE(run.errors.empty());
}

// Damaged picture data is reported and the show goes on: the next tick loads again.
TEST(SaverWindow, DamagedPictureIsReportedAndRetried) {
    SaverFolder f(Inf(1, "1111111111111111", 1, 1));
    f.Pictures(2, 64, 48);
    // A progressive picture whose second scan header has become a frame header: the header reads fine, the
    // image data does not.
    Bitmap picture(64, 48);
    picture.FillAll(0x336699);
    JpegEncodeOptions progressive;
    progressive.progressive = true;
    std::string bytes = EncodeJpeg(picture, progressive);
    const auto firstScan = bytes.find("\xFF\xDA");
    const auto secondScan = bytes.find("\xFF\xDA", firstScan + 2);
    ASSERT_NE(secondScan, std::string::npos);
    bytes[secondScan + 1] = '\xC2';
    f.Write("qor_0", bytes);
    HeadlessRun run(f.Options());
    run.Open();
    run.RunUntil(3500);
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].message, "JPEG: Invalid JPEG file structure: two SOF markers");
    EXPECT_EQ(run.errors[0].t, 1000u);
    EXPECT_FALSE(run.Ended());
    // The failed tick drew nothing; one interval later the load runs again and moves on to picture 1.
    ASSERT_GE(run.ticks.size(), 2u);
    EXPECT_TRUE(run.ticks[0].drawn.Empty());
    EXPECT_EQ(run.ticks[1].t, 2000u);
    EXPECT_EQ(run.ticks[1].picture, 1);
    EXPECT_EQ(run.ticks[1].drawn, (Rect{288, 216, 352, 264}));
}

TEST(SaverWindow, ShowingSwitchesTheScreenSaverOffAndStartsTheMusic) {
    struct Case {
        bool mid, marker, plays;
    };
    for (const Case c :
         {Case{false, false, false}, Case{true, false, false}, Case{false, true, false}, Case{true, true, true}}) {
        SaverFolder f;
        if (c.mid) f.Write("qor_bgm.mid", "MThd");
        if (c.marker) f.Marker("qor_bgm");
        HeadlessRun run(f.Options());
        run.Open();
        EXPECT_EQ(run.system.activeCalls, std::vector<bool>{false});
        EXPECT_EQ(run.media.opens, c.plays ? 1 : 0);
        EXPECT_EQ(run.media.plays, c.plays ? 1 : 0);
        EXPECT_EQ(run.Fmqv().MediaPlayer1.DeviceOpen(), c.plays);
        if (c.plays) {
            EXPECT_EQ(run.media.openedFile, f.File("qor_bgm.mid"));
        }
        EXPECT_TRUE(run.errors.empty());
    }
}

TEST(SaverWindow, MusicThatCannotOpenIsReportedAndTheShowRuns) {
    SaverFolder f(Inf(1, "1111111111111111", 1, 1));
    f.Pictures(2, 64, 48);
    f.Music("MThd");
    HeadlessRun run(f.Options());
    run.media.failOpenWith = "原因不明のｴﾗｰ";
    run.Open();
    ASSERT_EQ(run.errors.size(), 1u);
    EXPECT_EQ(run.errors[0].message, "原因不明のｴﾗｰ");
    EXPECT_EQ(run.system.activeCalls, std::vector<bool>{false});
    run.RunUntil(1000);
    EXPECT_EQ(run.ticks.size(), 1u);
    // A request to a player without a device raises its own text.
    try {
        run.Fmqv().MediaPlayer1.Play();
        ADD_FAILURE() << "no error";
    } catch (const EMCIDeviceError& e) {
        EXPECT_STREQ(e.what(), "MCI ﾃﾞﾊﾞｲｽがありません");
    }
}

TEST(SaverWindow, MusicLoopsFromAFreshDeviceAtEveryEnd) {
    SaverFolder f(Inf(1, "1000000000000000", 5, 3));
    f.Pictures(2, 64, 48);
    f.Music("MThd");
    auto options = f.Options();
    options.musicLengthMs = 700; // shorter than one picture's display time
    HeadlessRun run(options);
    run.Open();
    run.RunUntil(650);
    run.Fmqv().MediaPlayer1Notify(); // a notice before the end is ignored
    EXPECT_EQ(run.media.opens, 1);
    run.RunUntil(5000);
    EXPECT_EQ(run.media.opens, 8); // restarted at 700, 1400, ... 4900
    EXPECT_EQ(run.media.closes, 7);
    EXPECT_EQ(run.media.plays, 8);
    EXPECT_EQ(run.media.Position(), 100);
    EXPECT_TRUE(run.errors.empty());
    EXPECT_EQ(run.ticks.front().t, 1000u); // the slideshow's timing is untouched
}

TEST(SaverWindow, NoDeviceRemainsOpenAfterTheSaverEnds) {
    SaverFolder f;
    f.Music("MThd");
    VirtualClock clock;
    HeadlessApplication app;
    HeadlessWindow window(320, 200);
    RecordingSystemSettings system;
    ScriptedMediaDevice media(&clock);
    {
        TFmqv fm(SaverPlatform{.app = app,
                               .window = window,
                               .clock = clock,
                               .system = system,
                               .media = media,
                               .programPath = f.program,
                               .style = PathStyle::Posix,
                               .seed = 1,
                               .dataFolder = {}});
        fm.FormCreate();
        fm.FormShow();
        fm.FormKeyDown(0, 0);
        EXPECT_TRUE(media.isOpen); // closing the window does not stop the music ...
    }
    EXPECT_FALSE(media.isOpen); // ... the player closes its device when it goes
    EXPECT_EQ(media.closes, 1);
}

} // namespace
} // namespace vis
