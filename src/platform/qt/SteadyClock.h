#pragma once
// The millisecond clock on the monotonic system clock, the one Qt's timers use, so that a timer armed for
// the time the frame timer reports lands on the tick's due time.
#include "platform/Clock.h"

#include <chrono>
#include <cstdint>

namespace vis {

class SteadyClock : public Clock {
  public:
    std::uint32_t NowMs() override {
        lastRead_ = NowMs64();
        return static_cast<std::uint32_t>(lastRead_);
    }
    // The unwrapped value of the last NowMs, so a due time derived from it can be placed exactly.
    std::int64_t LastReadMs64() const { return lastRead_; }
    // The same clock unwrapped; for measuring.
    static std::int64_t NowMs64() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    static std::int64_t NowUs64() {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

  private:
    std::int64_t lastRead_ = 0;
};

} // namespace vis
