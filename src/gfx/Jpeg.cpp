#include "gfx/Jpeg.h"

#include "gfx/JpegErrorTrap.h"
#include "gfx/PictureMemory.h"
#include "qv/Errors.h"
#include "qv/Files.h"

#include <jerror.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace vis {

namespace {

using jpeg_detail::ErrorTrap;

// Everything the plain libjpeg functions touch; it holds no C++ object with a destructor.
struct DecodeJob {
    ErrorTrap trap;
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    bool created;
    // Destination rows, top-down; CMYK pictures pass through cmykRows first.
    std::uint8_t* pixels;
    std::size_t stride;
    std::uint8_t* cmykRows;
    bool cmyk;
    bool cmykInverted;
    const std::atomic<bool>* cancel;
};

DecodeJob* JobOf(j_common_ptr cinfo) {
    return reinterpret_cast<DecodeJob*>(reinterpret_cast<char*>(cinfo) - offsetof(DecodeJob, cinfo));
}

void LimitScans(j_common_ptr cinfo) {
    const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number <= kMaxJpegScans) return;
    DecodeJob* job = JobOf(cinfo);
    std::snprintf(job->trap.message, sizeof job->trap.message, "more than %d scans", kMaxJpegScans);
    std::longjmp(job->trap.jump, 1);
}

// Rows per jpeg_read_scanlines call: the library hands out at most rec_outbuf_height rows at once.
constexpr int kRowBatch = 16;

// The header phase. False when the library raised an error.
bool ReadHeaderPlain(DecodeJob* job, const unsigned char* data, unsigned long size) {
    if (setjmp(job->trap.jump)) return false;
    jpeg_create_decompress(&job->cinfo);
    job->created = true;
    jpeg_mem_src(&job->cinfo, data, size);
    jpeg_read_header(&job->cinfo, TRUE);
    return true;
}

// What the decoder keeps of the whole picture: a progressive or multi-scan file holds every coefficient
// (64 of 2 bytes a block) until its last scan; a single-scan file needs a few rows only.
std::uint64_t DecoderBytes(jpeg_decompress_struct& cinfo) {
    if (!jpeg_has_multiple_scans(&cinfo)) return 0;
    std::uint64_t bytes = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& comp = cinfo.comp_info[c];
        const auto roundUp = [](std::uint64_t n, std::uint64_t m) { return m ? (n + m - 1) / m * m : n; };
        bytes += roundUp(comp.width_in_blocks, static_cast<std::uint64_t>(comp.h_samp_factor)) *
                 roundUp(comp.height_in_blocks, static_cast<std::uint64_t>(comp.v_samp_factor)) * DCTSIZE2 *
                 sizeof(JCOEF);
    }
    return bytes;
}

void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        // Adobe's files store the inks inverted: 255 means no ink.
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0], m = inverted ? cmyk[1] : 255u - cmyk[1],
                       y = inverted ? cmyk[2] : 255u - cmyk[2], k = inverted ? cmyk[3] : 255u - cmyk[3];
        bgr[0] = static_cast<std::uint8_t>(y * k / 255);
        bgr[1] = static_cast<std::uint8_t>(m * k / 255);
        bgr[2] = static_cast<std::uint8_t>(c * k / 255);
    }
}

// The image-data phase: decompresses every row into the destination. False when the library raised an error.
bool DecompressPlain(DecodeJob* job) {
    if (setjmp(job->trap.jump)) return false;
    job->progress.progress_monitor = LimitScans;
    job->cinfo.progress = &job->progress;
    jpeg_start_decompress(&job->cinfo);
    const JDIMENSION width = job->cinfo.output_width;
    const std::size_t cmykStride = static_cast<std::size_t>(width) * 4;
    JSAMPROW rows[kRowBatch];
    while (job->cinfo.output_scanline < job->cinfo.output_height) {
        if (job->cancel && job->cancel->load(std::memory_order_relaxed)) {
            std::snprintf(job->trap.message, sizeof job->trap.message, "cancelled");
            return false;
        }
        const JDIMENSION first = job->cinfo.output_scanline;
        JDIMENSION want = job->cinfo.output_height - first;
        if (want > kRowBatch) want = kRowBatch;
        for (JDIMENSION i = 0; i < want; ++i)
            rows[i] = job->cmyk ? job->cmykRows + i * cmykStride : job->pixels + (first + i) * job->stride;
        const JDIMENSION got = jpeg_read_scanlines(&job->cinfo, rows, want);
        if (job->cmyk)
            for (JDIMENSION i = 0; i < got; ++i)
                CmykToBgr(rows[i], job->pixels + (first + i) * job->stride, width, job->cmykInverted);
    }
    // No jpeg_finish_decompress: every row is in, and what may follow the last row changes nothing shown.
    return true;
}

struct DecodeJobOwner {
    DecodeJob job{};
    ~DecodeJobOwner() {
        if (job.created) jpeg_destroy_decompress(&job.cinfo);
    }
};

// Reads the header into the job and classifies it. Readable leaves the decoder ready to decompress.
JpegHeaderInfo ReadHeader(DecodeJob& job, const void* data, std::size_t size, std::uint64_t budget) {
    JpegHeaderInfo info;
    if (size == 0 || size > std::numeric_limits<unsigned long>::max()) return info;
    jpeg_detail::InstallErrorTrap(job.trap);
    job.cinfo.err = &job.trap.pub;
    const bool read = ReadHeaderPlain(&job, static_cast<const unsigned char*>(data), static_cast<unsigned long>(size));
    jpeg_decompress_struct& cinfo = job.cinfo;
    info.width = cinfo.image_width;
    info.height = cinfo.image_height;
    info.precision = cinfo.data_precision;
    if (!read) {
        info.libraryMessage = job.trap.message;
        switch (job.trap.code) {
        case JERR_IMAGE_TOO_BIG: // a side above JPEG's 65500
            info.kind = JpegHeaderInfo::TooLarge;
            break;
        case JERR_BAD_PRECISION:
            info.kind = JpegHeaderInfo::UnsupportedPrecision;
            break;
        case JERR_NO_SOI:
            info.kind = JpegHeaderInfo::NotJpeg;
            break;
        default:
            info.kind = JpegHeaderInfo::DamagedHeader;
        }
        return info;
    }
    info.decoderBytes = DecoderBytes(cinfo);
    // Checked before anything picture-sized is allocated.
    info.kind = PictureFitsMemory(info.width, info.height, info.decoderBytes, budget) ? JpegHeaderInfo::Readable
                                                                                      : JpegHeaderInfo::TooLarge;
    return info;
}

} // namespace

JpegHeaderInfo InspectJpegHeader(const void* data, std::size_t size, std::uint64_t budget) {
    auto owner = std::make_unique<DecodeJobOwner>();
    return ReadHeader(owner->job, data, size, budget);
}

JpegStatus DecodeJpeg(const void* data, std::size_t size, Bitmap& into, const std::string& label,
                      const JpegDecodeOptions& options) {
    auto owner = std::make_unique<DecodeJobOwner>();
    DecodeJob& job = owner->job;
    std::uint64_t budget = PictureMemoryBudget();
    if (options.bitmapsHeldAhead > 0)
        budget = budget / (kPictureSizedBitmaps + options.bitmapsHeldAhead) * kPictureSizedBitmaps;
    const JpegHeaderInfo header = ReadHeader(job, data, size, budget);
    if (header.kind == JpegHeaderInfo::TooLarge) throw EPictureTooLarge(label, header.width, header.height);
    if (header.kind != JpegHeaderInfo::Readable) return JpegStatus::CannotBeRead;

    jpeg_decompress_struct& cinfo = job.cinfo;
    switch (cinfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        cinfo.out_color_space = JCS_EXT_BGR; // straight into the bitmap's byte order
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        cinfo.out_color_space = JCS_CMYK;
        job.cmyk = true;
        job.cmykInverted = cinfo.saw_Adobe_marker;
        break;
    default:
        throw EInvalidGraphic("JPEG: unsupported colour format");
    }
    // The library's own buffers stay within what the memory rule granted the picture.
    cinfo.mem->max_memory_to_use = static_cast<long>(std::min<std::uint64_t>(budget, std::numeric_limits<long>::max()));

    std::vector<std::uint8_t> cmykRows;
    if (job.cmyk) cmykRows.resize(static_cast<std::size_t>(header.width) * 4 * kRowBatch);
    if (options.reuseBuffer)
        into.Reshape(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height));
    else
        into.SetSize(static_cast<std::int32_t>(header.width), static_cast<std::int32_t>(header.height));
    job.cancel = options.cancel;
    job.pixels = into.Bits();
    job.stride = into.Stride();
    job.cmykRows = cmykRows.data();
    if (!DecompressPlain(&job)) throw EInvalidGraphic(std::string("JPEG: ") + job.trap.message);
    return JpegStatus::Decoded;
}

JpegStatus LoadJpegFile(const std::string& path, Bitmap& into, const JpegDecodeOptions& options) {
    const auto bytes = ReadFileBounded(path, kMaxJpegFileBytes);
    if (!bytes) return JpegStatus::CannotBeRead;
    return DecodeJpeg(bytes->data(), bytes->size(), into, path, options);
}

} // namespace vis
