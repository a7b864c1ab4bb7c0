// Transition effects: one step of each of effects 3 to 16 on a full-screen picture, against copying a frame of
// the same size twice (frame into Composite, Composite onto the window), the least any step that composes and
// presents can cost.
#include "effects/Effects.h"
#include "gfx/Bitmap.h"
#include "platform/headless/Headless.h"
#include "saver/Unqv.h"
#include "support/Ratios.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace vis;

Bitmap Card(std::int32_t w, std::int32_t h) {
    Bitmap b(w, h);
    for (std::int32_t y = 0; y < h; ++y) {
        std::uint8_t* p = b.Row(y);
        for (std::int32_t x = 0; x < w; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>((x ^ y) | 1);
        }
    }
    return b;
}

// A saver window as large as the picture, holding the picture in all four picture bitmaps.
struct Saver {
    Saver(std::int32_t w, std::int32_t h)
        : window(w, h), fm(std::make_unique<TFmqv>(SaverPlatform{app, window, clock, system, media, "/b/Bench.scr",
                                                                 PathStyle::Posix, 1, std::nullopt, true})) {
        fm->FitToScreen();
        fm->Randomize();
        fm->PicturesLoaded = true;
        fm->CurrentPicture = fm->NextPicture = fm->CurrentFrame = fm->NextFrame = Card(w, h);
    }
    HeadlessApplication app;
    HeadlessWindow window;
    VirtualClock clock;
    RecordingSystemSettings system;
    ScriptedMediaDevice media;
    std::unique_ptr<TFmqv> fm;
};

// Args: effect number, width, height. Each iteration is one out step; the steps run 1..20 over and over, so
// the time is that of an average step of the phase.
void BM_EffectStep(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    const auto w = static_cast<std::int32_t>(state.range(1)), h = static_cast<std::int32_t>(state.range(2));
    Saver s(w, h);
    TFmqv& fm = *s.fm;
    fm.TrailMask.SetSize(w, h);
    fm.TrailMask.FillAll(clWhite);
    fm.TrailMask.brushColor = clBlack;
    fm.EffectNo = n;
    fm.EffectStep = 0;
    std::int64_t steps = 0;
    for (auto _ : state) {
        fm.EffectStep = static_cast<std::int32_t>(steps++ % 20);
        fm.SlideState = 2;
        fm.StepTransition();
        benchmark::DoNotOptimize(fm.Screen().Bits());
    }
    state.SetLabel(EffectName(n));
}

// The floor: a frame copied into Composite, then Composite onto the window.
void BM_CopyTwice(benchmark::State& state) {
    const auto w = static_cast<std::int32_t>(state.range(0)), h = static_cast<std::int32_t>(state.range(1));
    const Bitmap frame = Card(w, h);
    Bitmap composite(w, h), screen(w, h);
    for (auto _ : state) {
        composite.DrawOpaque(0, 0, frame);
        screen.DrawOpaque(0, 0, composite);
        benchmark::DoNotOptimize(screen.Bits());
    }
}

constexpr std::int32_t kSizes[][2] = {{1920, 1080}, {3840, 2160}};

void EffectArgs(benchmark::internal::Benchmark* b) {
    for (const auto& size : kSizes)
        for (int n = 3; n <= 16; ++n)
            b->Args({n, size[0], size[1]});
}

BENCHMARK(BM_CopyTwice)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectStep)->Apply(EffectArgs)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    std::vector<vis::bench::Ratio> ratios;
    for (const auto& size : kSizes) {
        const std::string dims = std::to_string(size[0]) + "/" + std::to_string(size[1]);
        for (int n = 3; n <= 16; ++n)
            ratios.push_back({std::string(vis::EffectName(n)) + " " + std::to_string(size[0]) + "x" +
                                  std::to_string(size[1]) + " / copy twice",
                              "BM_EffectStep/" + std::to_string(n) + "/" + dims, "BM_CopyTwice/" + dims, 3.0});
    }
    return vis::bench::RunWithRatios(argc, argv, ratios);
}
