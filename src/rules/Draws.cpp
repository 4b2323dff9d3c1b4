// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Draws.h"

#include <chrono>
#include <cstring>

#include "rules/LocalTime.h"

namespace zarviki {

namespace {

// SplitMix64's finaliser: a bijective 64-bit mix with full avalanche.
std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

}  // namespace

void ClockSeededGenerator::reseed(double seed)
{
    // The seed's bits as they stand (std::bit_cast in a word; the browser build's libc++ lacks it).
    std::uint64_t bits;
    static_assert(sizeof bits == sizeof seed);
    std::memcpy(&bits, &seed, sizeof bits);
    m_seedWord = mix(bits ^ 0x6A09E667F3BCC909ULL);
}

float ClockSeededGenerator::draw()
{
    m_sequence += 0x9E3779B97F4A7C15ULL;
    const std::uint64_t z = mix(m_sequence ^ m_seedWord);
    // The top 24 bits give a single-precision number on a grid over [0, 1): 0 can occur, 1 cannot.
    return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

double TimeOfDay::secondsSinceMidnight()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    const std::tm local = localTime(t);
    const auto fraction = duration_cast<microseconds>(now.time_since_epoch()) % seconds(1);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction.count() / 1e6;
}

}  // namespace zarviki
