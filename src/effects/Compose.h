#pragma once
#include "gfx/Bitmap.h"

namespace vis {

// Within `area` (dst's coordinates), dst := frame with mask laid over it, white transparent: exactly an opaque
// copy of frame at (0, 0) followed by a copy of mask at (0, 0) skipping its white pixels. Outside the area dst
// is left as it was.
void ComposeMasked(Bitmap& dst, const Bitmap& frame, const Bitmap& mask, const Rect& area);

} // namespace vis
