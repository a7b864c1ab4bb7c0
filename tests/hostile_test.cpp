// Hostile data folders: what other programs may leave where the saver looks. Each case runs the real start-up
// decision, saver window (on the headless platform) or settings dialog and checks the one outcome it must
// have: a silent end before any window, a close of the saver without a message, or the error box with the
// window going on. Nothing may crash or hang, and nothing in the folder (or beside it) may change except the
// files the program is meant to write.
#include "gfx/Bmp.h"
#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "platform/headless/HeadlessRun.h"
#include "qv/Errors.h"
#include "qv/Files.h"
#include "qv/Startup.h"
#include "settings/UnSetting.h"
#include "support/JpegCraft.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vis {
namespace {

namespace fs = std::filesystem;
constexpr auto P = PathStyle::Posix;

Bitmap Pattern(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, static_cast<Color>(0x400000 + (x * 5 << 8) + y * 7));
    return b;
}

std::string Jpeg(std::int32_t w, std::int32_t h, bool progressive = false) {
    JpegEncodeOptions o;
    o.quality = 85;
    o.progressive = progressive;
    return EncodeJpeg(Pattern(w, h), o);
}

const std::string kPng = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x02\0\0\0", 29);

// Every entry under a folder, links not followed: its kind and, for a file, its bytes.
using Snapshot = std::map<std::string, std::string>;
Snapshot Take(const std::string& root) {
    Snapshot s;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const auto st = it->symlink_status(ec);
        std::string what = fs::is_symlink(st)        ? "link " + fs::read_symlink(it->path(), ec).string()
                           : fs::is_directory(st)    ? "folder"
                           : fs::is_regular_file(st) ? "file " + test::ReadBytes(it->path().string())
                                                     : "other";
        s[fs::relative(it->path(), root, ec).string()] = what;
    }
    return s;
}

// The names whose entry differs between two snapshots.
std::set<std::string> Changed(const Snapshot& before, const Snapshot& after) {
    std::set<std::string> names;
    for (const auto& [name, what] : before)
        if (!after.count(name) || after.at(name) != what) names.insert(name);
    for (const auto& [name, what] : after)
        if (!before.count(name)) names.insert(name);
    return names;
}

// A saver program in a temporary folder with its data folder beside it, under any file name.
class Saver {
  public:
    explicit Saver(const std::string& programName = "Saver.scr")
        : program(dir.Path() + "/" + programName), data(DataFolderPath(program, P)), name(fs::path(data).filename()) {
        fs::create_directories(fs::path(data));
    }
    std::string File(const std::string& file) const { return data + "/" + file; }
    void Write(const std::string& file, const std::string& bytes) const { test::WriteBytes(File(file), bytes); }
    void Inf(int last, int show = 1, int hide = 1) const {
        Write("qor_inf", std::to_string(last) + "\r\n1111111111111111\r\n" + std::to_string(show) + "\r\n" +
                             std::to_string(hide) + "\r\n");
    }
    // Pictures 0 .. last, each a small picture of its own size; the settings-page picture; qor_inf.
    void Standard(int last) const {
        Inf(last);
        for (int n = 0; n <= last; ++n)
            Write("qor_" + std::to_string(n), Jpeg(24 + n, 18));
        Write("qor_effect1", SaveBmp(Pattern(12, 8)));
    }
    Snapshot Take() const { return vis::Take(dir.Path()); }
    StartDecision Start(const std::string& arg) const {
        MemoryInstanceGuard guard;
        return DecideStart(program, arg, P, guard, FileExists);
    }
    HeadlessRunOptions Options() const {
        HeadlessRunOptions o;
        o.programPath = program;
        o.screenWidth = 160;
        o.screenHeight = 120;
        return o;
    }

    test::TempDir dir;
    std::string program;
    std::string data;
    std::string name;
};

// A saver window running over the folder: the pictures it made current, in order.
class Show {
  public:
    explicit Show(const Saver& saver) : run(saver.Options()) {
        run.onTick = [this](const HeadlessTick& t) {
            if ((t.state == 1 || t.state == 5) && run.Fmqv().SlideState == 2) currents.push_back(t.picture);
        };
        run.Open();
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const auto& e : run.errors)
            texts.push_back(e.message);
        return texts;
    }

    HeadlessRun run;
    std::vector<std::int32_t> currents;
};

// The dialog's controls held in memory.
class View : public SettingView {
  public:
    bool Checked(SettingBox box) const override { return checked[I(box)]; }
    void SetCheckedState(SettingBox box, bool on) override { checked[I(box)] = on; }
    bool Enabled(SettingBox box) const override { return enabled[I(box)]; }
    void SetEnabled(SettingBox box, bool on) override { enabled[I(box)] = on; }
    int Position(SettingTrackBar bar) const override { return positions[static_cast<std::size_t>(bar)]; }
    void SetPosition(SettingTrackBar bar, int p) override { positions[static_cast<std::size_t>(bar)] = p; }
    void SetPageVisible(SettingPage, bool) override {}
    void SetCurrentPage(SettingPage) override {}
    void ShowPreview(const Bitmap&, Color) override { ++previews; }
    std::string LblUrlText() const override { return kMakerUrl; }
    void Close() override { ++closes; }
    static std::size_t I(SettingBox b) { return static_cast<std::size_t>(b); }

    std::array<bool, kSettingBoxCount> checked{};
    std::array<bool, kSettingBoxCount> enabled{};
    std::array<int, 2> positions{4, 2};
    int previews = 0;
    int closes = 0;
};

// The settings dialog created and shown over the folder, as the shell does it.
class Dialog {
  public:
    explicit Dialog(const Saver& saver) : form(view, shell, saver.program, P) {
        created = form.CallHandler(app, &TFmSetting::FormCreate);
        shown = form.CallHandler(app, &TFmSetting::FormShow);
    }
    bool Ok() { return form.CallHandler(app, &TFmSetting::Button1Click); }

    View view;
    RecordingShell shell;
    HeadlessApplication app;
    TFmSetting form;
    bool created = false, shown = false;
};

// The files the dialog's OK is meant to write.
bool DialogMayWrite(const std::string& relative, const Saver& saver) {
    for (const char* f : {"qor_inf", "qor_random", "qor_bgm", "qor_gray", "qor_sepia"})
        if (relative == "velloran/" + saver.name + "/" + f) return true;
    return false;
}

constexpr std::uint32_t kMinute = 60000;

// ---- JPEG files ------------------------------------------------------------------------------------------

TEST(HostileJpeg, CutAtEveryOffsetIsUnreadableInTheHeaderAndAWholePictureAfterIt) {
    for (const bool progressive : {false, true}) {
        const std::string jpeg = Jpeg(40, 30, progressive);
        const std::size_t sos = jpeg.find("\xFF\xDA");
        const std::size_t data = test::FirstScanData(jpeg);
        ASSERT_NE(data, std::string::npos);
        const auto scans = test::ScanDataRanges(jpeg);
        int unreadable = 0, decoded = 0;
        std::vector<std::string> errors;
        for (std::size_t cut = 0; cut < jpeg.size(); ++cut) {
            Bitmap bmp(2, 3);
            bmp.FillAll(0x123456);
            const Bitmap before = bmp;
            const std::string part = jpeg.substr(0, cut);
            // libjpeg only warns about data cut short and fills in the rest. A cut inside a scan header or, in
            // a progressive file, inside the tables of a later scan leaves a table undefined or bogus, which is
            // one of libjpeg's errors: djpeg refuses such a file too.
            JpegStatus status = JpegStatus::Decoded;
            try {
                status = DecodeJpeg(part.data(), part.size(), bmp);
            } catch (const EInvalidGraphic& e) {
                EXPECT_GE(cut, sos) << cut;
                for (const auto& [begin, end] : scans)
                    EXPECT_FALSE(cut >= begin && cut <= end) << cut << " inside scan data: " << e.what();
                errors.push_back(part);
                continue;
            }
            if (status == JpegStatus::CannotBeRead) {
                ++unreadable;
                // Only a file cut before its image data; the bitmap is untouched.
                EXPECT_LT(cut, data) << cut;
                EXPECT_TRUE(bmp == before) << cut;
            } else {
                ++decoded;
                // The header was read (a cut inside the scan header may still parse).
                EXPECT_GE(cut, sos) << cut;
                EXPECT_EQ(bmp.Width(), 40);
                EXPECT_EQ(bmp.Height(), 30);
            }
        }
        EXPECT_GE(unreadable, static_cast<int>(sos));
        std::size_t scanBytes = 0;
        for (const auto& [begin, end] : scans)
            scanBytes += end - begin + 1;
        EXPECT_GE(decoded, static_cast<int>(scanBytes));
        if (test::HaveDjpeg()) {
            test::TempDir dir;
            for (std::size_t i = 0; i < errors.size(); i += std::max<std::size_t>(1, errors.size() / 8)) {
                test::WriteBytes(dir.File("cut.jpg"), errors[i]);
                EXPECT_EQ(test::DjpegDecode(dir.File("cut.jpg")).Width(), 0) << errors[i].size();
            }
        }
    }
}
TEST(HostileJpeg, OpeningPictureCutInItsHeaderClosesTheSaverSilently) {
    const std::string whole = Jpeg(24, 18);
    const std::size_t sos = whole.find("\xFF\xDA");
    for (const std::size_t cut :
         {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{20}, sos - 1, sos + 2}) {
        Saver saver;
        saver.Standard(3);
        saver.Write("qor_0", whole.substr(0, cut));
        ASSERT_EQ(saver.Start("/s").outcome, StartOutcome::RunWindow);
        const Snapshot before = saver.Take();
        Show show(saver);
        show.run.RunUntil(kMinute);
        EXPECT_TRUE(show.run.Ended()) << cut;
        EXPECT_TRUE(show.currents.empty()) << cut;
        EXPECT_TRUE(show.Errors().empty()) << cut;
        EXPECT_EQ(show.run.window.endLoopCalls, 1);
        EXPECT_TRUE(show.run.window.cursorVisible);
        EXPECT_EQ(saver.Take(), before);
    }
}

// A picture cut short in its data shows as libjpeg decodes it (as djpeg does), with no error box.
TEST(HostileJpeg, PictureCutInItsDataShowsAsDjpegDecodesItWithoutAnError) {
    if (!test::HaveDjpeg()) GTEST_SKIP() << "djpeg is not installed (scripts/install-deps core)";
    for (const bool progressive : {false, true}) {
        const std::string whole = Jpeg(48, 40, progressive);
        const auto scans = test::ScanDataRanges(whole);
        for (const std::size_t cut :
             {scans.front().first + 1, (scans.back().first + scans.back().second) / 2, whole.size() - 3}) {
            Saver saver;
            saver.Standard(3);
            saver.Write("qor_2", whole.substr(0, cut));
            const Bitmap expected = test::DjpegDecode(saver.File("qor_2"));
            ASSERT_EQ(expected.Width(), 48);
            const Snapshot before = saver.Take();
            Show show(saver);
            std::vector<Bitmap> shown; // picture 2 each time it became current
            show.run.onTick = [&](const HeadlessTick& t) {
                if ((t.state == 1 || t.state == 5) && show.run.Fmqv().SlideState == 2) {
                    show.currents.push_back(t.picture);
                    if (t.picture == 2) shown.push_back(show.run.Fmqv().CurrentPicture);
                }
            };
            show.run.RunUntil(kMinute);
            EXPECT_FALSE(show.run.Ended()) << cut;
            EXPECT_EQ(show.Errors(), std::vector<std::string>{}) << cut;
            ASSERT_GE(show.currents.size(), 6u);
            EXPECT_EQ(std::vector<std::int32_t>(show.currents.begin(), show.currents.begin() + 6),
                      (std::vector<std::int32_t>{0, 1, 2, 3, 1, 2}));
            ASSERT_FALSE(shown.empty());
            for (const Bitmap& b : shown)
                EXPECT_TRUE(b == expected) << progressive << " cut at " << cut;
            EXPECT_EQ(saver.Take(), before);
        }
    }
}

// A picture larger than this machine can hold is reported like any error after the file was read, and the
// show goes on; nothing of its size is ever allocated.
TEST(HostileJpeg, HeaderClaiming65500By65500IsOneErrorAndTheShowGoesOn) {
    for (const bool progressive : {false, true}) {
        Saver saver;
        saver.Standard(3);
        saver.Write("qor_0", test::ClaimSize(Jpeg(16, 16, progressive), 65500, 65500));
        const Snapshot before = saver.Take();
        Show show(saver);
        std::int64_t largest = 0;
        show.run.onTick = [&](const HeadlessTick& t) {
            if ((t.state == 1 || t.state == 5) && show.run.Fmqv().SlideState == 2) show.currents.push_back(t.picture);
            const TFmqv& fm = show.run.Fmqv();
            for (const Bitmap* b : {&fm.CurrentPicture, &fm.NextPicture, &fm.CurrentFrame, &fm.NextFrame})
                largest = std::max<std::int64_t>(largest, std::int64_t{b->Width()} * b->Height());
        };
        show.run.RunUntil(kMinute);
        EXPECT_FALSE(show.run.Ended());
        EXPECT_EQ(show.Errors(), std::vector<std::string>{"ﾌｧｲﾙ " + saver.File("qor_0") +
                                                          " の画像 (65500 × 65500) は大きすぎて表示できません"});
        ASSERT_GE(show.currents.size(), 4u);
        EXPECT_EQ(std::vector<std::int32_t>(show.currents.begin(), show.currents.begin() + 4),
                  (std::vector<std::int32_t>{1, 2, 3, 1}));
        EXPECT_LE(largest, 27 * 18);
        EXPECT_EQ(saver.Take(), before);
    }
    // The process never held anything near one such bitmap (12 GiB).
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 2L << 20) << "KiB";
}
TEST(HostileJpeg, ProgressiveFileWithThousandsOfScansIsStoppedAsDamaged) {
    const std::string many = test::RepeatFirstScan(Jpeg(64, 48, true), 3000);
    Bitmap bmp;
    try {
        DecodeJpeg(many.data(), many.size(), bmp);
        ADD_FAILURE() << "3000 scans decoded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "JPEG: more than 100 scans");
    }

    Saver saver;
    saver.Standard(3);
    saver.Write("qor_0", many);
    const Snapshot before = saver.Take();
    Show show(saver);
    show.run.RunUntil(kMinute);
    EXPECT_FALSE(show.run.Ended());
    EXPECT_EQ(show.Errors(), std::vector<std::string>{"JPEG: more than 100 scans"});
    ASSERT_FALSE(show.currents.empty());
    EXPECT_EQ(show.currents[0], 1);
    EXPECT_EQ(saver.Take(), before);
}

TEST(HostileJpeg, EmptyPngOrBmpNamedAsAPictureClosesTheSaverWhenItsTurnComes) {
    // 0 and 1 are shown; the load that would bring 3 in as the next picture closes the window before its
    // current picture, 2, is drawn.
    for (const std::string& bytes : {std::string(), kPng, SaveBmp(Pattern(20, 10))}) {
        Saver saver;
        saver.Standard(5);
        saver.Write("qor_3", bytes);
        const Snapshot before = saver.Take();
        Show show(saver);
        show.run.RunUntil(10 * kMinute);
        EXPECT_EQ(show.currents, (std::vector<std::int32_t>{0, 1}));
        EXPECT_TRUE(show.run.Ended());
        EXPECT_TRUE(show.Errors().empty());
        EXPECT_EQ(saver.Take(), before);
    }
}

// ---- Entries that are not files -------------------------------------------------------------------------

TEST(HostileFolder, FolderNamedLikeAPictureIsNoPicture) {
    Saver saver;
    saver.Standard(3);
    fs::remove(saver.File("qor_0"));
    fs::create_directory(saver.File("qor_0"));
    const Snapshot before = saver.Take();
    for (const char* arg : {"/s", "/c"}) {
        const StartDecision d = saver.Start(arg);
        EXPECT_EQ(d.outcome, StartOutcome::MissingDataFile) << arg;
        EXPECT_EQ(d.missingFile, "qor_0");
    }
    EXPECT_EQ(saver.Take(), before);

    // Inside the cycle, such a folder is a missing picture: the cycle ends there and wraps round.
    fs::remove(saver.File("qor_0"));
    saver.Write("qor_0", Jpeg(24, 18));
    fs::remove(saver.File("qor_3"));
    fs::create_directory(saver.File("qor_3"));
    Show show(saver);
    show.run.RunUntil(2 * kMinute);
    EXPECT_FALSE(show.run.Ended());
    EXPECT_TRUE(show.Errors().empty());
    ASSERT_GE(show.currents.size(), 5u);
    EXPECT_EQ(std::vector<std::int32_t>(show.currents.begin(), show.currents.begin() + 5),
              (std::vector<std::int32_t>{0, 1, 2, 1, 2}));
}

TEST(HostileFolder, QorInfThatCannotBeReadEndsSilently) {
    // Permissions do not stop a test running as root: an entry of another kind does.
    const std::vector<std::function<void(const Saver&)>> unreadable = {
        [](const Saver& s) { fs::create_directory(s.File("qor_inf")); },
        [](const Saver& s) { fs::create_symlink(s.File("nowhere"), s.File("qor_inf")); },
        [](const Saver& s) { fs::create_symlink("qor_inf", s.File("qor_inf")); },
    };
    for (std::size_t i = 0; i < unreadable.size(); ++i) {
        Saver saver;
        saver.Standard(3);
        fs::remove(saver.File("qor_inf"));
        unreadable[i](saver);
        const Snapshot before = saver.Take();
        for (const char* arg : {"/s", "/c", ""}) {
            const StartDecision d = saver.Start(arg);
            EXPECT_EQ(d.outcome, StartOutcome::MissingDataFile) << i << arg;
            EXPECT_EQ(d.missingFile, "qor_inf") << i << arg;
        }
        EXPECT_EQ(saver.Take(), before);
    }
    // Where permissions do count, a file without read permission passes start-up (it exists) and the window
    // reports it in the error box, running on the defaults.
    if (::geteuid() != 0) {
        Saver saver;
        saver.Standard(2);
        fs::permissions(saver.File("qor_inf"), fs::perms::none);
        ASSERT_EQ(saver.Start("/s").outcome, StartOutcome::RunWindow);
        Show show(saver);
        show.run.RunUntil(kMinute);
        EXPECT_EQ(show.Errors(), std::vector<std::string>{InOutErrorText(5)});
        EXPECT_FALSE(show.run.Ended());
    }
}

TEST(HostileFolder, DataFolderThatIsASymbolicLinkLoopEndsSilentlyAndNeverLoops) {
    Saver saver;
    fs::remove_all(saver.data);
    fs::create_symlink(saver.name, saver.data); // velloran/Saver -> Saver
    const Snapshot before = saver.Take();
    for (const char* arg : {"/s", "/c"}) {
        const StartDecision d = saver.Start(arg);
        EXPECT_EQ(d.outcome, StartOutcome::MissingDataFile);
        EXPECT_EQ(d.missingFile, "qor_inf");
    }
    // Should the folder turn into a loop once the window is up: the error box for qor_inf, then the first
    // load finds no picture and closes.
    Show show(saver);
    show.run.RunUntil(kMinute);
    EXPECT_EQ(show.Errors(), std::vector<std::string>{InOutErrorText(2)});
    EXPECT_TRUE(show.run.Ended());
    EXPECT_EQ(saver.Take(), before);

    Dialog dialog(saver);
    EXPECT_FALSE(dialog.created);
    EXPECT_FALSE(dialog.shown);
    EXPECT_EQ(dialog.app.errors.size(), 2u);
    EXPECT_EQ(saver.Take(), before);
}

// An entry that exists but is no regular file, a named pipe, would make a plain open wait for a writer (or,
// when written, a reader) that never comes.
TEST(HostileFolder, NamedPipeInPlaceOfAFileNeverBlocks) {
    const auto pipe = [](const Saver& s, const std::string& name) {
        fs::remove(s.File(name));
        ASSERT_EQ(::mkfifo(s.File(name).c_str(), 0644), 0);
    };
    {
        // The settings file: start-up lets it pass (it exists), the window reports it unreadable and runs on the
        // defaults.
        Saver saver;
        saver.Standard(2);
        pipe(saver, "qor_inf");
        ASSERT_EQ(saver.Start("/s").outcome, StartOutcome::RunWindow);
        const Snapshot before = saver.Take();
        Show show(saver);
        show.run.RunUntil(kMinute);
        EXPECT_EQ(show.Errors(), std::vector<std::string>{InOutErrorText(5)});
        EXPECT_FALSE(show.run.Ended());
        EXPECT_FALSE(show.currents.empty());
        EXPECT_EQ(saver.Take(), before);

        Dialog dialog(saver);
        EXPECT_TRUE(dialog.created);
        EXPECT_FALSE(dialog.shown);
        EXPECT_EQ(dialog.app.errors, std::vector<std::string>{InOutErrorText(5)});
        // OK puts a settings file in its place.
        ASSERT_TRUE(dialog.Ok());
        EXPECT_EQ(test::ReadBytes(saver.File("qor_inf")), "2\r\n1111111111111111\r\n5\r\n3\r\n");
    }
    {
        // A picture: unreadable, so the saver closes.
        Saver saver;
        saver.Standard(2);
        pipe(saver, "qor_0");
        Show show(saver);
        show.run.RunUntil(kMinute);
        EXPECT_TRUE(show.run.Ended());
        EXPECT_TRUE(show.Errors().empty());
    }
    {
        // The settings-page picture: the error box, and the dialog opens.
        Saver saver;
        saver.Standard(2);
        pipe(saver, "qor_effect1");
        Dialog dialog(saver);
        EXPECT_FALSE(dialog.created);
        EXPECT_TRUE(dialog.shown);
        EXPECT_EQ(dialog.app.errors,
                  std::vector<std::string>{FormatMessage("ﾌｧｲﾙ %s は開けません", saver.File("qor_effect1"))});
    }
    {
        // A marker: it exists, so its box is ticked; OK leaves it an empty file.
        Saver saver;
        saver.Standard(2);
        pipe(saver, "qor_gray");
        Dialog dialog(saver);
        EXPECT_TRUE(dialog.view.checked[View::I(SettingBox::CBGray)]);
        ASSERT_TRUE(dialog.Ok());
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(saver.File("qor_gray"))));
        EXPECT_EQ(test::ReadBytes(saver.File("qor_gray")), "");
    }
}

// Links in the data folder may point anywhere: what the dialog writes goes into the folder, never through a
// link to a file elsewhere.
TEST(HostileFolder, SettingsNeverWriteThroughALinkOutOfTheFolder) {
    Saver saver;
    saver.Standard(2);
    const std::string precious = saver.dir.File("precious.txt");
    test::WriteBytes(precious, "keep me");
    fs::create_symlink(precious, saver.File("qor_gray"));
    fs::create_symlink(precious, saver.File("qor_sepia"));
    fs::create_symlink(precious, saver.File("qor_inf.new~"));
    Dialog dialog(saver);
    ASSERT_TRUE(dialog.shown);
    // Both tone markers exist: sepia wins, and OK deletes the grey one (the link, not its target).
    EXPECT_FALSE(dialog.view.checked[View::I(SettingBox::CBGray)]);
    EXPECT_TRUE(dialog.view.checked[View::I(SettingBox::CBSepia)]);
    ASSERT_TRUE(dialog.Ok());
    EXPECT_EQ(test::ReadBytes(precious), "keep me");
    EXPECT_FALSE(fs::exists(fs::symlink_status(saver.File("qor_gray"))));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(saver.File("qor_sepia"))));
    EXPECT_EQ(test::ReadBytes(saver.File("qor_sepia")), "");
    EXPECT_EQ(test::ReadBytes(saver.File("qor_inf")), "2\r\n1111111111111111\r\n1\r\n1\r\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(saver.File("qor_inf.new~"))));
}

// ---- qor_inf --------------------------------------------------------------------------------------------

TEST(HostileQorInf, SeveralMegabytesWithoutALineBreakIsABadNumber) {
    const std::string line(4 << 20, '7');
    // The line is shortened in its middle, so the text's own words show.
    const std::string message = "'" + std::string(160, '7') + "…" + std::string(80, '7') + "' は整数ではありません";
    Saver saver;
    saver.Standard(2);
    saver.Write("qor_inf", line);
    ASSERT_EQ(saver.Start("/s").outcome, StartOutcome::RunWindow);
    const Snapshot before = saver.Take();
    {
        Show show(saver);
        show.run.RunUntil(kMinute);
        ASSERT_EQ(show.Errors().size(), 1u);
        EXPECT_TRUE(show.Errors()[0] == message);
        // The window was made all the same, with the defaults: picture 0, then picture 1 over and over.
        EXPECT_FALSE(show.run.Ended());
        ASSERT_GE(show.currents.size(), 3u);
        EXPECT_EQ(std::vector<std::int32_t>(show.currents.begin(), show.currents.begin() + 3),
                  (std::vector<std::int32_t>{0, 1, 1}));
    }
    EXPECT_EQ(saver.Take(), before);

    Dialog dialog(saver);
    EXPECT_TRUE(dialog.created);
    EXPECT_FALSE(dialog.shown);
    ASSERT_EQ(dialog.app.errors.size(), 1u);
    EXPECT_TRUE(dialog.app.errors[0] == message);
    EXPECT_EQ(dialog.view.positions, (std::array<int, 2>{4, 2}));
    EXPECT_EQ(saver.Take(), before);
    // OK writes a whole file; the picture count comes from the folder, since line 1 was never read.
    ASSERT_TRUE(dialog.Ok());
    EXPECT_EQ(test::ReadBytes(saver.File("qor_inf")), "2\r\n1111111111111111\r\n5\r\n3\r\n");
    for (const std::string& name : Changed(before, saver.Take()))
        EXPECT_TRUE(DialogMayWrite(name, saver)) << name;
}

TEST(HostileQorInf, FileLargerThanAnySettingsIsAnInputOutputError) {
    Saver saver;
    saver.Standard(2);
    saver.Write("qor_inf", std::string((16 << 20) + 1, '\r'));
    Show show(saver);
    show.run.RunUntil(kMinute);
    EXPECT_EQ(show.Errors(), std::vector<std::string>{InOutErrorText(5)});
    EXPECT_FALSE(show.run.Ended());
}

TEST(HostileQorInf, DisplayTimeOf2147483647SecondsWaitsWithoutWrapping) {
    Saver saver;
    saver.Standard(2);
    saver.Inf(2, 2147483647, 1);
    const Snapshot before = saver.Take();
    Show show(saver);
    show.run.RunUntil(kMinute);
    EXPECT_TRUE(show.Errors().empty());
    EXPECT_EQ(show.run.Fmqv().ShowTime, 2147483647);
    // The first round's display is short; the second picture then stays, far beyond the hour checked here.
    ASSERT_EQ(show.currents, (std::vector<std::int32_t>{0, 1}));
    ASSERT_FALSE(show.run.ticks.empty());
    EXPECT_EQ(show.run.ticks.back().interval, 2147483647);
    const std::size_t ticks = show.run.ticks.size();
    show.run.RunUntil(61 * kMinute);
    EXPECT_EQ(show.run.ticks.size(), ticks);
    EXPECT_FALSE(show.run.Ended());
    EXPECT_EQ(saver.Take(), before);

    Dialog dialog(saver);
    EXPECT_TRUE(dialog.shown);
    EXPECT_EQ(dialog.view.positions[0], 9);
    ASSERT_TRUE(dialog.Ok());
    EXPECT_EQ(test::ReadBytes(saver.File("qor_inf")), "2\r\n1111111111111111\r\n10\r\n1\r\n");
}

// ---- Names ----------------------------------------------------------------------------------------------

TEST(HostileNames, ProgramAndDataFolderNamesThatAreNotUtf8) {
    Saver saver("\xff\xfe\x80q\xc3(.scr");
    EXPECT_EQ(saver.name, "\xff\xfe\x80q\xc3(");
    saver.Standard(2);
    // An entry with a non-UTF-8 name beside the pictures is no concern of the program's.
    saver.Write("qor_\xff", "x");
    ASSERT_EQ(saver.Start("/s").outcome, StartOutcome::RunWindow);
    ASSERT_EQ(saver.Start("/c").outcome, StartOutcome::RunWindow);
    const Snapshot before = saver.Take();
    {
        Show show(saver);
        show.run.RunUntil(kMinute);
        EXPECT_TRUE(show.Errors().empty());
        ASSERT_GE(show.currents.size(), 3u);
        EXPECT_EQ(std::vector<std::int32_t>(show.currents.begin(), show.currents.begin() + 3),
                  (std::vector<std::int32_t>{0, 1, 2}));
    }
    EXPECT_EQ(saver.Take(), before);

    Dialog dialog(saver);
    EXPECT_TRUE(dialog.created);
    EXPECT_TRUE(dialog.shown);
    EXPECT_EQ(dialog.view.previews, 1);
    dialog.view.checked[View::I(SettingBox::CBGray)] = true;
    ASSERT_TRUE(dialog.Ok());
    EXPECT_EQ(test::ReadBytes(saver.File("qor_gray")), "");
    EXPECT_EQ(test::ReadBytes(saver.File("qor_inf")), "2\r\n1111111111111111\r\n1\r\n1\r\n");
    EXPECT_EQ(Changed(before, saver.Take()), std::set<std::string>{"velloran/" + saver.name + "/qor_gray"});
}

// ---- The settings-page picture --------------------------------------------------------------------------

TEST(HostileSettings, QorEffect1ThatIsNotABitmapShowsTheErrorBoxAndTheDialogOpens) {
    for (const std::string& bytes : {Jpeg(12, 8), std::string(), kPng, std::string("BM") + std::string(60, '\xff')}) {
        Saver saver;
        saver.Standard(3);
        saver.Write("qor_effect1", bytes);
        ASSERT_EQ(saver.Start("/c").outcome, StartOutcome::RunWindow);
        const Snapshot before = saver.Take();
        Dialog dialog(saver);
        EXPECT_FALSE(dialog.created);
        EXPECT_TRUE(dialog.shown);
        EXPECT_EQ(dialog.app.errors, std::vector<std::string>{kInvalidBitmapText});
        EXPECT_EQ(dialog.view.previews, 0);
        EXPECT_EQ(dialog.form.LastPictureNo, 3);
        // The picture keeps its name: no qor_effect1.bmp is left behind.
        EXPECT_EQ(saver.Take(), before);
        ASSERT_TRUE(dialog.Ok());
        for (const std::string& name : Changed(before, saver.Take()))
            EXPECT_TRUE(DialogMayWrite(name, saver)) << name;
        EXPECT_EQ(test::ReadBytes(saver.File("qor_effect1")), bytes);
    }
    // A folder in its place: settings mode does not start.
    Saver saver;
    saver.Standard(3);
    fs::remove(saver.File("qor_effect1"));
    fs::create_directory(saver.File("qor_effect1"));
    EXPECT_EQ(saver.Start("/c").missingFile, "qor_effect1");
}

} // namespace
} // namespace vis
