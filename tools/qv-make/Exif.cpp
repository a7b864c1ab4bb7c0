#include "Exif.h"

#include <cstdint>
#include <cstring>

namespace vis::make {

namespace {

// A view of the TIFF structure inside the APP1 segment; every read is checked against its end.
class TiffReader {
  public:
    TiffReader(std::string_view data, bool bigEndian) : data_(data), bigEndian_(bigEndian) {}

    bool U16(std::size_t at, std::uint32_t& out) const {
        if (at > data_.size() || data_.size() - at < 2) return false;
        const auto b0 = static_cast<std::uint8_t>(data_[at]), b1 = static_cast<std::uint8_t>(data_[at + 1]);
        out = bigEndian_ ? (b0 << 8 | b1) : (b1 << 8 | b0);
        return true;
    }
    bool U32(std::size_t at, std::uint32_t& out) const {
        std::uint32_t hi = 0, lo = 0;
        if (!U16(at, bigEndian_ ? hi : lo) || !U16(at + 2, bigEndian_ ? lo : hi)) return false;
        out = hi << 16 | lo;
        return true;
    }

  private:
    std::string_view data_;
    bool bigEndian_;
};

constexpr std::uint32_t kOrientationTag = 0x0112;
constexpr std::uint32_t kTypeShort = 3;

int OrientationFromTiff(std::string_view tiff) {
    if (tiff.size() < 8) return 1;
    bool bigEndian;
    if (tiff.substr(0, 2) == "II")
        bigEndian = false;
    else if (tiff.substr(0, 2) == "MM")
        bigEndian = true;
    else
        return 1;
    const TiffReader r(tiff, bigEndian);
    std::uint32_t magic = 0, ifd = 0, count = 0;
    if (!r.U16(2, magic) || magic != 42 || !r.U32(4, ifd) || !r.U16(ifd, count)) return 1;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t entry = static_cast<std::size_t>(ifd) + 2 + static_cast<std::size_t>(i) * 12;
        std::uint32_t tag = 0, type = 0, n = 0, value = 0;
        if (!r.U16(entry, tag) || !r.U16(entry + 2, type) || !r.U32(entry + 4, n) || !r.U16(entry + 8, value)) return 1;
        if (tag != kOrientationTag) continue;
        if (type != kTypeShort || n < 1 || value < 1 || value > 8) return 1;
        return static_cast<int>(value);
    }
    return 1;
}

} // namespace

int ExifOrientation(std::string_view jpeg) {
    if (jpeg.size() < 4 || static_cast<std::uint8_t>(jpeg[0]) != 0xFF || static_cast<std::uint8_t>(jpeg[1]) != 0xD8)
        return 1;
    std::size_t pos = 2;
    // Walk the marker segments before the image data; the Exif segment comes early when it exists at all.
    while (pos + 4 <= jpeg.size()) {
        if (static_cast<std::uint8_t>(jpeg[pos]) != 0xFF) return 1;
        const auto marker = static_cast<std::uint8_t>(jpeg[pos + 1]);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return 1;             // start of scan or end of image: no Exif before it
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // segments without a length
            pos += 2;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(static_cast<std::uint8_t>(jpeg[pos + 2])) << 8 |
                                   static_cast<std::uint8_t>(jpeg[pos + 3]);
        if (length < 2 || length > jpeg.size() - pos - 2) return 1;
        const std::string_view body = jpeg.substr(pos + 4, length - 2);
        if (marker == 0xE1 && body.size() >= 6 && std::memcmp(body.data(), "Exif\0\0", 6) == 0)
            return OrientationFromTiff(body.substr(6));
        pos += 2 + length;
    }
    return 1;
}

} // namespace vis::make
