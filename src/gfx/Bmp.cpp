#include "gfx/Bmp.h"

#include "qv/Errors.h"
#include "qv/Files.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <stdexcept>

namespace vis {

namespace {

constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;
constexpr std::size_t kFileHeaderSize = 14;

std::uint32_t U16(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8;
}

std::uint32_t U32(std::string_view b, std::size_t at) {
    return U16(b, at) | U16(b, at + 2) << 16;
}

void PutU16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(std::string& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

struct Bgr {
    std::uint8_t b = 0, g = 0, r = 0;
};

// One colour channel of a 16- or 32-bit pixel, widened to 8 bits.
class Channel {
  public:
    explicit Channel(std::uint32_t mask) : mask_(mask) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        bits_ = std::bit_width(mask >> shift_);
    }
    std::uint8_t Of(std::uint32_t pixel) const {
        if (bits_ == 0) return 0;
        const std::uint32_t v = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return static_cast<std::uint8_t>(v >> (bits_ - 8));
        const std::uint32_t top = (std::uint32_t{1} << bits_) - 1;
        return static_cast<std::uint8_t>(v * 255 / top);
    }

  private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
};

struct Header {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    std::uint32_t bitCount = 0, compression = kBiRgb;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t paletteAt = 0, paletteEntrySize = 4, paletteCount = 0;
    std::size_t bitsAt = 0;
};

class Decoder {
  public:
    Decoder(std::string_view bytes, std::string* why) : b_(bytes), why_(why) {}

    std::optional<Bitmap> Run() {
        Header h;
        if (!ReadHeader(h)) return std::nullopt;
        if (!ReadPalette(h)) return std::nullopt;
        Bitmap out(static_cast<std::int32_t>(h.width), static_cast<std::int32_t>(h.height));
        const bool ok =
            (h.compression == kBiRle8 || h.compression == kBiRle4) ? DecodeRle(h, out) : DecodePlain(h, out);
        if (!ok) return std::nullopt;
        return out;
    }

  private:
    bool Fail(const char* reason) {
        if (why_) *why_ = reason;
        return false;
    }

    bool ReadHeader(Header& h) {
        if (b_.size() < kFileHeaderSize + 12) return Fail("too short for a bitmap header");
        if (b_[0] != 'B' || b_[1] != 'M') return Fail("no BM signature");
        const std::uint32_t offBits = U32(b_, 10);
        const std::uint32_t infoSize = U32(b_, 14);
        const std::size_t info = kFileHeaderSize;
        std::size_t afterInfo = 0;
        if (infoSize == 12) {
            // The OS/2 core header: 16-bit unsigned sizes, palette entries of three bytes, always bottom-up.
            h.width = U16(b_, info + 4);
            h.height = U16(b_, info + 6);
            h.bitCount = U16(b_, info + 10);
            h.paletteEntrySize = 3;
            afterInfo = info + 12;
        } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
            if (b_.size() < info + infoSize) return Fail("truncated info header");
            h.width = static_cast<std::int32_t>(U32(b_, info + 4));
            h.height = static_cast<std::int32_t>(U32(b_, info + 8));
            h.bitCount = U16(b_, info + 14);
            h.compression = U32(b_, info + 16);
            h.paletteCount = U32(b_, info + 32);
            afterInfo = info + infoSize;
            if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
                // With the plain 40-byte header the masks follow it; the later headers hold them inside.
                const std::size_t maskBytes = h.compression == kBiAlphaBitfields ? 16 : 12;
                if (b_.size() < info + 40 + 12) return Fail("truncated colour masks");
                for (int i = 0; i < 3; ++i)
                    h.masks[i] = U32(b_, info + 40 + 4 * static_cast<std::size_t>(i));
                if (infoSize == 40) afterInfo += maskBytes;
            }
        } else {
            return Fail("unsupported info header size");
        }
        if (h.height < 0) {
            if (h.height == std::numeric_limits<std::int32_t>::min()) return Fail("bad height");
            h.topDown = true;
            h.height = -h.height;
        }
        if (h.width <= 0 || h.height <= 0) return Fail("empty picture");
        if (h.width > kBmpMaxSide || h.height > kBmpMaxSide || h.width * h.height > kBmpMaxPixels)
            return Fail("picture too large");

        switch (h.bitCount) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return Fail("unsupported bit count");
        }
        switch (h.compression) {
        case kBiRgb:
            if (h.bitCount == 16) h.masks[0] = 0x7C00, h.masks[1] = 0x03E0, h.masks[2] = 0x001F;
            if (h.bitCount == 32) h.masks[0] = 0xFF0000, h.masks[1] = 0x00FF00, h.masks[2] = 0x0000FF;
            break;
        case kBiRle8:
        case kBiRle4:
            if (h.bitCount != (h.compression == kBiRle8 ? 8u : 4u)) return Fail("RLE with the wrong bit count");
            if (h.topDown) return Fail("top-down RLE");
            break;
        case kBiBitfields:
        case kBiAlphaBitfields:
            if (h.bitCount != 16 && h.bitCount != 32) return Fail("bit fields need 16 or 32 bits");
            break;
        default:
            return Fail("unsupported compression");
        }

        if (h.bitCount <= 8) {
            const std::size_t full = std::size_t{1} << h.bitCount;
            if (h.paletteCount == 0 || h.paletteCount > full) h.paletteCount = full;
        } else {
            h.paletteCount = 0; // a palette beside direct colours is only a display hint
        }
        h.paletteAt = afterInfo;
        if (offBits < afterInfo || offBits >= b_.size()) return Fail("pixel data offset out of range");
        h.bitsAt = offBits;
        return true;
    }

    bool ReadPalette(const Header& h) {
        palette_.fill(Bgr{});
        if (h.paletteCount == 0) return true;
        // A palette may be cut short by the pixel data; the missing entries are black.
        const std::size_t room = (std::min(h.bitsAt, b_.size()) - h.paletteAt) / h.paletteEntrySize;
        const std::size_t n = std::min(h.paletteCount, room);
        if (n == 0) return Fail("no palette");
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t at = h.paletteAt + i * h.paletteEntrySize;
            palette_[i] = {static_cast<std::uint8_t>(b_[at]), static_cast<std::uint8_t>(b_[at + 1]),
                           static_cast<std::uint8_t>(b_[at + 2])};
        }
        return true;
    }

    static void Put(Bitmap& out, std::int32_t x, std::int32_t y, Bgr c) {
        std::uint8_t* p = out.Row(y) + static_cast<std::size_t>(x) * 3;
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
    }

    bool DecodePlain(const Header& h, Bitmap& out) {
        const std::int64_t rowBits = h.width * h.bitCount;
        const std::int64_t stride = (rowBits + 31) / 32 * 4;
        // The last row's padding may be missing; every pixel byte must be there.
        const std::int64_t need = stride * (h.height - 1) + (rowBits + 7) / 8;
        if (static_cast<std::int64_t>(b_.size() - h.bitsAt) < need) return Fail("truncated pixel data");
        const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
        const auto w = static_cast<std::int32_t>(h.width);
        const auto ht = static_cast<std::int32_t>(h.height);
        for (std::int32_t r = 0; r < ht; ++r) {
            const auto* src = reinterpret_cast<const std::uint8_t*>(b_.data() + h.bitsAt + r * stride);
            const std::int32_t y = h.topDown ? r : ht - 1 - r;
            std::uint8_t* dst = out.Row(y);
            switch (h.bitCount) {
            case 24:
                std::copy(src, src + static_cast<std::size_t>(w) * 3, dst);
                break;
            case 1:
            case 4:
            case 8: {
                const std::uint32_t per = 8 / h.bitCount, mask = (1u << h.bitCount) - 1;
                for (std::int32_t x = 0; x < w; ++x) {
                    const std::uint32_t byte = src[static_cast<std::uint32_t>(x) / per];
                    const std::uint32_t shift = 8 - h.bitCount * (static_cast<std::uint32_t>(x) % per + 1);
                    Put(out, x, y, palette_[(byte >> shift) & mask]);
                }
                break;
            }
            case 16:
                for (std::int32_t x = 0; x < w; ++x) {
                    const std::uint32_t v = src[2 * x] | static_cast<std::uint32_t>(src[2 * x + 1]) << 8;
                    Put(out, x, y, {blue.Of(v), green.Of(v), red.Of(v)});
                }
                break;
            case 32:
                for (std::int32_t x = 0; x < w; ++x) {
                    const std::uint8_t* p = src + 4 * static_cast<std::size_t>(x);
                    const std::uint32_t v = p[0] | static_cast<std::uint32_t>(p[1]) << 8 |
                                            static_cast<std::uint32_t>(p[2]) << 16 |
                                            static_cast<std::uint32_t>(p[3]) << 24;
                    Put(out, x, y, {blue.Of(v), green.Of(v), red.Of(v)});
                }
                break;
            }
        }
        return true;
    }

    // Run-length data, bottom-up. Pixels the data skips (by a delta or an early end) keep palette colour 0.
    // Runs reaching past the right edge are clipped, so the work is bounded by the picture and the data.
    bool DecodeRle(const Header& h, Bitmap& out) {
        out.FillAll(static_cast<Color>(palette_[0].b) | static_cast<Color>(palette_[0].g) << 8 |
                    static_cast<Color>(palette_[0].r) << 16);
        const bool rle8 = h.compression == kBiRle8;
        const std::int64_t w = h.width, ht = h.height;
        std::int64_t x = 0, row = 0;
        std::size_t pos = h.bitsAt;
        auto put = [&](std::uint32_t index) {
            if (x < w && row < ht)
                Put(out, static_cast<std::int32_t>(x), static_cast<std::int32_t>(ht - 1 - row), palette_[index]);
            ++x;
        };
        while (pos + 2 <= b_.size() && row < ht) {
            const std::uint32_t count = static_cast<std::uint8_t>(b_[pos]);
            const std::uint32_t value = static_cast<std::uint8_t>(b_[pos + 1]);
            pos += 2;
            if (count > 0) {
                const std::uint32_t n =
                    static_cast<std::uint32_t>(std::min<std::int64_t>(count, std::max<std::int64_t>(w - x, 0)));
                for (std::uint32_t i = 0; i < n; ++i)
                    put(rle8 ? value : (i % 2 == 0 ? value >> 4 : value & 15));
                x += count - n;
                continue;
            }
            if (value == 0) { // end of line
                x = 0;
                ++row;
            } else if (value == 1) { // end of picture
                break;
            } else if (value == 2) { // move right and up
                if (pos + 2 > b_.size()) return Fail("truncated RLE delta");
                x += static_cast<std::uint8_t>(b_[pos]);
                row += static_cast<std::uint8_t>(b_[pos + 1]);
                pos += 2;
            } else { // literal pixels, padded to a 16-bit boundary
                const std::size_t bytes = rle8 ? value : (value + 1) / 2;
                if (pos + bytes > b_.size()) return Fail("truncated RLE literal");
                const std::uint32_t n =
                    static_cast<std::uint32_t>(std::min<std::int64_t>(value, std::max<std::int64_t>(w - x, 0)));
                for (std::uint32_t i = 0; i < n; ++i) {
                    const auto byte = static_cast<std::uint8_t>(b_[pos + (rle8 ? i : i / 2)]);
                    put(rle8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 15u));
                }
                x += value - n;
                pos += (bytes + 1) & ~std::size_t{1};
            }
        }
        return true;
    }

    std::string_view b_;
    std::string* why_;
    std::array<Bgr, 256> palette_{};
};

} // namespace

std::optional<Bitmap> TryLoadBmp(std::string_view bytes, std::string* why) {
    return Decoder(bytes, why).Run();
}

Bitmap LoadBmp(std::string_view bytes) {
    auto bmp = TryLoadBmp(bytes);
    if (!bmp) throw EInvalidGraphic(kInvalidBitmapText);
    return std::move(*bmp);
}

Bitmap LoadBmpFile(const std::string& path) {
    const auto bytes = ReadFileBounded(path, kBmpMaxFileBytes);
    if (!bytes) throw EFOpenError(FormatMessage("ﾌｧｲﾙ %s は開けません", path));
    return LoadBmp(*bytes);
}

std::string SaveBmp(const Bitmap& bitmap) {
    const std::int32_t w = bitmap.Width(), h = bitmap.Height();
    if (w <= 0 || h <= 0) throw std::invalid_argument("SaveBmp: empty bitmap");
    const std::uint64_t stride = (static_cast<std::uint64_t>(w) * 3 + 3) & ~std::uint64_t{3};
    const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(h);
    const std::uint64_t offBits = kFileHeaderSize + 40;
    if (offBits + imageSize > std::numeric_limits<std::uint32_t>::max())
        throw std::invalid_argument("SaveBmp: bitmap too large for a BMP file");
    std::string out;
    out.reserve(static_cast<std::size_t>(offBits + imageSize));
    out += "BM";
    PutU32(out, static_cast<std::uint32_t>(offBits + imageSize));
    PutU32(out, 0); // reserved
    PutU32(out, static_cast<std::uint32_t>(offBits));
    PutU32(out, 40);
    PutU32(out, static_cast<std::uint32_t>(w));
    PutU32(out, static_cast<std::uint32_t>(h)); // positive: bottom-up, the form every reader knows
    PutU16(out, 1);                             // planes
    PutU16(out, 24);
    PutU32(out, kBiRgb);
    PutU32(out, static_cast<std::uint32_t>(imageSize));
    PutU32(out, 0); // no resolution recorded
    PutU32(out, 0);
    PutU32(out, 0); // colours used
    PutU32(out, 0); // colours important
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    for (std::int32_t y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const char*>(bitmap.Row(y));
        out.append(row, rowBytes);
        out.append(static_cast<std::size_t>(stride) - rowBytes, '\0');
    }
    return out;
}

} // namespace vis
