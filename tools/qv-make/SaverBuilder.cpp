#include "SaverBuilder.h"

#include "EffectPreview.h"
#include "FileIo.h"
#include "MakeError.h"
#include "gfx/Bmp.h"
#include "gfx/Jpeg.h"
#include "qv/DataFiles.h"
#include "qv/Errors.h"
#include "qv/Files.h"
#include "qv/QorInf.h"

#include <atomic>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#define VIS_GETPID _getpid
#else
#include <unistd.h>
#define VIS_GETPID getpid
#endif

namespace vis::make {

namespace fs = std::filesystem;

namespace {

std::string Str(const fs::path& p) {
    return Utf8Path(p);
}

bool Exists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

void CheckName(const std::string& name) {
    if (name.empty()) throw MakeError("the saver needs a name");
    if (name == "." || name == "..") throw MakeError("'" + name + "' cannot be a saver name");
    if (name.size() > 100) throw MakeError("the saver name is longer than 100 characters");
    for (unsigned char c : name) {
        // The name becomes a folder and a program file name on Linux and Windows alike.
        if (c < 32 || std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            throw MakeError("the saver name '" + name + "' holds a character that file names cannot have");
    }
    if (name.back() == '.' || name.back() == ' ')
        throw MakeError("the saver name '" + name + "' ends with a dot or a space, which Windows drops");
}

// A fresh, empty folder beside target whose name says what it is; the tool's own leftovers are easy to spot.
fs::path MakeSiblingFolder(const fs::path& target, const char* what) {
    static std::atomic<int> counter{0};
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const fs::path p = target.parent_path() / ("." + Utf8Path(target.filename()) + "." + what + "-" +
                                                   std::to_string(VIS_GETPID()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(p, ec)) return p;
        if (ec && ec != std::errc::file_exists)
            throw MakeError("cannot write into " + Str(target.parent_path()) + ": " + ec.message());
    }
    throw MakeError("cannot find a free temporary name beside " + Str(target));
}

fs::path SiblingName(const fs::path& target, const char* what) {
    static std::atomic<int> counter{0};
    for (;;) {
        fs::path p = target.parent_path() / ("." + Utf8Path(target.filename()) + "." + what + "-" +
                                             std::to_string(VIS_GETPID()) + "-" + std::to_string(counter++));
        if (!Exists(p)) return p;
    }
}

void RemoveQuietly(const fs::path& p) {
    std::error_code ec;
    fs::remove_all(p, ec);
}

std::string ReadMusic(const SaverSpec& spec) {
    std::string bytes = spec.musicBytes ? *spec.musicBytes : ReadInputFile(*spec.musicPath, kMaxMusicBytes);
    const std::string label = spec.musicPath ? *spec.musicPath : std::string("the music");
    if (bytes.size() < 14 || bytes.compare(0, 4, "MThd") != 0)
        throw MakeError(label + ": not a Standard MIDI File (it does not start with \"MThd\")");
    return bytes;
}

void Marker(const fs::path& folder, const char* name) {
    try {
        CreateEmptyFile(Str(folder / name));
    } catch (const Exception& e) {
        throw MakeError("cannot write " + Str(folder / name) + ": " + e.what());
    }
}

// Everything of the data folder, written into folder.
std::vector<PreparedPicture> FillFolder(const SaverSpec& spec, const fs::path& folder, const std::string* music) {
    std::vector<PreparedPicture> pictures;
    for (std::size_t i = 0; i < spec.pictures.size(); ++i) {
        const PictureInput& in = spec.pictures[i];
        PreparedPicture p =
            in.pixels ? PrepareBitmap(*in.pixels, spec.pictureSettings)
                      : PreparePicture(ReadInputFile(in.path, kMaxJpegFileBytes), in.path, spec.pictureSettings);
        WriteOutputFile(Str(folder / datafile::Picture(static_cast<std::int64_t>(i))), p.jpeg);
        p.jpeg.clear();
        p.jpeg.shrink_to_fit();
        pictures.push_back(std::move(p));
    }
    try {
        WriteQorInf(Str(folder / datafile::kSettings), static_cast<std::int32_t>(spec.pictures.size() - 1),
                    spec.effectMask, spec.showSeconds, spec.pauseSeconds);
    } catch (const Exception& e) {
        throw MakeError("cannot write " + Str(folder / datafile::kSettings) + ": " + e.what());
    }
    if (spec.title) Marker(folder, datafile::kTitle);
    if (spec.random) Marker(folder, datafile::kRandom);
    if (spec.randomPosition) Marker(folder, datafile::kRandomPosition);
    if (spec.gray) Marker(folder, datafile::kGray);
    if (spec.sepia) Marker(folder, datafile::kSepia);
    if (spec.lock) Marker(folder, datafile::kLock);
    if (music) {
        WriteOutputFile(Str(folder / datafile::kMusic), *music);
        Marker(folder, datafile::kMusicOn);
    }
    WriteOutputFile(Str(folder / datafile::kPreview), SaveBmp(MakeEffectPreview()));
    return pictures;
}

void PlaceLauncher(const fs::path& program, const fs::path& at) {
    std::error_code ec;
#ifdef _WIN32
    fs::copy_file(program, at, ec);
#else
    fs::create_symlink(program, at, ec);
#endif
    if (ec) throw MakeError("cannot make " + Str(at) + ": " + ec.message());
}

} // namespace

void CheckSpec(const SaverSpec& spec) {
    CheckName(spec.name);
    const std::size_t needed = spec.title ? 3 : 2;
    if (spec.pictures.size() < needed)
        throw MakeError(spec.title ? "a saver with a title picture needs at least three pictures (opening, title, "
                                     "one for the show)"
                                   : "a saver needs at least two pictures (the opening one and one for the show)");
    if (spec.effectMask.size() != 16 || spec.effectMask.find_first_not_of("01") != std::string::npos)
        throw MakeError("the effect mask must be sixteen characters 0 or 1, one for each effect, not '" +
                        spec.effectMask + "'");
    if (spec.showSeconds < 1 || spec.showSeconds > kMaxSeconds)
        throw MakeError("the display time must be 1 to " + std::to_string(kMaxSeconds) + " seconds");
    if (spec.pauseSeconds < 1 || spec.pauseSeconds > kMaxSeconds)
        throw MakeError("the pause must be 1 to " + std::to_string(kMaxSeconds) + " seconds");
    if (spec.gray && spec.sepia) throw MakeError("--gray and --sepia exclude each other; choose one");
    if (spec.dest.empty()) throw MakeError("the destination folder is missing");
    const auto fit = spec.pictureSettings.fit;
    if (fit && (fit->width < 1 || fit->height < 1 || fit->width > kMaxJpegSide || fit->height > kMaxJpegSide))
        throw MakeError("--fit needs a size such as 1920x1080");
}

void CheckDestination(const SaverSpec& spec) {
    const fs::path target = FsPath(spec.dest) / datafile::kDataRoot / FsPath(spec.name);
    const fs::path launcher = FsPath(spec.dest) / FsPath(spec.name + ".scr");
    std::error_code ec;
    if (Exists(target)) {
        if (!spec.force) throw MakeError(Str(target) + " already exists; give --force to replace it");
        if (!fs::is_directory(fs::symlink_status(target, ec)))
            throw MakeError(Str(target) + " exists and is not a folder; it is left alone");
    }
    if (!spec.program.empty()) {
        if (!fs::is_regular_file(FsPath(spec.program), ec))
            throw MakeError("the program " + spec.program + " is not a file");
        if (Exists(launcher) && !spec.force)
            throw MakeError(Str(launcher) + " already exists; give --force to replace it");
        if (fs::is_directory(fs::symlink_status(launcher, ec)))
            throw MakeError(Str(launcher) + " is a folder; it is left alone");
    }
}

SaverReport MakeSaver(const SaverSpec& spec) {
    CheckSpec(spec);
    CheckDestination(spec);
    const fs::path dest = FsPath(spec.dest);
    const fs::path velloran = dest / datafile::kDataRoot;
    const fs::path target = velloran / FsPath(spec.name);
    const fs::path launcher = dest / FsPath(spec.name + ".scr");

    std::error_code ec;
    const bool replacing = Exists(target);
    fs::path program;
    if (!spec.program.empty()) program = fs::weakly_canonical(fs::absolute(FsPath(spec.program), ec), ec);

    // Read the music before any file is made: a wrong file name is the likeliest mistake.
    std::optional<std::string> music;
    if (spec.musicPath || spec.musicBytes) music = ReadMusic(spec);

    fs::create_directories(velloran, ec);
    if (!fs::is_directory(velloran, ec))
        throw MakeError("cannot make the folder " + Str(velloran) + ": " + (ec ? ec.message() : "not a folder"));

    const fs::path building = MakeSiblingFolder(target, "new");
    fs::path newLauncher;
    SaverReport report;
    try {
        report.pictures = FillFolder(spec, building, music ? &*music : nullptr);
        if (!program.empty()) {
            newLauncher = SiblingName(launcher, "new");
            PlaceLauncher(program, newLauncher);
        }
    } catch (...) {
        RemoveQuietly(building);
        if (!newLauncher.empty()) RemoveQuietly(newLauncher);
        throw;
    }

    // Swap the folders: the old one steps aside first so that it can come back if the new one cannot move in.
    fs::path old;
    if (replacing) {
        old = SiblingName(target, "old");
        fs::rename(target, old, ec);
        if (ec) {
            RemoveQuietly(building);
            if (!newLauncher.empty()) RemoveQuietly(newLauncher);
            throw MakeError("cannot replace " + Str(target) + ": " + ec.message());
        }
    }
    fs::rename(building, target, ec);
    if (!ec && !newLauncher.empty()) {
        fs::rename(newLauncher, launcher, ec);
        if (ec) {
            std::error_code ignored;
            fs::rename(target, building, ignored);
        }
    }
    if (ec) {
        const std::string why = ec.message();
        if (replacing) fs::rename(old, target, ec);
        RemoveQuietly(building);
        if (!newLauncher.empty()) RemoveQuietly(newLauncher);
        throw MakeError("cannot put the saver in place at " + Str(target) + ": " + why);
    }
    if (replacing) RemoveQuietly(old);

    report.dataFolder = Str(target);
    if (!program.empty()) report.launcher = Str(launcher);
    return report;
}

} // namespace vis::make
