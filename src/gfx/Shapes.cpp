// Filled ellipses and polygons on a bitmap, drawn row span by row span so that shapes far larger than the
// bitmap (or its clip rectangle) cost only the rows and pixels that are drawn.
#include "gfx/Bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vis {

namespace {

// Fills the pixels first..last (inclusive) of row y with c, clipped to the area drawn in.
void FillSpan(Bitmap& bmp, const Rect& area, std::int32_t y, std::int64_t first, std::int64_t last, Color c) {
    first = std::max<std::int64_t>(first, area.left);
    last = std::min<std::int64_t>(last, area.right - 1);
    if (first > last || y < area.top || y >= area.bottom) return;
    std::uint8_t* p = bmp.Row(y) + static_cast<std::size_t>(first) * 3;
    const auto n = static_cast<std::size_t>(last - first + 1);
    const auto b = static_cast<std::uint8_t>(c), g = static_cast<std::uint8_t>(c >> 8),
               r = static_cast<std::uint8_t>(c >> 16);
    if (b == g && g == r) {
        std::memset(p, b, n * 3);
        return;
    }
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { // b > 0
    const std::int64_t q = a / b;
    return q * b > a ? q - 1 : q;
}

std::int64_t CeilDiv(std::int64_t a, std::int64_t b) { // b > 0
    const std::int64_t q = a / b;
    return q * b < a ? q + 1 : q;
}

// ---- Ellipse ----

// a * b as a 128-bit number, so that the inside test of any 32-bit bounding rectangle is exact.
struct U128 {
    std::uint64_t hi, lo;
    friend bool operator<=(const U128& x, const U128& y) { return x.hi < y.hi || (x.hi == y.hi && x.lo <= y.lo); }
};

U128 Multiply(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
    const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const std::uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (p00 & 0xFFFFFFFFu) | (mid << 32)};
}

// The ellipse inscribed in [left, right) x [top, bottom). Pixel (x, y) belongs to it when its centre lies inside
// or on the ellipse. Working in doubled coordinates keeps everything integral: with X = 2x + 1 - (left + right)
// and Y likewise, the test is X²·h² + Y²·w² <= w²·h², w and h being the rectangle's width and height.
class EllipseRows {
  public:
    explicit EllipseRows(const Rect& r)
        : r_(r), w_(static_cast<std::int64_t>(r.right) - r.left), h_(static_cast<std::int64_t>(r.bottom) - r.top),
          sumX_(static_cast<std::int64_t>(r.left) + r.right), sumY_(static_cast<std::int64_t>(r.top) + r.bottom),
          w2_(static_cast<std::uint64_t>(w_) * static_cast<std::uint64_t>(w_)),
          h2_(static_cast<std::uint64_t>(h_) * static_cast<std::uint64_t>(h_)) {}

    // The row's pixels as first..last; false when the row holds none. Rows are symmetric about the centre, and
    // so is every span, since it depends on |Y| only.
    bool Span(std::int64_t y, std::int64_t& first, std::int64_t& last) const {
        if (y < r_.top || y >= r_.bottom) return false;
        const std::int64_t Y = 2 * y + 1 - sumY_;
        const auto ay = static_cast<std::uint64_t>(Y < 0 ? -Y : Y);
        const std::uint64_t rest = h2_ - ay * ay; // |Y| < h, so this stays positive
        // X runs over numbers of the parity of w + 1; start from the floating-point estimate and correct it.
        const std::int64_t parity = (w_ + 1) & 1;
        const double estimate =
            static_cast<double>(w_) * std::sqrt(static_cast<double>(rest) / static_cast<double>(h2_));
        std::int64_t X = std::min<std::int64_t>(static_cast<std::int64_t>(estimate), w_ - 1);
        if ((X & 1) != parity) --X;
        while (X >= 0 && !Inside(X, rest))
            X -= 2;
        if (X < 0) return false;
        while (X + 2 <= w_ - 1 && Inside(X + 2, rest))
            X += 2;
        first = (sumX_ - 1 - X) / 2;
        last = (sumX_ - 1 + X) / 2;
        return true;
    }

  private:
    bool Inside(std::int64_t X, std::uint64_t rest) const {
        const auto ax = static_cast<std::uint64_t>(X);
        return Multiply(ax * ax, h2_) <= Multiply(w2_, rest);
    }

    Rect r_;
    std::int64_t w_, h_, sumX_, sumY_;
    std::uint64_t w2_, h2_;
};

// ---- Polygon ----

// Coordinates beyond this reach are moved onto it first, which keeps every product below in 64 bits. It lies
// hundreds of millions of pixels beyond any bitmap, so nothing visible changes but the last fraction of a pixel.
constexpr std::int64_t kGuard = std::int64_t{1} << 29;

struct P64 {
    std::int64_t x, y;
};

// Sutherland-Hodgman against one side of the guard square; only polygons that reach that far take this path.
template <class Outside, class Cut> std::vector<P64> ClipSide(const std::vector<P64>& in, Outside outside, Cut cut) {
    std::vector<P64> out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const P64 a = in[i], b = in[(i + 1) % in.size()];
        const bool ao = outside(a), bo = outside(b);
        if (!ao) out.push_back(a);
        if (ao != bo) out.push_back(cut(a, b));
    }
    return out;
}

P64 CutAtX(P64 a, P64 b, std::int64_t x) {
    const double t = static_cast<double>(x - a.x) / static_cast<double>(b.x - a.x);
    return {x, a.y + std::llround(t * static_cast<double>(b.y - a.y))};
}

P64 CutAtY(P64 a, P64 b, std::int64_t y) {
    const double t = static_cast<double>(y - a.y) / static_cast<double>(b.y - a.y);
    return {a.x + std::llround(t * static_cast<double>(b.x - a.x)), y};
}

std::vector<P64> GuardClip(std::span<const Point> points) {
    std::vector<P64> v;
    v.reserve(points.size());
    bool far = false;
    for (const Point& p : points) {
        v.push_back({p.x, p.y});
        far = far || p.x < -kGuard || p.x > kGuard || p.y < -kGuard || p.y > kGuard;
    }
    if (!far) return v;
    v = ClipSide(
        v, [](P64 p) { return p.x < -kGuard; }, [](P64 a, P64 b) { return CutAtX(a, b, -kGuard); });
    if (!v.empty())
        v = ClipSide(
            v, [](P64 p) { return p.x > kGuard; }, [](P64 a, P64 b) { return CutAtX(a, b, kGuard); });
    if (!v.empty())
        v = ClipSide(
            v, [](P64 p) { return p.y < -kGuard; }, [](P64 a, P64 b) { return CutAtY(a, b, -kGuard); });
    if (!v.empty())
        v = ClipSide(
            v, [](P64 p) { return p.y > kGuard; }, [](P64 a, P64 b) { return CutAtY(a, b, kGuard); });
    return v;
}

// The pixels of line a-b in row y, as first..last; false when it has none there. Each column of a flat line
// (or each row of a steep one) gets the pixel nearest to the exact line, halves rounded up.
bool LineSpan(P64 a, P64 b, std::int64_t y, std::int64_t& first, std::int64_t& last) {
    std::int64_t dx = b.x - a.x, dy = b.y - a.y;
    if (std::abs(dy) > std::abs(dx)) {
        if (dy < 0) {
            std::swap(a, b);
            dx = -dx;
            dy = -dy;
        }
        if (y < a.y || y > b.y) return false;
        first = last = a.x + FloorDiv(2 * (y - a.y) * dx + dy, 2 * dy);
        return true;
    }
    if (dx < 0) {
        std::swap(a, b);
        dx = -dx;
        dy = -dy;
    }
    if (y < std::min(a.y, b.y) || y > std::max(a.y, b.y)) return false;
    if (dx == 0) { // a single point
        if (y != a.y) return false;
        first = last = a.x;
        return true;
    }
    // Column x = a.x + t lies in row a.y + floor((2·t·dy + dx) / (2·dx)); solve that for the t of row y.
    const std::int64_t m = y - a.y;
    std::int64_t lo, hi;
    if (dy == 0) {
        if (m != 0) return false;
        lo = 0;
        hi = dx;
    } else if (dy > 0) {
        lo = CeilDiv(2 * dx * m - dx, 2 * dy);
        hi = FloorDiv(2 * dx * (m + 1) - 1 - dx, 2 * dy);
    } else {
        const std::int64_t e = -dy;
        lo = CeilDiv(dx - 2 * dx * (m + 1) + 1, 2 * e);
        hi = FloorDiv(dx - 2 * dx * m, 2 * e);
    }
    lo = std::max<std::int64_t>(lo, 0);
    hi = std::min(hi, dx);
    if (lo > hi) return false;
    first = a.x + lo;
    last = a.x + hi;
    return true;
}

} // namespace

void Bitmap::Ellipse(const Rect& bounds) {
    const Rect area = DrawArea();
    if (bounds.Empty() || area.Empty()) return;
    const EllipseRows rows(bounds);
    const std::int64_t top = std::max<std::int64_t>(bounds.top, area.top);
    const std::int64_t bottom = std::min<std::int64_t>(bounds.bottom, area.bottom);
    for (std::int64_t y = top; y < bottom; ++y) {
        std::int64_t first, last;
        if (!rows.Span(y, first, last)) continue;
        const auto row = static_cast<std::int32_t>(y);
        if (penColor == brushColor) {
            FillSpan(*this, area, row, first, last, brushColor);
            continue;
        }
        // The outline is the span's pixels that have no neighbour of the shape above, below or beside them.
        std::int64_t inFirst = first + 1, inLast = last - 1;
        for (const std::int64_t ny : {y - 1, y + 1}) {
            std::int64_t nf, nl;
            if (!rows.Span(ny, nf, nl)) {
                inFirst = 1;
                inLast = 0;
                break;
            }
            inFirst = std::max(inFirst, nf);
            inLast = std::min(inLast, nl);
        }
        if (inFirst > inLast) {
            FillSpan(*this, area, row, first, last, penColor);
        } else {
            FillSpan(*this, area, row, first, inFirst - 1, penColor);
            FillSpan(*this, area, row, inFirst, inLast, brushColor);
            FillSpan(*this, area, row, inLast + 1, last, penColor);
        }
    }
}

void Bitmap::Polygon(std::span<const Point> points) {
    const Rect area = DrawArea();
    if (points.empty() || area.Empty()) return;
    const std::vector<P64> v = GuardClip(points);
    if (v.empty()) return;
    std::int64_t minY = v[0].y, maxY = v[0].y;
    for (const P64& p : v) {
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const std::int64_t top = std::max<std::int64_t>(minY, area.top);
    const std::int64_t bottom = std::min<std::int64_t>(maxY, area.bottom - 1);
    std::vector<std::int64_t> crossings;
    for (std::int64_t y = top; y <= bottom; ++y) {
        const auto row = static_cast<std::int32_t>(y);
        // Interior, alternate rule: a pixel is inside when its centre lies left-inclusively between a pair of
        // edge crossings. Edges own their upper end only, so a vertex between two edges counts once and a
        // horizontal or repeated-vertex edge counts never.
        crossings.clear();
        for (std::size_t i = 0; i < v.size(); ++i) {
            P64 a = v[i], b = v[(i + 1) % v.size()];
            if (a.y == b.y) continue;
            if (a.y > b.y) std::swap(a, b);
            if (y < a.y || y >= b.y) continue;
            crossings.push_back(a.x + CeilDiv((y - a.y) * (b.x - a.x), b.y - a.y));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            FillSpan(*this, area, row, crossings[i], crossings[i + 1] - 1, brushColor);
        // Outline, one pixel wide, along every edge including the closing one.
        for (std::size_t i = 0; i < v.size(); ++i) {
            std::int64_t first, last;
            if (LineSpan(v[i], v[(i + 1) % v.size()], y, first, last))
                FillSpan(*this, area, row, first, last, penColor);
        }
    }
}

} // namespace vis
