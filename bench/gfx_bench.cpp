// Pictures: decoding a 12-megapixel JPEG through our decoder against libjpeg-turbo used directly, and the
// tone filters against a plain copy of the same bitmap.
#include "gfx/Bitmap.h"
#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "gfx/Tone.h"
#include "support/Ratios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <unistd.h>

namespace {

using namespace vis;

constexpr int kWidth = 4000, kHeight = 3000; // 12 megapixels, a camera's picture

// Something like a photograph: smooth gradients with a little grain, so the JPEG is of a realistic size.
Bitmap PhotoLike() {
    Bitmap bmp(kWidth, kHeight);
    std::uint32_t s = 1;
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = bmp.Row(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            s = s * 1664525u + 1013904223u;
            const int grain = static_cast<int>(s >> 28) - 8;
            p[0] = static_cast<std::uint8_t>(std::clamp(x * 255 / kWidth + grain, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(y * 255 / kHeight + grain, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(((x + y) / 16) % 256 + grain, 0, 255));
        }
    }
    return bmp;
}

const Bitmap& Photo() {
    static const Bitmap photo = PhotoLike();
    return photo;
}

const std::string& PhotoJpeg() {
    static const std::string bytes = EncodeJpeg(Photo(), 90);
    return bytes;
}

void BM_JpegDecode(benchmark::State& state) {
    const std::string& jpeg = PhotoJpeg();
    Bitmap out;
    for (auto _ : state) {
        if (DecodeJpeg(jpeg.data(), jpeg.size(), out) != JpegStatus::Decoded) state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(out.Bits());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kWidth) * kHeight * 3);
}

// The same decode written straight against libjpeg: same output format, same row layout, no checks.
void DecodeDirect(const std::string& jpeg, std::vector<std::uint8_t>& pixels, std::size_t stride) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.data()), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const JDIMENSION first = cinfo.output_scanline;
        JDIMENSION want = std::min<JDIMENSION>(16, cinfo.output_height - first);
        for (JDIMENSION i = 0; i < want; ++i)
            rows[i] = pixels.data() + (first + i) * stride;
        jpeg_read_scanlines(&cinfo, rows, want);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

void BM_JpegDecodeLibjpegDirect(benchmark::State& state) {
    const std::string& jpeg = PhotoJpeg();
    const std::size_t stride = (static_cast<std::size_t>(kWidth) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> pixels(stride * kHeight);
    for (auto _ : state) {
        DecodeDirect(jpeg, pixels, stride);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kWidth) * kHeight * 3);
}

// The saver's own path from a picture file (a bounded read of the whole file, then the decode) against
// libjpeg reading the same file through its stdio source.
const std::string& PhotoFile() {
    static const std::string path = [] {
        std::string p = "/tmp/vis-bench-photo-XXXXXX";
        const int fd = mkstemp(p.data());
        if (fd >= 0) {
            const std::string& jpeg = PhotoJpeg();
            if (write(fd, jpeg.data(), jpeg.size()) != static_cast<ssize_t>(jpeg.size())) p.clear();
            close(fd);
        }
        return p;
    }();
    return path;
}

void BM_JpegLoadFile(benchmark::State& state) {
    Bitmap out;
    for (auto _ : state) {
        if (LoadJpegFile(PhotoFile(), out) != JpegStatus::Decoded) state.SkipWithError("not decoded");
        benchmark::DoNotOptimize(out.Bits());
    }
}

void BM_JpegFileLibjpegDirect(benchmark::State& state) {
    const std::size_t stride = (static_cast<std::size_t>(kWidth) * 3 + 3) & ~std::size_t{3};
    std::vector<std::uint8_t> pixels(stride * kHeight);
    for (auto _ : state) {
        FILE* f = std::fopen(PhotoFile().c_str(), "rb");
        if (!f) {
            state.SkipWithError("no file");
            break;
        }
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + cinfo.output_scanline * stride;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void BM_ToneGrey(benchmark::State& state) {
    Bitmap work = Photo();
    for (auto _ : state) {
        ToneGrey(work);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kWidth) * kHeight * 3);
}

void BM_ToneSepia(benchmark::State& state) {
    Bitmap work = Photo();
    for (auto _ : state) {
        ToneSepia(work);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kWidth) * kHeight * 3);
}

void BM_BitmapCopy(benchmark::State& state) {
    const Bitmap& src = Photo();
    Bitmap dst(kWidth, kHeight);
    for (auto _ : state) {
        dst.DrawOpaque(0, 0, src);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kWidth) * kHeight * 3);
}

BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_JpegDecodeLibjpegDirect)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_JpegLoadFile)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_JpegFileLibjpegDirect)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ToneGrey)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_ToneSepia)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_BitmapCopy)->Unit(benchmark::kMillisecond)->Repetitions(5);

} // namespace

int main(int argc, char** argv) {
    // Made before the clock starts, so that no benchmark pays for the picture.
    std::printf("test picture: %d x %d, JPEG %zu bytes\n", kWidth, kHeight, PhotoJpeg().size());
    PhotoFile();
    const int status = vis::bench::RunWithRatios(
        argc, argv,
        {{"JPEG decode, ours / libjpeg direct", "BM_JpegDecode", "BM_JpegDecodeLibjpegDirect", 1.05},
         {"JPEG file, real decode path / libjpeg direct", "BM_JpegLoadFile", "BM_JpegFileLibjpegDirect", 1.05},
         {"ToneGrey / plain copy", "BM_ToneGrey", "BM_BitmapCopy", 3.0},
         {"ToneSepia / plain copy", "BM_ToneSepia", "BM_BitmapCopy", 3.0}});
    if (!PhotoFile().empty()) unlink(PhotoFile().c_str());
    return status;
}
