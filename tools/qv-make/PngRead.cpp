#include "PngRead.h"

#include "PreparePicture.h"
#include "gfx/Jpeg.h"
#include "gfx/PictureMemory.h"

#include <cstring>
#include <png.h>

namespace vis::make {

bool LooksLikePng(std::string_view bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8) == 0;
}

std::optional<Bitmap> DecodePng(std::string_view bytes, std::string* why) {
    auto fail = [&](const std::string& reason) -> std::optional<Bitmap> {
        if (why) *why = reason;
        return std::nullopt;
    };
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return fail(std::string("damaged PNG data (") + image.message + ")");
    // The same limits as for JPEG pictures: whatever goes into a data folder must be loadable by the saver.
    if (image.width == 0 || image.height == 0 || image.width > static_cast<png_uint_32>(kMaxJpegSide) ||
        image.height > static_cast<png_uint_32>(kMaxJpegSide) ||
        !PictureFitsMemory(image.width, image.height, 0, PictureMemoryBudget())) {
        png_image_free(&image);
        return fail(TooLargeReason(image.width, image.height, 0));
    }
    image.format = PNG_FORMAT_BGR;
    Bitmap bitmap(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
    const png_color white{255, 255, 255};
    if (!png_image_finish_read(&image, &white, bitmap.Bits(), static_cast<png_int_32>(bitmap.Stride()), nullptr)) {
        const std::string message = image.message;
        png_image_free(&image);
        return fail("damaged PNG data (" + message + ")");
    }
    return bitmap;
}

} // namespace vis::make
