// LoadPicturePair over a data folder the input lays out: which of qor_0 .. qor_11 exist and what each one is
// (a picture, a damaged or unreadable file, a folder, a dangling or looping link, the input's own bytes), line
// 1 of qor_inf, the title, random and tone markers, and a few loads in a row as the slideshow makes them.
// Every load ends (a pair loaded, a damaged-picture error, or the window closed); a loaded next picture is the
// toned content of its file; and the loads change nothing in the folder.
#include "FuzzInput.h"
#include "LoaderLayout.h"

#include "gfx/Bmp.h"
#include "gfx/Jpeg.h"
#include "gfx/JpegEncode.h"
#include "gfx/Tone.h"
#include "platform/headless/Headless.h"
#include "qv/Errors.h"
#include "qv/Files.h"
#include "qv/QorInf.h"
#include "saver/Unqv.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using vis::Bitmap;

constexpr int kSlots = vis::fuzz::kLoaderSlots;
using namespace vis::fuzz;

bool Loadable(int kind) {
    return kind >= Baseline && kind <= LinkToPicture;
}

Bitmap Pattern(std::int32_t w, std::int32_t h, std::uint8_t tint) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            b.SetPixel(x, y, static_cast<vis::Color>((x * 40 + tint) & 0xFF) << 16 | ((y * 30) & 0xFF) << 8 | tint);
    return b;
}

std::string Encode(const Bitmap& b, bool progressive, bool grey) {
    vis::JpegEncodeOptions o;
    o.quality = 80;
    o.progressive = progressive;
    o.grayscale = grey;
    return vis::EncodeJpeg(b, o);
}

std::size_t ScanData(const std::string& jpeg) {
    const std::size_t sos = jpeg.find("\xFF\xDA");
    return sos + 2 + ((static_cast<unsigned char>(jpeg[sos + 2]) << 8) | static_cast<unsigned char>(jpeg[sos + 3]));
}

std::string Read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// The folder and the fixed files, made once per process; each input changes only the entries that differ.
class Fixture {
  public:
    Fixture() {
        std::string tmpl = (fs::temp_directory_path() / "vistrelle-loader-fuzz-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        root_ = tmpl;
        data_ = root_ / "velloran" / "Saver";
        fs::create_directories(data_);
        const std::string baseline = Encode(Pattern(12, 9, 11), false, false);
        bytes_[Baseline] = baseline;
        bytes_[Progressive] = Encode(Pattern(9, 12, 77), true, false);
        bytes_[Grey] = Encode(Pattern(7, 5, 150), false, true);
        bytes_[OnePixel] = Encode(Pattern(1, 1, 200), false, false);
        bytes_[CutInScan] = baseline.substr(0, ScanData(baseline) + 6);
        bytes_[CutInHeader] = baseline.substr(0, 40);
        bytes_[BmpFile] = vis::SaveBmp(Pattern(4, 4, 5));
        std::string huge = baseline;
        const std::size_t sof = huge.find("\xFF\xC0");
        huge[sof + 5] = huge[sof + 7] = static_cast<char>(0xFF);
        huge[sof + 6] = huge[sof + 8] = static_cast<char>(0xDC);
        bytes_[HugeHeader] = huge;
        outside_ = root_ / "outside.jpg";
        Write(outside_, bytes_[Progressive]);
        for (int k = Baseline; k <= OnePixel; ++k)
            vis::DecodeJpeg(bytes_[k].data(), bytes_[k].size(), decoded_[k]);
        decoded_[LinkToPicture] = decoded_[Progressive];
    }
    ~Fixture() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    const fs::path& Data() const { return data_; }
    std::string DataString() const { return data_.string(); }
    const Bitmap& Decoded(int kind) const { return decoded_[kind]; }

    // Lays out entry `name` as `kind` (with `own` as the content of InputBytes).
    void Put(const std::string& name, int kind, const std::string& own) {
        const std::string want = kind == InputBytes ? "bytes:" + own : "kind:" + std::to_string(kind);
        auto it = laid_.find(name);
        if (it != laid_.end() && it->second == want) return;
        const fs::path p = data_ / name;
        std::error_code ec;
        fs::remove_all(p, ec);
        switch (kind) {
        case Missing:
            break;
        case Folder:
            fs::create_directory(p, ec);
            break;
        case Dangling:
            fs::create_symlink(root_ / "nowhere", p, ec);
            break;
        case Loop:
            fs::create_symlink(name, p, ec);
            break;
        case Pipe:
            ::mkfifo(p.c_str(), 0644);
            break;
        case LinkToPicture:
            fs::create_symlink(outside_, p, ec);
            break;
        case InputBytes:
            Write(p, own);
            break;
        default:
            Write(p, bytes_[kind]);
        }
        laid_[name] = want;
    }
    void Marker(const std::string& name, bool on) { Put(name, on ? InputBytes : Missing, ""); }

    // Every entry's name with its kind and, for files, its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> s;
        for (const auto& e : fs::directory_iterator(data_)) {
            std::error_code ec;
            const auto st = e.symlink_status(ec);
            std::string what = fs::is_symlink(st)        ? "link:" + fs::read_symlink(e.path(), ec).string()
                               : fs::is_directory(st)    ? "folder"
                               : fs::is_regular_file(st) ? "file:" + Read(e.path())
                                                         : "other";
            s[e.path().filename().string()] = what;
        }
        return s;
    }

  private:
    fs::path root_, data_, outside_;
    std::array<std::string, kKinds> bytes_;
    std::array<Bitmap, kKinds> decoded_;
    std::map<std::string, std::string> laid_;
};

std::int32_t PickLastPictureNo(std::uint8_t b) {
    constexpr std::array<std::int32_t, 6> kExtremes = {std::numeric_limits<std::int32_t>::min(),
                                                       std::numeric_limits<std::int32_t>::min() + 1,
                                                       std::numeric_limits<std::int32_t>::max(),
                                                       std::numeric_limits<std::int32_t>::max() - 1,
                                                       1000000,
                                                       -1000000};
    if (b < 200) return b % 16 - 2;
    return kExtremes[b % kExtremes.size()];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();
    const std::int32_t last = PickLastPictureNo(in.Byte());
    const std::uint64_t seed = in.Byte();
    const int loads = 1 + (flags >> 5) % 4;
    std::array<int, kSlots> kinds{};
    for (int& k : kinds)
        k = in.Byte() % kKinds;
    const std::string own = in.Rest();

    for (int n = 0; n < kSlots; ++n)
        fixture.Put("qor_" + std::to_string(n), kinds[static_cast<std::size_t>(n)], own);
    fixture.Put("qor_inf", InputBytes, vis::QorInfText(last, "1111111111111111", 5, 3));
    const bool title = flags & 1, grey = flags & 4, sepia = flags & 8, installer = flags & 16;
    fixture.Marker("qor_title", title);
    fixture.Marker("qor_random", flags & 2);
    fixture.Marker("qor_gray", grey);
    fixture.Marker("qor_sepia", sepia);
    fixture.Put("install.exe", Missing, "");
    if (installer) fixture.Put("install.exe", InputBytes, "MZ");

    vis::HeadlessApplication app;
    vis::HeadlessWindow window(64, 48);
    vis::VirtualClock clock;
    vis::RecordingSystemSettings system;
    vis::ScriptedMediaDevice media;
    vis::TFmqv fm(vis::SaverPlatform{app, window, clock, system, media, "/saver/Saver.scr", vis::PathStyle::Posix, seed,
                                     fixture.DataString(), false});
    fm.FormCreate();
    // The window's creation deletes a leftover installer and nothing else; from then on nothing changes.
    if (vis::FileExists(fixture.DataString() + "/install.exe")) std::abort();
    fixture.Put("install.exe", Missing, "");
    const auto before = fixture.Snapshot();
    if (fm.LastPictureNo != last || fm.FirstPictureNo != (title ? 1 : 0)) std::abort();

    for (int i = 0; i < loads; ++i) {
        fm.PicturesLoaded = false;
        fm.SlideState = kPictureShownWhole;
        try {
            fm.LoadPicturePair();
        } catch (const vis::EInvalidGraphic&) {
            fm.FirstRound = false;
            continue; // the error box; the next tick loads again
        }
        if (fm.Closing()) break;
        if (!fm.PicturesLoaded || fm.SlideState != 1) std::abort();
        if (!(fm.CurrentFrame == fm.CurrentPicture) || !(fm.NextFrame == fm.NextPicture)) std::abort();
        const std::int32_t next = fm.NextPictureNumber();
        if (next != fm.FirstPictureNo + 1 && (next < 1 || next > last)) std::abort();
        if (next >= 0 && next < kSlots && Loadable(kinds[static_cast<std::size_t>(next)])) {
            Bitmap expected = fixture.Decoded(kinds[static_cast<std::size_t>(next)]);
            if (grey)
                vis::ToneGrey(expected);
            else if (sepia)
                vis::ToneSepia(expected);
            if (!(fm.NextPicture == expected)) std::abort();
        }
        fm.FirstRound = false;
    }
    if (fixture.Snapshot() != before) std::abort();
    return 0;
}
