#pragma once
#include <cstdint>

namespace vis {

// The multimedia millisecond clock: 32 bits, wrapping.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::uint32_t NowMs() = 0;
};

} // namespace vis
