#pragma once
#include <cstdint>

namespace vis {

// The run's pseudo-random generator (xoshiro256**, seeded through splitmix64): the same sequence on every
// platform for the same seed, so tests and the renderer can replay a show.
class RandomGenerator {
  public:
    explicit RandomGenerator(std::uint64_t seed = 0) { Seed(seed); }
    void Seed(std::uint64_t seed);
    std::uint64_t Next();
    // Uniform 0 .. n - 1 without modulo bias; 0 when n <= 0.
    std::int32_t Below(std::int32_t n);

  private:
    std::uint64_t s_[4]{};
};

} // namespace vis
