#include "JsonLine.h"
#include "RenderCommands.h"
#include "TestCard.h"
#include "qv/Files.h"
#include "support/SaverFolder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <png.h>
#include <sstream>
#include <sys/wait.h>

namespace vis::render {
namespace {

using test::Inf;
using test::SaverFolder;

Bitmap ReadPng(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << path << ": " << image.message;
        return {};
    }
    image.format = PNG_FORMAT_BGR;
    Bitmap b(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
    if (!png_image_finish_read(&image, nullptr, b.Bits(), static_cast<png_int_32>(b.Stride()), nullptr))
        ADD_FAILURE() << path << ": " << image.message;
    return b;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TimelineRequest Request(const SaverFolder& f, std::uint32_t until) {
    TimelineRequest r;
    r.dataFolder = f.data;
    r.screenWidth = 320;
    r.screenHeight = 200;
    r.untilMs = until;
    return r;
}

TEST(QvRenderTimeline, OneJsonLinePerTick) {
    SaverFolder f(Inf(2, "1000000000000000", 1, 1));
    f.Pictures(3, 100, 80);
    f.Marker("install.exe");
    std::ostringstream out, err;
    ASSERT_EQ(RunTimeline(Request(f, 1310), out, err), 0) << err.str();
    const std::vector<std::string> want{
        R"({"t": 1000, "state": 1, "picture": 0, "next": 1, "effect": 1, "step": 0, "interval": 100, "drawn": [110, 60, 100, 80]})",
        R"({"t": 1100, "state": 2, "picture": 0, "next": 1, "effect": 1, "step": 0, "interval": 50, "drawn": null})",
        R"({"t": 1150, "state": 3, "picture": 0, "next": 1, "effect": 1, "step": 0, "interval": 100, "drawn": [110, 60, 100, 80]})",
        R"({"t": 1250, "state": 4, "picture": 0, "next": 1, "effect": 1, "step": 0, "interval": 50, "drawn": null})",
        R"({"t": 1300, "state": 5, "picture": 0, "next": 1, "effect": 1, "step": 0, "interval": 10, "drawn": [110, 60, 100, 80]})",
        R"({"t": 1310, "state": 5, "picture": 1, "next": 2, "effect": 1, "step": 0, "interval": 1000, "drawn": [110, 60, 100, 80]})",
    };
    EXPECT_EQ(Lines(out.str()), want);
    EXPECT_TRUE(FileExists(f.File("install.exe"))) << "rendering leaves the folder as it was";
}

TEST(QvRenderTimeline, ErrorBoxesAreLinesToo) {
    SaverFolder f("3\r\n1111111111111111\r\nfive\r\n3\r\n");
    f.Pictures(4, 40, 30);
    std::ostringstream out, err;
    ASSERT_EQ(RunTimeline(Request(f, 1000), out, err), 0);
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], R"({"t": 0, "error": "'five' は整数ではありません"})");
    EXPECT_EQ(lines[1].substr(0, 13), R"({"t": 1000, ")");
}

TEST(QvRenderTimeline, FramesAreTheWholeWindowAfterEachDrawingTick) {
    SaverFolder f(Inf(2, "1000000000000000", 1, 1));
    f.Picture(0, 100, 80, 0x3080C0);
    f.Picture(1, 100, 80, 0xC08030);
    f.Picture(2, 100, 80);
    test::TempDir frames;
    auto r = Request(f, 1310);
    r.framesDir = frames.Path() + "/sub";
    std::ostringstream out, err;
    ASSERT_EQ(RunTimeline(r, out, err), 0) << err.str();
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_NE(lines[0].find(R"("frame": "000001.png")"), std::string::npos);
    EXPECT_EQ(lines[1].find("frame"), std::string::npos); // Normal drew nothing
    EXPECT_NE(lines[5].find(R"("frame": "000004.png")"), std::string::npos);
    EXPECT_FALSE(FileExists(r.framesDir.value() + "/000005.png"));

    const Bitmap first = ReadPng(*r.framesDir + "/000001.png");
    ASSERT_EQ(first.Width(), 320);
    ASSERT_EQ(first.Height(), 200);
    EXPECT_EQ(first.Pixel(0, 0), clBlack);
    EXPECT_EQ(first.Pixel(109, 100), clBlack);
    const Color c = first.Pixel(160, 100);
    EXPECT_NEAR(static_cast<int>(c >> 16), 0x30, 3);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0, 3);
    const Bitmap erased = ReadPng(*r.framesDir + "/000002.png");
    EXPECT_EQ(erased.Pixel(160, 100), clBlack);
}

TEST(QvRenderTimeline, MissingFolderFails) {
    TimelineRequest r;
    r.dataFolder = "/nonexistent/velloran/none";
    r.screenWidth = r.screenHeight = 10;
    std::ostringstream out, err;
    EXPECT_EQ(RunTimeline(r, out, err), 1);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("no such data folder"), std::string::npos);
}

EffectRequest Effect(int effect, bool out, int step, const std::string& file) {
    EffectRequest r;
    r.effect = effect;
    r.out = out;
    r.step = step;
    r.width = 90;
    r.height = 50;
    r.outFile = file;
    return r;
}

TEST(QvRenderEffect, StepsOfNormalAndFadeInOutOnTheTestCard) {
    test::TempDir dir;
    const Bitmap card = TestCard(90, 50);
    for (std::int32_t y = 0; y < 50; ++y)
        for (std::int32_t x = 0; x < 90; ++x) {
            const Color c = card.Pixel(x, y);
            ASSERT_TRUE(c != clBlack && c != clWhite && (c & 0xFF) != 0 && (c & 0xFF) != 0xFF);
        }
    std::ostringstream err;
    ASSERT_EQ(RunEffect(Effect(2, true, 1, dir.File("a.png")), err), 0) << err.str();
    EXPECT_EQ(ReadPng(dir.File("a.png")), card);
    ASSERT_EQ(RunEffect(Effect(2, false, 20, dir.File("b.png")), err), 0);
    EXPECT_EQ(ReadPng(dir.File("b.png")), card);
    ASSERT_EQ(RunEffect(Effect(2, true, 20, dir.File("c.png")), err), 0);
    Bitmap black(90, 50);
    black.FillAll(clBlack);
    EXPECT_EQ(ReadPng(dir.File("c.png")), black);
    ASSERT_EQ(RunEffect(Effect(2, true, 2, dir.File("d.png")), err), 0);
    const Bitmap d = ReadPng(dir.File("d.png"));
    const Color c = card.Pixel(89, 49), dc = d.Pixel(89, 49);
    EXPECT_EQ(dc >> 16, (c >> 16) - (c >> 16) / 19);
    // Normal draws nothing: going out the picture stays, coming in the area stays black, however many steps.
    ASSERT_EQ(RunEffect(Effect(1, true, 7, dir.File("e.png")), err), 0);
    EXPECT_EQ(ReadPng(dir.File("e.png")), card);
    ASSERT_EQ(RunEffect(Effect(1, false, 1, dir.File("f.png")), err), 0);
    EXPECT_EQ(ReadPng(dir.File("f.png")), black);
}

TEST(QvRenderEffect, PictureFromAFileKeepsItsSize) {
    SaverFolder f;
    f.Picture(0, 120, 70, 0x808080);
    auto r = Effect(2, true, 1, f.dir.File("out.png"));
    r.picture = f.File("qor_0");
    std::ostringstream err;
    ASSERT_EQ(RunEffect(r, err), 0) << err.str();
    const Bitmap image = ReadPng(f.dir.File("out.png"));
    EXPECT_EQ(image.Width(), 120);
    EXPECT_EQ(image.Height(), 70);
    // Wider and taller than the 90 x 50 window: what lies outside it was never shown.
    EXPECT_EQ(image.Pixel(0, 0), clBlack);
    EXPECT_NEAR(static_cast<int>(image.Pixel(60, 35) & 0xFF), 0x80, 3);
    r.picture = f.File("qor_inf");
    EXPECT_EQ(RunEffect(r, err), 1);
    EXPECT_NE(err.str().find("cannot read"), std::string::npos);
}

TEST(QvRenderJson, StringsAreEscaped) {
    EXPECT_EQ(JsonString("a\"b\\c\n\x01 é"), "\"a\\\"b\\\\c\\n\\u0001 é\"");
    EXPECT_EQ(JsonLine().Field("a", std::int64_t{-1}).Field("b", std::optional<std::int64_t>{}).Text(),
              R"({"a": -1, "b": null})");
}

int RunProgram(const std::string& args) {
    const int status = std::system((std::string(QV_RENDER_PROGRAM) + " " + args + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(QvRenderProgram, ExitStatuses) {
    EXPECT_EQ(RunProgram("--help"), 0);
    EXPECT_EQ(RunProgram(""), 2);
    EXPECT_EQ(RunProgram("timeline"), 2);
    EXPECT_EQ(RunProgram("timeline /tmp --screen 640 --until 5"), 2);
    EXPECT_EQ(RunProgram("timeline /tmp --screen 0x480 --until 5"), 2);
    EXPECT_EQ(RunProgram("timeline /tmp --screen 640x480 --until -5"), 2);
    EXPECT_EQ(RunProgram("timeline /tmp --screen 640x480 --until 5 --bogus 1"), 2);
    EXPECT_EQ(RunProgram("effect --effect 17 --phase out --step 1 --size 10x10 --out /tmp/x.png"), 2);
    EXPECT_EQ(RunProgram("effect --effect 2 --phase sideways --step 1 --size 10x10 --out /tmp/x.png"), 2);
    EXPECT_EQ(RunProgram("effect --effect 2 --phase out --step 21 --size 10x10 --out /tmp/x.png"), 2);
    EXPECT_EQ(RunProgram("effect --effect 2 --phase out --step 1 --size 10x10"), 2);
    EXPECT_EQ(RunProgram("timeline /nonexistent/folder --screen 64x48 --until 5"), 1);
}

// A camera's 45 MP photo and a 20000 x 200 panorama show at full size through the renderer: the window's
// centre is the centre of djpeg's decode of each file. The run also reports its peak memory against the
// memory rule's count of picture-sized bitmaps.
TEST(QvRenderProgram, CameraPhotoAndPanoramaShowAsDjpegDecodesThem) {
    if (!test::HaveDjpeg()) GTEST_SKIP() << "djpeg is not installed (scripts/install-deps core)";
    SaverFolder f(Inf(2, "1000000000000000", 1, 1));
    const auto make = [&f](int n, std::int32_t w, std::int32_t h) {
        Bitmap b(w, h);
        for (std::int32_t y = 0; y < h; ++y) {
            std::uint8_t* row = b.Row(y);
            for (std::int32_t x = 0; x < w; ++x) {
                row[3 * x] = static_cast<std::uint8_t>(x * 7 + y);
                row[3 * x + 1] = static_cast<std::uint8_t>(y * 3);
                row[3 * x + 2] = static_cast<std::uint8_t>((x ^ y) >> 2);
            }
        }
        JpegEncodeOptions o;
        o.quality = 80;
        o.progressive = n == 0;
        f.Write("qor_" + std::to_string(n), EncodeJpeg(b, o));
    };
    make(0, 8256, 5504);
    make(1, 20000, 200);
    f.Picture(2, 40, 30);
    const std::string frames = f.dir.File("frames"), report = f.dir.File("memory.json"), log = f.dir.File("out");
    ASSERT_EQ(std::system((std::string(QV_RENDER_PROGRAM) + " timeline " + f.data +
                           " --screen 640x480 --until 1400 --frames " + frames + " --memory-report " + report + " >" +
                           log + " 2>&1")
                              .c_str()),
              0)
        << test::ReadBytes(log);
    // The first drawing tick shows picture 0 whole; the state-5 tick of its cycle shows picture 1 whole.
    std::string photoFrame, panoramaFrame;
    for (const std::string& line : Lines(test::ReadBytes(log))) {
        const auto at = line.find("\"frame\": \"");
        if (at == std::string::npos) continue;
        const std::string name = line.substr(at + 10, 10);
        if (photoFrame.empty()) photoFrame = name;
        if (line.find("\"state\": 5, \"picture\": 0,") != std::string::npos) panoramaFrame = name;
    }
    ASSERT_FALSE(photoFrame.empty());
    ASSERT_FALSE(panoramaFrame.empty());
    const struct { std::string picture, frame; } shows[] = {{"qor_0", photoFrame}, {"qor_1", panoramaFrame}};
    for (const auto& s : shows) {
        const Bitmap decoded = test::DjpegDecode(f.File(s.picture));
        ASSERT_GT(decoded.Width(), 0) << s.picture;
        const Bitmap window = ReadPng(frames + "/" + s.frame);
        ASSERT_EQ(window.Width(), 640);
        // Centred: the picture's (x - (640 - W) / 2, y - (480 - H) / 2) lies at the window's (x, y).
        const std::int32_t dx = (640 - decoded.Width()) / 2, dy = (480 - decoded.Height()) / 2;
        int wrong = 0;
        for (std::int32_t y = std::max(0, dy); y < std::min(480, dy + decoded.Height()); ++y)
            for (std::int32_t x = 0; x < 640; ++x)
                wrong += window.Pixel(x, y) != decoded.Pixel(x - dx, y - dy);
        EXPECT_EQ(wrong, 0) << s.picture;
    }
    // The peak stays within what the rule counts for the largest picture.
    const std::string memory = test::ReadBytes(report);
    const auto number = [&memory](const std::string& key) {
        const auto at = memory.find("\"" + key + "\": ");
        return at == std::string::npos ? -1 : std::stoll(memory.substr(at + key.size() + 4));
    };
    EXPECT_NE(memory.find("\"largest_picture\": [8256, 5504]"), std::string::npos) << memory;
    EXPECT_EQ(number("bitmap_bytes"), 136323072);
    EXPECT_LE(number("most_bitmaps_at_a_tick"), number("bitmaps_counted"));
    EXPECT_LE(number("peak_bytes") - number("before_bytes"), number("counted_bytes")) << memory;
    std::printf("memory with a 45 MP picture: %s", memory.c_str());
}

} // namespace
} // namespace vis::render
