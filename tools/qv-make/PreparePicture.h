#pragma once
// Turns an input picture (JPEG or PNG bytes) into what the slideshow can show as it is: a JPEG file standing
// upright and, when asked, no larger than a screen.
#include "Transform.h"

#include <optional>
#include <string>
#include <string_view>

namespace vis::make {

struct PictureSettings {
    std::optional<Size> fit; // shrink larger pictures to fit this box
    bool keepJpegs = false;  // store every JPEG exactly as given, also one the camera marked as turned
    int quality = 92;        // JPEG quality of pictures that must be encoded again
};

struct PreparedPicture {
    std::string jpeg;
    Size size;           // of the stored picture
    bool copied = false; // the input's bytes unchanged
    int orientation = 1; // the EXIF orientation that was applied
};

// label names the input in messages. Raises MakeError for a file that is neither JPEG nor PNG, damaged data,
// or a picture larger than the slideshow can hold.
PreparedPicture PreparePicture(std::string_view bytes, const std::string& label, const PictureSettings& settings);

// Prepares a picture that exists only as pixels (the demo's).
PreparedPicture PrepareBitmap(const Bitmap& bitmap, const PictureSettings& settings);

} // namespace vis::make
