// The program's one random source: a 32-bit linear congruential generator.
#pragma once

#include <cstdint>
#include <functional>

namespace kolvara {

// Milliseconds since midnight UTC. Passed in so tests can fix the time.
using Clock = std::function<std::uint32_t()>;
std::uint32_t systemMillisecondsSinceMidnightUtc();

class RandomSource {
public:
    explicit RandomSource(std::uint32_t state = 0) : state_(state) {}

    // Advances one step and returns an integer in 0 to n - 1.
    std::int32_t RandomBelow(std::int32_t n);
    void ReseedFromClock(const Clock &clock) { state_ = clock(); }

    std::uint32_t state() const { return state_; }
    void setState(std::uint32_t state) { state_ = state; }

private:
    std::uint32_t state_;
};

}  // namespace kolvara
