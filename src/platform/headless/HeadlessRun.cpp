#include "platform/headless/HeadlessRun.h"

namespace vis {

namespace {
// With an interval of 0 the polling loop ticks on every idle call, many times within one millisecond. A
// virtual millisecond holds this many such ticks before the clock is moved on by one, so a run always ends.
constexpr std::uint32_t kMaxTicksPerMs = 1000;
} // namespace

HeadlessRun::HeadlessRun(const HeadlessRunOptions& options)
    : clock(options.clockStart), window(options.screenWidth, options.screenHeight), media(&clock),
      start_(options.clockStart), awaitDecodesAhead_(options.awaitDecodesAhead) {
    media.pieceLengthMs = options.musicLengthMs;
    SaverPlatform platform{app,
                           window,
                           clock,
                           system,
                           media,
                           options.programPath,
                           options.style,
                           options.seed,
                           options.dataFolder,
                           options.leaveDataFolderAlone,
                           options.decodeAhead};
    app.SetTitle("Vistrelle");
    session_ = std::make_unique<SaverSession>(platform);
    media.Update(clock.NowMs());
}

HeadlessRun::~HeadlessRun() = default;

std::uint32_t HeadlessRun::Elapsed() const {
    return clock.Now() - start_;
}

template <class Call> void HeadlessRun::Record(Call&& call) {
    const std::size_t before = app.errors.size();
    std::forward<Call>(call)();
    for (std::size_t i = before; i < app.errors.size(); ++i) {
        errors.push_back({Elapsed(), app.errors[i]});
        if (onError) onError(errors.back());
    }
}

void HeadlessRun::Open() {
    // The window appears, and with it the application becomes active.
    Record([this] { session_->Start([this] { app.active = true; }); });
}

void HeadlessRun::MoveClockTo(std::uint32_t elapsed) {
    clock.Set(start_ + elapsed);
    // The music's completion notice is a message: it is handled before the idle processing of the same moment.
    Record([this] { media.Update(clock.NowMs()); });
}

bool HeadlessRun::RunNext(std::uint32_t until) {
    if (Ended()) return false;
    const std::uint32_t now = Elapsed();
    std::optional<std::uint32_t> timerIn = session_->DueInMs();
    if (timerIn && *timerIn == 0 && lastTickAt_ == now && sameMsTicks_ >= kMaxTicksPerMs) timerIn = 1;
    const std::optional<std::uint32_t> musicIn = media.MsUntilEnd();
    if (!timerIn && !musicIn) return false;
    const bool musicFirst = musicIn && (!timerIn || *musicIn <= *timerIn);
    const std::uint64_t at = std::uint64_t{now} + (musicFirst ? *musicIn : *timerIn);
    if (at > until) return false;
    MoveClockTo(static_cast<std::uint32_t>(at));
    if (!musicFirst) {
        if (awaitDecodesAhead_) session_->Form().AwaitDecodesAhead();
        Tick();
    }
    return true;
}

void HeadlessRun::RunUntil(std::uint32_t until) {
    while (RunNext(until)) {
    }
    if (!Ended() && Elapsed() < until) MoveClockTo(until);
}

void HeadlessRun::Tick() {
    TFmqv& fm = session_->Form();
    const int stateBefore = fm.SlideState;
    const bool loadedBefore = fm.PicturesLoaded;
    SaverTick result;
    Record([this, &result] { result = session_->Tick(); });
    if (!result.ran) return;

    const std::uint32_t now = Elapsed();
    sameMsTicks_ = now == lastTickAt_ ? sameMsTicks_ + 1 : 1;
    lastTickAt_ = now;
    if (!loadedBefore && fm.PicturesLoaded && !fm.Closing()) nextShown_ = fm.NextPictureNumber();

    HeadlessTick tick;
    tick.t = now;
    tick.state = stateBefore;
    tick.picture = fm.PictureNo;
    tick.next = nextShown_;
    if (fm.EffectNo >= 1 && fm.EffectNo <= 16) tick.effect = fm.EffectNo;
    tick.step = fm.EffectStep;
    tick.interval = fm.Timer1.Interval();
    tick.drawn = result.drawn;
    ticks.push_back(tick);
    if (onTick) onTick(ticks.back());
}

void HeadlessRun::SetActive(bool active) {
    app.active = active;
    Record([this, active] { session_->SetActive(active); });
}

void HeadlessRun::KeyDown(int key) {
    Record([this, key] { session_->KeyDown(key, 0); });
}

void HeadlessRun::MouseDown() {
    Record([this] { session_->MouseDown(0, 0, 0, 0); });
}

void HeadlessRun::MouseMove(int x, int y) {
    Record([this, x, y] { session_->MouseMove(0, x, y); });
}

} // namespace vis
