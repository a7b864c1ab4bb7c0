#pragma once
// The grey and sepia tone filters, applied in place to a 24-bit bitmap with integer arithmetic only.
#include "gfx/Bitmap.h"

#include <cstdint>

namespace vis {

// Y = 150 G / 255 + 76 R / 255 + 29 B / 255, each quotient truncated on its own; 0..255.
std::uint8_t ToneLuminance(std::uint8_t b, std::uint8_t g, std::uint8_t r);
// The sepia shift: (Y - 255)^2 / 441 above 150, Y^2 / 900 up to 150.
std::uint8_t SepiaShift(std::uint8_t y);

// Blue, green and red all become Y.
void ToneGrey(Bitmap& bitmap);
// Blue becomes Y - k, green Y and red Y + k, k = SepiaShift(Y); always within 0..255.
void ToneSepia(Bitmap& bitmap);

} // namespace vis
