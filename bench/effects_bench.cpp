// Transition effects: every step of both phases of all sixteen effects on a full-screen picture, against
// copying a frame of the same size twice (frame into Composite, Composite onto the window), the least any step
// that composes and presents can cost. Each phase is run whole and every step timed on its own; the best time
// of each step over the iterations counts, and the ratios give the mean step and the worst step of the phase.
#include "effects/Effects.h"
#include "gfx/Bitmap.h"
#include "platform/headless/Headless.h"
#include "saver/Unqv.h"
#include "support/Ratios.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
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

// A saver window of w × h holding a picture of pw × ph in all four picture bitmaps.
struct Saver {
    Saver(std::int32_t w, std::int32_t h, std::int32_t pw, std::int32_t ph)
        : window(w, h), fm(std::make_unique<TFmqv>(SaverPlatform{app, window, clock, system, media, "/b/Bench.scr",
                                                                 PathStyle::Posix, 1, std::nullopt, true})) {
        fm->FitToScreen();
        fm->Randomize();
        fm->PicturesLoaded = true;
        fm->CurrentPicture = fm->NextPicture = fm->CurrentFrame = fm->NextFrame = Card(pw, ph);
    }
    HeadlessApplication app;
    HeadlessWindow window;
    VirtualClock clock;
    RecordingSystemSettings system;
    ScriptedMediaDevice media;
    std::unique_ptr<TFmqv> fm;
};

double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Args: effect number, phase (0 out, 1 in), window width and height, picture width and height. One iteration
// is one whole phase, prepared as the state machine prepares it; the counters are the mean and the worst step.
void BM_EffectPhase(benchmark::State& state) {
    const auto n = static_cast<int>(state.range(0));
    const bool out = state.range(1) == 0;
    const auto w = static_cast<std::int32_t>(state.range(2)), h = static_cast<std::int32_t>(state.range(3));
    const auto pw = static_cast<std::int32_t>(state.range(4)), ph = static_cast<std::int32_t>(state.range(5));
    Saver s(w, h, pw, ph);
    TFmqv& fm = *s.fm;
    std::array<double, 20> best;
    best.fill(std::numeric_limits<double>::max());
    const auto prepare = [&] {
        const Bitmap& frame = out ? fm.CurrentFrame : fm.NextFrame;
        fm.TrailMask.SetSize(frame.Width(), frame.Height());
        fm.TrailMask.FillAll(out ? clWhite : clBlack);
        fm.TrailMask.brushColor = out ? clBlack : clWhite;
        fm.EffectNo = static_cast<EffectNumber>(n);
        fm.EffectStep = 0;
        fm.SlideState = out ? kPictureGoesOut : kPictureComesIn;
    };
    // One phase untimed first: the scratch bitmaps are then at their size and their memory mapped, as in a
    // running show; what a step costs beyond that, every time, is what the table shows.
    prepare();
    for (int k = 1; k <= 20; ++k)
        fm.StepTransition();
    for (auto _ : state) {
        prepare();
        double phase = 0;
        for (std::size_t k = 0; k < best.size(); ++k) {
            const double t0 = ThreadSeconds();
            fm.StepTransition();
            const double t = ThreadSeconds() - t0;
            benchmark::DoNotOptimize(fm.Screen().Bits());
            best[k] = std::min(best[k], t);
            phase += t;
        }
        state.SetIterationTime(phase);
    }
    double sum = 0, worst = 0;
    for (double t : best) {
        sum += t;
        worst = std::max(worst, t);
    }
    state.counters["mean_step_s"] = sum / static_cast<double>(best.size());
    state.counters["worst_step_s"] = worst;
    state.SetLabel(std::string(EffectName(n)) + (out ? " out" : " in"));
}

// A buffer of `bytes` starting `offset` bytes into a page: the floor's buffers lie at different offsets within
// their pages, as buffers that stream at full speed must (at equal offsets every load would seem to depend on
// the store 4096 bytes before it).
struct PageBuffer {
    PageBuffer(std::size_t bytes, std::size_t offset)
        : base(static_cast<std::uint8_t*>(std::aligned_alloc(4096, (bytes + offset + 4095) / 4096 * 4096))),
          data(base + offset) {
        std::memset(data, 0x5A, bytes);
    }
    ~PageBuffer() { std::free(base); }
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    std::uint8_t* base;
    std::uint8_t* data;
};

// The floor: a frame copied into Composite, then Composite onto the window.
void BM_CopyTwice(benchmark::State& state) {
    const auto w = static_cast<std::size_t>(state.range(0)), h = static_cast<std::size_t>(state.range(1));
    const std::size_t bytes = (w * 3 + 3) / 4 * 4 * h;
    PageBuffer frame(bytes, 0), composite(bytes, 1024 + 64), screen(bytes, 2048 + 128);
    for (auto _ : state) {
        std::memcpy(composite.data, frame.data, bytes);
        std::memcpy(screen.data, composite.data, bytes);
        benchmark::DoNotOptimize(screen.data);
        benchmark::ClobberMemory();
    }
}

struct Size {
    std::int32_t w, h;
};
constexpr Size kScreens[] = {{1920, 1080}, {3840, 2160}};

std::string Dims(Size s) {
    return std::to_string(s.w) + "/" + std::to_string(s.h);
}

// Effects 2..16 draw; Normal (1) only hands over the phase, so its steps take next to no time and a minimum
// run time would repeat the untimed preparation for ever: it runs a fixed number of phases instead.
void EffectArgs(benchmark::internal::Benchmark* b, int first, int last) {
    for (const Size& s : kScreens)
        for (int n = first; n <= last; ++n)
            for (int phase : {0, 1})
                b->Args({n, phase, s.w, s.h, s.w, s.h});
}
void DrawingEffects(benchmark::internal::Benchmark* b) {
    EffectArgs(b, 2, 16);
}
void NormalEffect(benchmark::internal::Benchmark* b) {
    EffectArgs(b, 1, 1);
}

BENCHMARK(BM_CopyTwice)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectPhase)->Apply(DrawingEffects)->UseManualTime()->MinTime(0.5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EffectPhase)->Apply(NormalEffect)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    std::vector<vis::bench::Ratio> ratios;
    for (const Size& s : kScreens) {
        const std::string size = std::to_string(s.w) + "x" + std::to_string(s.h);
        for (int n = 1; n <= 16; ++n)
            for (int phase : {0, 1}) {
                const std::string name =
                    "BM_EffectPhase/" + std::to_string(n) + "/" + std::to_string(phase) + "/" + Dims(s) + "/" + Dims(s);
                const std::string label =
                    std::string(vis::EffectName(n)) + (phase == 0 ? " out " : " in ") + size + " / copy twice";
                ratios.push_back({label + ", mean step", name + ":mean_step_s", "BM_CopyTwice/" + Dims(s), 3.0});
                ratios.push_back({label + ", worst step", name + ":worst_step_s", "BM_CopyTwice/" + Dims(s), 3.0});
            }
    }
    return vis::bench::RunWithRatios(argc, argv, ratios);
}
