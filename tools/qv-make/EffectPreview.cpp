#include "EffectPreview.h"

#include "PixelFont.h"

namespace vis::make {

const std::array<EffectBox, 16> kEffectBoxes{{
    {"Normal", 1, 10},
    {"FadeInOut", 1, 40},
    {"Sikaku", 1, 70},
    {"Tatesen", 1, 100},
    {"Yokosen", 59, 10},
    {"Seihoukei", 59, 40},
    {"Seihoukei2", 59, 70},
    {"En", 59, 100},
    {"En2", 118, 10},
    {"Tate", 118, 40},
    {"Tate2", 118, 70},
    {"Yoko", 118, 100},
    {"Yoko2", 176, 10},
    {"Dai_shou", 176, 40},
    {"Tokei", 176, 70},
    {"Kazaguruma", 176, 100},
}};

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
