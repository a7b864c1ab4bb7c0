#pragma once
// Pixel transforms the authoring tool applies before a picture goes into a data folder: the slideshow
// shows pixels exactly as stored, so turning and shrinking must happen here.
#include "gfx/Bitmap.h"

#include <cstdint>

namespace vis::make {

struct Size {
    std::int32_t width = 0, height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// Turns and mirrors the pixels as an EXIF orientation (1..8) asks, so that the result stands upright.
// Orientations 5..8 swap width and height; anything outside 2..8 returns a copy.
Bitmap ApplyOrientation(const Bitmap& src, int orientation);

// The largest size of the picture's aspect ratio that fits into the box; the picture's own size when it
// fits already (pictures are never enlarged). Neither side becomes 0.
Size FitSize(Size picture, Size box);

// Shrinks by area averaging: every target pixel is the mean of the source area it covers, with partial
// source pixels weighted by their share. Target sides larger than the source's are clamped to the source's.
Bitmap ScaleDown(const Bitmap& src, Size target);

} // namespace vis::make
