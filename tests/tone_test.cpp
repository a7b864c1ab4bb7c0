#include "gfx/Tone.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace vis;

namespace {

struct Bgr {
    int b, g, r;
};

Bitmap OnePixel(Bgr c) {
    Bitmap bmp(1, 1);
    std::uint8_t* p = bmp.Row(0);
    p[0] = static_cast<std::uint8_t>(c.b);
    p[1] = static_cast<std::uint8_t>(c.g);
    p[2] = static_cast<std::uint8_t>(c.r);
    return bmp;
}

Bgr At(const Bitmap& bmp, int x, int y) {
    const std::uint8_t* p = bmp.Row(y) + x * 3;
    return {p[0], p[1], p[2]};
}

Bgr Grey(Bgr c) {
    Bitmap bmp = OnePixel(c);
    ToneGrey(bmp);
    return At(bmp, 0, 0);
}

Bgr Sepia(Bgr c) {
    Bitmap bmp = OnePixel(c);
    ToneSepia(bmp);
    return At(bmp, 0, 0);
}

#define EXPECT_BGR(actual, eb, eg, er)                                                                                 \
    do {                                                                                                               \
        const Bgr got = (actual);                                                                                      \
        EXPECT_EQ(got.b, eb);                                                                                          \
        EXPECT_EQ(got.g, eg);                                                                                          \
        EXPECT_EQ(got.r, er);                                                                                          \
    } while (0)

} // namespace

TEST(Tone, LuminanceTruncatesEachQuotientOnItsOwn) {
    EXPECT_EQ(ToneLuminance(254, 254, 254), 252); // 149 + 75 + 28
    EXPECT_EQ(ToneLuminance(128, 128, 128), 127);
    EXPECT_EQ(ToneLuminance(0, 0, 255), 76);
    EXPECT_EQ(ToneLuminance(0, 255, 0), 150);
    EXPECT_EQ(ToneLuminance(255, 0, 0), 29);
    EXPECT_EQ(ToneLuminance(255, 255, 255), 255);
    EXPECT_EQ(ToneLuminance(0, 0, 0), 0);
    // One division of the sum would give 148 here.
    EXPECT_EQ(ToneLuminance(10, 200, 100), 117 + 29 + 1);
}

TEST(Tone, SepiaShiftByBothFormulas) {
    EXPECT_EQ(SepiaShift(0), 0);
    EXPECT_EQ(SepiaShift(127), 17);
    EXPECT_EQ(SepiaShift(150), 25); // last value of y^2 / 900
    EXPECT_EQ(SepiaShift(151), 24); // first value of (y - 255)^2 / 441
    EXPECT_EQ(SepiaShift(255), 0);
}

TEST(Tone, GreyGivesLuminanceOnAllThreeChannels) {
    EXPECT_BGR(Grey({254, 254, 254}), 252, 252, 252);
    EXPECT_BGR(Grey({128, 128, 128}), 127, 127, 127);
    EXPECT_BGR(Grey({0, 0, 255}), 76, 76, 76);
    EXPECT_BGR(Grey({0, 255, 0}), 150, 150, 150);
    EXPECT_BGR(Grey({255, 0, 0}), 29, 29, 29);
    EXPECT_BGR(Grey({255, 255, 255}), 255, 255, 255);
    EXPECT_BGR(Grey({0, 0, 0}), 0, 0, 0);
}

TEST(Tone, SepiaShiftsBlueDownAndRedUp) {
    EXPECT_BGR(Sepia({128, 128, 128}), 110, 127, 144);
    EXPECT_BGR(Sepia({0, 255, 0}), 125, 150, 175);
    EXPECT_BGR(Sepia({255, 255, 255}), 255, 255, 255);
    EXPECT_BGR(Sepia({0, 0, 0}), 0, 0, 0);
    EXPECT_BGR(Sepia({0, 0, 255}), 76 - 6, 76, 76 + 6); // 76^2 / 900 = 6
}

TEST(Tone, EveryGreyLevelMatchesTheFormula) {
    Bitmap bmp(256, 2);
    for (int v = 0; v < 256; ++v) {
        bmp.SetPixel(v, 0, static_cast<Color>(v * 0x010101));
        bmp.SetPixel(v, 1, static_cast<Color>(v * 0x010101));
    }
    Bitmap sepia = bmp;
    ToneGrey(bmp);
    ToneSepia(sepia);
    for (int v = 0; v < 256; ++v) {
        const int y = 150 * v / 255 + 76 * v / 255 + 29 * v / 255;
        const int k = y > 150 ? (y - 255) * (y - 255) / 441 : y * y / 900;
        for (int row = 0; row < 2; ++row) {
            EXPECT_BGR(At(bmp, v, row), y, y, y);
            EXPECT_BGR(At(sepia, v, row), y - k, y, y + k);
        }
    }
}

TEST(Tone, EachPixelIsToned_PaddingIsLeftAlone) {
    // Width 3: 9 bytes of pixels and 3 bytes of padding per row.
    Bitmap bmp(3, 2);
    ASSERT_EQ(bmp.Stride(), 12u);
    const std::array<Color, 6> colours{0x000000, 0xFFFFFF, 0x00FF00, 0x806040, 0x0000FF, 0x123456};
    for (int i = 0; i < 6; ++i)
        bmp.SetPixel(i % 3, i / 3, colours[i]);
    for (int row = 0; row < 2; ++row)
        std::memset(bmp.Row(row) + 9, 0x5A, 3);
    Bitmap grey = bmp;
    ToneSepia(bmp);
    ToneGrey(grey);
    for (int i = 0; i < 6; ++i) {
        const Color c = colours[i];
        const int b = c & 0xFF, g = (c >> 8) & 0xFF, r = (c >> 16) & 0xFF;
        const int y = 150 * g / 255 + 76 * r / 255 + 29 * b / 255;
        const int k = y > 150 ? (y - 255) * (y - 255) / 441 : y * y / 900;
        SCOPED_TRACE(i);
        EXPECT_BGR(At(bmp, i % 3, i / 3), y - k, y, y + k);
        EXPECT_BGR(At(grey, i % 3, i / 3), y, y, y);
    }
    for (int row = 0; row < 2; ++row)
        for (int i = 9; i < 12; ++i) {
            EXPECT_EQ(bmp.Row(row)[i], 0x5A);
            EXPECT_EQ(grey.Row(row)[i], 0x5A);
        }
}

TEST(Tone, EmptyBitmapIsFine) {
    Bitmap empty;
    ToneGrey(empty);
    ToneSepia(empty);
    EXPECT_EQ(empty.Width(), 0);
}
