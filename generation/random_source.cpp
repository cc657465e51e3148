#include "random_source.h"

#include <chrono>

namespace kolvara {

std::int32_t RandomSource::RandomBelow(std::int32_t n)
{
    state_ = state_ * 134775813u + 1u;
    return std::int32_t((std::uint64_t(state_) * std::uint32_t(n)) >> 32);
}

std::uint32_t systemMillisecondsSinceMidnightUtc()
{
    using namespace std::chrono;
    const auto now = time_point_cast<milliseconds>(system_clock::now());
    const auto sinceMidnight = now - floor<days>(now);
    return std::uint32_t(sinceMidnight.count());
}

}  // namespace kolvara
