#include "saver/Random.h"

namespace vis {

void RandomGenerator::Seed(std::uint64_t seed) {
    for (auto& word : s_) {
        seed += 0x9E3779B97F4A7C15ull;
        std::uint64_t z = seed;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        word = z ^ (z >> 31);
    }
}

static std::uint64_t Rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

std::uint64_t RandomGenerator::Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
}

std::int32_t RandomGenerator::Below(std::int32_t n) {
    if (n <= 0) return 0;
    const auto range = static_cast<std::uint64_t>(n);
    // Reject the top sliver of the 64-bit range that would favour small values.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    std::uint64_t v;
    do
        v = Next();
    while (v >= limit);
    return static_cast<std::int32_t>(v % range);
}

} // namespace vis
