// SPDX-License-Identifier: GPL-3.0-or-later
// The game's generator, reseeded from the clock before every draw as the throws do it: faces
// equally likely, every die takeable with an even chance independently of the others, and no
// repeating, cancelling or cycling when the clock stands still or moves. Deliberately broken
// generators show that each check can fail.

#include <QtTest>
#include <algorithm>
#include <cstring>
#include <cmath>
#include <functional>
#include <memory>

#include "rules/Draws.h"

using namespace zarviki;

namespace {

// ----- Clocks -----

// The same reading before every draw, as within one throw.
class FrozenClock final : public Clock {
public:
    explicit FrozenClock(double t) : m_t(t) {}
    double secondsSinceMidnight() override { return m_t; }

private:
    double m_t;
};

// Moves on by `step` seconds every `every` readings: a microsecond clock, or a coarse one.
class MovingClock final : public Clock {
public:
    MovingClock(double start, double step, int every) : m_t(start), m_step(step), m_every(every) {}
    double secondsSinceMidnight() override
    {
        if (++m_reads % m_every == 0)
            m_t += m_step;
        return m_t;
    }

private:
    double m_t, m_step;
    int m_every;
    long long m_reads = 0;
};

// ----- Broken generators, each failing one of the game's requirements -----

std::uint64_t mix(std::uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}
float unit(std::uint64_t z) { return float(z >> 40) * (1.0f / 16777216.0f); }
// std::bit_cast, which the browser build's libc++ lacks.
std::uint64_t bitsOf(double seed)
{
    std::uint64_t bits;
    std::memcpy(&bits, &seed, sizeof bits);
    return bits;
}

// XOR-folds the clock reading into its whole state; a frozen clock folds it in and out again.
class XorFoldGenerator final : public Chance {
public:
    void reseed(double seed) override { m_state ^= bitsOf(seed); }
    float draw() override { return unit(mix(m_state)); }

private:
    std::uint64_t m_state = 0x0123456789ABCDEFULL;
};

// Replaces its whole state by the clock reading; a frozen clock repeats one draw.
class ReplacingGenerator final : public Chance {
public:
    void reseed(double seed) override { m_state = mix(bitsOf(seed)); }
    float draw() override { return unit(mix(m_state += 0x9E3779B97F4A7C15ULL)); }

private:
    std::uint64_t m_state = 0;
};

// Uniform draws, but each one repeats the one before half of the time.
class StickyGenerator final : public Chance {
public:
    void reseed(double) override {}
    float draw() override
    {
        const std::uint64_t z = mix(m_state += 0x9E3779B97F4A7C15ULL);
        if (!(z & 1) || m_count++ == 0)
            m_last = unit(z);
        return m_last;
    }

private:
    std::uint64_t m_state = 7;
    float m_last = 0;
    long long m_count = 0;
};

// Uniform draws, but every second one lies half a turn from the one before: neighbours' flags differ.
class OppositeGenerator final : public Chance {
public:
    void reseed(double) override {}
    float draw() override
    {
        if (m_odd = !m_odd; !m_odd) {
            const float u = m_last + 0.5f;
            return u >= 1.0f ? u - 1.0f : u;
        }
        return m_last = unit(mix(m_state += 0x9E3779B97F4A7C15ULL));
    }

private:
    std::uint64_t m_state = 11;
    float m_last = 0;
    bool m_odd = false;
};

// Leans towards 1: high faces and takeable dice come up too often.
class LeaningGenerator final : public Chance {
public:
    void reseed(double) override {}
    float draw() override
    {
        const float u = std::sqrt(unit(mix(m_state += 0x9E3779B97F4A7C15ULL)));
        return u >= 1.0f ? std::nextafter(1.0f, 0.0f) : u;
    }

private:
    std::uint64_t m_state = 13;
};

// A 16-bit congruential generator: even, but it goes round every 65536 draws.
class ShortCycleGenerator final : public Chance {
public:
    void reseed(double) override {}
    float draw() override
    {
        m_state = std::uint16_t(m_state * 25173u + 13849u);
        return m_state / 65536.0f;
    }

private:
    std::uint16_t m_state = 1;
};

// ----- Checks -----

constexpr int Draws = 240000;  // 24000 throws of ten draws

int faceOf(float d) { return int(d * 6); }
int flagOf(float d) { return int(d * 2) != 0; }

double chiSquare(const std::vector<long long> &counts)
{
    long long n = 0;
    for (long long c : counts)
        n += c;
    const double expected = double(n) / counts.size();
    double chi = 0;
    for (long long c : counts)
        chi += (c - expected) * (c - expected) / expected;
    return chi;
}

// Critical values of chi-square at p = 0.001.
constexpr double Chi5 = 20.52, Chi11 = 31.26, Chi31 = 61.10, Chi35 = 66.62;

// What each check found on one stream of draws; a check fails when its figure passes its limit.
struct Findings {
    double faces = 0;          // chi-square of the faces, 5 degrees of freedom
    double flags = 0;          // largest |z| of the takeable share, over all draws and each die
    double neighbourFaces = 0; // chi-square of the faces of consecutive draws, 35 degrees
    double throwFlags = 0;     // chi-square of the 32 flag patterns of a throw, 31 degrees
    double faceAndFlag = 0;    // chi-square of each die's face against its own flag, 11 degrees
    double serial = 0;         // largest |r| * sqrt(n) of the serial correlation, lags 1 to 10
    long long repeats = 0;     // most equal draws at one lag, lags 1 to 16
    long long repeatedPairs = 0;// consecutive pairs that occur more than once: a cycle

    QStringList failures() const
    {
        QStringList f;
        if (faces > Chi5) f << QStringLiteral("faces");
        if (flags > 4.0) f << QStringLiteral("flags");
        if (neighbourFaces > Chi35) f << QStringLiteral("neighbourFaces");
        if (throwFlags > Chi31) f << QStringLiteral("throwFlags");
        if (faceAndFlag > Chi11) f << QStringLiteral("faceAndFlag");
        if (serial > 4.5) f << QStringLiteral("serial");
        if (repeats > 2) f << QStringLiteral("repeats");
        if (repeatedPairs > 2) f << QStringLiteral("cycle");
        return f;
    }
    QString text() const
    {
        return QStringLiteral("faces %1, flags %2, neighbours %3, throw flags %4, face/flag %5, serial %6, "
                              "repeats %7, repeated pairs %8")
            .arg(faces, 0, 'f', 2).arg(flags, 0, 'f', 2).arg(neighbourFaces, 0, 'f', 2).arg(throwFlags, 0, 'f', 2)
            .arg(faceAndFlag, 0, 'f', 2).arg(serial, 0, 'f', 2).arg(repeats).arg(repeatedPairs);
    }
};

Findings examine(Chance &chance, Clock &clock)
{
    zarviki::Draws draws(chance, clock);
    std::vector<float> d(Draws);
    for (float &x : d)
        x = draws.next();

    Findings f;
    std::vector<long long> faces(6), pairs(36), patterns(32), faceFlag(12);
    long long takeable = 0;
    std::vector<long long> takeablePerDie(5);
    for (int i = 0; i < Draws; ++i) {
        if (d[i] < 0.0f || d[i] >= 1.0f)
            qFatal("a draw outside [0, 1)");
        ++faces[faceOf(d[i])];
        takeable += flagOf(d[i]);
        if (i + 1 < Draws)
            ++pairs[faceOf(d[i]) * 6 + faceOf(d[i + 1])];
    }
    const int throws = Draws / 10;
    for (int t = 0; t < throws; ++t) {
        const float *throwDraws = &d[t * 10];
        int pattern = 0;
        for (int die = 0; die < 5; ++die) {
            const int flag = flagOf(throwDraws[5 + die]);
            pattern = pattern * 2 + flag;
            takeablePerDie[die] += flag;
            ++faceFlag[faceOf(throwDraws[die]) * 2 + flag];
        }
        ++patterns[pattern];
    }
    f.faces = chiSquare(faces);
    auto z = [](long long hits, long long n) { return std::abs(hits - n / 2.0) / std::sqrt(n / 4.0); };
    f.flags = z(takeable, Draws);
    for (long long hits : takeablePerDie)
        f.flags = std::max(f.flags, z(hits, throws));
    f.neighbourFaces = chiSquare(pairs);
    f.throwFlags = chiSquare(patterns);
    f.faceAndFlag = chiSquare(faceFlag);

    double mean = 0;
    for (float x : d)
        mean += x;
    mean /= Draws;
    double var = 0;
    for (float x : d)
        var += (x - mean) * (x - mean);
    var /= Draws;
    for (int lag = 1; lag <= 10; ++lag) {
        double c = 0;
        for (int i = 0; i + lag < Draws; ++i)
            c += (d[i] - mean) * (d[i + lag] - mean);
        c /= (Draws - lag);
        const double r = var > 0 ? c / var : 1.0;
        f.serial = std::max(f.serial, std::abs(r) * std::sqrt(double(Draws - lag)));
    }
    for (int lag = 1; lag <= 16; ++lag) {
        long long same = 0;
        for (int i = 0; i + lag < Draws; ++i)
            same += d[i] == d[i + lag];
        f.repeats = std::max(f.repeats, same);
    }
    // Consecutive pairs of draws as 48-bit words: a generator that cycles within the run repeats them.
    std::vector<std::uint64_t> words;
    words.reserve(Draws);
    for (int i = 0; i + 1 < Draws; ++i)
        words.push_back((std::uint64_t(d[i] * 16777216.0f) << 24) | std::uint64_t(d[i + 1] * 16777216.0f));
    std::sort(words.begin(), words.end());
    f.repeatedPairs = words.end() - std::unique(words.begin(), words.end());
    return f;
}

// Reseeded twice with one value, two draws in a row must still differ; counts those that do not.
int sameReadingTwice(Chance &chance)
{
    int equal = 0;
    for (int i = 0; i < 20000; ++i) {
        const double reading = i * 4.3201;  // across the whole day
        chance.reseed(reading);
        const float a = chance.draw();
        chance.reseed(reading);
        const float b = chance.draw();
        equal += a == b;
    }
    return equal;
}

enum class ClockKind { Frozen, FrozenAtMidnight, Microseconds, Coarse };

std::unique_ptr<Clock> makeClock(ClockKind kind)
{
    switch (kind) {
    case ClockKind::Frozen: return std::make_unique<FrozenClock>(43200.25);
    case ClockKind::FrozenAtMidnight: return std::make_unique<FrozenClock>(0.0);
    case ClockKind::Microseconds: return std::make_unique<MovingClock>(51234.5, 1e-6, 1);
    case ClockKind::Coarse: return std::make_unique<MovingClock>(70000.0, 0.015625, 1000);
    }
    return nullptr;
}

using Maker = std::function<std::unique_ptr<Chance>()>;

}  // namespace

Q_DECLARE_METATYPE(ClockKind)
Q_DECLARE_METATYPE(Maker)

class GeneratorTest : public QObject {
    Q_OBJECT

private slots:
    void gameGenerator_data()
    {
        QTest::addColumn<quint64>("sequence");
        QTest::addColumn<ClockKind>("clock");
        const std::pair<const char *, ClockKind> clocks[] = {{"frozen clock", ClockKind::Frozen},
                                                             {"frozen at midnight", ClockKind::FrozenAtMidnight},
                                                             {"microsecond clock", ClockKind::Microseconds},
                                                             {"coarse clock", ClockKind::Coarse}};
        for (quint64 sequence : {1ULL, 0x5EED5EED5EEDULL, 0xFFFFFFFFFFFFFFFFULL})
            for (const auto &[name, kind] : clocks)
                QTest::addRow("sequence %llx, %s", (unsigned long long)sequence, name) << sequence << kind;
    }
    void gameGenerator()
    {
        QFETCH(quint64, sequence);
        QFETCH(ClockKind, clock);
        ClockSeededGenerator chance(sequence);
        const auto c = makeClock(clock);
        const Findings f = examine(chance, *c);
        qInfo("%s", qPrintable(f.text()));
        if (!f.failures().isEmpty())
            QFAIL(qPrintable(f.failures().join(QStringLiteral(", ")) + QStringLiteral(": ") + f.text()));
    }

    void gameGeneratorSameReadingTwice()
    {
        for (quint64 sequence : {1ULL, 42ULL, 0xFFFFFFFFFFFFFFFFULL}) {
            ClockSeededGenerator chance(sequence);
            QCOMPARE(sameReadingTwice(chance), 0);
        }
    }

    // A new clock reading still changes the draw: the reading is not ignored.
    void gameGeneratorFollowsTheClock()
    {
        ClockSeededGenerator a(99), b(99);
        int differ = 0;
        for (int i = 0; i < 1000; ++i) {
            a.reseed(1000.0 + i);
            b.reseed(2000.0 + i);
            differ += a.draw() != b.draw();
        }
        QVERIFY(differ >= 998);
    }

    // The machine's clock reads the local time of day, within a second, and carries its fraction.
    void timeOfDayIsTheLocalTimeWithItsFraction()
    {
        TimeOfDay clock;
        int withFraction = 0;
        for (int i = 0; i < 20; ++i) {
            const double reading = clock.secondsSinceMidnight();
            const double local = QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
            const double apart = std::abs(reading - local);
            QVERIFY2(std::min(apart, 86400.0 - apart) < 1.0, qPrintable(QStringLiteral("%1 against %2").arg(reading).arg(local)));
            withFraction += reading != std::floor(reading);
            QTest::qSleep(3);
        }
        QVERIFY(withFraction >= 19);
    }

    // Each broken generator must be rejected by the checks named for it.
    void brokenGeneratorsAreRejected_data()
    {
        QTest::addColumn<Maker>("make");
        QTest::addColumn<ClockKind>("clock");
        QTest::addColumn<QStringList>("mustFail");
        QTest::addColumn<bool>("failsSameReadingTwice");
        const auto maker = [](auto tag) -> Maker {
            using G = typename decltype(tag)::type;
            return [] { return std::make_unique<G>(); };
        };
        QTest::newRow("xor-fold, frozen clock")
            << maker(std::type_identity<XorFoldGenerator>{}) << ClockKind::Frozen
            << QStringList{"faces", "flags", "neighbourFaces", "throwFlags", "repeats", "cycle"} << false;
        QTest::newRow("xor-fold, microsecond clock")
            << maker(std::type_identity<XorFoldGenerator>{}) << ClockKind::Microseconds
            << QStringList{"repeats"} << false;
        QTest::newRow("replacing, frozen clock")
            << maker(std::type_identity<ReplacingGenerator>{}) << ClockKind::Frozen
            << QStringList{"faces", "flags", "neighbourFaces", "repeats", "cycle"} << true;
        QTest::newRow("replacing, coarse clock")
            << maker(std::type_identity<ReplacingGenerator>{}) << ClockKind::Coarse
            << QStringList{"neighbourFaces", "repeats", "cycle"} << true;
        QTest::newRow("sticky") << maker(std::type_identity<StickyGenerator>{}) << ClockKind::Microseconds
                                << QStringList{"neighbourFaces", "serial", "repeats"} << true;
        QTest::newRow("opposite neighbours")
            << maker(std::type_identity<OppositeGenerator>{}) << ClockKind::Microseconds
            << QStringList{"neighbourFaces", "throwFlags", "serial"} << false;
        QTest::newRow("leaning") << maker(std::type_identity<LeaningGenerator>{}) << ClockKind::Frozen
                                 << QStringList{"faces", "flags", "faceAndFlag"} << false;
        QTest::newRow("short cycle") << maker(std::type_identity<ShortCycleGenerator>{}) << ClockKind::Frozen
                                     << QStringList{"cycle"} << false;
    }
    void brokenGeneratorsAreRejected()
    {
        QFETCH(Maker, make);
        QFETCH(ClockKind, clock);
        QFETCH(QStringList, mustFail);
        QFETCH(bool, failsSameReadingTwice);
        const auto chance = make();
        const auto c = makeClock(clock);
        const Findings f = examine(*chance, *c);
        const QStringList failed = f.failures();
        qInfo("rejected by %s; %s", qPrintable(failed.join(QStringLiteral(", "))), qPrintable(f.text()));
        for (const QString &check : mustFail)
            if (!failed.contains(check))
                QFAIL(qPrintable(QStringLiteral("the ") + check + QStringLiteral(" check let it pass: ") + f.text()));
        QCOMPARE(sameReadingTwice(*make()) > 1000, failsSameReadingTwice);
    }
};

QTEST_APPLESS_MAIN(GeneratorTest)
#include "tst_generator.moc"
