// Pictures decoded ahead on the worker thread change nothing the show does: every tick, every frame and every
// error box of a run comes out the same with and without it, also when picture files change while it runs.
#include "gfx/PictureMemory.h"
#include "support/JpegCraft.h"
#include "support/SaverFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace vis {
namespace {

using test::SaverFolder;

std::string Encoded(std::int32_t w, std::int32_t h, Color c, bool progressive = false) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, c ^ static_cast<Color>((x * 7 + y * 3) & 0x3F));
    JpegEncodeOptions o;
    o.progressive = progressive;
    return EncodeJpeg(b, o);
}

// Everything a run shows, one line per tick or error box, with the window's pixels hashed at every tick.
struct Recording {
    std::string text;
    std::int64_t takenReady = 0;
    bool ended = false;
};

// Runs the folder's show to `until`, calling change(t) at each of the given times first.
Recording Record(const SaverFolder& folder, bool ahead, std::uint32_t until,
                 const std::vector<std::pair<std::uint32_t, std::function<void()>>>& changes = {}) {
    HeadlessRunOptions o = folder.Options(160, 120);
    o.decodeAhead = ahead;
    o.awaitDecodesAhead = true;
    HeadlessRun run(o);
    std::ostringstream out;
    run.onTick = [&](const HeadlessTick& t) {
        const ScreenImage& s = run.Fmqv().Screen();
        const std::string_view pixels(reinterpret_cast<const char*>(s.Bits()), s.Stride() * s.Height());
        out << t.t << " s" << t.state << " p" << t.picture << " n" << t.next.value_or(-9) << " e"
            << t.effect.value_or(0) << " k" << t.step << " i" << t.interval << " d" << t.drawn.left << ","
            << t.drawn.top << "," << t.drawn.right << "," << t.drawn.bottom << " #"
            << std::hash<std::string_view>{}(pixels) << "\n";
    };
    run.onError = [&](const HeadlessError& e) { out << e.t << " error " << e.message << "\n"; };
    run.Open();
    for (const auto& [at, change] : changes) {
        run.RunUntil(at);
        change();
    }
    run.RunUntil(until);
    return {out.str(), run.Fmqv().PicturesTakenReady(), run.Ended()};
}

TEST(DecodeAhead, RunsShowTheSameTicksFramesAndErrors) {
    struct Case {
        const char* name;
        std::string mask;
        std::vector<const char*> markers;
        std::function<void(const SaverFolder&)> damage;
        // Pictures the loads take ready-made: eleven loads of two in 40 s, less those that fail.
        std::int64_t takenReady = 22;
    };
    const std::vector<Case> cases{
        {"numbered, grey", "1111111111111111", {"qor_gray"}, {}},
        {"title, random order and place, sepia",
         "1111111111111111",
         {"qor_title", "qor_random", "qor_randompos", "qor_sepia"},
         {}},
        // Sikaku draws from the generator at every step, so the random pick is known only after it.
        {"random order, Sikaku only", "0010000000000000", {"qor_random"}, {}},
        // The fade writes its frame; its last in-step must leave it as the picture for the next load.
        {"fade only, random places", "0100000000000000", {"qor_randompos"}, {}},
        {"a picture missing in the cycle",
         "1111111111111111",
         {},
         [](const SaverFolder& f) { std::filesystem::remove(f.File("qor_3")); }},
        {"a picture whose data fails to decode",
         "1111111111111111",
         {"qor_random"},
         [](const SaverFolder& f) { f.Write("qor_2", test::RepeatFirstScan(Encoded(40, 30, 0x2060A0, true), 150)); },
         15},
        {"a picture that is no JPEG file",
         "1111111111111111",
         {},
         [](const SaverFolder& f) { f.Write("qor_4", "not a picture"); },
         7},
        // 170 x 130 (66 560 bytes a bitmap) fits eight such bitmaps, but not the two held ahead beside them.
        {"a picture too large to decode ahead",
         "1111111111111111",
         {},
         [](const SaverFolder&) { SetPictureMemoryBudget(600000); },
         20},
    };
    for (const Case& c : cases) {
        SaverFolder folder(test::Inf(5, c.mask, 1, 1));
        // Smaller than, as large as and larger than the 160 x 120 window.
        const std::int32_t sides[][2] = {{90, 70}, {160, 120}, {200, 90}, {50, 150}, {120, 60}, {170, 130}};
        for (int n = 0; n <= 5; ++n)
            folder.Write("qor_" + std::to_string(n), Encoded(sides[n][0], sides[n][1], 0x305070 + 0x151009u * n));
        for (const char* m : c.markers)
            folder.Marker(m);
        if (c.damage) c.damage(folder);
        const Recording plain = Record(folder, false, 40000), ahead = Record(folder, true, 40000);
        EXPECT_EQ(ahead.text, plain.text) << c.name;
        EXPECT_EQ(ahead.ended, plain.ended) << c.name;
        EXPECT_EQ(plain.takenReady, 0) << c.name;
        EXPECT_EQ(ahead.takenReady, c.takenReady) << c.name;
        SetPictureMemoryBudget(std::nullopt);
    }
}

TEST(DecodeAhead, PictureFilesChangedDuringTheShowAreDecodedAgain) {
    SaverFolder folder(test::Inf(3, "1111111111111111", 1, 1));
    const auto original = [&] {
        for (int n = 0; n <= 3; ++n)
            folder.Write("qor_" + std::to_string(n), Encoded(100 + 10 * n, 80, 0x406080 + 0x200000u * n));
    };
    // Files replaced while their decodes wait ready: a picture due as the next one of the coming load, and the
    // one the show holds as its next picture, which the coming load would keep as its current one. Each
    // replacement has another size in bytes, so its stamp differs even where the clock's grain is coarse.
    std::vector<std::pair<std::uint32_t, std::function<void()>>> changes;
    for (std::uint32_t at = 1500, i = 0; at < 30000; at += 1900, ++i) {
        const int n = static_cast<int>(i % 4);
        changes.emplace_back(at, [&folder, n, i] {
            folder.Write("qor_" + std::to_string(n),
                         Encoded(60 + 13 * static_cast<std::int32_t>(i), 50 + 7 * n, 0x10A040 + 0x0F0F0Fu * i));
        });
    }
    original();
    const Recording plain = Record(folder, false, 32000, changes);
    original();
    const Recording ahead = Record(folder, true, 32000, changes);
    EXPECT_EQ(ahead.text, plain.text);
    EXPECT_GT(ahead.takenReady, 5);
}

} // namespace
} // namespace vis
