// SPDX-License-Identifier: GPL-3.0-or-later
// What one click costs on the game's rules alone: the click's move, run through the rules' dispatch
// as the table window runs it, plus the referee's tick that follows it, on the plain table state,
// with the real generator and the real clock (every draw reseeds from the time of day). Plays whole
// games: the player throws, takes every takeable die and stands at 15 or more; the computer plays
// at "Бывалый"; a finished game starts afresh.
//
// bench_handlers [PAIRS]   prints ns per click+tick for each kind of click and "key=value" lines.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "rules/Move.h"

using namespace zarviki;
using Steady = std::chrono::steady_clock;

namespace {

enum Kind { Throw, Take, Stand, Computer, KindCount };
const char *const KindName[KindCount] = {"Command2 (throw) + tick", "Command1 (take) + tick",
                                         "Command3 (stand) + tick", "Command4 (computer) + tick"};
const char *const KindKey[KindCount] = {"throw", "take", "stand", "computer"};
const Move KindMove[KindCount] = {Move::Command2Click, Move::Command1Click, Move::Command3Click, Move::Command4Click};

bool hasFace(const DieButton &die) { return !die.Caption.empty() && die.Caption[0] >= '0' && die.Caption[0] <= '5'; }

int takeableDie(const TableState &s)
{
    for (int i = 0; i < DiceCount; ++i)
        if (s.Command1[i].Top == OnTable && s.Command1[i].Enabled && hasFace(s.Command1[i]))
            return i;
    return -1;
}

bool over(const TableState &s) { return !s.Command2.Enabled && !s.Command3.Enabled && !s.Command4.Enabled; }

// The next click a player would make.
Kind nextClick(const TableState &s, int &die)
{
    die = -1;
    if (s.Command4.Enabled)
        return Computer;
    if (leadingNumber(s.Label1.Caption) >= 15)
        return Stand;
    die = takeableDie(s);
    return die >= 0 ? Take : Throw;
}

double clockCostNs()
{
    constexpr int n = 1'000'000;
    const auto start = Steady::now();
    Steady::time_point last{};
    for (int i = 0; i < n; ++i)
        last = Steady::now();
    return std::chrono::duration<double, std::nano>(last - start).count() / n;
}

}  // namespace

int main(int argc, char **argv)
{
    const long long pairs = argc > 1 ? std::max(1LL, std::atoll(argv[1])) : 2'000'000;
    std::random_device entropy;
    ClockSeededGenerator chance((std::uint64_t(entropy()) << 32) | entropy());
    TimeOfDay clock;
    Draws draws(chance, clock);
    const LevelOptions level{};  // "Бывалый"
    const double clockNs = clockCostNs();

    long long count[KindCount] = {};
    double spentNs[KindCount] = {};
    double worstNs[KindCount] = {};
    long long games = 1, roundsWon = 0;
    TableState s;
    const auto start = Steady::now();
    for (long long n = 0; n < pairs; ++n) {
        if (over(s)) {
            roundsWon += (s.Label7.Caption[0] - '0') + (s.Label8.Caption[0] - '0');
            s = TableState{};
            ++games;
        }
        int die = -1;
        const Kind kind = nextClick(s, die);
        const auto t0 = Steady::now();
        apply(s, KindMove[kind], die, draws, level);
        timer1Tick(s);
        const auto t1 = Steady::now();
        const double ns = std::chrono::duration<double, std::nano>(t1 - t0).count() - clockNs;
        ++count[kind];
        spentNs[kind] += ns;
        worstNs[kind] = std::max(worstNs[kind], ns);
    }
    const double totalNs = std::chrono::duration<double, std::nano>(Steady::now() - start).count();

    std::printf("one click's handler plus the referee's tick, %lld clicks in %lld games (%lld rounds won):\n", pairs,
                games, roundsWon);
    double slowest = 0;
    for (int k = 0; k < KindCount; ++k) {
        const double mean = count[k] ? spentNs[k] / count[k] : 0;
        slowest = std::max(slowest, mean);
        std::printf("  %-28s %9lld clicks  %9.1f ns mean  %9.1f ns max\n", KindName[k], count[k], mean, worstNs[k]);
    }
    std::printf("  all clicks, the whole loop timed at once: %.1f ns per click+tick (the clock read costs %.1f ns, "
                "taken off the figures above)\n",
                totalNs / pairs, clockNs);
    for (int k = 0; k < KindCount; ++k)
        std::printf("%s_ns=%.1f\n", KindKey[k], count[k] ? spentNs[k] / count[k] : 0);
    std::printf("all_ns=%.1f\nslowest_ns=%.1f\n", totalNs / pairs, slowest);
    // Keeps the state alive for the optimiser.
    return s.Label1.Caption.size() > 1000 ? 1 : 0;
}
