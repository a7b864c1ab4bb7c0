#include "gfx/JpegEncode.h"

#include "gfx/JpegErrorTrap.h"
#include "qv/Errors.h"

#include <jerror.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace vis {

namespace {

using jpeg_detail::ErrorTrap;

// Everything the plain compression function touches: no C++ object with a destructor lives in it.
struct EncodeJob {
    ErrorTrap trap;
    jpeg_compress_struct cinfo;
    bool created;
    jpeg_destination_mgr dest;
    // The output grows with realloc and is freed by the owner of the job, whatever happened.
    unsigned char* out;
    std::size_t outCapacity;
    std::size_t outSize;
    // Input rows, top-down.
    const unsigned char* pixels;
    std::size_t stride;
    int width, height, components;
    int quality;
    bool progressive, fullChroma;
};

constexpr std::size_t kChunk = 64 * 1024;

EncodeJob* JobOf(j_compress_ptr cinfo) {
    return reinterpret_cast<EncodeJob*>(reinterpret_cast<char*>(cinfo) - offsetof(EncodeJob, cinfo));
}

void InitDestination(j_compress_ptr cinfo) {
    EncodeJob* job = JobOf(cinfo);
    job->out = static_cast<unsigned char*>(std::malloc(kChunk));
    if (!job->out) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    job->outCapacity = kChunk;
    job->outSize = 0;
    cinfo->dest->next_output_byte = job->out;
    cinfo->dest->free_in_buffer = kChunk;
}

// Called when the whole buffer is full: double it.
boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
    EncodeJob* job = JobOf(cinfo);
    const std::size_t used = job->outCapacity;
    auto* grown = static_cast<unsigned char*>(std::realloc(job->out, job->outCapacity * 2));
    if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    job->out = grown;
    job->outCapacity *= 2;
    cinfo->dest->next_output_byte = job->out + used;
    cinfo->dest->free_in_buffer = job->outCapacity - used;
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
    EncodeJob* job = JobOf(cinfo);
    job->outSize = job->outCapacity - cinfo->dest->free_in_buffer;
}

// The libjpeg calls. False with trap.message set when the library raised an error.
bool CompressPlain(EncodeJob* job) {
    if (setjmp(job->trap.jump)) return false;
    jpeg_create_compress(&job->cinfo);
    job->created = true;
    job->dest.init_destination = InitDestination;
    job->dest.empty_output_buffer = EmptyOutputBuffer;
    job->dest.term_destination = TermDestination;
    job->cinfo.dest = &job->dest;
    job->cinfo.image_width = static_cast<JDIMENSION>(job->width);
    job->cinfo.image_height = static_cast<JDIMENSION>(job->height);
    job->cinfo.input_components = job->components;
    job->cinfo.in_color_space = job->components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&job->cinfo);
    jpeg_set_quality(&job->cinfo, job->quality, TRUE);
    if (job->fullChroma && job->components == 3)
        for (int c = 0; c < 3; ++c)
            job->cinfo.comp_info[c].h_samp_factor = job->cinfo.comp_info[c].v_samp_factor = 1;
    if (job->progressive) jpeg_simple_progression(&job->cinfo);
    jpeg_start_compress(&job->cinfo, TRUE);
    while (job->cinfo.next_scanline < job->cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(job->pixels + job->cinfo.next_scanline * job->stride);
        jpeg_write_scanlines(&job->cinfo, &row, 1);
    }
    jpeg_finish_compress(&job->cinfo);
    return true;
}

// Owns the job's libjpeg object and output buffer for the C++ side.
struct EncodeJobOwner {
    EncodeJob job{};
    ~EncodeJobOwner() {
        if (job.created) jpeg_destroy_compress(&job.cinfo);
        std::free(job.out);
    }
};

} // namespace

std::string EncodeJpeg(const Bitmap& bitmap, const JpegEncodeOptions& options) {
    if (bitmap.Width() <= 0 || bitmap.Height() <= 0) throw EInvalidGraphic("JPEG: the picture is empty");
    std::vector<unsigned char> grey;
    auto owner = std::make_unique<EncodeJobOwner>();
    EncodeJob& job = owner->job;
    job.width = bitmap.Width();
    job.height = bitmap.Height();
    job.quality = std::clamp(options.quality, 1, 100);
    job.progressive = options.progressive;
    job.fullChroma = options.fullChroma;
    if (options.grayscale) {
        // The same luminance weights the library uses for its own Y channel.
        grey.resize(static_cast<std::size_t>(job.width) * static_cast<std::size_t>(job.height));
        for (std::int32_t y = 0; y < job.height; ++y) {
            const std::uint8_t* p = bitmap.Row(y);
            unsigned char* g = grey.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(job.width);
            for (std::int32_t x = 0; x < job.width; ++x, p += 3)
                g[x] = static_cast<unsigned char>((p[2] * 19595 + p[1] * 38470 + p[0] * 7471 + 32768) >> 16);
        }
        job.pixels = grey.data();
        job.stride = static_cast<std::size_t>(job.width);
        job.components = 1;
    } else {
        job.pixels = bitmap.Bits();
        job.stride = bitmap.Stride();
        job.components = 3;
    }
    jpeg_detail::InstallErrorTrap(job.trap);
    job.cinfo.err = &job.trap.pub;
    if (!CompressPlain(&job)) throw EInvalidGraphic(std::string("JPEG: ") + job.trap.message);
    return std::string(reinterpret_cast<const char*>(job.out), job.outSize);
}

std::string EncodeJpeg(const Bitmap& bitmap, int quality) {
    JpegEncodeOptions options;
    options.quality = quality;
    return EncodeJpeg(bitmap, options);
}

} // namespace vis
