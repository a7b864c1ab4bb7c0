#pragma once
// Byte surgery on JPEG files made by our encoder, for hostile cases: a header that claims another size, and a
// progressive file whose first scan repeats until it has thousands of scans. Header-only and free of the test
// framework, so the fuzz seed writer uses it too.
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <jpeglib.h>

namespace vis::test {

// Compresses with libjpeg directly, for formats our encoder does not write (CMYK, custom scan scripts).
// The library's own error exit ends the process, which is acceptable for a helper fed valid input.
inline std::string RawCompress(int w, int h, int components, J_COLOR_SPACE space,
                               const std::vector<unsigned char>& pixels,
                               const std::function<void(jpeg_compress_struct&)>& adjust) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(w);
    cinfo.image_height = static_cast<JDIMENSION>(h);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 100, TRUE);
    adjust(cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(pixels.data() + cinfo.next_scanline * static_cast<std::size_t>(w * components));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<char*>(out), size);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

inline unsigned JpegByte(const std::string& j, std::size_t i) {
    return static_cast<unsigned char>(j[i]);
}

// Offset of the start-of-frame marker (FF C0, C1 or C2); the height follows at +5, the width at +7.
inline std::size_t FindStartOfFrame(const std::string& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (JpegByte(jpeg, i) == 0xFF && JpegByte(jpeg, i + 1) >= 0xC0 && JpegByte(jpeg, i + 1) <= 0xC2) return i;
    return std::string::npos;
}

// The same file with the frame header claiming w x h (each 0..65535).
inline std::string ClaimSize(std::string jpeg, unsigned w, unsigned h) {
    const std::size_t sof = FindStartOfFrame(jpeg);
    if (sof == std::string::npos) return jpeg;
    jpeg[sof + 5] = static_cast<char>(h >> 8 & 0xFF);
    jpeg[sof + 6] = static_cast<char>(h & 0xFF);
    jpeg[sof + 7] = static_cast<char>(w >> 8 & 0xFF);
    jpeg[sof + 8] = static_cast<char>(w & 0xFF);
    return jpeg;
}

// Offset of the first byte of the first scan's entropy-coded data.
inline std::size_t FirstScanData(const std::string& jpeg) {
    const std::size_t sos = jpeg.find("\xFF\xDA");
    if (sos == std::string::npos || sos + 4 > jpeg.size()) return std::string::npos;
    return sos + 2 + (JpegByte(jpeg, sos + 2) << 8 | JpegByte(jpeg, sos + 3));
}

// [begin, end) of every scan's entropy-coded data, in file order. A cut or a changed byte inside these ranges
// damages only data, which libjpeg warns about; inside the markers between them it may undefine a table.
inline std::vector<std::pair<std::size_t, std::size_t>> ScanDataRanges(const std::string& jpeg) {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t at = 0;
    while ((at = jpeg.find("\xFF\xDA", at)) != std::string::npos && at + 4 <= jpeg.size()) {
        std::size_t begin = at + 2 + (JpegByte(jpeg, at + 2) << 8 | JpegByte(jpeg, at + 3)), end = begin;
        while (end + 1 < jpeg.size() && !(JpegByte(jpeg, end) == 0xFF && JpegByte(jpeg, end + 1) != 0 &&
                                          (JpegByte(jpeg, end + 1) < 0xD0 || JpegByte(jpeg, end + 1) > 0xD7)))
            ++end;
        ranges.push_back({begin, end});
        at = end;
    }
    return ranges;
}

// The first scan (its SOS segment and data) repeated until the file has `scans` more scans in front of the
// rest. In a progressive file the first scan is the DC scan; made a plain one (no successive approximation,
// Ah = Al = 0), sending it again is legal and only redoes work, which is what a decoder must bound. (Its data
// still parses: the point transform only shifts the decoded values.)
inline std::string RepeatFirstScan(const std::string& jpeg, int scans) {
    const std::size_t sos = jpeg.find("\xFF\xDA");
    const std::size_t dataStart = FirstScanData(jpeg);
    if (dataStart == std::string::npos || dataStart > jpeg.size()) return jpeg;
    std::size_t end = dataStart;
    // The data ends at the first marker that is neither a stuffed zero nor a restart marker.
    while (end + 1 < jpeg.size() && !(JpegByte(jpeg, end) == 0xFF && JpegByte(jpeg, end + 1) != 0 &&
                                      (JpegByte(jpeg, end + 1) < 0xD0 || JpegByte(jpeg, end + 1) > 0xD7)))
        ++end;
    std::string out = jpeg.substr(0, end);
    out[dataStart - 1] = 0; // Ah, Al: the last byte of the scan header
    const std::string scan = out.substr(sos);
    out.reserve(jpeg.size() + scan.size() * static_cast<std::size_t>(scans));
    for (int i = 0; i < scans; ++i)
        out += scan;
    out += jpeg.substr(end);
    return out;
}

} // namespace vis::test
