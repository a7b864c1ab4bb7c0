#include "StrokeDigits.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace vis::make {

namespace {

// Digits are designed in a box 6 units wide and 10 high, y downwards; strokes are polylines, arcs are
// given by centre, radius and start and end angle in degrees (0 = right, 90 = down), drawn as polylines.
constexpr double kBoxWidth = 6, kBoxHeight = 10;
constexpr double kStroke = 0.8;   // half the stroke width, in units
constexpr double kOutline = 0.45; // outline width around the stroke, in units
constexpr double kGap = 1.6;      // between digits, in units

struct P {
    double x, y;
};
using Polyline = std::vector<P>;

Polyline Arc(double cx, double cy, double r, double from, double to) {
    Polyline p;
    const int steps = std::max(2, static_cast<int>(std::abs(to - from) / 10));
    for (int i = 0; i <= steps; ++i) {
        const double a = (from + (to - from) * i / steps) * std::numbers::pi / 180;
        p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return p;
}

Polyline Then(Polyline a, std::initializer_list<P> more) {
    a.insert(a.end(), more);
    return a;
}

std::vector<Polyline> Strokes(char digit) {
    switch (digit) {
    case '0':
        return {Then(Arc(3, 3, 3, 180, 360), {{6, 7}}), Then(Arc(3, 7, 3, 0, 180), {{0, 3}})};
    case '1':
        return {{{1.2, 2.2}, {3.6, 0}, {3.6, 10}}};
    case '2':
        return {Then(Arc(3, 3, 3, 180, 395), {{0, 10}, {6, 10}})};
    case '3':
        return {Arc(3, 2.6, 2.6, 200, 450), Arc(3, 7.45, 2.55, 270, 520)};
    case '4':
        return {{{4.4, 10}, {4.4, 0}, {0, 7}, {6, 7}}};
    case '5':
        return {{{5.6, 0}, {0.8, 0}, {0.5, 4.7}}, Arc(3, 6.9, 3.1, 230, 505)};
    case '6':
        return {Arc(3, 7, 3, 0, 360), {{4.6, 0}, {0.5, 5.4}}};
    case '7':
        return {{{0, 0}, {6, 0}, {2, 10}}};
    case '8':
        return {Arc(3, 2.55, 2.45, 0, 360), Arc(3, 7.3, 2.7, 0, 360)};
    case '9':
        return {Arc(3, 3, 3, 0, 360), {{5.5, 4.6}, {1.4, 10}}};
    default:
        return {};
    }
}

double SegmentDistance(P p, P a, P b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

Color Blend(Color under, Color over, double alpha) {
    auto ch = [&](int shift) {
        const double v = ((under >> shift) & 0xFF) * (1 - alpha) + ((over >> shift) & 0xFF) * alpha;
        return static_cast<Color>(std::clamp(std::lround(v), 0L, 255L)) << shift;
    };
    return ch(16) | ch(8) | ch(0);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t DigitCount(std::string_view digits) {
    return static_cast<std::size_t>(std::count_if(digits.begin(), digits.end(), IsDigit));
}

} // namespace

std::int32_t NumberWidth(std::string_view digits, std::int32_t height) {
    const std::size_t n = DigitCount(digits);
    if (n == 0 || height <= 0) return 0;
    const double unit = height / (kBoxHeight + 2 * (kStroke + kOutline));
    const double units = n * kBoxWidth + (n - 1) * kGap + 2 * (kStroke + kOutline);
    return static_cast<std::int32_t>(std::lround(units * unit));
}

void DrawNumber(Bitmap& target, std::string_view digits, std::int32_t cx, std::int32_t cy, std::int32_t height,
                Color fill, Color outline) {
    if (DigitCount(digits) == 0 || height <= 0) return;
    const double unit = height / (kBoxHeight + 2 * (kStroke + kOutline));
    const double margin = kStroke + kOutline;
    const double left = cx - NumberWidth(digits, height) / 2.0, top = cy - height / 2.0;
    // Every segment in pixel coordinates.
    std::vector<std::pair<P, P>> segments;
    double originUnits = margin;
    for (char c : digits) {
        if (!IsDigit(c)) continue;
        for (const Polyline& line : Strokes(c))
            for (std::size_t i = 0; i + 1 < line.size(); ++i) {
                auto px = [&](P p) { return P{left + (originUnits + p.x) * unit, top + (margin + p.y) * unit}; };
                segments.push_back({px(line[i]), px(line[i + 1])});
            }
        originUnits += kBoxWidth + kGap;
    }
    const double inner = kStroke * unit, outer = (kStroke + kOutline) * unit;
    const auto x0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(left) - 1);
    const auto x1 =
        std::min<std::int32_t>(target.Width(), static_cast<std::int32_t>(left + NumberWidth(digits, height)) + 2);
    const auto y0 = std::max<std::int32_t>(0, static_cast<std::int32_t>(top) - 1);
    const auto y1 = std::min<std::int32_t>(target.Height(), static_cast<std::int32_t>(top + height) + 2);
    std::vector<const std::pair<P, P>*> near;
    for (std::int32_t y = y0; y < y1; ++y) {
        // Only the segments within reach of this row can touch its pixels.
        const double rowY = y + 0.5;
        near.clear();
        for (const auto& s : segments)
            if (std::min(s.first.y, s.second.y) - outer - 1 <= rowY &&
                rowY <= std::max(s.first.y, s.second.y) + outer + 1)
                near.push_back(&s);
        if (near.empty()) continue;
        for (std::int32_t x = x0; x < x1; ++x) {
            const P p{x + 0.5, rowY};
            double d = 1e30;
            for (const auto* s : near)
                d = std::min(d, SegmentDistance(p, s->first, s->second));
            const double ringCover = std::clamp(outer - d + 0.5, 0.0, 1.0);
            if (ringCover <= 0) continue;
            const double fillCover = std::clamp(inner - d + 0.5, 0.0, 1.0);
            Color c = Blend(target.Pixel(x, y), outline, ringCover);
            if (fillCover > 0) c = Blend(c, fill, fillCover);
            target.SetPixel(x, y, c);
        }
    }
}

} // namespace vis::make
