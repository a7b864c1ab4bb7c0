#include "settings/UnSetting.h"

#include "gfx/Bmp.h"
#include "platform/headless/Headless.h"
#include "qv/Files.h"
#include "qv/Startup.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

namespace vis {
namespace {

constexpr auto P = PathStyle::Posix;

// Holds the controls' states like a window would, and records what the dialog asked of it.
class FakeSettingView : public SettingView {
  public:
    FakeSettingView() { enabled.fill(true); }
    bool Checked(SettingBox box) const override { return checked[Index(box)]; }
    void SetCheckedState(SettingBox box, bool on) override { checked[Index(box)] = on; }
    bool Enabled(SettingBox box) const override { return enabled[Index(box)]; }
    void SetEnabled(SettingBox box, bool on) override { enabled[Index(box)] = on; }
    int Position(SettingTrackBar bar) const override { return positions[static_cast<std::size_t>(bar)]; }
    void SetPosition(SettingTrackBar bar, int p) override {
        ASSERT_GE(p, 0);
        ASSERT_LE(p, 9);
        positions[static_cast<std::size_t>(bar)] = p;
    }
    void SetPageVisible(SettingPage page, bool on) override { pageVisible[static_cast<std::size_t>(page)] = on; }
    void SetCurrentPage(SettingPage page) override { currentPage = page; }
    void ShowPreview(const Bitmap& picture, Color key) override {
        preview = picture;
        transparentColor = key;
        ++previews;
    }
    std::string LblUrlText() const override { return kMakerUrl; }
    void Close() override { ++closes; }

    static std::size_t Index(SettingBox b) { return static_cast<std::size_t>(b); }
    bool Effect(int n) const { return checked[Index(EffectBox(n))]; }

    std::array<bool, kSettingBoxCount> checked{};
    std::array<bool, kSettingBoxCount> enabled{};
    std::array<int, 2> positions{4, 2}; // the design-time positions
    std::array<bool, 3> pageVisible{true, true, true};
    SettingPage currentPage = SettingPage::TSEffect1;
    Bitmap preview;
    Color transparentColor = 0;
    int previews = 0;
    int closes = 0;
};

// A saver "Demo.scr" whose data folder holds what settings mode requires.
class SettingsDialog : public ::testing::Test {
  protected:
    SettingsDialog() {
        std::filesystem::create_directories(data);
        Write("qor_inf", "3\r\n1111111111111111\r\n5\r\n3\r\n");
        Write("qor_0", "jpeg");
        Write("qor_1", "jpeg");
        Bitmap pic(4, 3);
        pic.FillAll(0x123456);
        pic.SetPixel(0, 2, 0x00FF00); // lower left: the transparent colour
        Write("qor_effect1", SaveBmp(pic));
    }

    std::string File(const std::string& name) const { return data + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const { test::WriteBytes(File(name), bytes); }
    std::string Read(const std::string& name) const { return test::ReadBytes(File(name)); }
    bool Exists(const std::string& name) const { return FileExists(File(name)); }

    // Creates and shows the dialog as the shell does; a fresh view and form each time.
    void Open() {
        view = std::make_unique<FakeSettingView>();
        form = std::make_unique<TFmSetting>(*view, shell, program, P);
        form->CallHandler(app, &TFmSetting::FormCreate);
        form->CallHandler(app, &TFmSetting::FormShow);
    }
    bool Ok() { return form->CallHandler(app, &TFmSetting::Button1Click); }
    // A user's click on a box: the window flips it, then the dialog hears of it.
    void Click(SettingBox box) {
        view->checked[FakeSettingView::Index(box)] = !view->checked[FakeSettingView::Index(box)];
        form->CheckClicked(box);
    }
    bool Box(SettingBox box) const { return view->Checked(box); }

    test::TempDir dir;
    std::string program = dir.Path() + "/Demo.scr";
    std::string data = dir.Path() + "/velloran/Demo";
    HeadlessApplication app;
    RecordingShell shell;
    std::unique_ptr<FakeSettingView> view;
    std::unique_ptr<TFmSetting> form;
};

TEST_F(SettingsDialog, ReadsTheEffectMaskByTheMaskRule) {
    Write("qor_inf", "3\r\n0000000000000000\r\n5\r\n3\r\n");
    Open();
    EXPECT_TRUE(app.errors.empty());
    for (int n = 1; n <= 16; ++n)
        EXPECT_TRUE(view->Effect(n)) << n;

    Write("qor_inf", "3\r\n10\r\n5\r\n3\r\n");
    Open();
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(view->Effect(n), n != 2) << n;

    // 'x' leaves a box ticked; characters after the sixteenth are ignored.
    Write("qor_inf", "3\r\n1x" + std::string(12, '0') + "1" + std::string(5, '0') + "\r\n5\r\n3\r\n");
    Open();
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(view->Effect(n), n <= 2 || n == 15) << n;
}

TEST_F(SettingsDialog, TrackBarsHoldTheTimesWithinRangeAndOkWritesExactBytes) {
    Write("qor_inf", "7\r\n1111111111111111\r\n15\r\n0\r\n");
    Open();
    EXPECT_EQ(view->positions[0], 9);
    EXPECT_EQ(view->positions[1], 0);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "7\r\n1111111111111111\r\n10\r\n1\r\n");
    EXPECT_EQ(view->closes, 1);

    Write("qor_inf", "7\r\n1111111111111111\r\n0\r\n25\r\n");
    Open();
    EXPECT_EQ(view->positions[0], 0);
    EXPECT_EQ(view->positions[1], 9);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "7\r\n1111111111111111\r\n1\r\n10\r\n");

    Write("qor_inf", "  +$1F\r\n0111111111111111\r\n-2147483648\r\n2147483647\r\n");
    Open();
    EXPECT_EQ(form->LastPictureNo, 31);
    EXPECT_EQ(view->positions[0], 0);
    EXPECT_EQ(view->positions[1], 9);
    view->positions = {6, 3};
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "31\r\n0111111111111111\r\n7\r\n4\r\n");
}

TEST_F(SettingsDialog, RandomOrderIsOfferedOnlyWhenEnoughPicturesRotate) {
    struct Case {
        int last;
        bool title;
        bool enabled;
    };
    for (const Case c : {Case{0, false, false}, Case{1, false, false}, Case{2, true, false}, Case{2, false, true},
                         Case{3, false, true}, Case{3, true, true}}) {
        Write("qor_inf", std::to_string(c.last) + "\r\n1111111111111111\r\n5\r\n3\r\n");
        if (c.title)
            Write("qor_title", "");
        else
            DeleteIfExists(File("qor_title"));
        Open();
        EXPECT_EQ(view->Enabled(SettingBox::CBRandom), c.enabled) << c.last << " title " << c.title;
        EXPECT_FALSE(Box(SettingBox::CBRandom));
    }
}

TEST_F(SettingsDialog, ADisabledButTickedRandomBoxKeepsItsMarker) {
    Write("qor_inf", "1\r\n1111111111111111\r\n5\r\n3\r\n");
    Write("qor_random", "content");
    Open();
    EXPECT_FALSE(view->Enabled(SettingBox::CBRandom));
    EXPECT_TRUE(Box(SettingBox::CBRandom));
    ASSERT_TRUE(Ok());
    EXPECT_TRUE(Exists("qor_random"));
    EXPECT_EQ(Read("qor_random"), "");

    Write("qor_inf", "5\r\n1111111111111111\r\n5\r\n3\r\n");
    Open();
    EXPECT_TRUE(Box(SettingBox::CBRandom));
    Click(SettingBox::CBRandom);
    ASSERT_TRUE(Ok());
    EXPECT_FALSE(Exists("qor_random"));
}

TEST_F(SettingsDialog, AtMostOneToneIsTickedAndTheLastChangeWins) {
    Write("qor_gray", "");
    Write("qor_sepia", "x");
    Open();
    EXPECT_FALSE(Box(SettingBox::CBGray));
    EXPECT_TRUE(Box(SettingBox::CBSepia));
    ASSERT_TRUE(Ok());
    EXPECT_FALSE(Exists("qor_gray"));
    EXPECT_TRUE(Exists("qor_sepia"));
    EXPECT_EQ(Read("qor_sepia"), "");

    Open();
    Click(SettingBox::CBGray); // the user ticks grey: sepia goes
    EXPECT_TRUE(Box(SettingBox::CBGray));
    EXPECT_FALSE(Box(SettingBox::CBSepia));
    form->SetChecked(SettingBox::CBSepia, true); // the program ticks sepia: grey goes
    EXPECT_FALSE(Box(SettingBox::CBGray));
    EXPECT_TRUE(Box(SettingBox::CBSepia));
    Click(SettingBox::CBSepia); // unticking leaves both off
    EXPECT_FALSE(Box(SettingBox::CBGray));
    EXPECT_FALSE(Box(SettingBox::CBSepia));
    ASSERT_TRUE(Ok());
    EXPECT_FALSE(Exists("qor_gray"));
    EXPECT_FALSE(Exists("qor_sepia"));
}

TEST_F(SettingsDialog, ALockShowsOnlyTheAboutPageAndOkWritesOnlyTheToneAndMusicMarkers) {
    const std::string inf = "3\r\n0101\r\n$A\r\n3\r\n";
    Write("qor_inf", inf);
    Write("qor_lock", "");
    Write("qor_random", "keep");
    Write("qor_bgm.mid", "MThd");
    Write("qor_bgm", "");
    Write("qor_gray", "");
    Open();
    EXPECT_TRUE(app.errors.empty());
    EXPECT_TRUE(form->SettingsLocked);
    EXPECT_EQ(view->currentPage, SettingPage::TSabout);
    EXPECT_EQ(view->pageVisible, (std::array<bool, 3>{false, false, true}));
    EXPECT_TRUE(Box(SettingBox::CBBgm));
    EXPECT_TRUE(Box(SettingBox::CBGray));
    for (int n = 1; n <= 16; ++n)
        EXPECT_FALSE(view->Effect(n)); // never filled: qor_inf not read
    Click(SettingBox::CBBgm);
    Click(SettingBox::CBSepia);
    ASSERT_TRUE(Ok());
    EXPECT_FALSE(Exists("qor_bgm"));
    EXPECT_FALSE(Exists("qor_gray"));
    EXPECT_TRUE(Exists("qor_sepia"));
    EXPECT_EQ(Read("qor_inf"), inf);
    EXPECT_EQ(Read("qor_random"), "keep");
    EXPECT_EQ(view->closes, 1);
}

TEST_F(SettingsDialog, MusicBoxFollowsTheMusicFile) {
    Write("qor_bgm", "old");
    Open();
    EXPECT_FALSE(view->Enabled(SettingBox::CBBgm));
    EXPECT_FALSE(Box(SettingBox::CBBgm));
    ASSERT_TRUE(Ok());
    EXPECT_FALSE(Exists("qor_bgm"));

    Write("qor_bgm.mid", "MThd");
    Open();
    EXPECT_TRUE(view->Enabled(SettingBox::CBBgm));
    EXPECT_FALSE(Box(SettingBox::CBBgm));
    Click(SettingBox::CBBgm);
    ASSERT_TRUE(Ok());
    EXPECT_TRUE(Exists("qor_bgm"));
    Open();
    EXPECT_TRUE(Box(SettingBox::CBBgm));
}

TEST_F(SettingsDialog, AllEffectsUntickedAreWrittenAsZerosAndReadBackAsAllOn) {
    Open();
    for (int n = 1; n <= 16; ++n)
        Click(EffectBox(n));
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "3\r\n0000000000000000\r\n5\r\n3\r\n");
    Open();
    for (int n = 1; n <= 16; ++n)
        EXPECT_TRUE(view->Effect(n)) << n;

    Click(SettingBox::CBEn2);
    Click(SettingBox::CBKazaguruma);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "3\r\n1111111101111110\r\n5\r\n3\r\n");
}

TEST_F(SettingsDialog, ABadNumberStopsReadingAndLeavesTheDialogOpenWithWhatWasFilled) {
    Write("qor_inf", "6\r\n1011\r\nabc\r\n9\r\n");
    Write("qor_random", "");
    Open();
    ASSERT_EQ(app.errors, std::vector<std::string>{"'abc' は整数ではありません"});
    EXPECT_EQ(view->closes, 0);
    EXPECT_EQ(form->LastPictureNo, 6);
    for (int n = 1; n <= 16; ++n)
        EXPECT_EQ(view->Effect(n), n != 2) << n;
    EXPECT_EQ(view->positions[0], 4); // defaults: lines 3 and 4 not applied
    EXPECT_EQ(view->positions[1], 2);
    EXPECT_FALSE(Box(SettingBox::CBRandom)); // the later steps did not run
    EXPECT_TRUE(view->Enabled(SettingBox::CBRandom));

    app.errors.clear();
    Write("qor_inf", "6\r\n1011\r\n8\r\n"); // line 4 missing
    Open();
    EXPECT_EQ(app.errors, std::vector<std::string>{"'' は整数ではありません"});
    EXPECT_EQ(view->positions[0], 7);
    EXPECT_EQ(view->positions[1], 2);

    app.errors.clear();
    Write("qor_inf", "6\n1011\n8\n3\n"); // line feeds alone do not end lines
    Open();
    ASSERT_EQ(app.errors.size(), 1u);
    EXPECT_EQ(app.errors[0].rfind("'6\\x0A1011", 0), 0u);
}

TEST_F(SettingsDialog, AnUnreadPictureCountIsTakenFromThePicturesNotWrittenAsZero) {
    std::filesystem::remove(File("qor_inf"));
    Write("qor_2", "jpeg");
    Write("qor_3", "jpeg");
    Write("qor_4", "jpeg");
    Write("qor_6", "jpeg"); // after a gap: not part of the show
    Open();
    ASSERT_EQ(app.errors.size(), 1u);
    EXPECT_EQ(view->closes, 0);
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "4\r\n1111111111111111\r\n5\r\n3\r\n");
}

TEST_F(SettingsDialog, ClosingWithoutOkSavesNothing) {
    Write("qor_bgm.mid", "MThd");
    Write("qor_gray", "g");
    Open();
    for (SettingBox b : {SettingBox::CBNormal, SettingBox::CBRandom, SettingBox::CBBgm, SettingBox::CBSepia})
        Click(b);
    view->positions = {0, 9};
    form.reset(); // the window closed by its caption bar: no handler writes
    EXPECT_EQ(Read("qor_inf"), "3\r\n1111111111111111\r\n5\r\n3\r\n");
    EXPECT_EQ(Read("qor_gray"), "g");
    EXPECT_FALSE(Exists("qor_sepia"));
    EXPECT_FALSE(Exists("qor_bgm"));
    EXPECT_FALSE(Exists("qor_random"));
}

TEST_F(SettingsDialog, AFailedWriteStopsOkAndKeepsTheDialogOpen) {
    std::filesystem::create_directory(File("qor_gray")); // a folder cannot become the marker file
    Open();
    Click(SettingBox::CBGray);
    Click(SettingBox::CBNormal);
    Write("qor_bgm", "");
    EXPECT_FALSE(Ok());
    ASSERT_EQ(app.errors.size(), 1u);
    EXPECT_EQ(app.errors[0], "ﾌｧｲﾙ " + File("qor_gray") + " を作成できません");
    EXPECT_FALSE(Exists("qor_bgm"));                                   // the step before it was done
    EXPECT_EQ(Read("qor_inf"), "3\r\n1111111111111111\r\n5\r\n3\r\n"); // the steps after it were not
    EXPECT_EQ(view->closes, 0);
}

TEST_F(SettingsDialog, PreviewIsLoadedUnderItsOwnNameWithItsLowerLeftColourTransparent) {
    const std::string bytes = Read("qor_effect1");
    Open();
    EXPECT_TRUE(app.errors.empty());
    ASSERT_EQ(view->previews, 1);
    EXPECT_EQ(view->preview.Width(), 4);
    EXPECT_EQ(view->preview.Height(), 3);
    EXPECT_EQ(view->transparentColor, 0x00FF00u);
    EXPECT_EQ(form->DataFolder, data);
    EXPECT_EQ(Read("qor_effect1"), bytes);
    EXPECT_FALSE(Exists("qor_effect1.bmp"));
}

TEST_F(SettingsDialog, ABrokenPreviewIsReportedAndTheDialogStillWorks) {
    Write("qor_effect1", "GIF89a");
    Open();
    EXPECT_EQ(app.errors, std::vector<std::string>{kInvalidBitmapText});
    EXPECT_EQ(view->previews, 0);
    EXPECT_EQ(Read("qor_effect1"), "GIF89a");
    EXPECT_FALSE(Exists("qor_effect1.bmp"));
    EXPECT_TRUE(view->Effect(1));
    ASSERT_TRUE(Ok());
    EXPECT_EQ(Read("qor_inf"), "3\r\n1111111111111111\r\n5\r\n3\r\n");
}

TEST_F(SettingsDialog, APreviewLeftUnderItsTemporaryNameIsMovedBackAndSettingsStillStart) {
    const std::string bytes = Read("qor_effect1");
    ASSERT_TRUE(RenameFile(File("qor_effect1"), File("qor_effect1.bmp")));
    MemoryInstanceGuard guard;
    const StartDecision d = DecideStart(program, "/c", P, guard, FileExists);
    EXPECT_EQ(d.outcome, StartOutcome::RunWindow);
    EXPECT_EQ(d.role, Role::Settings);
    Open();
    EXPECT_TRUE(app.errors.empty());
    EXPECT_EQ(view->previews, 1);
    EXPECT_EQ(Read("qor_effect1"), bytes);
    EXPECT_FALSE(Exists("qor_effect1.bmp"));

    // Beside a real preview, a second file of that name is left alone.
    Write("qor_effect1.bmp", "other");
    EXPECT_FALSE(RestoreLeftoverPreview(data, P));
    EXPECT_EQ(Read("qor_effect1.bmp"), "other");
    EXPECT_EQ(Read("qor_effect1"), bytes);

    // With neither name the settings role still refuses to start.
    std::filesystem::remove(File("qor_effect1"));
    std::filesystem::remove(File("qor_effect1.bmp"));
    MemoryInstanceGuard guard2;
    const StartDecision none = DecideStart(program, "", P, guard2, FileExists);
    EXPECT_EQ(none.outcome, StartOutcome::MissingDataFile);
    EXPECT_EQ(none.missingFile, "qor_effect1");
}

TEST_F(SettingsDialog, TheAddressGoesToTheShell) {
    Open();
    ASSERT_TRUE(form->CallHandler(app, &TFmSetting::LblUrlClick));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].file, kMakerUrl);
    EXPECT_EQ(shell.calls[0].parameters, "");
    EXPECT_EQ(shell.calls[0].folder, "");
    EXPECT_EQ(shell.calls[0].show, kSwShow);
}

TEST(SettingBoxNames, FollowEffectNumbers) {
    EXPECT_STREQ(SettingBoxName(EffectBox(1)), "CBNormal");
    EXPECT_STREQ(SettingBoxName(EffectBox(14)), "CBDai_shou");
    EXPECT_STREQ(SettingBoxName(EffectBox(16)), "CBKazaguruma");
    EXPECT_STREQ(SettingBoxName(SettingBox::CBSepia), "CBSepia");
}

} // namespace
} // namespace vis
