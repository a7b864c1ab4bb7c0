#pragma once
// PNG input pictures for the authoring tool.
#include "gfx/Bitmap.h"

#include <optional>
#include <string>
#include <string_view>

namespace vis::make {

// True when the bytes start with the PNG signature.
bool LooksLikePng(std::string_view bytes);

// Decodes a PNG file's bytes into a 24-bit bitmap; transparency is laid over white. Nullopt (with a short
// reason in why) for damaged data or a picture larger than the slideshow can hold.
std::optional<Bitmap> DecodePng(std::string_view bytes, std::string* why = nullptr);

} // namespace vis::make
