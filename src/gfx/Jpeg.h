#pragma once
// JPEG decoding into a bitmap at full size, with the library's default decoding settings and its default
// handling of damaged data: what libjpeg only warns about (data cut short, a few bad bytes) is decoded as the
// library decodes it, filling what is missing, exactly as djpeg shows the file.
//
// Three outcomes stay apart, because the slideshow treats them differently:
// - CannotBeRead: the file is missing or unreadable, or is not a JPEG file (its header does not parse, or uses
//   a sample precision other than 8 bits). The bitmap is left as it was.
// - EPictureTooLarge (an EInvalidGraphic) is raised when the header announces a picture larger than this
//   machine can hold (PictureMemory.h) or than JPEG allows; nothing picture-sized has been allocated.
// - EInvalidGraphic is raised for libjpeg's errors after the header (too many scans, a colour format that
//   cannot be shown). The bitmap then already has the picture's size.
#include "gfx/Bitmap.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vis {

// JPEG's own limit on a side (libjpeg refuses larger headers).
constexpr std::int32_t kMaxJpegSide = 65500;
// Far above what a picture of any size this machine can hold needs even at quality 100.
constexpr std::uintmax_t kMaxJpegFileBytes = std::uintmax_t{256} << 20;
// Ordinary progressive files have about 10 scans; a hostile file could otherwise make the decoder work
// through thousands of scans over the same coefficients.
constexpr int kMaxJpegScans = 100;

enum class JpegStatus { Decoded, CannotBeRead };

// A decode made ahead of its use may reuse the bitmap's buffer as it is (the old pixels are neither kept nor
// filled first, as the decoded ones cover them) and stops early, with EInvalidGraphic, once `cancel` is set.
// It also counts the bitmaps held ahead: a picture is refused (EPictureTooLarge) unless those too fit the memory
// rule beside the show's own.
struct JpegDecodeOptions {
    bool reuseBuffer = false;
    const std::atomic<bool>* cancel = nullptr;
    int bitmapsHeldAhead = 0;
};

// LoadJpegFile's EPictureTooLarge names the file; DecodeJpeg's names `label`.
JpegStatus LoadJpegFile(const std::string& path, Bitmap& into, const JpegDecodeOptions& options = {});
JpegStatus DecodeJpeg(const void* data, std::size_t size, Bitmap& into, const std::string& label = "JPEG",
                      const JpegDecodeOptions& options = {});

// What the header says, for tools that explain a refusal. Nothing picture-sized is allocated.
struct JpegHeaderInfo {
    enum Kind { Readable, NotJpeg, DamagedHeader, UnsupportedPrecision, TooLarge } kind = NotJpeg;
    std::int64_t width = 0, height = 0;
    int precision = 0;
    std::uint64_t decoderBytes = 0; // the whole-picture coefficients of a multi-scan file
    std::string libraryMessage;     // libjpeg's text when the header failed
};
JpegHeaderInfo InspectJpegHeader(const void* data, std::size_t size, std::uint64_t budget);

} // namespace vis
