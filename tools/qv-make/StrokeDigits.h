#pragma once
// Large numbers drawn as smooth strokes with round ends, for the demo pictures: the pixel font looks blocky
// at a hundred times its size.
#include "gfx/Bitmap.h"

#include <cstdint>
#include <string_view>

namespace vis::make {

// Width of the number at the given digit height, outline included.
std::int32_t NumberWidth(std::string_view digits, std::int32_t height);

// Draws the digits (other characters are skipped) centred on (cx, cy), height pixels tall, filled with fill
// and ringed by outline; anti-aliased, clipped to the bitmap.
void DrawNumber(Bitmap& target, std::string_view digits, std::int32_t cx, std::int32_t cy, std::int32_t height,
                Color fill, Color outline);

} // namespace vis::make
