#include "Demo.h"
#include "PixelFont.h"
#include "StrokeDigits.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numbers>

namespace vis::make {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr Color kShadow = 0x141428;

// Hue 0..1 around the colour wheel, saturation and value 0..1.
Color Hsv(double h, double s, double v) {
    h = (h - std::floor(h)) * 6.0;
    const int sector = static_cast<int>(h) % 6;
    const double f = h - std::floor(h);
    const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r = v, g = t, b = p;
    switch (sector) {
    case 1:
        r = q, g = v, b = p;
        break;
    case 2:
        r = p, g = v, b = t;
        break;
    case 3:
        r = p, g = q, b = v;
        break;
    case 4:
        r = t, g = p, b = v;
        break;
    case 5:
        r = v, g = p, b = q;
        break;
    default:
        break;
    }
    auto c = [](double x) { return static_cast<Color>(std::clamp(std::lround(x * 255), 0L, 255L)); };
    return c(r) << 16 | c(g) << 8 | c(b);
}

Color Mix(Color a, Color b, double t) {
    auto ch = [&](int shift) {
        const double x = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        return static_cast<Color>(std::clamp(std::lround(x), 0L, 255L)) << shift;
    };
    return ch(16) | ch(8) | ch(0);
}

void Paint(Bitmap& b, const std::function<Color(std::int32_t, std::int32_t)>& colorAt) {
    for (std::int32_t y = 0; y < b.Height(); ++y)
        for (std::int32_t x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, colorAt(x, y));
}

void Disc(Bitmap& b, double cx, double cy, double r, Color c, double opacity = 1.0) {
    const auto y0 = static_cast<std::int32_t>(std::max(0.0, cy - r)),
               y1 = static_cast<std::int32_t>(std::min<double>(b.Height() - 1, cy + r));
    const auto x0 = static_cast<std::int32_t>(std::max(0.0, cx - r)),
               x1 = static_cast<std::int32_t>(std::min<double>(b.Width() - 1, cx + r));
    for (std::int32_t y = y0; y <= y1; ++y)
        for (std::int32_t x = x0; x <= x1; ++x) {
            const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
            // A one-pixel soft edge keeps the circles round at every size.
            const double cover = std::clamp(r - d + 0.5, 0.0, 1.0) * opacity;
            if (cover > 0) b.SetPixel(x, y, Mix(b.Pixel(x, y), c, cover));
        }
}

// Text in white with a dark outline, so it reads on any colour; centred on (cx, cy) at the given scale.
void Label(Bitmap& b, std::string_view text, std::int32_t cx, std::int32_t cy, std::int32_t scale,
           Color ink = clWhite) {
    const std::int32_t w = TextWidth(text, scale), h = kFontCapHeight * scale;
    const std::int32_t x = cx - w / 2, y = cy - h / 2;
    const std::int32_t o = std::max(1, scale / 3);
    for (std::int32_t dy = -o; dy <= o; dy += o)
        for (std::int32_t dx = -o; dx <= o; dx += o)
            if (dx || dy) DrawText(b, x + dx, y + dy, text, kShadow, scale);
    DrawText(b, x, y, text, ink, scale);
}

// The picture's number large in the middle, its size small at the bottom.
void Number(Bitmap& b, int number) {
    DrawNumber(b, std::to_string(number), b.Width() / 2, b.Height() / 2, b.Height() * 9 / 20, clWhite, kShadow);
    const std::string size = std::to_string(b.Width()) + " x " + std::to_string(b.Height());
    const std::int32_t small = std::max(1, b.Height() / 30 / kFontCapHeight);
    Label(b, size, b.Width() / 2, b.Height() - 2 * kFontCapHeight * small, small);
}

Bitmap Opening() {
    Bitmap b(1280, 720);
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        return Mix(Mix(0x1B1464, 0x6A0DAD, x / 1280.0), 0xFF6F91, std::pow(y / 720.0, 2.0) * 0.8);
    });
    for (int i = 0; i < 24; ++i) // a ring of coloured lights
        Disc(b, 640 + 520 * std::cos(i * kPi / 12), 360 + 300 * std::sin(i * kPi / 12), 18, Hsv(i / 24.0, 0.8, 1.0));
    Label(b, "Vistrelle", 640, 300, 18);
    Label(b, "a slideshow screen saver", 640, 450, 4, 0xFFE066);
    DrawNumber(b, "0", 1280 - 60, 720 - 70, 90, clWhite, kShadow);
    return b;
}

Bitmap Title() {
    Bitmap b(1024, 640);
    Paint(b,
          [&](std::int32_t x, std::int32_t y) { return Hsv(0.55 + 0.25 * x / 1024.0, 0.65, 0.95 - 0.3 * y / 640.0); });
    for (int i = 0; i < 5; ++i)
        Disc(b, 160 + i * 176, 120, 40, Hsv(i / 5.0, 0.7, 1.0), 0.85);
    Label(b, "Demo", 512, 330, 22);
    Label(b, "title picture: shown once", 512, 470, 4);
    DrawNumber(b, "1", 1024 - 50, 640 - 60, 80, clWhite, kShadow);
    return b;
}

Bitmap Rings(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    const double cx = w * 0.5, cy = h * 0.5;
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        const double d = std::hypot(x - cx, y - cy) / 90.0;
        return Hsv(d / 6.0, 0.85, 0.75 + 0.25 * std::cos(d * 2 * kPi));
    });
    return b;
}

Bitmap Stripes(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    Paint(b, [&](std::int32_t x, std::int32_t y) { return Hsv(((x + y) / 40) / 8.0, 0.9, 1.0); });
    return b;
}

Bitmap Sunset(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    const std::int32_t horizon = h * 62 / 100;
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        if (y < horizon) {
            const double t = static_cast<double>(y) / horizon;
            return t < 0.5 ? Mix(0x2B1055, 0xD7266D, t * 2) : Mix(0xD7266D, 0xFFB347, (t - 0.5) * 2);
        }
        const double t = static_cast<double>(y - horizon) / (h - horizon);
        const bool glint = std::abs(x - w / 2) < (w / 5) * (1 - t) && ((y / 6) % 2 == 0);
        return glint ? Color{0xFFD27F} : Mix(0x1E3C72, 0x0B1533, t);
    });
    Disc(b, w / 2.0, horizon - h * 0.08, w * 0.22, 0xFFE07A, 0.95);
    return b;
}

Bitmap Checker(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    const std::int32_t tile = 64;
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        const std::int32_t tx = x / tile, ty = y / tile;
        const double hue = (tx * 3 + ty * 5) % 16 / 16.0;
        return Hsv(hue, (tx + ty) % 2 ? 0.9 : 0.55, 1.0);
    });
    return b;
}

Bitmap Plasma(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        const double u = x / 160.0, v = y / 160.0;
        const double p =
            std::sin(u) + std::sin(v * 1.3) + std::sin((u + v) * 0.7) + std::sin(std::hypot(u - 4, v - 2.5) * 1.5);
        return Hsv(p / 8.0 + 0.5, 0.8, 0.95);
    });
    return b;
}

Bitmap Wheel(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) / 2.0;
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        const double d = std::hypot(x - cx, y - cy) / r;
        const double a = std::atan2(y - cy, x - cx) / (2 * kPi);
        return d > 1 ? Color{0x202030} : Hsv(a, std::min(1.0, d * 1.2), 1.0);
    });
    return b;
}

Bitmap Bubbles(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    Paint(b, [&](std::int32_t, std::int32_t y) { return Mix(0x0F2027, 0x2C5364, static_cast<double>(y) / h); });
    std::uint32_t seed = 12345; // the same bubbles every time
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / static_cast<double>(1u << 24);
    };
    for (int i = 0; i < 90; ++i)
        Disc(b, next() * w, next() * h, 12 + next() * 70, Hsv(next(), 0.75, 1.0), 0.55 + next() * 0.4);
    return b;
}

Bitmap Bands(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    Paint(b, [&](std::int32_t x, std::int32_t y) {
        const double wave = std::sin(x / 50.0) * 18;
        return Hsv(std::floor((y + wave) / 80.0) / 12.0 + 0.1, 0.6, 1.0);
    });
    return b;
}

} // namespace

std::vector<DemoPicture> DemoPictures() {
    std::vector<DemoPicture> out;
    out.push_back({"opening picture", Opening()});
    out.push_back({"title picture", Title()});
    struct Show {
        const char* caption;
        Bitmap (*make)(std::int32_t, std::int32_t);
        std::int32_t w, h;
    };
    const Show shows[] = {
        {"rings, larger than Full HD", Rings, 2400, 1350},
        {"stripes, small", Stripes, 320, 240},
        {"sunset, portrait", Sunset, 720, 1080},
        {"checkerboard", Checker, 1024, 768},
        {"plasma", Plasma, 1280, 800},
        {"colour wheel", Wheel, 800, 800},
        {"bubbles", Bubbles, 1600, 900},
        {"bands, portrait", Bands, 640, 960},
    };
    for (const Show& s : shows) {
        DemoPicture p{s.caption, s.make(s.w, s.h)};
        Number(p.pixels, static_cast<int>(out.size()));
        out.push_back(std::move(p));
    }
    return out;
}

SaverSpec DemoSpec(const std::string& dest, const std::string& program, bool force) {
    SaverSpec spec;
    spec.dest = dest;
    spec.name = kDemoName;
    for (DemoPicture& p : DemoPictures())
        spec.pictures.push_back({"", std::move(p.pixels)});
    spec.title = true;
    spec.musicBytes = DemoMusic();
    spec.showSeconds = 4;
    spec.pauseSeconds = 1;
    spec.force = force;
    spec.program = program;
    return spec;
}

} // namespace vis::make
