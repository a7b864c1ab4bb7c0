// qv-render: runs the slideshow headless on a virtual clock and reports what it does, or renders one step of
// one transition effect.
#include "RenderCommands.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kHelp = R"(usage:
  qv-render timeline DATAFOLDER --screen WxH --until MS [--seed N] [--frames DIR] [--memory-report FILE]
  qv-render effect --effect N --phase out|in --step K --size WxH [--picture FILE] [--seed N] --out FILE.png
  qv-render --help

timeline
  Runs the saver's slideshow on the data folder DATAFOLDER (qor_inf, qor_0, qor_1, ... and the marker files)
  from the creation of its window, in a window of W x H pixels, on a virtual clock that jumps straight to
  each due tick, until MS milliseconds after the window was created. The folder is only read.
  Standard output gets one JSON object per line:
    per tick   {"t": ms since creation, "state": SlideState before the tick, "picture": PictureNo after it,
                "next": number of the picture in NextPicture (null before the first load),
                "effect": EffectNo (null before the first pick), "step": EffectStep after the tick,
                "interval": the timer's interval after the tick,
                "drawn": [x, y, w, h] of the window area the tick changed, or null,
                "frame": file name of the PNG written for the tick (only with --frames, only when it drew)}
    per error  {"t": ms, "error": "the text of the error box"}
  --frames DIR  writes the whole window after each tick that drew as DIR/000001.png, DIR/000002.png, ...
                (the folder is created when missing)
  --seed N      the random generator's seed (effect and picture choice, placement); default 1, so the same
                command gives the same show
  --memory-report FILE
                writes one JSON object to FILE: the process's peak memory ("peak_bytes", and "before_bytes" at
                the start), the largest picture shown, the bytes of one bitmap of its size, the number of
                picture-sized bitmaps the memory rule counts and their bytes, the most bitmaps of that size
                seen at one tick, and the budget (half the physical memory)

effect
  Runs steps 1 to K of effect N (1 Normal, 2 FadeInOut, 3 Sikaku, 4 Tatesen, 5 Yokosen, 6 Seihoukei,
  7 Seihoukei2, 8 En, 9 En2, 10 Tate, 11 Tate2, 12 Yoko, 13 Yoko2, 14 Dai_shou, 15 Tokei, 16 Kazaguruma)
  in the out or in phase on one picture in a W x H window, and writes the picture-sized area that step K
  presented as a PNG file. The picture is the JPEG file given with --picture, centred in the window as the
  show places it (parts outside the window are black), or else a W x H test card in which no pixel is pure
  black or white. K is 1 to 20; steps after the phase has ended (Normal ends after one) change nothing.
  --seed N      as above; default 1

Exit status: 0 done, 1 the work failed, 2 bad command line.
)";

struct UsageError {
    std::string message;
};

template <class T> T Number(std::string_view text, const char* what, T lo, T hi) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi)
        throw UsageError{std::string(what) + " must be a number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not '" + std::string(text) + "'"};
    return value;
}

// W x H with each side 1..16384 and at most 2^25 pixels (what the saver accepts of one picture).
void Size(std::string_view text, const char* what, std::int32_t& w, std::int32_t& h) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) throw UsageError{std::string(what) + " must look like 640x480"};
    w = Number<std::int32_t>(text.substr(0, x), what, 1, 16384);
    h = Number<std::int32_t>(text.substr(x + 1), what, 1, 16384);
    if (std::int64_t{w} * h > (std::int64_t{1} << 25)) throw UsageError{std::string(what) + " is too large"};
}

// The arguments after the subcommand: options with one value each, and the positional ones.
struct Arguments {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;

    Arguments(int argc, char** argv, int first, const std::vector<std::string_view>& known) {
        for (int i = first; i < argc; ++i) {
            const std::string_view a = argv[i];
            if (a.starts_with("--")) {
                bool ok = false;
                for (auto k : known)
                    ok = ok || k == a;
                if (!ok) throw UsageError{"unknown option " + std::string(a)};
                if (i + 1 >= argc) throw UsageError{std::string(a) + " needs a value"};
                for (const auto& o : options)
                    if (o.first == a) throw UsageError{std::string(a) + " is given twice"};
                options.emplace_back(std::string(a), argv[++i]);
            } else {
                positional.emplace_back(a);
            }
        }
    }
    std::optional<std::string> Get(std::string_view name) const {
        for (const auto& o : options)
            if (o.first == name) return o.second;
        return std::nullopt;
    }
    std::string Need(std::string_view name) const {
        if (auto v = Get(name)) return *v;
        throw UsageError{std::string(name) + " is required"};
    }
};

int Timeline(int argc, char** argv) {
    const Arguments args(argc, argv, 2, {"--screen", "--until", "--seed", "--frames", "--memory-report"});
    if (args.positional.size() != 1) throw UsageError{"timeline takes exactly one DATAFOLDER"};
    vis::render::TimelineRequest r;
    r.dataFolder = args.positional[0];
    while (r.dataFolder.size() > 1 && r.dataFolder.back() == '/')
        r.dataFolder.pop_back();
    Size(args.Need("--screen"), "--screen", r.screenWidth, r.screenHeight);
    r.untilMs = Number<std::uint32_t>(args.Need("--until"), "--until", 0, UINT32_MAX);
    if (auto s = args.Get("--seed")) r.seed = Number<std::uint64_t>(*s, "--seed", 0, UINT64_MAX);
    r.framesDir = args.Get("--frames");
    r.memoryReport = args.Get("--memory-report");
    return vis::render::RunTimeline(r, std::cout, std::cerr);
}

int Effect(int argc, char** argv) {
    const Arguments args(argc, argv, 2, {"--effect", "--phase", "--step", "--size", "--picture", "--seed", "--out"});
    if (!args.positional.empty()) throw UsageError{"effect takes no argument '" + args.positional[0] + "'"};
    vis::render::EffectRequest r;
    r.effect = Number<int>(args.Need("--effect"), "--effect", 1, 16);
    const std::string phase = args.Need("--phase");
    if (phase != "out" && phase != "in") throw UsageError{"--phase must be out or in"};
    r.out = phase == "out";
    r.step = Number<int>(args.Need("--step"), "--step", 1, 20);
    Size(args.Need("--size"), "--size", r.width, r.height);
    r.picture = args.Get("--picture");
    if (auto s = args.Get("--seed")) r.seed = Number<std::uint64_t>(*s, "--seed", 0, UINT64_MAX);
    r.outFile = args.Need("--out");
    return vis::render::RunEffect(r, std::cerr);
}

} // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return 0;
    }
    try {
        if (command == "timeline") return Timeline(argc, argv);
        if (command == "effect") return Effect(argc, argv);
        throw UsageError{command.empty() ? "no command given" : "unknown command '" + std::string(command) + "'"};
    } catch (const UsageError& e) {
        std::cerr << "qv-render: " << e.message << "\n(qv-render --help tells how to use it)\n";
        return 2;
    }
}
