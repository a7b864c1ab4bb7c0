#pragma once
// The size of the screen the pictures will be shown on, for qv-make's default --fit.
#include "Transform.h"

#include <optional>

namespace vis::make {

// The primary screen's size in pixels: on X11 the RandR primary output (else the first lit one, else the
// whole X screen) of $DISPLAY; on Windows the primary monitor. nullopt when there is no display.
std::optional<Size> PrimaryScreenSize();

} // namespace vis::make
