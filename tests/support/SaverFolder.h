#pragma once
// A saver installed in a temporary folder: the program path, its data folder, qor_inf, marker files and
// JPEG pictures of chosen sizes, ready for a headless run.
#include "gfx/Bitmap.h"
#include "gfx/JpegEncode.h"
#include "platform/headless/HeadlessRun.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <string>

namespace vis::test {

class SaverFolder {
  public:
    // inf is written as qor_inf unless empty.
    explicit SaverFolder(const std::string& inf = "3\r\n1111111111111111\r\n5\r\n3\r\n") {
        std::filesystem::create_directories(data);
        if (!inf.empty()) Write("qor_inf", inf);
    }
    void Write(const std::string& name, const std::string& bytes) const { WriteBytes(File(name), bytes); }
    void Marker(const std::string& name) const { Write(name, ""); }
    // Background music: the piece's bytes as qor_bgm.mid and the marker that turns it on.
    void Music(const std::string& piece) const {
        Write("qor_bgm.mid", piece);
        Marker("qor_bgm");
    }
    std::string File(const std::string& name) const { return data + "/" + name; }
    // Picture n, one flat colour (0xRRGGBB, kept clear of pure black and white so it shows against both).
    void Picture(int n, std::int32_t w, std::int32_t h, Color c = 0x5080C0) const {
        Bitmap b(w, h);
        b.FillAll(c);
        JpegEncodeOptions o;
        o.quality = 95;
        o.fullChroma = true;
        Write("qor_" + std::to_string(n), EncodeJpeg(b, o));
    }
    void Pictures(int count, std::int32_t w, std::int32_t h) const {
        for (int n = 0; n < count; ++n)
            Picture(n, w, h, 0x304050 + 0x102010 * static_cast<Color>(n % 8));
    }
    HeadlessRunOptions Options(std::int32_t screenW = 640, std::int32_t screenH = 480) const {
        HeadlessRunOptions o;
        o.programPath = program;
        o.screenWidth = screenW;
        o.screenHeight = screenH;
        return o;
    }

    TempDir dir;
    std::string program = dir.Path() + "/Saver.scr";
    std::string data = dir.Path() + "/velloran/Saver";
};

// qor_inf text: last picture number, effect mask, display and pause seconds.
inline std::string Inf(int last, const std::string& mask, int show, int hide) {
    return std::to_string(last) + "\r\n" + mask + "\r\n" + std::to_string(show) + "\r\n" + std::to_string(hide) +
           "\r\n";
}

} // namespace vis::test
