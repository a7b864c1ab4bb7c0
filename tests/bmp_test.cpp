#include "gfx/Bmp.h"

#include "qv/Errors.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace vis {
namespace {

void U16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void U32(std::string& s, std::uint32_t v) {
    U16(s, v & 0xFFFF);
    U16(s, v >> 16);
}

// A hand-made BMP file: the file header, an info header of the given size, optional masks after a 40-byte
// header, a palette (bytes as given) and the pixel bytes.
struct BmpSpec {
    std::uint32_t infoSize = 40;
    std::int32_t width = 1, height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::string masks;   // appended after a 40-byte header, or placed inside a larger one
    std::string palette; // raw entries
    std::string pixels;
};

std::string Build(const BmpSpec& s) {
    std::string info;
    if (s.infoSize == 12) {
        U32(info, 12);
        U16(info, static_cast<std::uint32_t>(s.width));
        U16(info, static_cast<std::uint32_t>(s.height));
        U16(info, 1);
        U16(info, s.bitCount);
    } else {
        U32(info, s.infoSize);
        U32(info, static_cast<std::uint32_t>(s.width));
        U32(info, static_cast<std::uint32_t>(s.height));
        U16(info, 1);
        U16(info, s.bitCount);
        U32(info, s.compression);
        U32(info, static_cast<std::uint32_t>(s.pixels.size()));
        U32(info, 2835);
        U32(info, 2835);
        U32(info, s.colorsUsed);
        U32(info, 0);
        if (s.infoSize > 40) {
            info += s.masks;
            info.resize(s.infoSize, '\0');
        } else {
            info += s.masks;
        }
    }
    std::string out = "BM";
    const std::uint32_t off = 14 + static_cast<std::uint32_t>(info.size() + s.palette.size());
    U32(out, off + static_cast<std::uint32_t>(s.pixels.size()));
    U32(out, 0);
    U32(out, off);
    return out + info + s.palette + s.pixels;
}

std::string Quad(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    return {static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), '\0'};
}

Bitmap Pattern(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, static_cast<Color>((x * 37 + y * 101) << 16 | (x * 13) << 8 | (y * 7 + 3)) & 0xFFFFFF);
    return b;
}

TEST(SaveBmp, WritesTheExactBottomUpFileBytes) {
    Bitmap b(2, 2);
    b.SetPixel(0, 0, 0x112233);
    b.SetPixel(1, 0, 0x445566);
    b.SetPixel(0, 1, 0x778899);
    b.SetPixel(1, 1, 0xAABBCC);
    const std::string bytes = SaveBmp(b);
    std::string want = "BM";
    U32(want, 54 + 16);
    U32(want, 0);
    U32(want, 54);
    U32(want, 40);
    U32(want, 2);
    U32(want, 2);
    U16(want, 1);
    U16(want, 24);
    U32(want, 0);
    U32(want, 16);
    for (int i = 0; i < 4; ++i)
        U32(want, 0);
    // Bottom row first, blue-green-red, each row padded to 8 bytes with zeros.
    want += std::string("\x99\x88\x77\xCC\xBB\xAA\0\0", 8);
    want += std::string("\x33\x22\x11\x66\x55\x44\0\0", 8);
    EXPECT_EQ(bytes, want);
}

TEST(SaveBmp, RoundTripsEveryRowPadding) {
    for (std::int32_t w : {1, 2, 3, 4, 5, 7}) {
        const Bitmap b = Pattern(w, 3);
        auto back = TryLoadBmp(SaveBmp(b));
        ASSERT_TRUE(back) << w;
        EXPECT_EQ(*back, b) << w;
    }
}

TEST(SaveBmp, RefusesAnEmptyBitmap) {
    EXPECT_THROW(SaveBmp(Bitmap()), std::invalid_argument);
}

TEST(LoadBmp, ReadsTopDownRowsInOrder) {
    BmpSpec s;
    s.width = 1;
    s.height = -2;
    s.pixels = std::string("\x01\x02\x03\0\x04\x05\x06\0", 8);
    auto b = TryLoadBmp(Build(s));
    ASSERT_TRUE(b);
    ASSERT_EQ(b->Height(), 2);
    EXPECT_EQ(b->Pixel(0, 0), 0x030201u);
    EXPECT_EQ(b->Pixel(0, 1), 0x060504u);
}

TEST(LoadBmp, ReadsPaletteDepthsMostSignificantBitsFirst) {
    BmpSpec one;
    one.bitCount = 1;
    one.width = 10;
    one.height = 1;
    one.palette = Quad(0, 0, 0) + Quad(0xFF, 0x80, 0x10);
    one.pixels = std::string("\xA0\x40\0\0", 4); // 1010 0000 01..
    auto b1 = TryLoadBmp(Build(one));
    ASSERT_TRUE(b1);
    const Color on = 0x1080FF;
    const Color want1[10] = {on, 0, on, 0, 0, 0, 0, 0, 0, on};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(b1->Pixel(x, 0), want1[x]) << x;

    BmpSpec four;
    four.bitCount = 4;
    four.width = 3;
    four.height = 1;
    four.colorsUsed = 3;
    four.palette = Quad(1, 1, 1) + Quad(2, 2, 2) + Quad(3, 3, 3);
    four.pixels = std::string("\x21\xF0\0\0", 4); // 2, 1, 15 (beyond the palette: black)
    auto b4 = TryLoadBmp(Build(four));
    ASSERT_TRUE(b4);
    EXPECT_EQ(b4->Pixel(0, 0), 0x030303u);
    EXPECT_EQ(b4->Pixel(1, 0), 0x020202u);
    EXPECT_EQ(b4->Pixel(2, 0), 0x000000u);

    BmpSpec eight;
    eight.bitCount = 8;
    eight.width = 2;
    eight.height = 2;
    eight.colorsUsed = 2;
    eight.palette = Quad(0x10, 0x20, 0x30) + Quad(0x40, 0x50, 0x60);
    eight.pixels = std::string("\x01\x00\0\0\x00\x01\0\0", 8); // bottom row first
    auto b8 = TryLoadBmp(Build(eight));
    ASSERT_TRUE(b8);
    EXPECT_EQ(b8->Pixel(0, 1), 0x605040u);
    EXPECT_EQ(b8->Pixel(1, 1), 0x302010u);
    EXPECT_EQ(b8->Pixel(0, 0), 0x302010u);
    EXPECT_EQ(b8->Pixel(1, 0), 0x605040u);
}

TEST(LoadBmp, ReadsTheCoreHeaderWithThreeBytePaletteEntries) {
    BmpSpec s;
    s.infoSize = 12;
    s.bitCount = 8;
    s.width = 1;
    s.height = 1;
    std::string pal(256 * 3, '\0');
    pal[3 * 7] = 0x0A, pal[3 * 7 + 1] = 0x0B, pal[3 * 7 + 2] = 0x0C;
    s.palette = pal;
    s.pixels = std::string("\x07\0\0\0", 4);
    auto b = TryLoadBmp(Build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Pixel(0, 0), 0x0C0B0Au);
}

TEST(LoadBmp, ReadsDirectColourDepths) {
    BmpSpec s32;
    s32.bitCount = 32;
    s32.width = 2;
    s32.pixels = std::string("\x01\x02\x03\xFF\x04\x05\x06\x00", 8);
    auto b32 = TryLoadBmp(Build(s32));
    ASSERT_TRUE(b32);
    EXPECT_EQ(b32->Pixel(0, 0), 0x030201u);
    EXPECT_EQ(b32->Pixel(1, 0), 0x060504u);

    BmpSpec s555;
    s555.bitCount = 16;
    s555.width = 2;
    // 0x7C00 pure red, 0x001F pure blue; 5-bit full scale widens to 255.
    s555.pixels = std::string("\x00\x7C\x1F\x00", 4);
    auto b555 = TryLoadBmp(Build(s555));
    ASSERT_TRUE(b555);
    EXPECT_EQ(b555->Pixel(0, 0), 0xFF0000u);
    EXPECT_EQ(b555->Pixel(1, 0), 0x0000FFu);

    BmpSpec s565;
    s565.bitCount = 16;
    s565.compression = 3;
    s565.width = 1;
    U32(s565.masks, 0xF800);
    U32(s565.masks, 0x07E0);
    U32(s565.masks, 0x001F);
    s565.pixels = std::string("\xE0\x07\0\0", 4); // green only, 6 bits full
    auto b565 = TryLoadBmp(Build(s565));
    ASSERT_TRUE(b565);
    EXPECT_EQ(b565->Pixel(0, 0), 0x00FF00u);

    BmpSpec v5;
    v5.infoSize = 124;
    v5.bitCount = 32;
    v5.compression = 3;
    v5.width = 1;
    v5.height = -1;
    U32(v5.masks, 0x000000FF); // red in the lowest byte
    U32(v5.masks, 0x0000FF00);
    U32(v5.masks, 0x00FF0000);
    v5.pixels = std::string("\x11\x22\x33\x44", 4);
    auto bv5 = TryLoadBmp(Build(v5));
    ASSERT_TRUE(bv5);
    EXPECT_EQ(bv5->Pixel(0, 0), 0x112233u);
}

TEST(LoadBmp, DecodesRunLengthData) {
    BmpSpec s;
    s.bitCount = 8;
    s.compression = 1;
    s.width = 4;
    s.height = 2;
    s.colorsUsed = 3;
    s.palette = Quad(0, 0, 0) + Quad(0xFF, 0, 0) + Quad(0, 0xFF, 0);
    // Bottom row: run of 3 ones, then a run reaching past the edge (clipped); next row: delta 1 right,
    // a literal of 3 pixels (padded to even), end of picture.
    s.pixels = std::string("\x03\x01\x05\x02\x00\x00\x00\x02\x01\x00\x00\x03\x02\x02\x01\x00\x00\x01", 18);
    auto b = TryLoadBmp(Build(s));
    ASSERT_TRUE(b);
    EXPECT_EQ(b->Pixel(0, 1), 0x0000FFu);
    EXPECT_EQ(b->Pixel(2, 1), 0x0000FFu);
    EXPECT_EQ(b->Pixel(3, 1), 0x00FF00u);
    EXPECT_EQ(b->Pixel(0, 0), 0x000000u); // skipped by the delta: colour 0
    EXPECT_EQ(b->Pixel(1, 0), 0x00FF00u);
    EXPECT_EQ(b->Pixel(2, 0), 0x00FF00u);
    EXPECT_EQ(b->Pixel(3, 0), 0x0000FFu);

    BmpSpec s4;
    s4.bitCount = 4;
    s4.compression = 2;
    s4.width = 3;
    s4.height = 1;
    s4.colorsUsed = 2;
    s4.palette = Quad(0, 0, 0) + Quad(9, 9, 9);
    s4.pixels = std::string("\x03\x10\x00\x01", 4); // nibbles alternate 1, 0, 1
    auto b4 = TryLoadBmp(Build(s4));
    ASSERT_TRUE(b4);
    EXPECT_EQ(b4->Pixel(0, 0), 0x090909u);
    EXPECT_EQ(b4->Pixel(1, 0), 0x000000u);
    EXPECT_EQ(b4->Pixel(2, 0), 0x090909u);
}

TEST(LoadBmp, RejectsWhatIsNoUsableBitmap) {
    BmpSpec good;
    good.width = 2;
    good.height = 2;
    good.pixels = std::string(16, '\x7F');
    ASSERT_TRUE(TryLoadBmp(Build(good)));

    std::string why;
    EXPECT_FALSE(TryLoadBmp("", &why));
    EXPECT_FALSE(TryLoadBmp("\xFF\xD8\xFF\xE0 this is a JPEG, not a bitmap", &why));
    EXPECT_EQ(why, "no BM signature");

    BmpSpec shortData = good;
    shortData.pixels.resize(10); // the second row's pixels are missing
    EXPECT_FALSE(TryLoadBmp(Build(shortData), &why));
    EXPECT_EQ(why, "truncated pixel data");

    BmpSpec lastPadMissing = good;
    lastPadMissing.pixels.resize(14); // only the final row's padding is gone: still whole
    EXPECT_TRUE(TryLoadBmp(Build(lastPadMissing)));

    BmpSpec huge = good;
    huge.width = 30000;
    huge.height = 30000; // allowed per side, too many pixels in all; nothing must be allocated
    EXPECT_FALSE(TryLoadBmp(Build(huge), &why));
    EXPECT_EQ(why, "picture too large");
    huge.compression = 1;
    huge.bitCount = 8;
    EXPECT_FALSE(TryLoadBmp(Build(huge)));

    BmpSpec zero = good;
    zero.width = 0;
    EXPECT_FALSE(TryLoadBmp(Build(zero)));
    BmpSpec minHeight = good;
    minHeight.height = std::numeric_limits<std::int32_t>::min();
    EXPECT_FALSE(TryLoadBmp(Build(minHeight)));
    BmpSpec depth = good;
    depth.bitCount = 2;
    EXPECT_FALSE(TryLoadBmp(Build(depth)));
    BmpSpec jpeg = good;
    jpeg.compression = 4;
    EXPECT_FALSE(TryLoadBmp(Build(jpeg)));
    BmpSpec topDownRle = good;
    topDownRle.bitCount = 8;
    topDownRle.compression = 1;
    topDownRle.height = -2;
    topDownRle.palette = Quad(0, 0, 0);
    EXPECT_FALSE(TryLoadBmp(Build(topDownRle)));
    BmpSpec header = good;
    header.infoSize = 64;
    EXPECT_FALSE(TryLoadBmp(Build(header)));

    std::string badOffset = Build(good);
    badOffset[10] = '\xF0';
    EXPECT_FALSE(TryLoadBmp(badOffset));

    EXPECT_THROW(
        {
            try {
                LoadBmp("BMnonsense");
            } catch (const EInvalidGraphic& e) {
                EXPECT_STREQ(e.what(), kInvalidBitmapText);
                throw;
            }
        },
        EInvalidGraphic);
}

TEST(LoadBmp, SurvivesEveryTruncationAndRandomDamage) {
    BmpSpec rle;
    rle.bitCount = 8;
    rle.compression = 1;
    rle.width = 5;
    rle.height = 3;
    rle.palette = Quad(1, 2, 3) + Quad(4, 5, 6);
    rle.pixels = std::string("\x05\x01\x00\x00\x00\x02\x01\x01\x00\x04\x01\x00\x01\x01\x00\x00\x00\x01", 18);
    const std::string samples[] = {SaveBmp(Pattern(5, 4)), Build(rle)};
    for (const std::string& valid : samples) {
        ASSERT_TRUE(TryLoadBmp(valid));
        for (std::size_t n = 0; n < valid.size(); ++n)
            (void)TryLoadBmp(std::string_view(valid).substr(0, n));
        std::mt19937 rng(12345);
        for (int round = 0; round < 3000; ++round) {
            std::string damaged = valid;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < flips; ++i)
                damaged[rng() % damaged.size()] = static_cast<char>(rng() & 0xFF);
            if (auto b = TryLoadBmp(damaged)) {
                EXPECT_GT(b->Width(), 0);
                EXPECT_LE(static_cast<std::int64_t>(b->Width()) * b->Height(), kBmpMaxPixels);
            }
        }
    }
}

TEST(LoadBmpFile, ReportsUnreadableAndInvalidFilesWithTheirTexts) {
    test::TempDir dir;
    try {
        LoadBmpFile(dir.File("missing"));
        FAIL() << "no error";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(std::string(e.what()), "ﾌｧｲﾙ " + dir.File("missing") + " は開けません");
    }
    test::WriteBytes(dir.File("text"), "hello");
    EXPECT_THROW(LoadBmpFile(dir.File("text")), EInvalidGraphic);
    const Bitmap b = Pattern(3, 2);
    test::WriteBytes(dir.File("pic"), SaveBmp(b));
    EXPECT_EQ(LoadBmpFile(dir.File("pic")), b);
}

} // namespace
} // namespace vis
