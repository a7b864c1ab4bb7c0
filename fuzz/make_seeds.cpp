// Writes the seed corpora of the fuzz targets, made by the program's own writers, into DIR/<target>/.
#include "LoaderLayout.h"
#include "support/JpegCraft.h"

#include "gfx/Bitmap.h"
#include "gfx/Bmp.h"
#include "gfx/JpegEncode.h"
#include "qv/QorInf.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace fs = std::filesystem;
using vis::Bitmap;

namespace {

void Put(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

Bitmap Pattern(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y,
                       static_cast<vis::Color>((x * 23) & 0xFF) << 16 | ((y * 41) & 0xFF) << 8 | ((x ^ y) & 0xFF));
    return b;
}

std::string Jpeg(std::int32_t w, std::int32_t h, int quality, bool progressive = false, bool grey = false,
                 bool full = false) {
    vis::JpegEncodeOptions o;
    o.quality = quality;
    o.progressive = progressive;
    o.grayscale = grey;
    o.fullChroma = full;
    return vis::EncodeJpeg(Pattern(w, h), o);
}

// An Adobe CMYK file straight from the library (our encoder writes colour and grey only).
std::string CmykJpeg(int w, int h) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i * 7);
    return vis::test::RawCompress(w, h, 4, JCS_CMYK, pixels, [](jpeg_compress_struct&) {});
}

void JpegSeeds(const fs::path& dir) {
    Put(dir, "baseline", Jpeg(16, 16, 90));
    Put(dir, "odd", Jpeg(13, 7, 50));
    Put(dir, "one", Jpeg(1, 1, 75));
    Put(dir, "progressive", Jpeg(24, 17, 85, true));
    Put(dir, "grey", Jpeg(9, 21, 90, false, true));
    Put(dir, "grey-progressive", Jpeg(8, 8, 60, true, true));
    Put(dir, "full-chroma", Jpeg(16, 8, 100, false, false, true));
    Put(dir, "cmyk", CmykJpeg(8, 8));
    const std::string base = Jpeg(16, 16, 90);
    Put(dir, "claims-65500", vis::test::ClaimSize(base, 65500, 65500));
    Put(dir, "claims-wide", vis::test::ClaimSize(base, 16385, 2));
    Put(dir, "claims-640x480", vis::test::ClaimSize(base, 640, 480));
    Put(dir, "cut-in-scan", base.substr(0, vis::test::FirstScanData(base) + 10));
    Put(dir, "cut-in-header", base.substr(0, 100));
    Put(dir, "many-scans", vis::test::RepeatFirstScan(Jpeg(16, 16, 80, true), 300));
}

void BmpSeeds(const fs::path& dir) {
    Put(dir, "one", vis::SaveBmp(Pattern(1, 1)));
    Put(dir, "odd", vis::SaveBmp(Pattern(5, 3)));
    Put(dir, "square", vis::SaveBmp(Pattern(16, 16)));
    Put(dir, "wide", vis::SaveBmp(Pattern(37, 2)));
}

void LoaderSeed(const fs::path& dir, const std::string& name, std::uint8_t flags, std::uint8_t last,
                const std::vector<int>& kinds, const std::string& own = "") {
    std::string bytes;
    bytes += static_cast<char>(flags);
    bytes += static_cast<char>(last);
    bytes += static_cast<char>(7);
    for (int n = 0; n < vis::fuzz::kLoaderSlots; ++n)
        bytes += static_cast<char>(n < static_cast<int>(kinds.size()) ? kinds[static_cast<std::size_t>(n)] : 0);
    Put(dir, name, bytes + own);
}

void LoaderSeeds(const fs::path& dir) {
    using namespace vis::fuzz;
    constexpr std::uint8_t kFourLoads = 3 << 5;
    const std::vector<int> fine = {Baseline, Progressive, Grey, OnePixel, LinkToPicture, Baseline};
    // line 1 is byte % 16 - 2: 7 gives 5, 2 gives 0, 18 gives 0 as well.
    LoaderSeed(dir, "numbered", kFourLoads, 7, fine);
    LoaderSeed(dir, "title", kFourLoads | 1, 7, fine);
    LoaderSeed(dir, "random", kFourLoads | 2, 7, fine);
    LoaderSeed(dir, "random-title-grey", kFourLoads | 1 | 2 | 4, 7, fine);
    LoaderSeed(dir, "sepia-installer", kFourLoads | 8 | 16, 7, fine);
    LoaderSeed(dir, "gap", kFourLoads, 7, {Baseline, Baseline, Missing, Folder, Dangling, Loop, Pipe, Baseline});
    LoaderSeed(dir, "pipe-opening", kFourLoads, 7, {Pipe, Baseline, Baseline});
    LoaderSeed(dir, "damaged", kFourLoads, 7, {Baseline, CutInScan, CutInHeader, Empty, BmpFile, HugeHeader});
    LoaderSeed(dir, "huge-last", kFourLoads | 2, 202, fine);
    LoaderSeed(dir, "negative-last", kFourLoads, 200, fine);
    LoaderSeed(dir, "empty-cycle-title", kFourLoads | 1, 2, {Baseline, Baseline, Missing});
    LoaderSeed(dir, "own-bytes", kFourLoads, 7, {Baseline, InputBytes, InputBytes}, Jpeg(6, 5, 70, true));
}

// Out effect, in effect, three sizes (current, next, screen) of two 16-bit words each, flags, seed.
void EffectSeed(const fs::path& dir, int out, int in, std::uint16_t cw, std::uint16_t ch, std::uint16_t nw,
                std::uint16_t nh, std::uint16_t sw, std::uint16_t sh, std::uint8_t flags) {
    std::string b;
    b += static_cast<char>(out - 1);
    b += static_cast<char>(in - 1);
    for (std::uint16_t v : {cw, ch, nw, nh, sw, sh}) {
        const std::uint16_t side = static_cast<std::uint16_t>(v - 1);
        b += static_cast<char>(side >> 8);
        b += static_cast<char>(side & 0xFF);
    }
    b += static_cast<char>(flags);
    b += static_cast<char>(out * 16 + in);
    char name[64];
    std::snprintf(name, sizeof name, "e%d-%d-%dx%d-%dx%d-%dx%d-%d", out, in, cw, ch, nw, nh, sw, sh, flags);
    Put(dir, name, b);
}

void EffectSeeds(const fs::path& dir) {
    for (int e = 1; e <= 16; ++e) {
        EffectSeed(dir, e, e, 64, 48, 40, 60, 128, 96, 0);
        EffectSeed(dir, e, 17 - e, 1, 1, 3, 2, 2, 2, 1);
        EffectSeed(dir, e, e % 16 + 1, 4096, 4, 4, 4096, 200, 80, 3);
        EffectSeed(dir, e, e, 21, 19, 150, 100, 100, 150, 1);
    }
}

std::string Be(std::uint32_t v, int n) {
    std::string s;
    for (int i = n - 1; i >= 0; --i)
        s += static_cast<char>(v >> (8 * i) & 0xFF);
    return s;
}

std::string Track(const std::string& events) {
    return "MTrk" + Be(static_cast<std::uint32_t>(events.size()), 4) + events;
}

void MidiSeeds(const fs::path& dir) {
    const std::string head0 = "MThd" + Be(6, 4) + Be(0, 2) + Be(1, 2) + Be(96, 2);
    const std::string note = std::string("\x00\xC0\x00\x00\x90\x3C\x64\x60\x80\x3C\x40\x00\xFF\x2F\x00", 15);
    Put(dir, "note", head0 + Track(note));
    const std::string tempo = std::string("\x00\xFF\x03\x04name\x00\xFF\x51\x03\x07\xA1\x20", 15) +
                              std::string("\x00\xFF\x58\x04\x04\x02\x18\x08\x00\xFF\x59\x02\x00\x00", 14) +
                              std::string("\x00\xFF\x54\x05\x00\x00\x00\x00\x00\x00\xFF\x2F\x00", 13);
    const std::string music = std::string("\x00\xF0\x05\x7E\x7F\x09\x01\xF7\x00\xB0\x07\x64\x00\xE0\x00\x40", 16) +
                              std::string("\x00\x90\x3C\x64\x10\x3E\x64\x10\x3C\x00\x10\x3E\x00\x00\xD0\x20", 16) +
                              std::string("\x08\xFF\x01\x02hi\x08\xFF\x05\x02la\x08\xFF\x06\x01m\x00\xFF\x2F\x00", 22);
    Put(dir, "format1",
        "MThd" + Be(6, 4) + Be(1, 2) + Be(2, 2) + Be(480, 2) + Track(tempo) + Track(music) + "XFIR" + Be(2, 4) + "ab");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const fs::path root = argv[1];
    Put(root / "qorinf_fuzz", "plain", vis::QorInfText(7, "1111111111111111", 5, 3));
    Put(root / "qorinf_fuzz", "mask", vis::QorInfText(2, "10", 10, 1));
    Put(root / "qorinf_fuzz", "hex", "$1F\r\n0000000000000000\r\n -5\r\n+3\r\n\x1a");
    Put(root / "qorinf_fuzz", "lf", "7\n1\n5\n3\n");
    Put(root / "qorinf_fuzz", "extremes", "2147483647\r\n1\r\n-2147483648\r\n$FFFFFFFF\r\n");
    MidiSeeds(root / "midi_fuzz");
    JpegSeeds(root / "jpeg_fuzz");
    BmpSeeds(root / "bmp_fuzz");
    LoaderSeeds(root / "loader_fuzz");
    EffectSeeds(root / "effects_fuzz");
    return 0;
}
