// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the test suites, the rules suites among them: a scripted generator and fixed clocks.
// The windows' own fixture is WindowSupport.h.

#include <deque>
#include <vector>

#include "rules/Draws.h"

namespace zarviki::testing {

// Hands out the draws it is given, in order (0 when it runs dry), and records every reseed.
class ScriptedChance final : public Chance {
public:
    std::deque<float> draws;
    std::vector<double> reseeds;
    int drawsMade = 0;

    void reseed(double seed) override { reseeds.push_back(seed); }
    float draw() override
    {
        ++drawsMade;
        if (draws.empty())
            return 0.0f;
        const float d = draws.front();
        draws.pop_front();
        return d;
    }
    // Queues one throw: five faces' draws, then five takeable flags' draws.
    void queueThrow(const std::vector<float> &faces, const std::vector<float> &flags)
    {
        draws.insert(draws.end(), faces.begin(), faces.end());
        draws.insert(draws.end(), flags.begin(), flags.end());
    }
};

// A clock whose reading only changes when a test moves it.
class FixedClock final : public Clock {
public:
    double now = 43200.25;
    int readings = 0;
    double secondsSinceMidnight() override
    {
        ++readings;
        return now;
    }
};

// A clock that moves on by a microsecond at every reading, as the time of day does between draws.
class CreepingClock final : public Clock {
public:
    explicit CreepingClock(double start) : m_t(start) {}
    double secondsSinceMidnight() override { return m_t += 1e-6; }

private:
    double m_t;
};

// The draw that gives face f (0..5), and the draws that make a die takeable or not.
constexpr float face(int f) { return (f + 0.5f) / 6.0f; }
constexpr float takeable = 0.75f;
constexpr float untakeable = 0.25f;

}  // namespace zarviki::testing
