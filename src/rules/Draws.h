// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Random draws for the dice. Every draw is preceded by a reseed from the time of day, as the
// game has always done; the generator and the clock come in from outside so tests can fix them.

#include <cstdint>

namespace zarviki {

// A generator of draws uniform over [0, 1) that can be reseeded from a number.
class Chance {
public:
    virtual ~Chance() = default;
    virtual void reseed(double seed) = 0;
    virtual float draw() = 0;
};

// The time of day in seconds since midnight, with its fraction.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double secondsSinceMidnight() = 0;
};

// What the throws use: reseed from the clock, then draw.
class Draws {
public:
    Draws(Chance &chance, Clock &clock) : m_chance(chance), m_clock(clock) {}
    float next()
    {
        m_chance.reseed(m_clock.secondsSinceMidnight());
        return m_chance.draw();
    }

private:
    Chance &m_chance;
    Clock &m_clock;
};

// The game's generator. Its state has two parts: a running 64-bit sequence that every draw
// advances and no reseed touches, and a seed word that each reseed replaces with a hash of the
// clock reading. A draw mixes the two, so draws reseeded from one unchanged reading still
// differ and do not repeat, cancel out or correlate, while a new reading still changes the draw.
class ClockSeededGenerator final : public Chance {
public:
    explicit ClockSeededGenerator(std::uint64_t sequence) : m_sequence(sequence) {}
    void reseed(double seed) override;
    float draw() override;

private:
    std::uint64_t m_sequence;
    std::uint64_t m_seedWord = 0;
};

// The real clock of the machine.
class TimeOfDay final : public Clock {
public:
    double secondsSinceMidnight() override;
};

}  // namespace zarviki
