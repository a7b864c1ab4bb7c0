#pragma once
// A small proportional bitmap font of our own (7 pixels from cap line to baseline, 2 below for descenders),
// for the effect-page labels and the numbers on the demo pictures. No font files, no rasteriser.
#include "gfx/Bitmap.h"

#include <cstdint>
#include <string_view>

namespace vis::make {

constexpr std::int32_t kFontCapHeight = 7;
constexpr std::int32_t kFontDescent = 2;
constexpr std::int32_t kFontLineHeight = kFontCapHeight + kFontDescent;

// Width in pixels of the text at the given scale, one unscaled pixel of space between glyphs.
std::int32_t TextWidth(std::string_view text, std::int32_t scale = 1);

// Draws the text with its cap line at y; every font pixel becomes a scale x scale square. Clipped to the
// bitmap. Characters the font lacks are drawn as "?".
void DrawText(Bitmap& target, std::int32_t x, std::int32_t y, std::string_view text, Color color,
              std::int32_t scale = 1);

// True when the font has a glyph of its own for the character.
bool HasGlyph(char c);

} // namespace vis::make
