#pragma once
// The integer geometry of the effects, apart from their drawing so that it can be checked on its own. Sizes are
// 32-bit; products that could pass 32 bits for a large picture are formed in 64 bits.
#include "gfx/Geometry.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vis {

// Sikaku: cells filled at step k, ((W × H × k) div cellW div cellH) div 50.
std::int32_t SikakuCellCount(std::int32_t w, std::int32_t h, std::int32_t k, std::int32_t cellW, std::int32_t cellH);

// En, En2: the picture's diagonal, the square root of W² + H² truncated.
std::int32_t DiagonalSize(std::int32_t w, std::int32_t h);
// Seihoukei to En2: the shape's bounding rectangle for full size s and factor f, centred on the picture.
Rect CentredShapeRect(std::int32_t w, std::int32_t h, std::int32_t s, std::int32_t f);

// Tate to Yoko2: how far the band stays from both edges of a side of length s at factor f.
std::int32_t BandInset(std::int32_t s, std::int32_t f);

// Dai_shou: the scaled picture's size, W - (W × f) div 21 by H - (H × f) div 21.
Point ScaledSize(std::int32_t w, std::int32_t h, std::int32_t f);

// Tokei: centre, reach and the hand distances a[1..5] (a[0] = 0).
struct TokeiGeometry {
    std::int32_t cx, cy, R;
    std::array<std::int32_t, 6> a;
};
TokeiGeometry TokeiGeometryFor(std::int32_t w, std::int32_t h);
// Hand 1's polygon at step k of the phase; hand 2 is it turned half a circle about the centre.
std::vector<Point> TokeiHand(const TokeiGeometry& g, bool out, std::int32_t k);
std::vector<Point> HalfTurn(const TokeiGeometry& g, std::vector<Point> polygon);

} // namespace vis
