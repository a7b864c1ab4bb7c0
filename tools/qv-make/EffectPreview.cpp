#include "EffectPreview.h"

#include "PixelFont.h"
#include "effects/Effects.h"
#include "settings/UnSetting.h"

namespace vis::make {

const std::array<EffectBox, 16> kEffectBoxes = [] {
    std::array<EffectBox, 16> boxes{};
    for (int n = 1; n <= 16; ++n) {
        const Point at = kEffectBoxPlaces[static_cast<std::size_t>(n - 1)];
        boxes[static_cast<std::size_t>(n - 1)] = {EffectName(n), at.x, at.y};
    }
    return boxes;
}();

namespace {
// One pixel of air between the box and its name.
constexpr std::int32_t kLabelGap = 1;
} // namespace

Rect EffectLabelRect(const EffectBox& box) {
    const std::int32_t left = box.left + kEffectBoxSize + kLabelGap - kPreviewLeft;
    const std::int32_t top = box.top + (kEffectBoxSize - kFontCapHeight) / 2 - kPreviewTop;
    return {left, top, left + TextWidth(box.name), top + kFontLineHeight};
}

Bitmap MakeEffectPreview() {
    Bitmap b(kPreviewWidth, kPreviewHeight);
    b.FillAll(kPreviewBackground);
    for (const EffectBox& box : kEffectBoxes) {
        const Rect r = EffectLabelRect(box);
        DrawText(b, r.left, r.top, box.name, kPreviewInk);
    }
    return b;
}

} // namespace vis::make
