#pragma once
// JPEG decoding into a bitmap at full size, with the library's default decoding settings.
//
// Two kinds of failure stay apart, because the slideshow treats them differently:
// - CannotBeRead: the file is missing or unreadable, is not a JPEG file (its header does not parse), or
//   announces a picture too large to hold. The bitmap is left as it was.
// - EInvalidGraphic is raised when the header was fine but the image data after it is damaged or cut short,
//   or uses a colour format that cannot be shown. The bitmap then already has the picture's size.
#include "gfx/Bitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vis {

// The saver holds seven picture-sized bitmaps of 3 bytes a pixel, so a picture of kMaxJpegPixels costs about
// 7 x 96 MiB = 672 MiB at most, plus the decoder's own buffers. 8K UHD (7680 x 4320) fits.
constexpr std::int32_t kMaxJpegSide = 16384;
constexpr std::int64_t kMaxJpegPixels = std::int64_t{1} << 25; // 33,554,432
// Far above what a picture of the largest size needs even at quality 100.
constexpr std::uintmax_t kMaxJpegFileBytes = std::uintmax_t{256} << 20;
// Ordinary progressive files have about 10 scans; a hostile file could otherwise make the decoder work
// through thousands of scans over the same coefficients.
constexpr int kMaxJpegScans = 100;

enum class JpegStatus { Decoded, CannotBeRead };

JpegStatus LoadJpegFile(const std::string& path, Bitmap& into);
JpegStatus DecodeJpeg(const void* data, std::size_t size, Bitmap& into);

} // namespace vis
