#pragma once
#include "gfx/Bitmap.h"

#include <string>

namespace vis::render {

// Writes the bitmap as an 8-bit RGB PNG file; raises std::runtime_error with the reason when it cannot.
void WritePng(const Bitmap& bitmap, const std::string& path);

} // namespace vis::render
