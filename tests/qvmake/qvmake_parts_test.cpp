// The authoring tool's parts: EXIF orientation, pixel transforms, the MIDI writer, the effect-page picture
// and the command line.
#include "CommandLine.h"
#include "Demo.h"
#include "EffectPreview.h"
#include "Exif.h"
#include "MakeError.h"
#include "PixelFont.h"
#include "Smf.h"
#include "Transform.h"
#include "gfx/Bmp.h"
#include "settings/UnSetting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>

namespace vis::make {
namespace {

std::string U16(std::uint32_t v, bool be) {
    return be ? std::string{char(v >> 8), char(v)} : std::string{char(v), char(v >> 8)};
}
std::string U32(std::uint32_t v, bool be) {
    return be ? U16(v >> 16, be) + U16(v, be) : U16(v, be) + U16(v >> 16, be);
}

// An APP1 segment with an IFD0 of the given entries (tag, type, value).
std::string ExifSegment(bool be, std::vector<std::array<std::uint32_t, 3>> entries) {
    std::string tiff =
        (be ? "MM" : "II") + U16(42, be) + U32(8, be) + U16(static_cast<std::uint32_t>(entries.size()), be);
    for (const auto& [tag, type, value] : entries)
        tiff += U16(tag, be) + U16(type, be) + U32(1, be) + U16(value, be) + U16(0, be);
    tiff += U32(0, be);
    const std::string body = std::string("Exif\0\0", 6) + tiff;
    return std::string("\xFF\xE1") + U16(static_cast<std::uint32_t>(body.size() + 2), true) + body;
}

const std::string kSoi("\xFF\xD8", 2);
const std::string kTail("\xFF\xDA\x00\x02\xFF\xD9", 6);

TEST(Exif, OrientationInEitherByteOrder) {
    for (bool be : {false, true})
        for (std::uint32_t o = 1; o <= 8; ++o)
            EXPECT_EQ(ExifOrientation(kSoi + ExifSegment(be, {{0x010F, 2, 0}, {0x0112, 3, o}}) + kTail), int(o)) << be;
    // Another APP1 (XMP) and an APP0 before the Exif segment are stepped over.
    const std::string xmp = std::string("\xFF\xE1\x00\x06http", 8);
    const std::string app0 = std::string("\xFF\xE0\x00\x04\x00\x00", 6);
    EXPECT_EQ(ExifOrientation(kSoi + app0 + xmp + ExifSegment(false, {{0x0112, 3, 6}}) + kTail), 6);
}

TEST(Exif, DamagedOrMissingMeansAsStored) {
    EXPECT_EQ(ExifOrientation(""), 1);
    EXPECT_EQ(ExifOrientation("\x89PNG\r\n"), 1);
    EXPECT_EQ(ExifOrientation(kSoi + kTail), 1);
    EXPECT_EQ(ExifOrientation(kSoi + ExifSegment(false, {{0x0112, 4, 6}}) + kTail), 1) << "not a SHORT";
    EXPECT_EQ(ExifOrientation(kSoi + ExifSegment(false, {{0x0112, 3, 9}}) + kTail), 1) << "out of range";
    EXPECT_EQ(ExifOrientation(kSoi + ExifSegment(false, {{0x0112, 3, 0}}) + kTail), 1);
    // After the start of scan nothing counts.
    EXPECT_EQ(ExifOrientation(kSoi + kTail + ExifSegment(false, {{0x0112, 3, 6}})), 1);
    const std::string good = kSoi + ExifSegment(true, {{0x0112, 3, 8}});
    // Every truncation of a good file reads as 1 or 8, never beyond the end (checked by the sanitizer builds).
    for (std::size_t n = 0; n < good.size(); ++n) {
        const int o = ExifOrientation(good.substr(0, n));
        EXPECT_TRUE(o == 1 || o == 8) << n;
    }
    // An IFD offset or entry count pointing past the segment.
    std::string bad = good;
    bad[4 + 2 + 6 + 4 + 3] = '\x7F'; // IFD offset 0x7F (big-endian, the offset field after "MM" and 42)
    EXPECT_EQ(ExifOrientation(bad), 1);
    bad = good;
    bad[4 + 2 + 6 + 8] = '\xFF'; // entry count 0xFF01, and the one real entry is not the orientation
    bad[4 + 2 + 6 + 8 + 3] = '\x13';
    EXPECT_EQ(ExifOrientation(bad), 1);
    // Random damage anywhere in the segment: always an answer from 1 to 8 (and no read out of bounds, which the
    // sanitizer builds would report).
    std::uint32_t seed = 99;
    for (int round = 0; round < 3000; ++round) {
        std::string mutated = good;
        for (int k = 0; k < 3; ++k) {
            seed = seed * 1664525u + 1013904223u;
            mutated[2 + (seed >> 8) % (mutated.size() - 2)] = static_cast<char>(seed >> 24);
        }
        const int o = ExifOrientation(mutated);
        ASSERT_TRUE(o >= 1 && o <= 8) << round;
    }
    // A segment length that runs past the file.
    bad = good;
    bad[4] = '\x7F';
    EXPECT_EQ(ExifOrientation(bad), 1);
}

TEST(Transform, OrientationMovesCornersWhereExifSays) {
    // Stored 3 x 2: first row red, green, blue; second row black, grey, white.
    Bitmap stored(3, 2);
    const Color row0[3] = {0xFF0000, 0x00FF00, 0x0000FF}, row1[3] = {0x000000, 0x808080, 0xFFFFFF};
    for (int x = 0; x < 3; ++x) {
        stored.SetPixel(x, 0, row0[x]);
        stored.SetPixel(x, 1, row1[x]);
    }
    // Where the stored first row's first and last pixels stand in the upright picture.
    struct Expect {
        int o;
        Point first, last;
    };
    const Expect table[] = {{1, {0, 0}, {2, 0}}, {2, {2, 0}, {0, 0}}, {3, {2, 1}, {0, 1}}, {4, {0, 1}, {2, 1}},
                            {5, {0, 0}, {0, 2}}, {6, {1, 0}, {1, 2}}, {7, {1, 2}, {1, 0}}, {8, {0, 2}, {0, 0}}};
    for (const Expect& e : table) {
        const Bitmap up = ApplyOrientation(stored, e.o);
        EXPECT_EQ(up.Width(), e.o >= 5 ? 2 : 3) << e.o;
        EXPECT_EQ(up.Height(), e.o >= 5 ? 3 : 2) << e.o;
        EXPECT_EQ(up.Pixel(e.first.x, e.first.y), 0xFF0000u) << e.o;
        EXPECT_EQ(up.Pixel(e.last.x, e.last.y), 0x0000FFu) << e.o;
    }
}

TEST(Transform, FitKeepsAspectAndNeverEnlarges) {
    EXPECT_EQ(FitSize({4000, 3000}, {1920, 1080}), (Size{1440, 1080}));
    EXPECT_EQ(FitSize({4000, 1000}, {1920, 1080}), (Size{1920, 480}));
    EXPECT_EQ(FitSize({3000, 4000}, {1920, 1080}), (Size{810, 1080}));
    EXPECT_EQ(FitSize({1000, 500}, {1920, 1080}), (Size{1000, 500}));
    EXPECT_EQ(FitSize({3840, 2160}, {1920, 1080}), (Size{1920, 1080}));
    EXPECT_EQ(FitSize({1921, 1081}, {1920, 1080}), (Size{1919, 1080})) << "1921 * 1080 / 1081 = 1919.2";
    EXPECT_EQ(FitSize({100000, 1}, {100, 100}), (Size{100, 1})) << "no side becomes 0";
}

TEST(Transform, ScaleDownAveragesAreas) {
    // One-pixel checkerboard halved: every target pixel covers two black and two white pixels.
    Bitmap checker(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            checker.SetPixel(x, y, (x + y) % 2 ? clWhite : clBlack);
    const Bitmap half = ScaleDown(checker, {4, 4});
    ASSERT_EQ(half.Width(), 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(half.Pixel(x, y), 0x808080u);
    // Three pixels onto two: each target pixel is one source pixel and half of the middle one.
    Bitmap three(3, 1);
    three.SetPixel(0, 0, 0x000000);
    three.SetPixel(1, 0, 0xFFFFFF);
    three.SetPixel(2, 0, 0x0000F0);
    const Bitmap two = ScaleDown(three, {2, 1});
    EXPECT_EQ(two.Pixel(0, 0), 0x555555u);      // 255 * 0.5 / 1.5 = 85
    EXPECT_EQ(two.Pixel(1, 0), 0x5555F5u);      // blue (255 * 0.5 + 240) / 1.5 = 245
    EXPECT_EQ(ScaleDown(three, {3, 1}), three); // same size: unchanged
}

TEST(Smf, VariableLengthQuantities) {
    const std::map<std::uint32_t, std::string> cases{{0, std::string(1, '\0')},
                                                     {0x40, "\x40"},
                                                     {0x7F, "\x7F"},
                                                     {0x80, std::string("\x81\x00", 2)},
                                                     {0x2000, std::string("\xC0\x00", 2)},
                                                     {0x3FFF, "\xFF\x7F"},
                                                     {0x4000, std::string("\x81\x80\x00", 3)},
                                                     {0x0FFFFFFF, "\xFF\xFF\xFF\x7F"},
                                                     {0xFFFFFFFF, "\xFF\xFF\xFF\x7F"}};
    for (const auto& [value, bytes] : cases)
        EXPECT_EQ(Vlq(value), bytes) << value;
}

TEST(Smf, SmallFileExactBytes) {
    MidiTrack t;
    t.Note(0, 480, 0, 60, 100);
    t.NoteOn(480, 0, 64, 90); // at the same tick the note off comes first
    t.NoteOff(960, 0, 64);
    const std::string file = SmfFile(480, {t});
    const std::string expected = std::string("MThd\0\0\0\6\0\0\0\1\x01\xE0", 14) + std::string("MTrk\0\0\0\x16", 8) +
                                 std::string("\x00\x90\x3C\x64"
                                             "\x83\x60\x80\x3C\x40"
                                             "\x00\x90\x40\x5A"
                                             "\x83\x60\x80\x40\x40"
                                             "\x00\xFF\x2F\x00",
                                             22);
    EXPECT_EQ(file, expected);
}

// Reads a format-0 file back: (tick, status, key) of every note event, and the tick of the end of track.
struct ParsedTrack {
    std::vector<std::array<std::uint32_t, 3>> notes;
    std::uint32_t end = 0;
    int tempos = 0;
};

ParsedTrack Parse(const std::string& f) {
    ParsedTrack out;
    EXPECT_EQ(f.substr(0, 14), std::string("MThd\0\0\0\6\0\0\0\1\x01\xE0", 14));
    EXPECT_EQ(f.substr(14, 4), "MTrk");
    const std::size_t len =
        (std::uint8_t(f[18]) << 24) | (std::uint8_t(f[19]) << 16) | (std::uint8_t(f[20]) << 8) | std::uint8_t(f[21]);
    EXPECT_EQ(len, f.size() - 22);
    std::size_t p = 22;
    std::uint32_t tick = 0;
    auto vlq = [&] {
        std::uint32_t v = 0;
        while (p < f.size()) {
            const auto b = std::uint8_t(f[p++]);
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80)) break;
        }
        return v;
    };
    while (p < f.size()) {
        tick += vlq();
        const auto status = std::uint8_t(f[p++]);
        if (status == 0xFF) {
            const auto type = std::uint8_t(f[p++]);
            const std::uint32_t n = vlq();
            if (type == 0x51) ++out.tempos;
            p += n;
            if (type == 0x2F) {
                out.end = tick;
                EXPECT_EQ(p, f.size()) << "end of track is the last event";
            }
        } else if ((status & 0xE0) == 0x80) { // note on or off
            out.notes.push_back({tick, status, std::uint8_t(f[p])});
            p += 2;
        } else {
            p += (status & 0xF0) == 0xC0 ? 1 : 2;
        }
    }
    return out;
}

TEST(Smf, DemoMusicIsAnEightSecondLoopWithEveryNoteEnded) {
    const ParsedTrack t = Parse(DemoMusic());
    EXPECT_EQ(t.end, 4u * 4 * 480) << "four bars of 4/4";
    EXPECT_EQ(t.tempos, 1);
    std::map<std::pair<int, int>, int> sounding;
    for (const auto& [tick, status, key] : t.notes) {
        EXPECT_LE(tick, t.end);
        sounding[{int(status & 0x0F), int(key)}] += (status & 0xF0) == 0x90 ? 1 : -1;
        EXPECT_GE((sounding[{int(status & 0x0F), int(key)}]), 0) << "off before on at " << tick;
    }
    for (const auto& [note, n] : sounding)
        EXPECT_EQ(n, 0) << "channel " << note.first << " key " << note.second;
    EXPECT_GT(t.notes.size(), 100u);
}

TEST(EffectPreview, BmpFileOf287By120At24Bits) {
    const std::string bmp = SaveBmp(MakeEffectPreview());
    ASSERT_EQ(bmp.size(), 54u + 120u * 864u);
    auto le = [&](std::size_t at, int n) {
        std::uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = v << 8 | std::uint8_t(bmp[at + i]);
        return v;
    };
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(le(2, 4), bmp.size());
    EXPECT_EQ(le(10, 4), 54u);
    EXPECT_EQ(le(14, 4), 40u);
    EXPECT_EQ(le(18, 4), 287u);
    EXPECT_EQ(le(22, 4), 120u);
    EXPECT_EQ(le(26, 2), 1u);
    EXPECT_EQ(le(28, 2), 24u);
    EXPECT_EQ(le(30, 4), 0u);
    const Bitmap back = LoadBmp(bmp);
    EXPECT_EQ(back.Width(), 287);
    EXPECT_EQ(back.Height(), 120);
    EXPECT_EQ(back.Pixel(0, 119), kPreviewBackground) << "the lower-left pixel carries the transparent colour";
}

TEST(EffectPreview, EveryBoxHasItsNameBesideItAndNothingUnderIt) {
    const Bitmap b = MakeEffectPreview();
    ASSERT_EQ(kEffectBoxes.size(), 16u);
    EXPECT_EQ(kEffectBoxes[0].name, "Normal");
    EXPECT_EQ(kEffectBoxes[15].name, "Kazaguruma");
    const int lefts[4] = {1, 59, 118, 176}, tops[4] = {10, 40, 70, 100};
    for (std::size_t i = 0; i < 16; ++i) {
        const EffectBox& box = kEffectBoxes[i];
        SCOPED_TRACE(std::string(box.name));
        EXPECT_EQ(box.left, lefts[i / 4]);
        EXPECT_EQ(box.top, tops[i % 4]);
        for (char c : box.name)
            EXPECT_TRUE(HasGlyph(c)) << c;
        const Rect r = EffectLabelRect(box);
        // The label lies in the picture, right of its box and left of the next column's boxes.
        EXPECT_GE(r.left, box.left + kEffectBoxSize - kPreviewLeft);
        EXPECT_LE(r.right, i < 12 ? lefts[i / 4 + 1] - kPreviewLeft - 1 : kPreviewWidth);
        EXPECT_GE(r.top, box.top - kPreviewTop);
        EXPECT_LE(r.bottom, box.top - kPreviewTop + kEffectBoxSize);
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                ink += b.Pixel(x, y) == kPreviewInk;
        EXPECT_GT(ink, 10 * static_cast<int>(box.name.size()));
        // Under the box the picture is background only, so the box hides nothing.
        for (int y = 0; y < kEffectBoxSize; ++y)
            for (int x = 0; x < kEffectBoxSize; ++x)
                ASSERT_EQ(b.Pixel(box.left - kPreviewLeft + x, box.top - kPreviewTop + y), kPreviewBackground);
    }
}

TEST(CommandLine, OptionsAndPictures) {
    const Command c =
        ParseCommandLine({"out",       "Sunset",          "a.jpg",   "--title",   "b.png",    "--random", "--randompos",
                          "--sepia",   "--lock",          "--music", "m.mid",     "--show=7", "--pause",  "2",
                          "--effects", "Normal,tokei,16", "--fit",   "1920x1080", "--force",  "c.jpg"});
    EXPECT_EQ(c.kind, Command::Kind::Make);
    EXPECT_EQ(c.spec.dest, "out");
    EXPECT_EQ(c.spec.name, "Sunset");
    ASSERT_EQ(c.spec.pictures.size(), 3u);
    EXPECT_EQ(c.spec.pictures[1].path, "b.png");
    EXPECT_TRUE(c.spec.title && c.spec.random && c.spec.randomPosition && c.spec.sepia && c.spec.lock && c.spec.force);
    EXPECT_FALSE(c.spec.gray);
    EXPECT_EQ(*c.spec.musicPath, "m.mid");
    EXPECT_EQ(c.spec.showSeconds, 7);
    EXPECT_EQ(c.spec.pauseSeconds, 2);
    EXPECT_EQ(c.spec.effectMask, "1000000000000011");
    EXPECT_EQ(*c.spec.pictureSettings.fit, (Size{1920, 1080}));
    EXPECT_EQ(ParseEffectMask("0101010101010101"), "0101010101010101");
    EXPECT_EQ(ParseEffectMask("all"), std::string(16, '1'));

    const Command demo = ParseCommandLine({"--demo", "build/demo", "--program", "/x/qv"});
    EXPECT_EQ(demo.kind, Command::Kind::Demo);
    EXPECT_EQ(demo.spec.dest, "build/demo");
    EXPECT_EQ(demo.spec.program, "/x/qv");
    EXPECT_EQ(ParseCommandLine({"--help"}).kind, Command::Kind::Help);
}

TEST(CommandLine, DefaultFitFollowsThePrimaryScreen) {
    const auto screen = [](std::optional<Size> size) { return [size] { return size; }; };
    const std::vector<std::string> make{"out", "N", "a.jpg", "b.jpg"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> args = make;
        args.insert(args.end(), extra.begin(), extra.end());
        return ParseCommandLine(args);
    };

    Command c = with({});
    EXPECT_EQ(ApplyDefaultFit(c, screen(Size{1280, 720})),
              "pictures larger than the screen, 1280 x 720, are shrunk to fit it (--fit WxH or --fit none chooses "
              "otherwise)");
    EXPECT_EQ(*c.spec.pictureSettings.fit, (Size{1280, 720}));
    EXPECT_FALSE(c.spec.pictureSettings.keepJpegs);

    c = with({});
    EXPECT_EQ(ApplyDefaultFit(c, screen(std::nullopt)),
              "no display found: pictures keep their size (--fit WxH shrinks larger ones)");
    EXPECT_FALSE(c.spec.pictureSettings.fit);

    // A size or "none" given on the command line wins over the screen, whichever came last.
    c = with({"--fit", "800x600"});
    EXPECT_EQ(ApplyDefaultFit(c, screen(Size{1280, 720})), "");
    EXPECT_EQ(*c.spec.pictureSettings.fit, (Size{800, 600}));
    c = with({"--fit", "800x600", "--fit=none"});
    EXPECT_EQ(ApplyDefaultFit(c, screen(Size{1280, 720})), "");
    EXPECT_FALSE(c.spec.pictureSettings.fit);
    EXPECT_TRUE(c.spec.pictureSettings.keepJpegs);

    // The demo keeps its picture that is larger than any usual screen.
    c = ParseCommandLine({"--demo", "out", "--install"});
    EXPECT_TRUE(c.install);
    EXPECT_EQ(ApplyDefaultFit(c, screen(Size{1280, 720})), "");
    EXPECT_FALSE(c.spec.pictureSettings.fit);
}

TEST(CommandLine, MistakesAreNamed) {
    auto error = [](std::vector<std::string> args) {
        try {
            ParseCommandLine(args);
        } catch (const MakeError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(error({"out", "N", "a", "b", "--frobnicate"}).find("unknown option --frobnicate"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--fit", "1920"}).find("--fit"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--show", "5s"}).find("--show needs a whole number"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--show", "0"}).find("display time"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--effects", "Spin"}).find("'Spin' is no effect"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--gray", "--sepia"}).find("exclude each other"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a"}).find("at least two pictures"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--title"}).find("at least three pictures"), std::string::npos);
    EXPECT_NE(error({"out", "a/b", "a", "b"}).find("character"), std::string::npos);
    EXPECT_NE(error({"out", "N", "a", "b", "--music"}).find("--music needs a value"), std::string::npos);
    EXPECT_NE(error({"--demo"}).find("--demo needs exactly one"), std::string::npos);
}

TEST(Demo, PicturesCoverTheSizesTheShowMustHandle) {
    const auto pictures = DemoPictures();
    EXPECT_GE(pictures.size(), 10u);
    bool large = false, small = false, portrait = false;
    for (const DemoPicture& p : pictures) {
        large |= p.pixels.Width() > 1920 && p.pixels.Height() > 1080;
        small |= p.pixels.Width() <= 640 && p.pixels.Height() <= 480;
        portrait |= p.pixels.Height() > p.pixels.Width();
    }
    EXPECT_TRUE(large && small && portrait);
    // Bright and varied: the pictures differ in their mean colour.
    std::vector<Color> means;
    for (const DemoPicture& p : pictures) {
        std::uint64_t sum[3] = {};
        for (int y = 0; y < p.pixels.Height(); y += 7)
            for (int x = 0; x < p.pixels.Width(); x += 7)
                for (int c = 0; c < 3; ++c)
                    sum[c] += (p.pixels.Pixel(x, y) >> (8 * c)) & 0xFF;
        means.push_back(static_cast<Color>(sum[0] + 7 * sum[1] + 31 * sum[2]));
    }
    std::sort(means.begin(), means.end());
    EXPECT_EQ(std::unique(means.begin(), means.end()), means.end());
}

} // namespace
} // namespace vis::make
