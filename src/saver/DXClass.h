#pragma once
// The frame timer: ticks from the application's idle processing once Interval milliseconds have passed since
// the start of the previous tick, only while the application is active when ActiveOnly is set. Besides the
// classic polling it tells the shell when the next tick is due, so a shell can sleep until then.
#include "platform/Clock.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace vis {

class TCustomDXTimer;
using TNotifyEvent = std::function<void(TCustomDXTimer& sender)>;
using TDXTimerEvent = std::function<void(TCustomDXTimer& sender, std::int32_t lagCount)>;

class TCustomDXTimer {
  public:
    // appActive reports whether the application is active right now.
    TCustomDXTimer(Clock& clock, std::function<bool()> appActive);
    virtual ~TCustomDXTimer();
    TCustomDXTimer(const TCustomDXTimer&) = delete;
    TCustomDXTimer& operator=(const TCustomDXTimer&) = delete;

    bool ActiveOnly() const { return activeOnly_; }
    void SetActiveOnly(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    std::int32_t Interval() const { return interval_; }
    void SetInterval(std::int32_t value);

    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TDXTimerEvent OnTimer;

    // Load completion: the window definition has set the properties; starts ticking when Enabled.
    void Loaded();
    // The application's activated (true) or deactivated (false) message.
    void WatchActivation(bool activated);
    // The idle handler: fires a tick when the interval has passed. Does nothing while detached.
    void PollClock();

    // How many ticks have fired; a shell compares it to learn whether its idle call ran one.
    std::uint64_t TickCount() const { return tickCount_; }
    bool Running() const { return running_; }
    bool IdleAttached() const { return attached_; }
    // Milliseconds until the next tick is due (0 when due now); nullopt while no idle handler is attached.
    std::optional<std::uint32_t> MsUntilDue();
    // The clock reading at which the next tick is due: the last tick's start plus the interval. It may lie in
    // the past when the tick is overdue.
    std::uint32_t DueTime() const { return lastTickTime_ + static_cast<std::uint32_t>(interval_); }

  private:
    void SignalActivate();
    void SignalDeactivate();
    void SignalTick(std::int32_t lagCount);
    void StartTicking();
    void StopTicking();
    void AttachIdle();
    void DetachIdle();

    Clock& clock_;
    std::function<bool()> appActive_;
    bool activeOnly_ = true;
    bool enabled_ = true;
    std::int32_t interval_ = 1000;
    std::int32_t lagDivisor_ = 1000;
    bool running_ = false;
    bool attached_ = false;
    bool loading_ = true;
    std::uint32_t lastTickTime_ = 0;
    std::uint64_t tickCount_ = 0;
};

// The timer as a window definition places it.
class TDXTimer : public TCustomDXTimer {
  public:
    using TCustomDXTimer::TCustomDXTimer;
};

} // namespace vis
