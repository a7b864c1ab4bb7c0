#include "saver/DXClass.h"

#include <algorithm>

namespace vis {

TCustomDXTimer::TCustomDXTimer(Clock& clock, std::function<bool()> appActive)
    : clock_(clock), appActive_(std::move(appActive)) {}

TCustomDXTimer::~TCustomDXTimer() {
    StopTicking();
}

void TCustomDXTimer::SetActiveOnly(bool value) {
    // While running, a change is applied at once: attach or detach as the new setting asks.
    activeOnly_ = value;
    if (running_ && !loading_) {
        const bool want = !activeOnly_ || appActive_();
        if (want && !attached_) AttachIdle();
        if (!want && attached_) DetachIdle();
    }
}

void TCustomDXTimer::SetEnabled(bool value) {
    if (enabled_ == value) return;
    enabled_ = value;
    if (loading_) return;
    if (enabled_)
        StartTicking();
    else
        StopTicking();
}

void TCustomDXTimer::SetInterval(std::int32_t value) {
    if (value == interval_) return;
    interval_ = std::max(value, 0);
    lagDivisor_ = std::max(value, 1);
}

void TCustomDXTimer::Loaded() {
    loading_ = false;
    if (enabled_) StartTicking();
}

void TCustomDXTimer::StartTicking() {
    StopTicking();
    if (!activeOnly_ || appActive_()) AttachIdle();
    running_ = true;
}

void TCustomDXTimer::StopTicking() {
    if (!running_) return;
    DetachIdle();
    running_ = false;
}

void TCustomDXTimer::AttachIdle() {
    lastTickTime_ = clock_.NowMs();
    attached_ = true;
}

void TCustomDXTimer::DetachIdle() {
    attached_ = false;
}

void TCustomDXTimer::WatchActivation(bool activated) {
    if (activated) {
        SignalActivate();
        if (running_ && activeOnly_) AttachIdle();
    } else {
        SignalDeactivate();
        if (running_ && activeOnly_) DetachIdle();
    }
}

void TCustomDXTimer::PollClock() {
    if (!attached_) return;
    const std::uint32_t now = clock_.NowMs();
    const auto elapsed = static_cast<std::int32_t>(now - lastTickTime_);
    if (elapsed < interval_) return;
    lastTickTime_ = now;
    const std::int32_t lag = std::max(elapsed / lagDivisor_, 1);
    ++tickCount_;
    SignalTick(lag);
}

std::optional<std::uint32_t> TCustomDXTimer::MsUntilDue() {
    if (!attached_) return std::nullopt;
    // The same test as PollClock's: due once the signed 32-bit elapsed time reaches the interval. An elapsed
    // time that reads negative (more than 2^31 ms since the last tick) waits until the difference turns
    // non-negative again, as the polling loop would; the 64-bit sum then still fits the result.
    const auto elapsed = static_cast<std::int32_t>(clock_.NowMs() - lastTickTime_);
    if (elapsed >= interval_) return 0u;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(interval_) - elapsed);
}

void TCustomDXTimer::SignalActivate() {
    if (OnActivate) OnActivate(*this);
}

void TCustomDXTimer::SignalDeactivate() {
    if (OnDeactivate) OnDeactivate(*this);
}

void TCustomDXTimer::SignalTick(std::int32_t lagCount) {
    if (OnTimer) OnTimer(*this, lagCount);
}

} // namespace vis
