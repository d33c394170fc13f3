#pragma once
// The demo data's random numbers: a fixed-seed SplitMix64 generator with its
// own range arithmetic, so the same seed gives the same station on every
// machine and library version.
#include <cstdint>

namespace velta::station {

class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed)
        : state_(seed)
    {
    }

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A whole number from low to high, both included.
    std::int64_t range(std::int64_t low, std::int64_t high)
    {
        if (high <= low)
            return low;
        return low + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(high - low + 1));
    }
    // True with the given chance in per cent.
    bool chance(int percent) { return range(0, 99) < percent; }
    // An index chosen by weights (weights sum > 0).
    template <class Container>
    int weighted(const Container& weights)
    {
        std::int64_t total = 0;
        for (auto w : weights)
            total += w;
        std::int64_t pick = range(0, total - 1);
        int index = 0;
        for (auto w : weights) {
            if (pick < w)
                return index;
            pick -= w;
            ++index;
        }
        return index - 1;
    }

private:
    std::uint64_t state_;
};

} // namespace velta::station
