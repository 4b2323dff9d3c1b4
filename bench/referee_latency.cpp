// SPDX-License-Identifier: GPL-3.0-or-later
// The referee's latency in the real windows: from a mouse click on a takeable die (its release,
// which is when a push button clicks), made while Timer1 rests, until that die reads "X" and is
// disabled. Plays the game with the real generator and clock: throws, takes every takeable die,
// plays the computer's throws when the move is its, and starts a new game when one ends. A bare
// 1 ms timer, timed the same way, shows what the platform itself adds.
//
// bench_referee_latency [CLICKS]   prints the figures and "key=value" lines for bench/run.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "app/Shell.h"
#include "look/Look.h"
#include "registration/Form2.h"
#include "table/Form1.h"

using namespace zarviki;

namespace {

long long ticks = 0;  // timeouts of Timer1 seen so far

// Lets the referee run until Timer1 rests; false if it never does.
bool untilResting(Form1 *table)
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    watchdog.start(1000);
    while (table->Timer1->isActive() && watchdog.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !table->Timer1->isActive();
}

void click(QPushButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
}

int takeableDie(const TableState &s)
{
    for (int i = 0; i < DiceCount; ++i)
        if (s.Command1[i].Top == OnTable && s.Command1[i].Enabled)
            return i;
    return -1;
}

struct Game {
    std::unique_ptr<Shell> shell;
    Form1 *table = nullptr;
};

Game newGame(Chance &chance, Clock &clock)
{
    Game g;
    g.shell = std::make_unique<Shell>(chance, clock);
    g.shell->start();
    click(g.shell->form2()->Command1);  // "ОК"
    g.table = g.shell->form1();
    if (!QTest::qWaitForWindowExposed(g.table))
        std::fprintf(stderr, "the table window was not exposed\n");
    QObject::connect(g.table->Timer1, &QTimer::timeout, [] { ++ticks; });
    untilResting(g.table);
    return g;
}

// The platform's own floor: a bare 1 ms precise timer started after the same 3 ms of rest, timed
// to its timeout. No game in it.
std::vector<double> bareTimer(int samples)
{
    QTimer timer;
    timer.setInterval(1);
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    bool fired = false;
    QObject::connect(&timer, &QTimer::timeout, [&] { fired = true; });
    std::vector<double> ms;
    for (int n = 0; n < samples; ++n) {
        QTest::qWait(3);
        fired = false;
        QElapsedTimer t;
        t.start();
        timer.start();
        while (!fired)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    const auto at = static_cast<std::size_t>(p * (v.size() - 1) + 0.5);
    return v[at];
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installGameLook();
    const int clicks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;

    std::random_device entropy;
    ClockSeededGenerator chance((std::uint64_t(entropy()) << 32) | entropy());
    TimeOfDay clock;
    Game game = newGame(chance, clock);
    const std::vector<double> bareMs = bareTimer(clicks);

    std::vector<double> latencyMs, clickMs;
    long long ticksWhileResting = 0, ticksPerClick = 0, timeouts = 0, games = 1;
    while (static_cast<int>(latencyMs.size()) < clicks) {
        const TableState &s = game.table->state();
        if (!s.Command2.Enabled && !s.Command3.Enabled && !s.Command4.Enabled) {  // the game is over
            game = Game{};
            game = newGame(chance, clock);
            ++games;
            continue;
        }
        if (s.Command4.Enabled) {  // the computer's move
            click(game.table->Command4);
            untilResting(game.table);
            continue;
        }
        const int i = takeableDie(s);
        if (i < 0) {
            click(game.table->Command2);
            untilResting(game.table);
            continue;
        }

        // The press comes first, as a hand's does; then Timer1 rests, and stays resting for a few
        // milliseconds. The click is the release.
        QPushButton *die = game.table->Command1[i];
        const QPoint centre = die->rect().center();
        QTest::mousePress(die, Qt::LeftButton, Qt::NoModifier, centre);
        untilResting(game.table);
        const long long ticksBefore = ticks;
        QTest::qWait(3);
        ticksWhileResting += ticks - ticksBefore;

        QTimer watchdog;
        watchdog.setSingleShot(true);
        watchdog.start(1000);
        const long long ticksAtClick = ticks;
        QElapsedTimer t;
        t.start();
        QTest::mouseRelease(die, Qt::LeftButton, Qt::NoModifier, centre);
        clickMs.push_back(t.nsecsElapsed() / 1e6);
        while (!(die->text() == QLatin1String("X") && !die->isEnabled()) && watchdog.isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const double ms = t.nsecsElapsed() / 1e6;
        if (!watchdog.isActive()) {
            ++timeouts;
            std::fprintf(stderr, "die %d never showed \"X\"\n", i);
        }
        latencyMs.push_back(ms);
        untilResting(game.table);
        ticksPerClick += ticks - ticksAtClick;
    }

    const auto over2 = [](const std::vector<double> &v) {
        return static_cast<long long>(std::count_if(v.begin(), v.end(), [](double ms) { return ms > 2.0; }));
    };
    const auto line = [&](const char *what, const std::vector<double> &v) {
        std::printf("  %-35s min %.3f  median %.3f  p95 %.3f  p99 %.3f  max %.3f ms; over 2 ms: %lld\n", what,
                    *std::min_element(v.begin(), v.end()), percentile(v, 0.5), percentile(v, 0.95),
                    percentile(v, 0.99), *std::max_element(v.begin(), v.end()), over2(v));
    };
    std::printf("referee latency, click on a die to \"X\" and disabled, %zu clicks in %lld games:\n",
                latencyMs.size(), games);
    line("wall clock:", latencyMs);
    line("the release alone (QTest returns):", clickMs);
    line("a bare 1 ms timer, for comparison:", bareMs);
    std::printf("  Timer1 ticks per click until it rests again: %.2f; ticks in the 3 ms of rest before each click: "
                "%lld; dice that never showed \"X\": %lld\n",
                double(ticksPerClick) / latencyMs.size(), ticksWhileResting, timeouts);
    const auto keys = [&](const char *prefix, const std::vector<double> &v) {
        std::printf("%s_median_ms=%.3f\n%s_p95_ms=%.3f\n%s_p99_ms=%.3f\n%s_max_ms=%.3f\n%s_over2=%lld\n", prefix,
                    percentile(v, 0.5), prefix, percentile(v, 0.95), prefix, percentile(v, 0.99), prefix,
                    *std::max_element(v.begin(), v.end()), prefix, over2(v));
    };
    keys("latency", latencyMs);
    keys("bare", bareMs);
    std::printf("latency_clicks=%zu\nlatency_timeouts=%lld\nticks_while_resting=%lld\n", latencyMs.size(), timeouts,
                ticksWhileResting);
    game = Game{};
    return timeouts == 0 ? 0 : 1;
}
