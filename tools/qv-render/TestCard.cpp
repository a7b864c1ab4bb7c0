#include "TestCard.h"

#include <algorithm>

namespace vis::render {

Bitmap TestCard(std::int32_t width, std::int32_t height) {
    Bitmap card(width, height);
    const std::int32_t xSpan = std::max(width - 1, 1), ySpan = std::max(height - 1, 1);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = card.Row(y);
        const auto green = static_cast<std::uint8_t>(8 + static_cast<std::int64_t>(y) * 239 / ySpan);
        for (std::int32_t x = 0; x < width; ++x) {
            std::uint8_t* px = row + static_cast<std::size_t>(x) * 3;
            px[0] = (x / 20 + y / 20) % 2 != 0 ? 200 : 60;
            px[1] = green;
            px[2] = static_cast<std::uint8_t>(8 + static_cast<std::int64_t>(x) * 239 / xSpan);
        }
    }
    return card;
}

} // namespace vis::render
