#include "CommandLine.h"

#include "EffectPreview.h"
#include "MakeError.h"
#include "gfx/Jpeg.h"
#include "qv/Files.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>

namespace vis::make {

namespace {

std::int32_t ParseInt(const std::string& text, const std::string& option) {
    std::int32_t v = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || p != end)
        throw MakeError(option + " needs a whole number, not '" + text + "'");
    return v;
}

Size ParseSize(const std::string& text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) throw MakeError("--fit needs a size such as 1920x1080, not '" + text + "'");
    return {ParseInt(text.substr(0, x), "--fit"), ParseInt(text.substr(x + 1), "--fit")};
}

Command HelpCommand() {
    Command help;
    help.kind = Command::Kind::Help;
    return help;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

std::string ParseEffectMask(const std::string& text) {
    if (text.size() == 16 && text.find_first_not_of("01") == std::string::npos) return text;
    if (SameIgnoringCase(text, "all")) return std::string(16, '1');
    std::string mask(16, '0');
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string item = text.substr(start, comma - start);
        int found = -1;
        for (std::size_t i = 0; i < kEffectBoxes.size(); ++i)
            if (SameIgnoringCase(item, kEffectBoxes[i].name) || item == std::to_string(i + 1))
                found = static_cast<int>(i);
        if (found < 0)
            throw MakeError("--effects: '" + item +
                            "' is no effect; give sixteen 0/1 characters or names such as Normal,FadeInOut,Tokei or "
                            "numbers 1 to 16");
        mask[static_cast<std::size_t>(found)] = '1';
        start = comma + 1;
    }
    return mask;
}

std::string UsageText() {
    return R"(usage: qv-make DEST NAME PICTURE... [options]
       qv-make --demo DEST [--program PATH] [--install] [--force]

Makes the data folder DEST/velloran/NAME of a slideshow saver from JPEG or PNG pictures. The first picture
opens the show once; with --title the second is a title shown once after it; the others repeat.

  --title            the second picture is a title picture
  --random           pictures in random order
  --randompos        pictures at random places on the screen
  --gray, --sepia    tone the pictures grey or sepia
  --lock             lock the settings: the settings dialog shows only its about page
  --music FILE.mid   background music (a Standard MIDI File), played in a loop
  --show S           display time in seconds (default 5; the settings dialog offers 1 to 10)
  --pause S          black pause between pictures in seconds (default 3)
  --effects MASK     the transition effects: sixteen 0/1 characters in effect order, or names or numbers
                     separated by commas (Normal,FadeInOut,Sikaku,Tatesen,Yokosen,Seihoukei,Seihoukei2,En,
                     En2,Tate,Tate2,Yoko,Yoko2,Dai_shou,Tokei,Kazaguruma), or "all" (default)
  --fit WxH          shrink larger pictures to fit WxH, keeping their shape (the show never scales);
                     without --fit, to the primary screen's size when there is a display
  --fit none         keep every picture at its size and every JPEG byte for byte
  --quality Q        JPEG quality for pictures that must be encoded again (default 92)
  --program PATH     also make DEST/NAME.scr, a link to (on Windows a copy of) the program PATH
  --install          install the saver as its installer does: copy the program (--program PATH, else the
                     qv beside qv-make) to DEST/NAME.SCR and select it in ~/.xscreensaver (Linux)
  --force            replace an existing NAME folder and NAME.scr
  --quiet            print nothing but errors

--demo makes the demo saver DEST/velloran/Demo with generated pictures and music, and DEST/Demo.scr linked to
the qv program (found in the build tree beside qv-make unless --program says where).
)";
}

Command ParseCommandLine(const std::vector<std::string>& args) {
    Command cmd;
    cmd.kind = Command::Kind::Make;
    std::vector<std::string> positional;
    bool demo = false, optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw MakeError(arg + " needs a value");
            return args[++i];
        };
        SaverSpec& s = cmd.spec;
        const std::pair<const char*, bool*> flags[] = {{"--demo", &demo},          {"--title", &s.title},
                                                       {"--random", &s.random},    {"--randompos", &s.randomPosition},
                                                       {"--gray", &s.gray},        {"--grey", &s.gray},
                                                       {"--sepia", &s.sepia},      {"--lock", &s.lock},
                                                       {"--force", &s.force},      {"--quiet", &cmd.quiet},
                                                       {"--install", &cmd.install}};
        const auto isFlag =
            std::find_if(std::begin(flags), std::end(flags), [&](const auto& f) { return arg == f.first; });
        if (isFlag != std::end(flags)) {
            if (inlineValue) throw MakeError(arg + " takes no value");
            *isFlag->second = true;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            return HelpCommand();
        } else if (arg == "--music") {
            s.musicPath = value();
        } else if (arg == "--show") {
            s.showSeconds = ParseInt(value(), arg);
        } else if (arg == "--pause") {
            s.pauseSeconds = ParseInt(value(), arg);
        } else if (arg == "--effects") {
            s.effectMask = ParseEffectMask(value());
        } else if (arg == "--fit") {
            const std::string size = value();
            if (size == "none") {
                cmd.fit = Command::Fit::None;
                s.pictureSettings.fit.reset();
                s.pictureSettings.keepJpegs = true;
            } else {
                cmd.fit = Command::Fit::Given;
                s.pictureSettings.fit = ParseSize(size);
                s.pictureSettings.keepJpegs = false;
            }
        } else if (arg == "--quality") {
            s.pictureSettings.quality = ParseInt(value(), arg);
            if (s.pictureSettings.quality < 1 || s.pictureSettings.quality > 100)
                throw MakeError("--quality must be 1 to 100");
        } else if (arg == "--program") {
            s.program = value();
        } else {
            throw MakeError("unknown option " + arg + " (see qv-make --help)");
        }
    }
    if (demo) {
        if (positional.size() != 1) throw MakeError("--demo needs exactly one destination folder");
        cmd.kind = Command::Kind::Demo;
        cmd.spec.dest = positional[0];
        return cmd;
    }
    if (positional.empty()) return HelpCommand();
    if (positional.size() < 2) throw MakeError("missing the saver NAME and its pictures (see qv-make --help)");
    cmd.spec.dest = positional[0];
    cmd.spec.name = positional[1];
    for (std::size_t i = 2; i < positional.size(); ++i)
        cmd.spec.pictures.push_back({positional[i], std::nullopt});
    CheckSpec(cmd.spec);
    return cmd;
}

std::string ApplyDefaultFit(Command& cmd, const std::function<std::optional<Size>()>& screen) {
    if (cmd.kind != Command::Kind::Make || cmd.fit != Command::Fit::Screen) return {};
    const std::optional<Size> size = screen ? screen() : std::nullopt;
    if (!size || size->width < 1 || size->height < 1 || size->width > kMaxJpegSide || size->height > kMaxJpegSide)
        return "no display found: pictures keep their size (--fit WxH shrinks larger ones)";
    cmd.spec.pictureSettings.fit = *size;
    return "pictures larger than the screen, " + std::to_string(size->width) + " x " + std::to_string(size->height) +
           ", are shrunk to fit it (--fit WxH or --fit none chooses otherwise)";
}

std::string FindQvProgram(const std::string& selfPath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path dir = FsPath(selfPath).parent_path();
#ifdef _WIN32
    const char* name = "qv.exe";
    const fs::path shell = fs::path("src") / "platform" / "win32";
#else
    const char* name = "qv";
    const fs::path shell = fs::path("src") / "platform" / "qt";
#endif
    for (const fs::path& candidate : {dir / ".." / ".." / shell / name, dir / name}) {
        if (fs::is_regular_file(candidate, ec)) return Utf8Path(fs::weakly_canonical(candidate, ec));
    }
    return {};
}

} // namespace vis::make
