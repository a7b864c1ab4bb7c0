#pragma once
// The EXIF orientation of a JPEG file: how its stored pixels must be turned to stand upright.
#include <string_view>

namespace vis::make {

// The orientation tag (0x0112) of IFD0 in the file's APP1 "Exif" segment, 1..8; 1 (as stored) when the
// file has none, or when anything on the way to it is damaged or out of bounds.
int ExifOrientation(std::string_view jpeg);

} // namespace vis::make
