// Folders made by the authoring tool, read back by the program's own start-up, picture loader and settings
// dialog; the tool's refusals; the qv-make program's exit statuses.
#include "Demo.h"
#include "EffectPreview.h"
#include "MakeError.h"
#include "SaverBuilder.h"
#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "platform/headless/Headless.h"
#include "qv/Files.h"
#include "qv/QorInf.h"
#include "qv/Startup.h"
#include "saver/Unqv.h"
#include "settings/UnSetting.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <png.h>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace vis::make {
namespace {

namespace fs = std::filesystem;

// Four quadrants of clearly different colours, so any turn or mirror shows.
constexpr Color kTopLeft = 0xE02020, kTopRight = 0x20C020, kBottomLeft = 0x2040E0, kBottomRight = 0xF0E040;

Bitmap Quadrants(int w, int h) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, y < h / 2 ? (x < w / 2 ? kTopLeft : kTopRight) : (x < w / 2 ? kBottomLeft : kBottomRight));
    return b;
}

bool Near(Color a, Color b, int tolerance = 24) {
    for (int shift : {0, 8, 16})
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// The colour in the middle of each quadrant matches.
void ExpectQuadrants(const Bitmap& b) {
    const int w = b.Width(), h = b.Height();
    EXPECT_TRUE(Near(b.Pixel(w / 4, h / 4), kTopLeft)) << std::hex << b.Pixel(w / 4, h / 4);
    EXPECT_TRUE(Near(b.Pixel(3 * w / 4, h / 4), kTopRight)) << std::hex << b.Pixel(3 * w / 4, h / 4);
    EXPECT_TRUE(Near(b.Pixel(w / 4, 3 * h / 4), kBottomLeft)) << std::hex << b.Pixel(w / 4, 3 * h / 4);
    EXPECT_TRUE(Near(b.Pixel(3 * w / 4, 3 * h / 4), kBottomRight)) << std::hex << b.Pixel(3 * w / 4, 3 * h / 4);
}

std::string Jpeg(const Bitmap& b) {
    JpegEncodeOptions o;
    o.quality = 95;
    o.fullChroma = true;
    return EncodeJpeg(b, o);
}

std::string Png(const Bitmap& b) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(b.Width());
    image.height = static_cast<png_uint_32>(b.Height());
    image.format = PNG_FORMAT_BGR;
    png_alloc_size_t size = 0;
    const auto stride = static_cast<png_int_32>(b.Stride());
    EXPECT_TRUE(png_image_write_to_memory(&image, nullptr, &size, 0, b.Bits(), stride, nullptr));
    std::string out(size, '\0');
    EXPECT_TRUE(png_image_write_to_memory(&image, out.data(), &size, 0, b.Bits(), stride, nullptr));
    out.resize(size);
    return out;
}

// A JPEG file with an Exif segment carrying the orientation, right after its start marker.
std::string WithOrientation(const std::string& jpeg, int orientation) {
    std::string tiff("MM\0\x2A\0\0\0\x08\0\x01", 10);
    tiff += std::string("\x01\x12\0\x03\0\0\0\x01", 8) + char(0) + char(orientation) + std::string(6, '\0');
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    const std::string segment = std::string("\xFF\xE1") + char((body.size() + 2) >> 8) + char(body.size() + 2) + body;
    return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

Bitmap Decode(const std::string& path) {
    Bitmap b;
    EXPECT_EQ(LoadJpegFile(path, b), JpegStatus::Decoded) << path;
    return b;
}

std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        names.insert(e.path().filename().string());
    return names;
}

std::string ErrorOf(const SaverSpec& spec) {
    try {
        MakeSaver(spec);
    } catch (const MakeError& e) {
        return e.what();
    }
    return "no error";
}

class QvMake : public ::testing::Test {
  protected:
    std::string Input(const std::string& name, const std::string& bytes) {
        const std::string path = dir_.File(name);
        test::WriteBytes(path, bytes);
        return path;
    }
    SaverSpec Spec(std::vector<std::string> pictures) {
        SaverSpec s;
        s.dest = dir_.File("out");
        s.name = "Sunset";
        for (auto& p : pictures)
            s.pictures.push_back({p, std::nullopt});
        return s;
    }
    std::string Folder() const { return dir_.File("out/velloran/Sunset"); }
    std::string Program() const { return dir_.File("out/Sunset.scr"); }

    StartDecision Decide(const std::string& arg) {
        MemoryInstanceGuard guard;
        return DecideStart(Program(), arg, PathStyle::Posix, guard, [](const std::string& p) { return FileExists(p); });
    }

    test::TempDir dir_;
};

TEST_F(QvMake, FolderHasExactlyTheFilesAskedForAndPassesStartUp) {
    SaverSpec s = Spec({Input("a.jpg", Jpeg(Quadrants(64, 48))), Input("b.png", Png(Quadrants(40, 30))),
                        Input("c.jpg", Jpeg(Quadrants(30, 40))), Input("d.png", Png(Quadrants(16, 16)))});
    s.title = s.random = s.randomPosition = s.gray = s.lock = true;
    s.musicBytes = DemoMusic();
    s.showSeconds = 7;
    s.pauseSeconds = 2;
    s.effectMask = "1010101010101011";
    const SaverReport r = MakeSaver(s);
    EXPECT_EQ(r.dataFolder, Folder());
    EXPECT_EQ(Listing(Folder()), (std::set<std::string>{"qor_0", "qor_1", "qor_2", "qor_3", "qor_inf", "qor_title",
                                                        "qor_random", "qor_randompos", "qor_gray", "qor_lock",
                                                        "qor_bgm", "qor_bgm.mid", "qor_effect1"}));
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_inf"), "3\r\n1010101010101011\r\n7\r\n2\r\n");
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_inf"), QorInfText(3, "1010101010101011", 7, 2));
    for (const char* marker : {"qor_title", "qor_random", "qor_randompos", "qor_gray", "qor_lock", "qor_bgm"})
        EXPECT_EQ(test::ReadBytes(Folder() + "/" + marker), "") << marker;
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_bgm.mid"), DemoMusic());
    EXPECT_EQ(Listing(dir_.File("out/velloran")), std::set<std::string>{"Sunset"}) << "no temporary leftovers";
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(test::ReadBytes(Folder() + "/qor_" + std::to_string(i)).substr(0, 2), "\xFF\xD8");

    for (const char* arg : {"/s", "/c"}) {
        const StartDecision d = Decide(arg);
        EXPECT_EQ(d.outcome, StartOutcome::RunWindow) << arg << " missing " << d.missingFile;
        EXPECT_EQ(d.role, std::string(arg) == "/s" ? Role::Saver : Role::Settings);
        EXPECT_EQ(d.dataFolder, Folder());
    }
}

TEST_F(QvMake, SaverLoadsThePicturesAsMade) {
    const std::string wide = Input("wide.jpg", Jpeg(Quadrants(64, 48)));
    const std::string png = Input("tall.png", Png(Quadrants(30, 50)));
    MakeSaver(Spec({wide, png}));
    HeadlessApplication app;
    HeadlessWindow window(320, 240);
    VirtualClock clock;
    RecordingSystemSettings system;
    ScriptedMediaDevice media;
    TFmqv fm(SaverPlatform{.app = app,
                           .window = window,
                           .clock = clock,
                           .system = system,
                           .media = media,
                           .programPath = Program(),
                           .style = PathStyle::Posix,
                           .seed = 1,
                           .dataFolder = std::nullopt,
                           .leaveDataFolderAlone = false});
    fm.FormCreate();
    ASSERT_TRUE(app.errors.empty()) << app.errors[0];
    EXPECT_EQ(fm.DataFolder, Folder());
    EXPECT_EQ(fm.LastPictureNo, 1);
    fm.LoadPicturePair();
    ASSERT_TRUE(fm.PicturesLoaded);
    EXPECT_EQ(fm.CurrentPicture.Width(), 64);
    EXPECT_EQ(fm.CurrentPicture.Height(), 48);
    ExpectQuadrants(fm.CurrentPicture);
    EXPECT_EQ(fm.NextPicture.Width(), 30);
    EXPECT_EQ(fm.NextPicture.Height(), 50);
    ExpectQuadrants(fm.NextPicture);
}

class PreviewView : public SettingView {
  public:
    bool Checked(SettingBox b) const override { return checked[static_cast<std::size_t>(b)]; }
    void SetCheckedState(SettingBox b, bool on) override { checked[static_cast<std::size_t>(b)] = on; }
    bool Enabled(SettingBox b) const override { return enabled[static_cast<std::size_t>(b)]; }
    void SetEnabled(SettingBox b, bool on) override { enabled[static_cast<std::size_t>(b)] = on; }
    int Position(SettingTrackBar bar) const override { return positions[static_cast<std::size_t>(bar)]; }
    void SetPosition(SettingTrackBar bar, int p) override { positions[static_cast<std::size_t>(bar)] = p; }
    void SetPageVisible(SettingPage, bool) override {}
    void SetCurrentPage(SettingPage) override {}
    void ShowPreview(const Bitmap& picture, Color key) override {
        preview = picture;
        transparent = key;
    }
    std::string LblUrlText() const override { return kMakerUrl; }
    void Close() override {}

    std::array<bool, kSettingBoxCount> checked{};
    std::array<bool, kSettingBoxCount> enabled{};
    std::array<int, 2> positions{4, 2};
    Bitmap preview;
    Color transparent = 0;
};

TEST_F(QvMake, SettingsDialogShowsThePreviewAndTheSettings) {
    SaverSpec s = Spec({Input("a.jpg", Jpeg(Quadrants(8, 8))), Input("b.jpg", Jpeg(Quadrants(8, 8))),
                        Input("c.jpg", Jpeg(Quadrants(8, 8)))});
    s.showSeconds = 9;
    s.pauseSeconds = 1;
    s.effectMask = "0111111111111110";
    s.random = true;
    s.musicBytes = DemoMusic();
    MakeSaver(s);
    PreviewView view;
    view.enabled.fill(true);
    RecordingShell shell;
    HeadlessApplication app;
    TFmSetting form(view, shell, Program(), PathStyle::Posix);
    ASSERT_TRUE(form.CallHandler(app, &TFmSetting::FormCreate)) << app.errors[0];
    ASSERT_TRUE(form.CallHandler(app, &TFmSetting::FormShow)) << app.errors[0];
    EXPECT_EQ(view.preview.Width(), kPreviewWidth);
    EXPECT_EQ(view.preview.Height(), kPreviewHeight);
    EXPECT_EQ(view.preview, MakeEffectPreview());
    EXPECT_EQ(view.transparent, kPreviewBackground);
    EXPECT_TRUE(FileExists(Folder() + "/qor_effect1")) << "the preview is back under its own name";
    EXPECT_EQ(view.positions, (std::array<int, 2>{8, 0}));
    EXPECT_FALSE(view.Checked(SettingBox::CBNormal));
    EXPECT_TRUE(view.Checked(SettingBox::CBFadeInOut));
    EXPECT_FALSE(view.Checked(SettingBox::CBKazaguruma));
    EXPECT_TRUE(view.Checked(SettingBox::CBRandom));
    EXPECT_TRUE(view.Checked(SettingBox::CBBgm));
    EXPECT_EQ(form.LastPictureNo, 2);
}

TEST_F(QvMake, ExifTurnedJpegComesOutUpright) {
    // The camera stored the picture lying on its side (orientation 6: turn clockwise to view).
    const Bitmap upright = Quadrants(32, 48);
    Bitmap stored(48, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48; ++x)
            stored.SetPixel(x, y, upright.Pixel(31 - y, x));
    SaverSpec s = Spec({Input("side.jpg", WithOrientation(Jpeg(stored), 6)), Input("plain.jpg", Jpeg(upright))});
    const SaverReport r = MakeSaver(s);
    EXPECT_EQ(r.pictures[0].orientation, 6);
    EXPECT_FALSE(r.pictures[0].copied);
    const Bitmap out = Decode(Folder() + "/qor_0");
    ASSERT_EQ(out.Width(), 32);
    ASSERT_EQ(out.Height(), 48);
    ExpectQuadrants(out);
    // The upright one needed nothing and is the same file.
    EXPECT_TRUE(r.pictures[1].copied);
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_1"), Jpeg(upright));
}

TEST_F(QvMake, FitShrinksLargePicturesKeepingTheirShape) {
    const std::string small = Jpeg(Quadrants(120, 90));
    SaverSpec s = Spec({Input("wide.png", Png(Quadrants(1600, 400))), Input("tall.jpg", Jpeg(Quadrants(400, 1000))),
                        Input("small.jpg", small)});
    s.pictureSettings.fit = Size{400, 300};
    const SaverReport r = MakeSaver(s);
    const Bitmap wide = Decode(Folder() + "/qor_0"), tall = Decode(Folder() + "/qor_1");
    EXPECT_EQ(wide.Width(), 400);
    EXPECT_EQ(wide.Height(), 100);
    EXPECT_EQ(tall.Width(), 120);
    EXPECT_EQ(tall.Height(), 300);
    ExpectQuadrants(wide);
    ExpectQuadrants(tall);
    // The boundary between quadrants is averaged, not picked: a pixel straddling it mixes both sides.
    EXPECT_TRUE(r.pictures[2].copied);
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_2"), small);
}

TEST_F(QvMake, FitNoneKeepsEveryJpegByteForByte) {
    const std::string turned = WithOrientation(Jpeg(Quadrants(48, 32)), 6), large = Jpeg(Quadrants(2000, 100));
    SaverSpec s =
        Spec({Input("turned.jpg", turned), Input("large.jpg", large), Input("small.png", Png(Quadrants(60, 40)))});
    s.pictureSettings.keepJpegs = true;
    const SaverReport r = MakeSaver(s);
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_0"), turned) << "stored as given, Exif and all";
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_1"), large);
    EXPECT_TRUE(r.pictures[0].copied && r.pictures[1].copied);
    // A PNG has to become a JPEG, at its own size: never enlarged.
    const Bitmap png = Decode(Folder() + "/qor_2");
    EXPECT_EQ(png.Width(), 60);
    EXPECT_EQ(png.Height(), 40);
}

TEST_F(QvMake, FailureHalfwayLeavesNoFolder) {
    const std::string good = Input("good.jpg", Jpeg(Quadrants(16, 16)));
    const std::string text = Input("notes.txt", "these are not pixels");
    const std::string error = ErrorOf(Spec({good, good, text, good}));
    EXPECT_EQ(error, text + ": not a JPEG or PNG picture");
    EXPECT_FALSE(fs::exists(Folder()));
    EXPECT_TRUE(Listing(dir_.File("out/velloran")).empty()) << "the half-made folder was removed";

    // With an older saver in place and --force, the old one stays as it was.
    MakeSaver(Spec({good, good}));
    const std::string before = test::ReadBytes(Folder() + "/qor_inf");
    SaverSpec again = Spec({good, good, good, text});
    again.force = true;
    EXPECT_NE(ErrorOf(again).find("not a JPEG or PNG picture"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_inf"), before);
    EXPECT_FALSE(FileExists(Folder() + "/qor_2"));
    EXPECT_EQ(Listing(dir_.File("out/velloran")), std::set<std::string>{"Sunset"});
}

TEST_F(QvMake, ExistingSaverNeedsForce) {
    const std::string good = Input("good.jpg", Jpeg(Quadrants(16, 16)));
    MakeSaver(Spec({good, good}));
    EXPECT_EQ(ErrorOf(Spec({good, good, good})), Folder() + " already exists; give --force to replace it");
    EXPECT_FALSE(FileExists(Folder() + "/qor_2"));
    SaverSpec forced = Spec({good, good, good});
    forced.force = true;
    MakeSaver(forced);
    EXPECT_TRUE(FileExists(Folder() + "/qor_2"));
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_inf").substr(0, 3), "2\r\n");
    EXPECT_EQ(Listing(dir_.File("out/velloran")), std::set<std::string>{"Sunset"}) << "the old folder is gone";
}

TEST_F(QvMake, BadInputsAreNamed) {
    const std::string good = Input("good.jpg", Jpeg(Quadrants(16, 16)));
    const std::string cut = Jpeg(Quadrants(64, 64));
    const std::string truncated = Input("cut.jpg", cut.substr(0, cut.size() - 200));
    EXPECT_EQ(ErrorOf(Spec({good, dir_.File("missing.jpg")})),
              "cannot read " + dir_.File("missing.jpg") + ": no such file");
    EXPECT_EQ(ErrorOf(Spec({good, dir_.Path()})), "cannot read " + dir_.Path() + ": it is a folder");
    EXPECT_NE(ErrorOf(Spec({good, truncated})).find(truncated + ": damaged JPEG data"), std::string::npos);
    EXPECT_NE(ErrorOf(Spec({good, Input("bad.png", "\x89PNG\r\n\x1a\n garbage")})).find("damaged PNG data"),
              std::string::npos);
    SaverSpec music = Spec({good, good});
    music.musicPath = Input("song.mid", "RIFF....WAVE");
    EXPECT_NE(ErrorOf(music).find("not a Standard MIDI File"), std::string::npos);
    SaverSpec blocked = Spec({good, good});
    blocked.dest = Input("plainfile", "x");
    EXPECT_NE(ErrorOf(blocked).find("cannot make the folder " + blocked.dest + "/velloran"), std::string::npos);
    EXPECT_FALSE(fs::exists(Folder()));
}

// Runs the qv-make program; returns its exit status, with its standard error in err. env goes before it
// ("HOME=/x").
int RunTool(const std::string& args, std::string& err, const test::TempDir& dir, const std::string& env = "") {
    const std::string errFile = dir.File("stderr.txt");
    const int status = std::system(
        ("env -u DISPLAY " + env + " " + std::string(QV_MAKE_PROGRAM) + " " + args + " >/dev/null 2>" + errFile)
            .c_str());
    err = test::ReadBytes(errFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(QvMake, ProgramExitStatusesAndTheDemo) {
    std::string err;
    EXPECT_EQ(RunTool("", err, dir_), 2) << "no arguments: usage";
    const std::string out = dir_.File("demo");
    EXPECT_EQ(RunTool(out + " X " + dir_.File("none.jpg") + " " + dir_.File("none.jpg"), err, dir_), 1);
    EXPECT_EQ(err, "qv-make: cannot read " + dir_.File("none.jpg") + ": no such file\n");
    EXPECT_FALSE(fs::exists(out + "/velloran/X"));

    const std::string program = Input("qv", "#!/bin/sh\n");
    ASSERT_EQ(RunTool("--demo " + out + " --program " + program, err, dir_), 0) << err;
    EXPECT_EQ(fs::read_symlink(out + "/Demo.scr"), fs::path(program));
    for (const char* arg : {"/s", "/c"}) {
        MemoryInstanceGuard guard;
        const StartDecision d = DecideStart(out + "/Demo.scr", arg, PathStyle::Posix, guard,
                                            [](const std::string& p) { return FileExists(p); });
        EXPECT_EQ(d.outcome, StartOutcome::RunWindow) << arg << " missing " << d.missingFile;
    }
    for (const char* name : {"qor_title", "qor_bgm", "qor_bgm.mid", "qor_effect1", "qor_9"})
        EXPECT_TRUE(FileExists(out + "/velloran/Demo/" + name)) << name;
    EXPECT_FALSE(FileExists(out + "/velloran/Demo/qor_randompos")) << "a picture larger than the screen would not fit";
    const Bitmap large = Decode(out + "/velloran/Demo/qor_2");
    EXPECT_GT(large.Width(), 1920);

    EXPECT_EQ(RunTool("--demo " + out + " --program " + program, err, dir_), 1);
    EXPECT_NE(err.find("already exists; give --force"), std::string::npos);
    EXPECT_EQ(RunTool("--demo " + out + " --program " + program + " --force", err, dir_), 0) << err;
    EXPECT_EQ(Listing(out), (std::set<std::string>{"Demo.scr", "velloran"}));
}

} // namespace
} // namespace vis::make

namespace vis::make {
namespace {

TEST_F(QvMake, InstallCopiesTheProgramAndSelectsItInXscreensaver) {
    const std::string home = dir_.File("home");
    fs::create_directories(home);
    test::WriteBytes(home + "/.xscreensaver", "timeout:\t0:10:00\nmode:\t\trandom\nselected:\t-1\n"
                                              "programs:\t\\\n\t\tmaze -root\t\\n\\\n\nlock:\t\tFalse\n");
    const std::string program = Input("qv", "#!/bin/sh\nexit 0\n");
    fs::permissions(program, fs::perms::owner_all);
    const std::string large = Input("large.jpg", Jpeg(Quadrants(2000, 100))),
                      small = Input("s.jpg", Jpeg(Quadrants(8, 8)));
    std::string err;
    ASSERT_EQ(RunTool(dir_.File("out") + " Sunset " + large + " " + small + " --install --program " + program, err,
                      dir_, "HOME=" + home),
              0)
        << err;

    // The installer's own steps: NAME.SCR beside velloran is a runnable copy, its copy in the folder is gone.
    EXPECT_EQ(test::ReadBytes(Program().substr(0, Program().size() - 4) + ".SCR"), "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(::access((dir_.File("out/Sunset.SCR")).c_str(), X_OK), 0);
    EXPECT_EQ(Listing(Folder()), (std::set<std::string>{"qor_0", "qor_1", "qor_effect1", "qor_inf"}));
    EXPECT_EQ(Listing(dir_.File("out")), (std::set<std::string>{"Sunset.SCR", "velloran"}));
    EXPECT_EQ(test::ReadBytes(Folder() + "/qor_0"), test::ReadBytes(large)) << "no display: kept as it is";
    EXPECT_EQ(test::ReadBytes(home + "/.xscreensaver"),
              "timeout:\t0:10:00\nmode:\t\tone\nselected:\t1\nprograms:\t\\\n\t\t\t\tmaze -root \\n\\\n"
              "\t\t\t\t\"Vistrelle Sunset\" " +
                  dir_.File("out/Sunset.SCR") + " -root \\n\\\n\nlock:\t\tFalse\n");

    // A file that cannot be replaced is reported, and the installer copy does not stay behind.
    fs::remove(home + "/.xscreensaver");
    fs::create_directory(home + "/.xscreensaver");
    EXPECT_EQ(RunTool(dir_.File("out") + " Sunset " + large + " " + small + " --install --force --program " + program,
                      err, dir_, "HOME=" + home),
              1);
    EXPECT_EQ(err, "qv-make: cannot install the saver: " + home + "/.xscreensaver に書き込めません\n");
    EXPECT_FALSE(fs::exists(Folder() + "/install.exe"));
}

} // namespace
} // namespace vis::make
