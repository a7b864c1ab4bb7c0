#pragma once
#include "gfx/Bitmap.h"

namespace vis::render {

// The built-in picture for effect renders: red grows to the right, green downwards, and 20-pixel squares
// alternate in blue, so every pixel tells where it came from. No channel leaves 8..247, so no pixel is pure
// black or pure white and the masks' colours stand out.
Bitmap TestCard(std::int32_t width, std::int32_t height);

} // namespace vis::render
