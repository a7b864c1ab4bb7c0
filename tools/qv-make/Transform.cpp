#include "Transform.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vis::make {

namespace {

// Where output pixel (x, y) takes its colour from, for a source of w x h.
Point SourceOf(int orientation, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
    switch (orientation) {
    case 2:
        return {w - 1 - x, y};
    case 3:
        return {w - 1 - x, h - 1 - y};
    case 4:
        return {x, h - 1 - y};
    case 5:
        return {y, x};
    case 6:
        return {y, h - 1 - x};
    case 7:
        return {w - 1 - y, h - 1 - x};
    case 8:
        return {w - 1 - y, x};
    default:
        return {x, y};
    }
}

// One axis of area averaging from n source pixels onto m <= n target pixels. Lengths are measured in units
// of 1/m source pixel, so target pixel i spans [i*n, (i+1)*n) and source pixel s spans [s*m, (s+1)*m);
// each weight is the length of their overlap, and a target pixel's weights add up to n.
struct Tap {
    std::int32_t source;
    float weight; // overlap / n
};

std::vector<std::vector<Tap>> AxisTaps(std::int32_t n, std::int32_t m) {
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(m));
    const std::int64_t N = n, M = m;
    for (std::int64_t i = 0; i < M; ++i) {
        const std::int64_t begin = i * N, end = (i + 1) * N;
        for (std::int64_t s = begin / M; s < N && s * M < end; ++s) {
            const std::int64_t overlap = std::min(end, (s + 1) * M) - std::max(begin, s * M);
            if (overlap > 0)
                taps[static_cast<std::size_t>(i)].push_back(
                    {static_cast<std::int32_t>(s), static_cast<float>(overlap) / static_cast<float>(N)});
        }
    }
    return taps;
}

} // namespace

Bitmap ApplyOrientation(const Bitmap& src, int orientation) {
    const std::int32_t w = src.Width(), h = src.Height();
    if (orientation < 2 || orientation > 8) return src;
    const bool swap = orientation >= 5;
    Bitmap out(swap ? h : w, swap ? w : h);
    for (std::int32_t y = 0; y < out.Height(); ++y) {
        std::uint8_t* row = out.Row(y);
        for (std::int32_t x = 0; x < out.Width(); ++x) {
            const Point s = SourceOf(orientation, x, y, w, h);
            std::memcpy(row + x * 3, src.Row(s.y) + s.x * 3, 3);
        }
    }
    return out;
}

Size FitSize(Size picture, Size box) {
    if (picture.width <= box.width && picture.height <= box.height) return picture;
    if (picture.width <= 0 || picture.height <= 0 || box.width <= 0 || box.height <= 0) return picture;
    const std::int64_t w = picture.width, h = picture.height, bw = box.width, bh = box.height;
    // Compare w/h with bw/bh without division; the limiting side takes the box's length, the other is
    // rounded to the nearest pixel.
    if (w * bh >= h * bw)
        return {box.width, static_cast<std::int32_t>(std::max<std::int64_t>(1, (h * bw * 2 + w) / (w * 2)))};
    return {static_cast<std::int32_t>(std::max<std::int64_t>(1, (w * bh * 2 + h) / (h * 2))), box.height};
}

Bitmap ScaleDown(const Bitmap& src, Size target) {
    const std::int32_t sw = src.Width(), sh = src.Height();
    const std::int32_t tw = std::clamp(target.width, 1, std::max(sw, 1));
    const std::int32_t th = std::clamp(target.height, 1, std::max(sh, 1));
    if (sw <= 0 || sh <= 0) return Bitmap();
    if (tw == sw && th == sh) return src;
    const auto xTaps = AxisTaps(sw, tw);
    const auto yTaps = AxisTaps(sh, th);
    // Source rows are shrunk horizontally one at a time and added into the target rows they overlap.
    std::vector<float> acc(static_cast<std::size_t>(tw) * th * 3, 0.0f);
    std::vector<float> line(static_cast<std::size_t>(tw) * 3);
    // For every source row, the target rows it feeds (at most a few when shrinking).
    std::vector<std::vector<std::pair<std::int32_t, float>>> feeds(static_cast<std::size_t>(sh));
    for (std::int32_t ty = 0; ty < th; ++ty)
        for (const Tap& t : yTaps[static_cast<std::size_t>(ty)])
            feeds[static_cast<std::size_t>(t.source)].push_back({ty, t.weight});
    for (std::int32_t sy = 0; sy < sh; ++sy) {
        const std::uint8_t* row = src.Row(sy);
        for (std::int32_t tx = 0; tx < tw; ++tx) {
            float b = 0, g = 0, r = 0;
            for (const Tap& t : xTaps[static_cast<std::size_t>(tx)]) {
                const std::uint8_t* p = row + t.source * 3;
                b += p[0] * t.weight;
                g += p[1] * t.weight;
                r += p[2] * t.weight;
            }
            float* l = &line[static_cast<std::size_t>(tx) * 3];
            l[0] = b;
            l[1] = g;
            l[2] = r;
        }
        for (const auto& [ty, weight] : feeds[static_cast<std::size_t>(sy)]) {
            float* a = &acc[static_cast<std::size_t>(ty) * tw * 3];
            for (std::size_t i = 0; i < line.size(); ++i)
                a[i] += line[i] * weight;
        }
    }
    Bitmap out(tw, th);
    for (std::int32_t ty = 0; ty < th; ++ty) {
        std::uint8_t* row = out.Row(ty);
        const float* a = &acc[static_cast<std::size_t>(ty) * tw * 3];
        for (std::int32_t i = 0; i < tw * 3; ++i)
            row[i] = static_cast<std::uint8_t>(std::clamp(a[i] + 0.5f, 0.0f, 255.0f));
    }
    return out;
}

} // namespace vis::make
