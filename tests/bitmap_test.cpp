#include "gfx/Bitmap.h"
#include "gfx/ScreenImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using namespace vis;

namespace {

// Draws the bitmap as text rows, one character per pixel: '#' black, '.' white, 'r' 0xFF0000, 'g' 0x00FF00,
// 'b' 0x0000FF, '?' anything else. Makes expected pictures readable in the tests.
std::vector<std::string> Picture(const Bitmap& bmp) {
    std::vector<std::string> rows;
    for (int y = 0; y < bmp.Height(); ++y) {
        std::string row;
        for (int x = 0; x < bmp.Width(); ++x) {
            switch (bmp.Pixel(x, y)) {
            case clBlack:
                row += '#';
                break;
            case clWhite:
                row += '.';
                break;
            case 0xFF0000:
                row += 'r';
                break;
            case 0x00FF00:
                row += 'g';
                break;
            case 0x0000FF:
                row += 'b';
                break;
            default:
                row += '?';
            }
        }
        rows.push_back(row);
    }
    return rows;
}

Bitmap FromPicture(const std::vector<std::string>& rows) {
    Bitmap bmp(static_cast<std::int32_t>(rows.empty() ? 0 : rows[0].size()), static_cast<std::int32_t>(rows.size()));
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            bmp.SetPixel(x, y,
                         c == '#'   ? clBlack
                         : c == 'r' ? 0xFF0000
                         : c == 'g' ? 0x00FF00
                         : c == 'b' ? 0x0000FF
                                    : clWhite);
        }
    return bmp;
}

Bitmap Filled(int w, int h, Color c) {
    Bitmap bmp(w, h);
    bmp.FillAll(c);
    return bmp;
}

using Rows = std::vector<std::string>;

} // namespace

TEST(Bitmap, LayoutIsBgrWithRowsPaddedToFourBytes) {
    for (int w : {1, 2, 3, 4, 5}) {
        Bitmap bmp(w, 2);
        EXPECT_EQ(bmp.Stride(), static_cast<std::size_t>((w * 3 + 3) / 4 * 4)) << w;
    }
    Bitmap bmp(2, 2);
    bmp.SetPixel(1, 1, 0x123456);
    const std::uint8_t* p = bmp.Row(1) + 3;
    EXPECT_EQ(p[0], 0x56);                            // blue
    EXPECT_EQ(p[1], 0x34);                            // green
    EXPECT_EQ(p[2], 0x12);                            // red
    EXPECT_EQ(bmp.Row(1), bmp.Bits() + bmp.Stride()); // row 0 is the top row
    EXPECT_EQ(bmp.Pixel(1, 1), 0x123456u);
}

TEST(Bitmap, NewBitmapIsWhiteAndHasDefaultCanvasState) {
    Bitmap bmp(3, 2);
    EXPECT_EQ(Picture(bmp), (Rows{"...", "..."}));
    EXPECT_EQ(bmp.brushColor, clWhite);
    EXPECT_EQ(bmp.penColor, clBlack);
}

TEST(Bitmap, ResizingKeepsTheOverlapAndCanvasState) {
    Bitmap bmp = FromPicture({"rg", "b#"});
    bmp.brushColor = clBlack;
    bmp.SetWidth(3); // width first, then height, as the effects do
    EXPECT_EQ(Picture(bmp), (Rows{"rg.", "b#."}));
    bmp.SetHeight(3);
    EXPECT_EQ(Picture(bmp), (Rows{"rg.", "b#.", "..."}));
    bmp.SetSize(1, 2);
    EXPECT_EQ(Picture(bmp), (Rows{"r", "b"}));
    EXPECT_EQ(bmp.brushColor, clBlack);
    bmp.SetSize(-5, 4);
    EXPECT_EQ(bmp.Width(), 0);
    EXPECT_EQ(bmp.Height(), 4);
    bmp.Release();
    EXPECT_EQ(bmp.Width(), 0);
    EXPECT_EQ(bmp.Height(), 0);
}

TEST(Bitmap, FillRectIncludesLeftTopAndExcludesRightBottom) {
    Bitmap bmp(5, 4);
    bmp.brushColor = clBlack;
    bmp.FillRect({1, 1, 3, 3});
    EXPECT_EQ(Picture(bmp), (Rows{".....", ".##..", ".##..", "....."}));
}

TEST(Bitmap, FillRectClipsAtEveryEdgeAndNegativeCoordinates) {
    Bitmap bmp(4, 3);
    bmp.brushColor = clBlack;
    bmp.FillRect({-10, -10, 1, 1});
    EXPECT_EQ(Picture(bmp), (Rows{"#...", "....", "...."}));
    bmp.FillRect({3, 2, 100, 100});
    EXPECT_EQ(Picture(bmp), (Rows{"#...", "....", "...#"}));
    bmp.brushColor = 0xFF0000;
    bmp.FillRect({-1, 1, 50, 2}); // a full row across both edges
    EXPECT_EQ(Picture(bmp), (Rows{"#...", "rrrr", "...#"}));
}

TEST(Bitmap, EmptyInvertedAndOutsideRectanglesFillNothing) {
    Bitmap bmp(3, 3);
    bmp.brushColor = clBlack;
    bmp.FillRect({1, 1, 1, 3});  // zero width
    bmp.FillRect({1, 1, 3, 1});  // zero height
    bmp.FillRect({2, 2, 0, 0});  // inverted
    bmp.FillRect({3, 0, 5, 3});  // right of the bitmap
    bmp.FillRect({0, -4, 3, 0}); // above it
    EXPECT_EQ(Picture(bmp), (Rows{"...", "...", "..."}));
}

TEST(Bitmap, OneByOneBitmap) {
    Bitmap bmp(1, 1);
    bmp.brushColor = clBlack;
    bmp.FillRect({0, 0, 1, 1});
    EXPECT_EQ(bmp.Pixel(0, 0), clBlack);
    bmp.FillAll(0x00FF00);
    EXPECT_EQ(bmp.Pixel(0, 0), 0x00FF00u);
    const Bitmap red = Filled(1, 1, 0xFF0000);
    bmp.DrawOpaque(1, 0, red);  // just off the right edge
    bmp.DrawOpaque(0, -1, red); // just off the top
    EXPECT_EQ(bmp.Pixel(0, 0), 0x00FF00u);
    bmp.DrawOpaque(0, 0, red);
    EXPECT_EQ(bmp.Pixel(0, 0), 0xFF0000u);
    bmp.StretchDraw({0, 0, 1, 1}, Filled(7, 5, clBlack));
    EXPECT_EQ(bmp.Pixel(0, 0), clBlack);
}

TEST(Bitmap, FillAllIgnoresTheBrush) {
    Bitmap bmp(2, 2);
    bmp.brushColor = 0xFF0000;
    bmp.FillAll(0x0000FF);
    EXPECT_EQ(Picture(bmp), (Rows{"bb", "bb"}));
    EXPECT_EQ(bmp.brushColor, 0xFF0000u);
}

TEST(Bitmap, OpaqueCopyIsClippedOnAllSides) {
    const Bitmap src = FromPicture({"rg", "b#"});
    Bitmap dst(3, 3);
    dst.DrawOpaque(-1, -1, src);
    EXPECT_EQ(Picture(dst), (Rows{"#..", "...", "..."}));
    dst.DrawOpaque(2, 2, src);
    EXPECT_EQ(Picture(dst), (Rows{"#..", "...", "..r"}));
    dst.DrawOpaque(1, -1, src);
    EXPECT_EQ(Picture(dst), (Rows{"#b#", "...", "..r"}));
    dst.DrawOpaque(-2, 0, src); // wholly outside
    dst.DrawOpaque(0, 3, src);
    EXPECT_EQ(Picture(dst), (Rows{"#b#", "...", "..r"}));
}

TEST(Bitmap, OpaqueCopyWritesWhiteToo) {
    Bitmap dst = Filled(2, 1, clBlack);
    Bitmap src = FromPicture({".r"});
    dst.DrawOpaque(0, 0, src);
    EXPECT_EQ(Picture(dst), (Rows{".r"}));
}

TEST(Bitmap, TransparentCopySkipsOnlyPureWhite) {
    Bitmap src(4, 1);
    src.SetPixel(0, 0, 0xFFFFFF);
    src.SetPixel(1, 0, 0xFEFFFF);
    src.SetPixel(2, 0, 0xFFFFFE);
    src.SetPixel(3, 0, clBlack);
    Bitmap dst = Filled(4, 1, 0x00FF00);
    dst.DrawTransparent(0, 0, src);
    EXPECT_EQ(dst.Pixel(0, 0), 0x00FF00u);
    EXPECT_EQ(dst.Pixel(1, 0), 0xFEFFFFu);
    EXPECT_EQ(dst.Pixel(2, 0), 0xFFFFFEu);
    EXPECT_EQ(dst.Pixel(3, 0), clBlack);
}

TEST(Bitmap, OpaqueAndTransparentCopiesOfAMask) {
    Bitmap mask = FromPicture({"#.", ".#"});
    Bitmap dst = Filled(2, 2, 0xFF0000);
    dst.DrawOpaque(0, 0, mask);
    EXPECT_EQ(Picture(dst), (Rows{"#.", ".#"}));
    dst.FillAll(0xFF0000);
    dst.DrawTransparent(0, 0, mask);
    EXPECT_EQ(Picture(dst), (Rows{"#r", "r#"}));
    // Negative position, transparent: only the overlapping black pixel lands.
    dst.FillAll(0x0000FF);
    dst.DrawTransparent(-1, -1, mask);
    EXPECT_EQ(Picture(dst), (Rows{"#b", "bb"}));
}

TEST(Bitmap, StretchEnlargesByWholePixels) {
    const Bitmap src = FromPicture({"rg", "b#"});
    Bitmap dst(4, 4);
    dst.StretchDraw({0, 0, 4, 4}, src);
    EXPECT_EQ(Picture(dst), (Rows{"rrgg", "rrgg", "bb##", "bb##"}));
    // 2 -> 3: column x takes source x * 2 / 3, so 0, 0, 1.
    Bitmap three(3, 1);
    three.StretchDraw({0, 0, 3, 1}, FromPicture({"rg"}));
    EXPECT_EQ(Picture(three), (Rows{"rrg"}));
}

TEST(Bitmap, StretchShrinksByPickingPixelsWithoutAveraging) {
    const Bitmap src = FromPicture({"r#g#", "####", "b#..", "####"});
    Bitmap dst(2, 2);
    dst.StretchDraw({0, 0, 2, 2}, src);
    EXPECT_EQ(Picture(dst), (Rows{"rg", "b."}));
    // 3 -> 2: columns 0 and 1 take source 0 and 1 (1 * 3 / 2).
    Bitmap two(2, 1);
    two.StretchDraw({0, 0, 2, 1}, FromPicture({"rgb"}));
    EXPECT_EQ(Picture(two), (Rows{"rg"}));
}

TEST(Bitmap, StretchIntoAPartlyOutsideRectangleKeepsTheScale) {
    const Bitmap src = FromPicture({"rg"});
    Bitmap dst(3, 2);
    // Four columns wide starting at -2: only the right half (the green source pixel) is inside.
    dst.StretchDraw({-2, 0, 2, 1}, src);
    EXPECT_EQ(Picture(dst), (Rows{"gg.", "..."}));
    // A rectangle offset into the bitmap, clipped at the bottom.
    dst.FillAll(clWhite);
    dst.StretchDraw({1, 1, 3, 3}, FromPicture({"r#", "bg"}));
    EXPECT_EQ(Picture(dst), (Rows{"...", ".r#"}));
}

TEST(Bitmap, StretchWithEmptyRectangleOrSourceDrawsNothing) {
    Bitmap dst(2, 2);
    dst.StretchDraw({1, 1, 1, 2}, Filled(2, 2, clBlack));
    dst.StretchDraw({2, 2, 0, 0}, Filled(2, 2, clBlack));
    dst.StretchDraw({0, 0, 2, 2}, Bitmap());
    dst.StretchDraw({5, 5, 9, 9}, Filled(2, 2, clBlack));
    EXPECT_EQ(Picture(dst), (Rows{"..", ".."}));
}

TEST(Bitmap, EqualityComparesSizeAndPixelsNotPadding) {
    Bitmap a = FromPicture({"r.", "#g"});
    Bitmap b = FromPicture({"r.", "#g"});
    a.Row(0)[6] = 1; // padding byte
    EXPECT_TRUE(a == b);
    b.SetPixel(1, 1, 0x00FF01);
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(FromPicture({"rg"}) == FromPicture({"r", "g"}));
}

TEST(ScreenImage, PresentsFramesAsWindowPixels) {
    ScreenImage screen;
    screen.Reset(4, 3);
    const std::uint8_t black[4] = {0x00, 0x00, 0x00, 0xFF};
    EXPECT_EQ(std::memcmp(screen.Row(1) + 1, black, 4), 0);
    EXPECT_EQ(screen.Stride(), 16u);
    // A frame partly off the window: only the overlap changes, widened to blue, green, red, 0xFF.
    const Bitmap frame = FromPicture({"rgb", "#.r"});
    EXPECT_EQ(screen.Draw(2, 1, frame), (Rect{2, 1, 4, 3}));
    const std::uint8_t red[4] = {0x00, 0x00, 0xFF, 0xFF}, green[4] = {0x00, 0xFF, 0x00, 0xFF};
    EXPECT_EQ(std::memcmp(screen.Row(1) + 2, red, 4), 0);
    EXPECT_EQ(std::memcmp(screen.Row(1) + 3, green, 4), 0);
    EXPECT_EQ(Picture(screen.ToBitmap()), (Rows{"####", "##rg", "###."}));
    EXPECT_EQ(screen.Draw(-3, 0, frame), Rect{});
    EXPECT_EQ(screen.Draw(-1, -1, frame), (Rect{0, 0, 2, 1}));
    EXPECT_EQ(screen.Pixel(0, 0), clWhite);
    EXPECT_EQ(screen.Pixel(1, 0), 0xFF0000u);
}

// Every drawing operation with a clip rectangle draws exactly the pixels it draws without one that lie inside
// the rectangle, and nothing outside it; Reshape keeps its memory for a later, larger size.
TEST(Bitmap, ClipLimitsEveryDrawingToItsRectangle) {
    Bitmap picture(37, 23);
    for (std::int32_t y = 0; y < 23; ++y)
        for (std::int32_t x = 0; x < 37; ++x)
            picture.SetPixel(x, y, static_cast<Color>(x * 0x0701 + y * 0x110000 + 1));
    Bitmap keyed = picture;
    keyed.FillRect(Rect{5, 5, 20, 12}); // the default white brush: skipped by the transparent copy
    const std::vector<Point> star{{-10, 3}, {40, 8}, {2, 30}, {20, -9}, {30, 40}};
    const std::vector<std::pair<const char*, std::function<void(Bitmap&)>>> draws{
        {"fill",
         [](Bitmap& b) {
             b.FillRect(Rect{-4, 3, 50, 19});
         }},
        {"ellipse",
         [](Bitmap& b) {
             b.Ellipse(Rect{-9, -5, 45, 30});
         }},
        {"polygon", [&](Bitmap& b) { b.Polygon(star); }},
        {"stretch",
         [&](Bitmap& b) {
             b.StretchDraw(Rect{-3, 2, 31, 27}, picture);
         }},
        {"opaque", [&](Bitmap& b) { b.DrawOpaque(-6, 4, picture); }},
        {"transparent", [&](Bitmap& b) { b.DrawTransparent(3, -2, keyed); }},
    };
    for (const auto& [name, draw] : draws)
        for (const Rect clip : {Rect{0, 0, 40, 30}, Rect{3, 4, 29, 17}, Rect{-5, 10, 12, 100}, Rect{35, 1, 39, 2}}) {
            Bitmap whole(40, 30), clipped(40, 30);
            whole.brushColor = clipped.brushColor = 0x2040C0;
            whole.penColor = clipped.penColor = 0xC02040;
            whole.FillAll(0x0F0F0F);
            clipped.FillAll(0x0F0F0F);
            draw(whole);
            clipped.SetClip(clip);
            draw(clipped);
            for (std::int32_t y = 0; y < 30; ++y)
                for (std::int32_t x = 0; x < 40; ++x) {
                    const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                    ASSERT_EQ(clipped.Pixel(x, y), inside ? whole.Pixel(x, y) : 0x0F0F0Fu)
                        << name << " clip " << clip.left << "," << clip.top << " at " << x << "," << y;
                }
        }

    Bitmap scratch;
    scratch.Reserve(100, 50);
    const std::uint8_t* memory = scratch.Bits();
    for (const auto& [w, h] : {std::pair{100, 50}, {7, 3}, {60, 40}, {100, 50}}) {
        scratch.Reshape(w, h);
        EXPECT_EQ(scratch.Width(), w);
        EXPECT_EQ(scratch.Height(), h);
        EXPECT_EQ(scratch.Stride(), static_cast<std::size_t>((w * 3 + 3) / 4 * 4));
        EXPECT_EQ(scratch.Bits(), memory) << "no reallocation within the reserved size";
    }
}
