// SPDX-License-Identifier: GPL-3.0-or-later
// Long random games on the rules: a restless user clicks whatever the window would let through,
// with the referee's ticks falling in between or not, at every level, and every state reached
// must be one the game can show.

#include <QtTest>
#include <chrono>
#include <cstdlib>

#include "TableWalk.h"
#include "TestSupport.h"

using namespace zarviki;
using namespace zarviki::testing;

namespace {

#ifndef ZARVIKI_PROPERTY_STEPS
#define ZARVIKI_PROPERTY_STEPS 1000000
#endif

// ZARVIKI_PROPERTY_STEPS in the environment overrides the build's number of steps.
long long stepsToRun()
{
    if (const char *env = std::getenv("ZARVIKI_PROPERTY_STEPS"))
        return std::atoll(env);
    return ZARVIKI_PROPERTY_STEPS;
}

struct Tally {
    long long steps = 0, games = 0, rounds = 0, busts = 0, banks = 0;
    long long playerWins[3] = {}, computerWins[3] = {};  // by level
};

std::string describe(const TableState &s)
{
    std::string out;
    for (const DieButton &d : s.Command1)
        out += "[" + d.Caption + (d.Top == SetAside ? "^" : "") + (d.Enabled ? "" : "-") + "]";
    out += " buttons " + std::string(s.Command2.Enabled ? "1" : "0") + (s.Command3.Enabled ? "1" : "0")
        + (s.Command4.Enabled ? "1" : "0") + (s.Command5.Visible ? " save" : "");
    out += " current " + s.Label1.Caption + " totals " + s.Label4.Caption + ":" + s.Label5.Caption + " rounds "
        + s.Label7.Caption + ":" + s.Label8.Caption + " status \"" + s.Label10.Caption + "\"";
    return out;
}

}  // namespace

class TablePropertyTest : public QObject {
    Q_OBJECT

private slots:
    void randomGames()
    {
        const long long total = stepsToRun();
        QVERIFY(total > 0);
        Tally tally;
        const auto started = std::chrono::steady_clock::now();
        for (std::uint64_t game = 1; tally.steps < total; ++game) {
            const Level level = Level(game % 3);
            // Every other game is played with dice loaded for the player.
            LoadedChance chance(game * 0x9E3779B97F4A7C15ULL);
            const bool loaded = game % 2 == 0;
            CreepingClock clock(3600.0 * (game % 24));
            Draws draws(chance, clock);
            RandomUser user(game);
            TableState s;
            GameHistory history;
            int afterEnd = 0;
            const auto fail = [&](int step, int action, const std::string &what) {
                QFAIL(qPrintable(QStringLiteral("game %1 (%2), step %3 after %4: %5\n  %6")
                                     .arg(game).arg(QString::fromUtf8(levelName(level))).arg(step)
                                     .arg(QString::fromLatin1(actionName(action))).arg(QString::fromStdString(what))
                                     .arg(QString::fromStdString(describe(s)))));
            };
            for (int step = 0; afterEnd < 40 && step < 20000 && tally.steps < total; ++step, ++tally.steps) {
                const int action = user.next(s);
                const TableState before = s;
                chance.lean = !loaded ? LoadedChance::Fair : action == Throw ? LoadedChance::High : LoadedChance::Low;
                apply(s, action, draws, options(level));
                if (action == Tick && before.Label7.Caption != s.Label7.Caption)
                    ++tally.rounds;
                if (action == Tick && before.Label8.Caption != s.Label8.Caption)
                    ++tally.rounds;
                if (action == Throw && !s.Command2.Enabled)
                    ++tally.busts;
                if (action == ComputerMove && !s.Command4.Enabled)
                    ++(s.Label5.Caption != before.Label5.Caption ? tally.banks : tally.busts);
                std::string problem = checkShape(s);
                if (problem.empty() && action == Tick)
                    problem = checkRefereed(s);
                if (problem.empty())
                    problem = history.check(s);
                if (problem.empty() && action != Tick && action != Save && !(s.Label7 == before.Label7
                        && s.Label8 == before.Label8 && s.Label10 == before.Label10 && s.Command5 == before.Command5))
                    problem = "a click did the referee's work";
                if (!problem.empty())
                    return fail(step, action, problem);
                if (history.over())
                    ++afterEnd;
            }
            ++tally.games;
            if (history.over())
                ++(history.status() == PlayerWon ? tally.playerWins : tally.computerWins)[int(level)];
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        qInfo("%lld steps, %lld games, %lld rounds, %lld computer banks, %lld busts, %.2f s", tally.steps, tally.games,
              tally.rounds, tally.banks, tally.busts, seconds);
        for (const Level level : {Level::Krutoy, Level::Byvaly, Level::Lamer})
            qInfo("%s: %lld won by the player, %lld by the computer", levelName(level),
                  tally.playerWins[int(level)], tally.computerWins[int(level)]);
        QCOMPARE(tally.steps, total);
        // The walk must reach the states worth checking: victories of both sides, at every level.
        if (total >= 100000) {
            for (int level = 0; level < 3; ++level) {
                QVERIFY(tally.playerWins[level] >= 5);
                QVERIFY(tally.computerWins[level] >= 5);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TablePropertyTest)
#include "tst_tableproperty.moc"
