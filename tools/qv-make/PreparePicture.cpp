#include "PreparePicture.h"

#include "Exif.h"
#include "MakeError.h"
#include "PngRead.h"
#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "gfx/PictureMemory.h"
#include "qv/Errors.h"

namespace vis::make {

namespace {

bool LooksLikeJpeg(std::string_view bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

Bitmap DecodeJpegInput(std::string_view bytes, const std::string& label) {
    // The header first, to name the real reason of a refusal; nothing picture-sized is allocated for it.
    const JpegHeaderInfo header = InspectJpegHeader(bytes.data(), bytes.size(), PictureMemoryBudget());
    switch (header.kind) {
    case JpegHeaderInfo::Readable:
        break;
    case JpegHeaderInfo::TooLarge:
        throw MakeError(label + ": " + TooLargeReason(header.width, header.height, header.decoderBytes));
    case JpegHeaderInfo::UnsupportedPrecision:
        throw MakeError(label + ": a " + std::to_string(header.precision) +
                        "-bit JPEG picture; the slideshow shows JPEG pictures of 8 bits a sample only");
    case JpegHeaderInfo::NotJpeg:
    case JpegHeaderInfo::DamagedHeader:
        throw MakeError(label + ": damaged JPEG header (" + header.libraryMessage + ")");
    }
    Bitmap bitmap;
    try {
        if (DecodeJpeg(bytes.data(), bytes.size(), bitmap, label) != JpegStatus::Decoded)
            throw MakeError(label + ": damaged JPEG header");
    } catch (const EPictureTooLarge&) {
        throw MakeError(label + ": " + TooLargeReason(header.width, header.height, header.decoderBytes));
    } catch (const EInvalidGraphic& e) {
        throw MakeError(label + ": damaged JPEG data or a colour format the slideshow cannot show (" +
                        std::string(e.what()) + ")");
    }
    return bitmap;
}

Size SizeOf(const Bitmap& b) {
    return {b.Width(), b.Height()};
}

PreparedPicture Finish(Bitmap bitmap, const PictureSettings& settings, int orientation) {
    if (orientation != 1) bitmap = ApplyOrientation(bitmap, orientation);
    if (settings.fit) {
        const Size target = FitSize(SizeOf(bitmap), *settings.fit);
        if (!(target == SizeOf(bitmap))) bitmap = ScaleDown(bitmap, target);
    }
    PreparedPicture out;
    out.jpeg = EncodeJpeg(bitmap, settings.quality);
    out.size = SizeOf(bitmap);
    out.orientation = orientation;
    return out;
}

} // namespace

std::string TooLargeReason(std::int64_t width, std::int64_t height, std::uint64_t decoderBytes) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (width > kMaxJpegSide || height > kMaxJpegSide)
        return "picture too large (" + size + "; JPEG allows at most " + std::to_string(kMaxJpegSide) +
               " pixels a side)";
    constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
    return "picture too large (" + size + "; the slideshow would need " +
           std::to_string(PictureMemoryNeed(width, height, decoderBytes) / kMiB) + " MiB for it, more than half of " +
           "this machine's memory (" + std::to_string(PictureMemoryBudget() / kMiB) + " MiB)";
}

PreparedPicture PreparePicture(std::string_view bytes, const std::string& label, const PictureSettings& settings) {
    if (LooksLikeJpeg(bytes)) {
        Bitmap bitmap = DecodeJpegInput(bytes, label);
        const int orientation = ExifOrientation(bytes);
        const Size size = SizeOf(bitmap);
        const bool fits = !settings.fit || FitSize(size, *settings.fit) == size;
        if ((orientation == 1 || settings.keepJpegs) && fits) {
            // Nothing to change: keep the photographer's file exactly, without a second lossy encoding.
            PreparedPicture out;
            out.jpeg = std::string(bytes);
            out.size = size;
            out.copied = true;
            return out;
        }
        return Finish(std::move(bitmap), settings, orientation);
    }
    if (LooksLikePng(bytes)) {
        std::string why;
        auto bitmap = DecodePng(bytes, &why);
        if (!bitmap) throw MakeError(label + ": " + why);
        return Finish(std::move(*bitmap), settings, 1);
    }
    throw MakeError(label + ": not a JPEG or PNG picture");
}

PreparedPicture PrepareBitmap(const Bitmap& bitmap, const PictureSettings& settings) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) throw MakeError("empty picture");
    return Finish(bitmap, settings, 1);
}

} // namespace vis::make
