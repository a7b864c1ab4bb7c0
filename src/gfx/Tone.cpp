#include "gfx/Tone.h"

#include <array>

namespace vis {

namespace {

// The three quotients and the sepia shift depend on one byte each, so they are looked up, not divided.
struct ToneTables {
    std::array<std::uint8_t, 256> blue{}, green{}, red{}, sepiaShift{};
};

constexpr ToneTables MakeToneTables() {
    ToneTables t;
    for (int v = 0; v < 256; ++v) {
        t.blue[v] = static_cast<std::uint8_t>(29 * v / 255);
        t.green[v] = static_cast<std::uint8_t>(150 * v / 255);
        t.red[v] = static_cast<std::uint8_t>(76 * v / 255);
        t.sepiaShift[v] = static_cast<std::uint8_t>(v > 150 ? (v - 255) * (v - 255) / 441 : v * v / 900);
    }
    return t;
}

constexpr ToneTables kTables = MakeToneTables();

// The sum of the three truncated quotients never passes 150 + 76 + 29 = 255.
static_assert(kTables.blue[255] + kTables.green[255] + kTables.red[255] == 255);
// Y + k and Y - k stay within a byte everywhere, so sepia needs no clamping.
constexpr bool SepiaStaysInRange() {
    for (int y = 0; y < 256; ++y)
        if (y + kTables.sepiaShift[y] > 255 || y - kTables.sepiaShift[y] < 0) return false;
    return true;
}
static_assert(SepiaStaysInRange());

inline unsigned Luminance(const std::uint8_t* p) {
    return static_cast<unsigned>(kTables.blue[p[0]]) + kTables.green[p[1]] + kTables.red[p[2]];
}

} // namespace

std::uint8_t ToneLuminance(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    const std::uint8_t p[3] = {b, g, r};
    return static_cast<std::uint8_t>(Luminance(p));
}

std::uint8_t SepiaShift(std::uint8_t y) { return kTables.sepiaShift[y]; }

void ToneGrey(Bitmap& bitmap) {
    bitmap.Force24Bit();
    const std::int32_t w = bitmap.Width();
    for (std::int32_t row = 0; row < bitmap.Height(); ++row) {
        std::uint8_t* p = bitmap.Row(row);
        for (std::int32_t x = 0; x < w; ++x, p += 3) {
            const auto y = static_cast<std::uint8_t>(Luminance(p));
            p[0] = p[1] = p[2] = y;
        }
    }
}

void ToneSepia(Bitmap& bitmap) {
    bitmap.Force24Bit();
    const std::int32_t w = bitmap.Width();
    for (std::int32_t row = 0; row < bitmap.Height(); ++row) {
        std::uint8_t* p = bitmap.Row(row);
        for (std::int32_t x = 0; x < w; ++x, p += 3) {
            const unsigned y = Luminance(p);
            const unsigned k = kTables.sepiaShift[y];
            p[0] = static_cast<std::uint8_t>(y - k);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(y + k);
        }
    }
}

} // namespace vis
