#pragma once
// The saver window covers the primary monitor only; every other monitor gets black windows of the saver.
#include "gfx/Geometry.h"

#include <algorithm>
#include <vector>

namespace vis {

// The rectangles, in desktop coordinates, that black windows must cover so that no monitor shows the desktop
// beside the saver window `saver`. A monitor apart from the saver's is covered whole; one that the saver
// window covers already (the primary monitor, a mirrored one) needs nothing; one that it overlaps in part
// gets the bands around the overlap, so that no cover ever lies over the slideshow. A rectangle reported
// twice is covered once.
inline std::vector<Rect> CoverRects(const Rect& saver, const std::vector<Rect>& monitors) {
    std::vector<Rect> covers;
    const auto add = [&](const Rect& r) {
        if (!r.Empty() && std::find(covers.begin(), covers.end(), r) == covers.end()) covers.push_back(r);
    };
    for (const Rect& m : monitors) {
        const Rect in = Intersect(m, saver);
        if (in.Empty()) {
            add(m);
            continue;
        }
        add({m.left, m.top, m.right, in.top});
        add({m.left, in.bottom, m.right, m.bottom});
        add({m.left, in.top, in.left, in.bottom});
        add({in.right, in.top, m.right, in.bottom});
    }
    return covers;
}

} // namespace vis
