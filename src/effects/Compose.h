#pragma once
#include "gfx/Bitmap.h"

namespace vis {

// dst := frame with mask laid over it, white transparent: exactly an opaque copy of frame at (0, 0) followed by
// a copy of mask at (0, 0) skipping its white pixels, done in one pass over runs of mask pixels.
void ComposeMasked(Bitmap& dst, const Bitmap& frame, const Bitmap& mask);

} // namespace vis
