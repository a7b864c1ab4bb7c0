#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "gfx/Tone.h"
#include "platform/headless/Headless.h"
#include "qv/Errors.h"
#include "qv/QorInf.h"
#include "saver/Unqv.h"
#include "support/JpegCraft.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <utility>
#include <vector>

using namespace vis;

namespace {

// Picture n is 16 + n pixels wide, so a decoded bitmap tells which file it came from.
constexpr int kBaseWidth = 16;

Bitmap PictureContent(int n) {
    Bitmap bmp(kBaseWidth + n, 8);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            bmp.SetPixel(x, y,
                         static_cast<Color>(((x * 37 + n * 50) & 0xFF) << 16 | ((y * 29 + 90) & 0xFF) << 8 | (n * 20)));
    return bmp;
}

class LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = dir_.Path() + "/velloran/Demo";
        std::filesystem::create_directories(folder_);
    }

    std::string DataPath(const std::string& name) const { return folder_ + "/" + name; }
    std::string PicturePath(int n) const { return DataPath("qor_" + std::to_string(n)); }
    void WritePicture(int n) { test::WriteBytes(PicturePath(n), EncodeJpeg(PictureContent(n), 90)); }
    void WritePictures(int from, int to) {
        for (int n = from; n <= to; ++n)
            WritePicture(n);
    }
    void Marker(const std::string& name) { test::WriteBytes(DataPath(name), ""); }

    void Start(int lastPictureNo, std::uint64_t seed = 7) {
        test::WriteBytes(DataPath("qor_inf"), QorInfText(lastPictureNo, "1111111111111111", 5, 3));
        fm_ = std::make_unique<TFmqv>(SaverPlatform{.app = app_,
                                                    .window = window_,
                                                    .clock = clock_,
                                                    .system = system_,
                                                    .media = media_,
                                                    .programPath = dir_.Path() + "/Demo.scr",
                                                    .style = PathStyle::Posix,
                                                    .seed = seed,
                                                    .dataFolder = {}});
        fm_->FormCreate();
        ASSERT_EQ(fm_->DataFolder, folder_);
    }

    static int Number(const Bitmap& b) { return b.Width() - kBaseWidth; }

    // One load as the slideshow makes it: PicturesLoaded was cleared by the finished in-transition, and the
    // first pause (which ends the first round) lies between the first load and the second.
    std::pair<int, int> Load() {
        fm_->PicturesLoaded = false;
        fm_->SlideState = kPictureShownWhole;
        fm_->LoadPicturePair();
        fm_->FirstRound = false;
        EXPECT_TRUE(fm_->PicturesLoaded);
        EXPECT_EQ(fm_->SlideState, 1);
        return {Number(fm_->CurrentPicture), Number(fm_->NextPicture)};
    }

    std::vector<int> Currents(int loads) {
        std::vector<int> seen;
        for (int i = 0; i < loads; ++i)
            seen.push_back(Load().first);
        return seen;
    }

    test::TempDir dir_;
    std::string folder_;
    HeadlessApplication app_;
    HeadlessWindow window_{64, 48};
    VirtualClock clock_;
    RecordingSystemSettings system_;
    ScriptedMediaDevice media_;
    std::unique_ptr<TFmqv> fm_;
};

} // namespace

TEST_F(LoaderTest, NumberedOrderWrapsToTheFirstPictureOfTheCycle) {
    WritePictures(0, 5);
    Start(5);
    using P = std::pair<int, int>;
    const std::vector<P> expected{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 1}, {1, 2}, {2, 3}, {3, 4}};
    for (const P& want : expected)
        EXPECT_EQ(Load(), want);
}

TEST_F(LoaderTest, NumberedOrderWithTitleShowsTheTitleOnce) {
    WritePictures(0, 5);
    Marker("qor_title");
    Start(5);
    EXPECT_EQ(fm_->FirstPictureNo, 1);
    EXPECT_EQ(Currents(9), (std::vector<int>{0, 1, 2, 3, 4, 5, 2, 3, 4}));
}

TEST_F(LoaderTest, PicturesPastLastPictureNoAreNotShown) {
    WritePictures(0, 7);
    Start(4);
    using P = std::pair<int, int>;
    const std::vector<P> expected{{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 1}, {1, 2}};
    for (const P& want : expected)
        EXPECT_EQ(Load(), want);
}

TEST_F(LoaderTest, MissingFileInsideTheRangeEndsTheCycleThere) {
    WritePictures(0, 5);
    std::filesystem::remove(PicturePath(3));
    Start(5);
    using P = std::pair<int, int>;
    // Where 3 would be next, 1 comes instead; the following load wraps to 1 as well.
    const std::vector<P> expected{{0, 1}, {1, 2}, {2, 1}, {1, 2}, {2, 1}};
    for (const P& want : expected)
        EXPECT_EQ(Load(), want);
}

TEST_F(LoaderTest, RandomOrderStartsWithZeroAndNeverRepeatsAPicture) {
    WritePictures(0, 5);
    Marker("qor_random");
    Start(5, 99);
    ASSERT_TRUE(fm_->RandomOrder);
    auto [current, next] = Load();
    EXPECT_EQ(current, 0);
    std::set<int> nexts;
    for (int i = 0; i < 300; ++i) {
        EXPECT_GE(next, 1);
        EXPECT_LE(next, 5);
        EXPECT_NE(next, current);
        nexts.insert(next);
        const int shown = next;
        std::tie(current, next) = Load();
        EXPECT_EQ(current, shown); // the next picture of one cycle is the current one of the following
    }
    EXPECT_EQ(nexts, (std::set<int>{1, 2, 3, 4, 5}));
}

TEST_F(LoaderTest, RandomOrderWithTitleGivesZeroThenTitleThenTheCycle) {
    WritePictures(0, 5);
    Marker("qor_random");
    Marker("qor_title");
    Start(5, 3);
    EXPECT_EQ(Load(), (std::pair{0, 1}));
    int current = 1;
    std::set<int> nexts;
    for (int i = 0; i < 200; ++i) {
        const auto [cur, next] = Load();
        EXPECT_EQ(cur, current);
        EXPECT_GE(next, 2);
        EXPECT_LE(next, 5);
        EXPECT_NE(next, cur);
        nexts.insert(next);
        current = next;
    }
    EXPECT_EQ(nexts, (std::set<int>{2, 3, 4, 5}));
}

TEST_F(LoaderTest, RandomOrderIsReproducibleForASeed) {
    WritePictures(0, 6);
    Marker("qor_random");
    Start(6, 1234);
    const std::vector<int> first = Currents(30);
    Start(6, 1234);
    EXPECT_EQ(Currents(30), first);
}

TEST_F(LoaderTest, RandomPickOfAMissingFileTerminatesAndShowsTheFirstOfTheCycle) {
    WritePictures(0, 4);
    std::filesystem::remove(PicturePath(2));
    Marker("qor_random");
    Start(4, 5);
    int shown = Load().second;
    int fallbacks = 0;
    for (int i = 0; i < 200; ++i) {
        const int picked = fm_->NextPictureNo;
        const auto [current, next] = Load();
        // The current picture is the one that was on screen as the next picture, the fallback included.
        EXPECT_EQ(current, shown);
        if (picked == 2) {
            ++fallbacks;
            EXPECT_EQ(current, 1);
        }
        EXPECT_NE(next, 2);
        shown = next;
    }
    EXPECT_GT(fallbacks, 0);
}

TEST_F(LoaderTest, RandomOrderWithOnePictureInTheCycleShowsItAgain) {
    WritePictures(0, 1);
    Marker("qor_random");
    Start(1);
    EXPECT_EQ(Load(), (std::pair{0, 1}));
    EXPECT_EQ(Load(), (std::pair{1, 1}));
    EXPECT_EQ(Load(), (std::pair{1, 1}));
}

TEST_F(LoaderTest, EmptyCycleKeepsShowingTheFirstPictureAfterTheOpening) {
    for (bool random : {false, true}) {
        SCOPED_TRACE(random);
        WritePictures(0, 2);
        if (random) Marker("qor_random");
        Start(0); // LastPictureNo 0: no picture lies in the cycle 1..0
        EXPECT_EQ(Load(), (std::pair{0, 1}));
        EXPECT_EQ(Load(), (std::pair{1, 1}));
        EXPECT_EQ(Load(), (std::pair{1, 1}));
        EXPECT_FALSE(fm_->Closing());
    }
}

TEST_F(LoaderTest, EmptyCycleWithTitleAndItsFirstPictureMissingClosesInsteadOfLooping) {
    WritePictures(0, 1); // qor_2, the first picture of the cycle, is missing
    Marker("qor_title");
    Start(1);
    EXPECT_EQ(Load(), (std::pair{0, 1}));
    fm_->PicturesLoaded = false;
    fm_->LoadPicturePair(); // current 1, next falls back to 2, which is missing
    EXPECT_TRUE(fm_->Closing());
}

TEST_F(LoaderTest, FramesAreFreshCopiesOfThePictures) {
    WritePictures(0, 2);
    Start(2);
    Load();
    fm_->CurrentFrame.FillAll(clBlack); // an effect darkened it
    Load();
    Bitmap expected;
    ASSERT_EQ(LoadJpegFile(PicturePath(1), expected), JpegStatus::Decoded);
    EXPECT_TRUE(fm_->CurrentPicture == expected);
    EXPECT_TRUE(fm_->CurrentFrame == fm_->CurrentPicture);
    EXPECT_TRUE(fm_->NextFrame == fm_->NextPicture);
    EXPECT_EQ(Number(fm_->NextFrame), 2);
}

TEST_F(LoaderTest, PictureLargerThanTheScreenIsLoadedWhole) {
    WritePicture(0);
    test::WriteBytes(PicturePath(1), EncodeJpeg(Bitmap(300, 200), 80));
    Start(1);
    Load();
    EXPECT_EQ(fm_->NextPicture.Width(), 300);
    EXPECT_EQ(fm_->NextPicture.Height(), 200);
    EXPECT_EQ(fm_->NextFrame.Width(), 300);
}

TEST_F(LoaderTest, ToneMarkersAreReadOnEveryLoadAndGreyWins) {
    WritePictures(0, 3);
    Start(3);
    const auto decoded = [this](int n) {
        Bitmap b;
        EXPECT_EQ(LoadJpegFile(PicturePath(n), b), JpegStatus::Decoded);
        return b;
    };
    Load(); // no marker: untoned
    EXPECT_TRUE(fm_->CurrentPicture == decoded(0));
    EXPECT_TRUE(fm_->NextPicture == decoded(1));

    Marker("qor_sepia");
    Load();
    Bitmap sepia1 = decoded(1), sepia2 = decoded(2);
    ToneSepia(sepia1);
    ToneSepia(sepia2);
    EXPECT_TRUE(fm_->CurrentPicture == sepia1);
    EXPECT_TRUE(fm_->NextPicture == sepia2);
    EXPECT_TRUE(fm_->CurrentFrame == sepia1); // toning reaches the frames
    EXPECT_TRUE(fm_->NextFrame == sepia2);

    Marker("qor_gray");
    Load();
    Bitmap grey2 = decoded(2), grey3 = decoded(3);
    ToneGrey(grey2);
    ToneGrey(grey3);
    EXPECT_TRUE(fm_->CurrentPicture == grey2);
    EXPECT_TRUE(fm_->NextFrame == grey3);

    std::filesystem::remove(DataPath("qor_gray"));
    std::filesystem::remove(DataPath("qor_sepia"));
    Load();
    EXPECT_TRUE(fm_->CurrentPicture == decoded(3));
}

TEST_F(LoaderTest, UnreadableCurrentPictureClosesTheWindow) {
    for (const std::string& bytes : {std::string(), std::string("not a picture"), std::string("\xFF\xD8\xFF")}) {
        WritePictures(0, 2);
        test::WriteBytes(PicturePath(0), bytes);
        Start(2);
        fm_->SlideState = kPictureShownWhole;
        fm_->LoadPicturePair();
        EXPECT_TRUE(fm_->Closing());
        EXPECT_EQ(window_.endLoopCalls, 1);
        window_.endLoopCalls = 0;
        EXPECT_FALSE(fm_->PicturesLoaded);
        EXPECT_EQ(fm_->SlideState, 5);             // the load ended there
        EXPECT_EQ(fm_->CurrentPicture.Width(), 0); // the bitmaps were released by the close
        EXPECT_TRUE(app_.errors.empty());
    }
}

TEST_F(LoaderTest, UnreadableNextPictureClosesAfterTheCurrentOneWasLoaded) {
    WritePictures(0, 2);
    test::WriteBytes(PicturePath(2), "garbage");
    Start(2);
    Load();
    fm_->PicturesLoaded = false;
    fm_->SlideState = kPictureShownWhole;
    fm_->LoadPicturePair();
    EXPECT_TRUE(fm_->Closing());
    EXPECT_TRUE(fm_->PicturesLoaded);
    EXPECT_EQ(fm_->SlideState, 5);
    // A load after the close touches nothing.
    fm_->PicturesLoaded = false;
    fm_->LoadPicturePair();
    EXPECT_FALSE(fm_->PicturesLoaded);
    EXPECT_EQ(fm_->CurrentPicture.Width(), 0);
}

TEST_F(LoaderTest, TooLargeCurrentPictureRaisesAndTheNextLoadMovesOn) {
    WritePictures(0, 3);
    Start(3);
    Load();
    test::WriteBytes(PicturePath(1), test::ClaimSize(EncodeJpeg(PictureContent(1), 90), 65500, 65500));
    fm_->PicturesLoaded = false;
    fm_->SlideState = kPictureShownWhole;
    EXPECT_THROW(fm_->LoadPicturePair(), EPictureTooLarge);
    EXPECT_FALSE(fm_->PicturesLoaded);
    EXPECT_FALSE(fm_->Closing());
    EXPECT_EQ(fm_->PictureNo, 1);
    EXPECT_EQ(Load(), (std::pair{2, 3}));
}

TEST_F(LoaderTest, TooLargeNextPictureRaisesWithTheCurrentOneLoaded) {
    WritePictures(0, 3);
    test::WriteBytes(PicturePath(2), test::ClaimSize(EncodeJpeg(PictureContent(2), 90), 65500, 65500));
    Start(3);
    Load();
    fm_->PicturesLoaded = false;
    fm_->SlideState = kPictureShownWhole;
    EXPECT_THROW(fm_->LoadPicturePair(), EPictureTooLarge);
    EXPECT_TRUE(fm_->PicturesLoaded);
    EXPECT_EQ(Number(fm_->CurrentPicture), 1);
    EXPECT_EQ(fm_->SlideState, 5);
    EXPECT_FALSE(fm_->Closing());
}
