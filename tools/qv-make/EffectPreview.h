#pragma once
// The picture behind the sixteen caption-less effect boxes of the settings dialog (qor_effect1): each box's
// effect name to the right of where the box sits.
#include "gfx/Bitmap.h"

#include <array>
#include <string_view>

namespace vis::make {

constexpr std::int32_t kPreviewWidth = 287;
constexpr std::int32_t kPreviewHeight = 120;
// The dialog draws every pixel of the lower-left pixel's colour as transparent; this is that colour.
constexpr Color kPreviewBackground = 0xF0F0F0;
constexpr Color kPreviewInk = 0x202020;

struct EffectBox {
    std::string_view name;
    std::int32_t left, top; // in the coordinates of the panel that holds the boxes and the picture
};

// The boxes in effect-number order, where the dialog lays them over the picture.
extern const std::array<EffectBox, 16> kEffectBoxes;
// The picture lies at (1, 1) on the same panel as the boxes.
constexpr std::int32_t kPreviewLeft = 1;
constexpr std::int32_t kPreviewTop = 1;

// The label's rectangle in picture coordinates: right of the box, vertically centred on it.
Rect EffectLabelRect(const EffectBox& box);

Bitmap MakeEffectPreview();

} // namespace vis::make
