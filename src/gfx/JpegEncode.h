#pragma once
// JPEG compression of a bitmap, for the tests and the authoring tool (the saver itself only decodes).
#include "gfx/Bitmap.h"

#include <string>

namespace vis {

struct JpegEncodeOptions {
    int quality = 90;         // 1..100, clamped
    bool progressive = false; // the library's standard progressive script
    bool grayscale = false;   // one component, from the luminance the library computes
    bool fullChroma = false;  // 4:4:4 instead of the library's 4:2:0 (colours survive exactly at high quality)
};

// The JFIF file's bytes. Raises EInvalidGraphic for an empty bitmap or when the library fails.
std::string EncodeJpeg(const Bitmap& bitmap, const JpegEncodeOptions& options);
std::string EncodeJpeg(const Bitmap& bitmap, int quality);

} // namespace vis
