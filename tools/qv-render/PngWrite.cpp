#include "PngWrite.h"

#include <png.h>
#include <stdexcept>

namespace vis::render {

void WritePng(const Bitmap& bitmap, const std::string& path) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) throw std::runtime_error("cannot write an empty image to " + path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(bitmap.Width());
    image.height = static_cast<png_uint_32>(bitmap.Height());
    // The bitmap's own byte order and padded rows go to the library as they are.
    image.format = PNG_FORMAT_BGR;
    const auto rowStride = static_cast<png_int_32>(bitmap.Stride());
    if (!png_image_write_to_file(&image, path.c_str(), 0, bitmap.Bits(), rowStride, nullptr)) {
        const std::string reason = image.message;
        png_image_free(&image);
        throw std::runtime_error("cannot write " + path + ": " + reason);
    }
}

} // namespace vis::render
