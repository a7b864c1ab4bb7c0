// A change of picture through the state machine with the effects the input names: the current picture goes
// out with one effect, the next one comes in with another, each picture and the screen of a size from 1 x 1 to
// 4096 x 4096 the input picks. Each phase must take its exact number of steps, end in its next state, and the
// state machine must then show the next picture whole at its place.
#include "FuzzInput.h"

#include "effects/Effects.h"
#include "platform/headless/Headless.h"
#include "saver/Unqv.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

using vis::Bitmap;
using vis::fuzz::FuzzInput;

// Pixels per bitmap at most: large sides come with a thin other side, so one input stays a few milliseconds
// and the fuzzer keeps its pace. Both thin extremes (4096 x 4, 4 x 4096) and squares up to 128 x 128 fit.
constexpr std::int64_t kMaxArea = 1 << 14;
constexpr std::int32_t kMaxSide = 4096;

struct Size {
    std::int32_t w, h;
};

// The input's width and height, each 1..4096; when their area is over the cap, the second side gives way.
Size PickSize(FuzzInput& in) {
    const std::int32_t w = 1 + in.Word() % kMaxSide;
    std::int32_t h = 1 + in.Word() % kMaxSide;
    if (std::int64_t{w} * h > kMaxArea) h = std::max<std::int32_t>(1, static_cast<std::int32_t>(kMaxArea / w));
    return {w, h};
}

// Never pure black or white, so a picture pixel is never mistaken for a mask colour.
Bitmap Card(Size s, std::uint8_t tint) {
    Bitmap b(s.w, s.h);
    for (std::int32_t y = 0; y < s.h; ++y) {
        std::uint8_t* row = b.Row(y);
        for (std::int32_t x = 0; x < s.w; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(1 + (x + tint) % 250);
            row[3 * x + 1] = static_cast<std::uint8_t>(1 + (y * 3 + tint) % 250);
            row[3 * x + 2] = static_cast<std::uint8_t>(0x80 ^ tint);
        }
    }
    return b;
}

void Tick(vis::TFmqv& fm) {
    fm.Timer1Timer(fm.Timer1, 0);
}

// Runs one phase to its end; the number of ticks it took, or nullopt when it did not end.
std::optional<int> RunPhase(vis::TFmqv& fm, int state) {
    for (int ticks = 1; ticks <= 40; ++ticks) {
        Tick(fm);
        if (fm.SlideState != state) return ticks;
    }
    return std::nullopt;
}

// The window shows `b` at `at`, clipped to the screen.
bool Shows(const vis::ScreenImage& screen, const Bitmap& b, vis::Point at) {
    const std::int32_t x0 = std::max(0, at.x), y0 = std::max(0, at.y);
    const std::int32_t x1 = std::min(screen.Width(), at.x + b.Width()),
                       y1 = std::min(screen.Height(), at.y + b.Height());
    for (std::int32_t y = y0; y < y1; ++y)
        for (std::int32_t x = x0; x < x1; ++x)
            if (screen.Pixel(x, y) != b.Pixel(x - at.x, y - at.y)) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const int outEffect = 1 + in.Byte() % 16;
    const int inEffect = 1 + in.Byte() % 16;
    const Size current = PickSize(in);
    const Size next = PickSize(in);
    const Size screen = PickSize(in);
    const std::uint8_t flags = in.Byte();
    const std::uint64_t seed = in.Byte();

    vis::HeadlessApplication app;
    vis::HeadlessWindow window(screen.w, screen.h);
    vis::VirtualClock clock;
    vis::RecordingSystemSettings system;
    vis::ScriptedMediaDevice media;
    vis::TFmqv fm(vis::SaverPlatform{app, window, clock, system, media, "/saver/Saver.scr", vis::PathStyle::Posix, seed,
                                     "/nonexistent/velloran/Saver", true});
    fm.FitToScreen();
    fm.Randomize();
    fm.RandomPosition = flags & 1;
    fm.FirstRound = flags & 2;

    // What a load leaves: the pictures and their fresh working copies.
    fm.CurrentPicture = Card(current, 17);
    fm.NextPicture = Card(next, 99);
    fm.CurrentFrame = fm.CurrentPicture;
    fm.NextFrame = fm.NextPicture;
    fm.PicturesLoaded = true;
    fm.SlideState = kLayOutPicture;

    Tick(fm); // state 1: shows the picture, prepares the out phase
    if (fm.SlideState != 2) std::abort();
    fm.EffectNo = static_cast<EffectNumber>(outEffect);
    const auto outTicks = RunPhase(fm, 2);
    if (!outTicks || fm.SlideState != 3 || *outTicks != (outEffect == 1 ? 1 : 20)) std::abort();

    Tick(fm); // state 3: blacks the picture out, places the next one, prepares the in phase
    if (fm.SlideState != 4) std::abort();
    fm.EffectNo = static_cast<EffectNumber>(inEffect);
    const auto inTicks = RunPhase(fm, 4);
    if (!inTicks || fm.SlideState != 5 || *inTicks != (inEffect == 1 ? 1 : 20)) std::abort();

    Tick(fm); // state 5: the next picture whole, and a reload asked for
    if (fm.PicturesLoaded) std::abort();
    if (!Shows(fm.Screen(), fm.NextFrame, fm.PlacePicture(fm.NextFrame))) std::abort();
    if (!app.errors.empty()) std::abort();
    return 0;
}
