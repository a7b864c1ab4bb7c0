#pragma once
// Windows bitmap files: a reader for the usual variants into a 24-bit Bitmap, and a 24-bit writer.
#include "gfx/Bitmap.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vis {

// Limits that keep a hostile file from asking for unbounded memory: a picture may have at most this many
// pixels per side and in all, and a file read from disk at most this many bytes.
constexpr std::int32_t kBmpMaxSide = 32768;
constexpr std::int64_t kBmpMaxPixels = std::int64_t{1} << 25;
constexpr std::uintmax_t kBmpMaxFileBytes = std::uintmax_t{1} << 28;

// The message a user sees for a file that is not a usable bitmap.
inline constexpr const char* kInvalidBitmapText = "ビットマップ イメージは有効ではありません";

// Decodes a BMP file's bytes: headers of 12 (OS/2 core), 40, 52, 56, 108 or 124 bytes; 1, 4 and 8 bits with a
// palette (also RLE4 and RLE8 compressed), 16 and 32 bits (plain or with bit fields), 24 bits; bottom-up or
// top-down rows. Nullopt for anything else, truncated data or a picture over the limits; why (when given)
// then holds a short English reason for tests and tools.
std::optional<Bitmap> TryLoadBmp(std::string_view bytes, std::string* why = nullptr);
// As above; raises EInvalidGraphic with kInvalidBitmapText.
Bitmap LoadBmp(std::string_view bytes);
// Reads and decodes a file; raises EFOpenError ("ﾌｧｲﾙ %s は開けません") when it cannot be read or is larger
// than kBmpMaxFileBytes, EInvalidGraphic when its content is no usable bitmap.
Bitmap LoadBmpFile(const std::string& path);

// The bitmap as a 24-bit bottom-up BMP file (BITMAPINFOHEADER, no compression, no palette). An empty bitmap
// has no valid file form and raises std::invalid_argument.
std::string SaveBmp(const Bitmap& bitmap);

} // namespace vis
