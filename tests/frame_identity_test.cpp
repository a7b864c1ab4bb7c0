// Every window frame the slideshow draws, for each of the sixteen effects in both phases, with pictures
// smaller than, as large as and larger than the window, centred and at random places, compared with a table of
// hashes recorded from an earlier build. Any change that shows on the screen, or in the ticks' timing, fails here.
//
// The table is tests/data/frame_hashes.txt. After a change that is meant to alter what the saver shows,
// regenerate it with
//     VISTRELLE_WRITE_FRAME_HASHES=1 build/dev/tests/vtests --gtest_filter='FrameIdentity.*'
// and commit it together with that change.
#include "gfx/JpegEncode.h"
#include "support/SaverFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vis {
namespace {

using test::Inf;
using test::SaverFolder;

constexpr std::int32_t kScreenW = 64, kScreenH = 48;

std::string TablePath() {
    return (std::filesystem::path(__FILE__).parent_path() / "data" / "frame_hashes.txt").string();
}

// FNV-1a, 64 bits.
struct Hash {
    std::uint64_t h = 0xcbf29ce484222325ull;
    void Bytes(const void* data, std::size_t n) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        for (std::size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 0x100000001b3ull;
        }
    }
    void Int(std::int64_t v) { Bytes(&v, sizeof v); }
};

// A picture with detail in every row and column, and pure white and pure black blocks on the JPEG's 8 × 8 grid
// (they decode exactly), so that masks' transparent white and scaled copies are both put to the test.
void TexturedPicture(const SaverFolder& f, int n, std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const std::int32_t block = (x / 8 + y / 8 + n) % 5;
            Color c = static_cast<Color>((x * 9 + n * 50) & 0xFF) | static_cast<Color>((y * 11) & 0xFF) << 8 |
                      static_cast<Color>(((x + y) * 5 + 40) & 0xFF) << 16;
            if (block == 0) c = clWhite;
            if (block == 3) c = clBlack;
            b.SetPixel(x, y, c);
        }
    JpegEncodeOptions o;
    o.quality = 100;
    o.fullChroma = true;
    f.Write("qor_" + std::to_string(n), EncodeJpeg(b, o));
}

struct Case {
    const char* name;
    std::vector<std::pair<std::int32_t, std::int32_t>> pictures; // qor_0, qor_1, ...
    std::uint32_t untilMs;
};

// Two or three picture changes each: the opening picture's, then ones with the full display and pause times.
const std::vector<Case>& Cases() {
    static const std::vector<Case> cases{
        {"smaller", {{40, 30}, {40, 30}, {40, 30}}, 9000},
        {"equal", {{64, 48}, {64, 48}, {64, 48}}, 9000},
        {"larger", {{101, 71}, {101, 71}, {101, 71}}, 9000},
        {"mixed", {{40, 30}, {101, 71}, {90, 40}, {64, 48}, {30, 60}}, 16000},
    };
    return cases;
}

std::string Key(int effect, bool randomPlace, const Case& c) {
    return std::to_string(effect) + (randomPlace ? " random " : " centred ") + c.name;
}

// The run's ticks and the whole window after each of them, hashed.
std::string RunHash(int effect, bool randomPlace, const Case& c) {
    std::string mask(16, '0');
    mask[static_cast<std::size_t>(effect - 1)] = '1';
    SaverFolder f(Inf(static_cast<int>(c.pictures.size()) - 1, mask, 1, 1));
    for (std::size_t n = 0; n < c.pictures.size(); ++n)
        TexturedPicture(f, static_cast<int>(n), c.pictures[n].first, c.pictures[n].second);
    if (randomPlace) f.Marker("qor_randompos");
    HeadlessRunOptions options = f.Options(kScreenW, kScreenH);
    options.seed = 7u + static_cast<unsigned>(effect);
    HeadlessRun run(options);
    Hash hash;
    std::size_t frames = 0;
    run.onTick = [&](const HeadlessTick& t) {
        for (std::int64_t v :
             {std::int64_t{t.t}, std::int64_t{t.state}, std::int64_t{t.picture}, std::int64_t{t.effect.value_or(0)},
              std::int64_t{t.step}, std::int64_t{t.interval}, std::int64_t{t.drawn.left}, std::int64_t{t.drawn.top},
              std::int64_t{t.drawn.right}, std::int64_t{t.drawn.bottom}})
            hash.Int(v);
        const Bitmap screen = run.Fmqv().Screen().ToBitmap();
        for (std::int32_t y = 0; y < screen.Height(); ++y)
            hash.Bytes(screen.Row(y), static_cast<std::size_t>(screen.Width()) * 3);
        ++frames;
    };
    run.Open();
    run.RunUntil(c.untilMs);
    EXPECT_TRUE(run.errors.empty()) << Key(effect, randomPlace, c);
    char text[64];
    std::snprintf(text, sizeof text, "%zu %016llx", frames, static_cast<unsigned long long>(hash.h));
    return text;
}

std::map<std::string, std::string> ReadTable() {
    std::map<std::string, std::string> table;
    std::ifstream in(TablePath());
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        // "<effect> <placement> <case> <frames> <hash>"
        std::istringstream fields(line);
        std::string effect, place, name, frames, hash;
        fields >> effect >> place >> name >> frames >> hash;
        table[effect + " " + place + " " + name] = frames + " " + hash;
    }
    return table;
}

TEST(FrameIdentity, EveryEffectEveryPlacementEverySize) {
    std::map<std::string, std::string> got;
    for (int effect = 1; effect <= 16; ++effect)
        for (bool randomPlace : {false, true})
            for (const Case& c : Cases())
                got[Key(effect, randomPlace, c)] = RunHash(effect, randomPlace, c);

    if (std::getenv("VISTRELLE_WRITE_FRAME_HASHES")) {
        std::ofstream out(TablePath(), std::ios::trunc);
        out << "# effect, placement, pictures: frames drawn and the FNV-1a hash of ticks and frames\n";
        out << "# written by tests/frame_identity_test.cpp (see there how to regenerate)\n";
        for (const auto& [key, value] : got)
            out << key << ' ' << value << '\n';
        ASSERT_TRUE(out.good()) << TablePath();
        GTEST_SKIP() << "wrote " << TablePath();
    }

    const auto want = ReadTable();
    ASSERT_EQ(want.size(), got.size()) << "reference table " << TablePath() << " is missing or incomplete";
    for (const auto& [key, value] : got) {
        const auto it = want.find(key);
        ASSERT_NE(it, want.end()) << key;
        EXPECT_EQ(value, it->second) << "frames differ for effect " << key;
    }
}

} // namespace
} // namespace vis
