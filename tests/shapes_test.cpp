// Filled ellipses and polygons on a bitmap.
#include "gfx/Bitmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace vis {
namespace {

constexpr Color kRed = 0xFF0000, kBlue = 0x0000FF;

Bitmap White(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    b.FillAll(clWhite);
    return b;
}

// The painted (non-white) pixels, as a predicate check over the whole bitmap.
::testing::AssertionResult PaintedIs(const Bitmap& b, const std::function<bool(std::int32_t, std::int32_t)>& want) {
    int wrong = 0;
    std::string where;
    for (std::int32_t y = 0; y < b.Height(); ++y)
        for (std::int32_t x = 0; x < b.Width(); ++x)
            if ((b.Pixel(x, y) != clWhite) != want(x, y) && ++wrong <= 5)
                where += " (" + std::to_string(x) + "," + std::to_string(y) + ")";
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << where;
}

// Reference for the ellipse: the pixel's centre lies in or on the ellipse inscribed in the rectangle.
bool InEllipse(const Rect& r, std::int32_t x, std::int32_t y) {
    const double cx = (double(r.left) + r.right) / 2, cy = (double(r.top) + r.bottom) / 2;
    const double a = (double(r.right) - r.left) / 2, b = (double(r.bottom) - r.top) / 2;
    const double dx = (x + 0.5 - cx) / a, dy = (y + 0.5 - cy) / b;
    return dx * dx + dy * dy <= 1.0 + 1e-12;
}

TEST(Ellipse, EmptyRectanglesDrawNothing) {
    for (const Rect r : {Rect{5, 5, 5, 10}, Rect{5, 5, 10, 5}, Rect{10, 10, 5, 5}, Rect{320, 240, 320, 240}}) {
        Bitmap b = White(20, 20);
        b.brushColor = b.penColor = clBlack;
        b.Ellipse(r);
        EXPECT_TRUE(PaintedIs(b, [](auto, auto) { return false; }));
    }
}

TEST(Ellipse, SmallestShapes) {
    Bitmap b = White(10, 10);
    b.brushColor = b.penColor = clBlack;
    b.Ellipse(Rect{4, 4, 5, 5});
    EXPECT_TRUE(PaintedIs(b, [](auto x, auto y) { return x == 4 && y == 4; }));

    b = White(10, 10);
    b.brushColor = b.penColor = clBlack;
    b.Ellipse(Rect{1, 2, 6, 5}); // 5 × 3: the corners fall outside
    EXPECT_TRUE(PaintedIs(b, [](auto x, auto y) {
        if (y == 3) return x >= 1 && x <= 5;
        return (y == 2 || y == 4) && x >= 2 && x <= 4;
    }));
}

TEST(Ellipse, MatchesTheInscribedEllipseAndStaysInsideItsRectangle) {
    for (const Rect r : {Rect{0, 0, 10, 10}, Rect{3, 2, 40, 17}, Rect{-7, 5, 30, 46}, Rect{2, 2, 3, 40},
                         Rect{1, 1, 44, 2}, Rect{10, 10, 21, 33}}) {
        Bitmap b = White(50, 50);
        b.brushColor = b.penColor = clBlack;
        b.Ellipse(r);
        EXPECT_TRUE(PaintedIs(b,
                              [&](auto x, auto y) {
                                  return x >= r.left && x < r.right && y >= r.top && y < r.bottom && InEllipse(r, x, y);
                              }))
            << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(Ellipse, IsSymmetricAboutItsCentre) {
    for (const Rect r : {Rect{0, 0, 31, 20}, Rect{2, 1, 30, 29}, Rect{5, 3, 12, 30}}) {
        Bitmap b = White(32, 32);
        b.brushColor = b.penColor = clBlack;
        b.Ellipse(r);
        for (std::int32_t y = r.top; y < r.bottom; ++y)
            for (std::int32_t x = r.left; x < r.right; ++x) {
                const bool p = b.Pixel(x, y) == clBlack;
                EXPECT_EQ(p, b.Pixel(r.left + r.right - 1 - x, y) == clBlack) << x << "," << y;
                EXPECT_EQ(p, b.Pixel(x, r.top + r.bottom - 1 - y) == clBlack) << x << "," << y;
            }
    }
}

TEST(Ellipse, LargerThanTheBitmap) {
    // The first circle of a 1024 × 768 picture: diameter 1280 around the centre.
    const Rect r{-96, -224, 1120, 992};
    Bitmap b = White(1024, 768);
    b.brushColor = b.penColor = clBlack;
    b.Ellipse(r);
    EXPECT_TRUE(PaintedIs(b, [&](auto x, auto y) { return InEllipse(r, x, y); }));
    EXPECT_EQ(b.Pixel(0, 0), clWhite);
    EXPECT_EQ(b.Pixel(0, 384), clBlack);
    EXPECT_EQ(b.Pixel(512, 0), clBlack);

    // Far beyond 32-bit products: the middle of a huge circle covers the whole bitmap.
    Bitmap c = White(64, 48);
    c.brushColor = c.penColor = clBlack;
    c.Ellipse(Rect{-2000000000, -2000000000, 2000000000, 2000000000});
    EXPECT_TRUE(PaintedIs(c, [](auto, auto) { return true; }));
    // A huge flat ellipse through the bitmap's middle row only.
    Bitmap d = White(64, 48);
    d.brushColor = d.penColor = clBlack;
    d.Ellipse(Rect{-2000000000, 20, 2000000000, 23});
    EXPECT_TRUE(PaintedIs(d, [](auto, auto y) { return y >= 20 && y <= 22; }));
}

TEST(Ellipse, OutlineWithThePenInsideWithTheBrush) {
    const Rect r{2, 3, 19, 14};
    Bitmap b = White(22, 18);
    b.brushColor = kBlue;
    b.penColor = kRed;
    b.Ellipse(r);
    const auto in = [&](std::int32_t x, std::int32_t y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom && InEllipse(r, x, y);
    };
    int pen = 0, brush = 0;
    for (std::int32_t y = 0; y < 18; ++y)
        for (std::int32_t x = 0; x < 22; ++x) {
            const bool edge = in(x, y) && !(in(x - 1, y) && in(x + 1, y) && in(x, y - 1) && in(x, y + 1));
            const Color want = !in(x, y) ? clWhite : edge ? kRed : kBlue;
            EXPECT_EQ(b.Pixel(x, y), want) << x << "," << y;
            pen += want == kRed;
            brush += want == kBlue;
        }
    EXPECT_GT(pen, 30);
    EXPECT_GT(brush, 80);
}

TEST(Polygon, RectangleFillsItsInsideAndTheOutlineTakesTheEdges) {
    Bitmap b = White(12, 10);
    b.brushColor = kBlue;
    b.penColor = kRed;
    const std::vector<Point> p{{2, 2}, {8, 2}, {8, 6}, {2, 6}};
    b.Polygon(p);
    for (std::int32_t y = 0; y < 10; ++y)
        for (std::int32_t x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x <= 8 && y >= 2 && y <= 6;
            const bool edge = inside && (x == 2 || x == 8 || y == 2 || y == 6);
            EXPECT_EQ(b.Pixel(x, y), !inside ? clWhite : edge ? kRed : kBlue) << x << "," << y;
        }
}

TEST(Polygon, TriangleCoversItsClosedArea) {
    Bitmap b = White(10, 10);
    b.brushColor = b.penColor = clBlack;
    const std::vector<Point> p{{0, 0}, {4, 0}, {0, 4}};
    b.Polygon(p);
    EXPECT_TRUE(PaintedIs(b, [](auto x, auto y) { return x + y <= 4; }));

    // A steep outline gets one pixel per row, a flat one a run per row.
    Bitmap s = White(10, 12);
    s.brushColor = s.penColor = clBlack;
    const std::vector<Point> line{{1, 1}, {3, 11}};
    s.Polygon(line);
    EXPECT_TRUE(PaintedIs(s, [](auto x, auto y) {
        if (y < 1 || y > 11) return false;
        return x == 1 + ((y - 1) * 2 * 2 + 10) / 20; // nearest column, halves up
    }));
}

TEST(Polygon, RepeatedVertexChangesNothing) {
    const std::vector<std::vector<Point>> shapes{
        {{5, -8}, {5, 10}, {30, -8}},
        {{5, -8}, {5, 10}, {30, -8}, {30, -8}},
        {{5, -8}, {5, 10}, {5, 10}, {30, -8}},
        {{5, -8}, {5, -8}, {5, 10}, {30, -8}},
    };
    Bitmap first = White(32, 24);
    first.brushColor = first.penColor = clBlack;
    first.Polygon(shapes[0]);
    for (const auto& s : shapes) {
        Bitmap b = White(32, 24);
        b.brushColor = b.penColor = clBlack;
        b.Polygon(s);
        EXPECT_TRUE(b == first);
    }
}

TEST(Polygon, AlternateRuleLeavesTheCentreOfAStarEmpty) {
    Bitmap b = White(101, 101);
    b.brushColor = b.penColor = clBlack;
    // A pentagram drawn in one stroke: its inner pentagon is enclosed twice.
    const std::vector<Point> star{{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
    b.Polygon(star);
    EXPECT_EQ(b.Pixel(50, 55), clWhite); // inner pentagon
    EXPECT_EQ(b.Pixel(50, 15), clBlack); // top point
    EXPECT_EQ(b.Pixel(10, 37), clBlack); // left point
    EXPECT_EQ(b.Pixel(75, 80), clBlack); // lower right point
    EXPECT_EQ(b.Pixel(5, 90), clWhite);  // outside
}

TEST(Polygon, FarVerticesAreClipped) {
    Bitmap b = White(64, 48);
    b.brushColor = b.penColor = clBlack;
    const std::vector<Point> band{{-2000000000, 20}, {2000000000, 20}, {2000000000, 30}, {-2000000000, 30}};
    b.Polygon(band);
    EXPECT_TRUE(PaintedIs(b, [](auto, auto y) { return y >= 20 && y <= 30; }));

    // The half plane on and above the diagonal, from a triangle two billion pixels wide.
    Bitmap d = White(64, 48);
    d.brushColor = d.penColor = clBlack;
    const std::vector<Point> half{{-2000000000, -2000000000}, {2000000000, 2000000000}, {2000000000, -2000000000}};
    d.Polygon(half);
    EXPECT_TRUE(PaintedIs(d, [](auto x, auto y) { return y <= x; }));

    // Wholly outside: nothing.
    Bitmap n = White(64, 48);
    n.brushColor = n.penColor = clBlack;
    const std::vector<Point> away{{100, 100}, {2000000000, 100}, {100, 2000000000}};
    n.Polygon(away);
    EXPECT_TRUE(PaintedIs(n, [](auto, auto) { return false; }));
}

} // namespace
} // namespace vis
