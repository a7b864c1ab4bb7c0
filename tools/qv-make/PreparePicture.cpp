#include "PreparePicture.h"

#include "Exif.h"
#include "MakeError.h"
#include "PngRead.h"
#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "qv/Errors.h"

namespace vis::make {

namespace {

bool LooksLikeJpeg(std::string_view bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF;
}

Bitmap DecodeJpegInput(std::string_view bytes, const std::string& label) {
    Bitmap bitmap;
    try {
        if (DecodeJpeg(bytes.data(), bytes.size(), bitmap) != JpegStatus::Decoded)
            throw MakeError(label + ": not a readable JPEG picture (bad header, or larger than " +
                            std::to_string(kMaxJpegPixels) + " pixels or " + std::to_string(kMaxJpegSide) +
                            " pixels a side)");
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
