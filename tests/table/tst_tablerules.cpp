// SPDX-License-Identifier: GPL-3.0-or-later
// The game's rules on the plain table state, handler by handler: the table's initial state and
// its numbers, the player's throw, taking dice and standing, the computer's turn and the referee.

#include <QtTest>
#include <random>

#include "PlayedMove.h"
#include "TableWalk.h"
#include "TestSupport.h"

using namespace zarviki;
using namespace zarviki::testing;

Q_DECLARE_METATYPE(zarviki::testing::Level)

namespace {

// Keeps the order in which the throws reseed and draw: "r" for a reseed, "d" for a draw.
class JournalChance final : public Chance {
public:
    std::string journal;
    std::vector<double> seeds;
    std::deque<float> draws;
    void reseed(double seed) override
    {
        journal += 'r';
        seeds.push_back(seed);
    }
    float draw() override
    {
        journal += 'd';
        if (draws.empty())
            return 0.0f;
        const float d = draws.front();
        draws.pop_front();
        return d;
    }
};

// A clock that moves on by one millisecond at every reading.
class SteppingClock final : public Clock {
public:
    double now = 1000.0;
    double secondsSinceMidnight() override
    {
        const double t = now;
        now += 0.001;
        return t;
    }
};

// A table with a scripted generator and a clock that stands still.
struct Table {
    ScriptedChance chance;
    FixedClock clock;
    Draws draws{chance, clock};
    TableState s;

    void playerThrow(const std::vector<float> &faces, const std::vector<float> &flags)
    {
        chance.queueThrow(faces, flags);
        command2Click(s, draws);
    }
    void computerThrow(const std::vector<float> &faces, const std::vector<float> &flags, Level level)
    {
        chance.queueThrow(faces, flags);
        command4Click(s, draws, options(level));
    }
    // The move handed to the computer, as a stand or a bust leaves it.
    void computersTurn()
    {
        command3Click(s);
        timer1Tick(s);
    }
};

std::vector<float> faces(std::initializer_list<int> f)
{
    std::vector<float> v;
    for (int x : f)
        v.push_back(face(x));
    return v;
}

std::vector<float> flags(const char *pattern)  // 'T' takeable, '-' not
{
    std::vector<float> v;
    for (const char *p = pattern; *p; ++p)
        v.push_back(*p == 'T' ? takeable : untakeable);
    return v;
}

std::string captions(const TableState &s)
{
    std::string out;
    for (const DieButton &d : s.Command1)
        out += "[" + d.Caption + "]";
    return out;
}

std::string enabledDice(const TableState &s)
{
    std::string out;
    for (const DieButton &d : s.Command1)
        out += d.Enabled ? 'T' : '-';
    return out;
}

std::string tops(const TableState &s)
{
    std::string out;
    for (const DieButton &d : s.Command1)
        out += d.Top == SetAside ? '^' : d.Top == OnTable ? '_' : '?';
    return out;
}

std::string turnButtons(const TableState &s)
{
    return std::string(s.Command2.Enabled ? "1" : "0") + (s.Command3.Enabled ? "1" : "0")
        + (s.Command4.Enabled ? "1" : "0");
}

QString q(const std::string &s) { return QString::fromStdString(s); }

// A random table state of the kind the game never quite reaches, for the referee's idempotence.
TableState randomState(std::mt19937_64 &rng)
{
    auto pick = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    static const char *const dieCaptions[] = {"", " ", "X", "0", "1", "2", "3", "4", "5"};
    static const char *const counters[] = {"0", "1", "2", "3"};
    static const std::string statuses[] = {"", PlayerWon, ComputerWon};
    auto total = [&] {
        const int kind = pick(4);
        const int v = kind == 0 ? pick(101) : kind == 1 ? 99 + pick(4) : kind == 2 ? 101 + pick(60) : pick(1000);
        return decimalText(v);
    };
    TableState s;
    for (DieButton &d : s.Command1) {
        d.Top = pick(2) ? OnTable : SetAside;
        d.Caption = dieCaptions[pick(9)];
        d.Enabled = pick(2);
    }
    s.Command2.Enabled = pick(2);
    s.Command3.Enabled = pick(2);
    s.Command4.Enabled = pick(2);
    s.Command5.Visible = pick(2);
    s.Label1.Caption = decimalText(pick(40));
    s.Label4.Caption = total();
    s.Label5.Caption = total();
    s.Label7.Caption = counters[pick(4)];
    s.Label8.Caption = counters[pick(4)];
    s.Label10.Caption = statuses[pick(3)];
    return s;
}

}  // namespace

class TableRulesTest : public QObject {
    Q_OBJECT

private slots:
    // ----- The table and its numbers -----

    void initialState()
    {
        const TableState s;
        for (const DieButton &d : s.Command1) {
            QCOMPARE(d.Caption, std::string());
            QVERIFY(d.Enabled);
            QCOMPARE(d.Top, 1560);
        }
        QCOMPARE(turnButtons(s), std::string("110"));
        QCOMPARE(s.Command2.Caption, std::string("Скинуть !"));
        QCOMPARE(s.Command3.Caption, std::string("Хватит !"));
        QCOMPARE(s.Command4.Caption, std::string("Ход компа !"));
        QVERIFY(!s.Command5.Visible);
        for (const Caption *l : {&s.Label1, &s.Label4, &s.Label5, &s.Label7, &s.Label8})
            QCOMPARE(l->Caption, std::string("0"));
        QCOMPARE(s.Label10.Caption, std::string());
        QCOMPARE(s.Label2.Caption, std::string("User"));
        QCOMPARE(s.Label3.Caption, std::string("Компьютер"));
        QCOMPARE(s.Frame1.Caption, std::string("Текущее значение"));
    }

    void leadingNumberRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qlonglong>("value");
        QTest::newRow("face") << "5" << 5LL;
        QTest::newRow("zero face") << "0" << 0LL;
        QTest::newRow("set aside") << "X" << 0LL;
        QTest::newRow("cleared") << " " << 0LL;
        QTest::newRow("never thrown") << "" << 0LL;
        QTest::newRow("total") << "105" << 105LL;
        QTest::newRow("leading blanks") << "  12" << 12LL;
        QTest::newRow("digits then text") << "7a" << 7LL;
        QTest::newRow("text then digits") << "a7" << 0LL;
    }
    void leadingNumberRule()
    {
        QFETCH(QString, text);
        QFETCH(qlonglong, value);
        QCOMPARE(zarviki::leadingNumber(text.toStdString()), value);
    }

    void shortestDecimalText_data()
    {
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0LL << "0";
        QTest::newRow("7") << 7LL << "7";
        QTest::newRow("105") << 105LL << "105";
        QTest::newRow("1000") << 1000LL << "1000";
    }
    void shortestDecimalText()
    {
        QFETCH(qlonglong, value);
        QFETCH(QString, text);
        QCOMPARE(q(zarviki::decimalText(value)), text);
    }

    // Blank, set-aside and never-thrown dice count 0 wherever a die's value is added.
    void blankDiceCountZero_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::newRow("cleared") << " ";
        QTest::newRow("set aside") << "X";
        QTest::newRow("never thrown") << "";
    }
    void blankDiceCountZero()
    {
        QFETCH(QString, caption);
        Table t;
        t.s.Label1.Caption = "9";
        t.s.Command1[2].Caption = caption.toStdString();
        command1Click(t.s, 2);
        QCOMPARE(t.s.Label1.Caption, std::string("9"));

        // The computer's count adds set-aside dice by their captions, which are "X" by then.
        Table c;
        c.computersTurn();
        c.computerThrow(faces({1, 1, 1, 1, 1}), flags("T----"), Level::Lamer);
        QCOMPARE(c.s.Label1.Caption, std::string("1"));
        c.computerThrow(faces({5, 2, 2, 2, 2}), flags("-T---"), Level::Lamer);  // die 0 now "X"
        QCOMPARE(c.s.Command1[0].Caption, std::string("X"));
        QCOMPARE(c.s.Label1.Caption, std::string("3"));
    }

    void totalsAreShortestDecimalText()
    {
        Table t;
        t.s.Label4.Caption = "95";
        t.s.Label1.Caption = "10";
        command3Click(t.s);
        QCOMPARE(t.s.Label4.Caption, std::string("105"));

        Table c;
        c.computersTurn();
        c.s.Label5.Caption = "88";
        c.computerThrow(faces({5, 5, 0, 0, 0}), flags("TT---"), Level::Krutoy);
        QCOMPARE(c.s.Label5.Caption, std::string("111"));  // 88 + 10 + 13
        QCOMPARE(c.s.Label1.Caption, std::string("0"));
    }

    // ----- The player's throw -----

    // Five face draws, then five flag draws, each preceded by one reseed from the clock.
    void throwDrawOrder_data()
    {
        QTest::addColumn<bool>("computer");
        QTest::newRow("player") << false;
        QTest::newRow("computer") << true;
    }
    void throwDrawOrder()
    {
        QFETCH(bool, computer);
        JournalChance chance;
        SteppingClock clock;
        Draws draws(chance, clock);
        TableState s;
        if (computer) {
            command3Click(s);
            timer1Tick(s);
        }
        for (float d : faces({0, 1, 2, 3, 4}))
            chance.draws.push_back(d);
        for (float d : flags("T-T-T"))
            chance.draws.push_back(d);
        if (computer)
            command4Click(s, draws, options(Level::Lamer));
        else
            command2Click(s, draws);
        QCOMPARE(q(chance.journal), QStringLiteral("rdrdrdrdrdrdrdrdrdrd"));
        QCOMPARE(chance.seeds.size(), std::size_t(10));
        for (int i = 0; i < 10; ++i)
            QCOMPARE(chance.seeds[i], 1000.0 + 0.001 * i);
        if (computer) {  // dice 0, 2 and 4 taken; the "0" on die 0 goes back to the table
            QCOMPARE(tops(s), std::string("__^_^"));
            QCOMPARE(s.Label1.Caption, std::string("6"));
        } else {
            QCOMPARE(captions(s), std::string("[0][1][2][3][4]"));
            QCOMPARE(enabledDice(s), std::string("T-T-T"));
        }
    }

    void throwReseedsFromTheClock()
    {
        Table t;
        t.clock.now = 45296.125;
        t.playerThrow(faces({1, 2, 3, 4, 5}), flags("TTTTT"));
        QCOMPARE(t.clock.readings, 10);
        QCOMPARE(t.chance.drawsMade, 10);
        QCOMPARE(t.chance.reseeds, std::vector<double>(10, 45296.125));
    }

    // The face is the whole part of draw * 6; a die is takeable when the whole part of draw * 2 is not 0.
    void facesAndFlagsFromDraws_data()
    {
        QTest::addColumn<float>("draw");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("0") << 0.0f << "0" << false;
        QTest::newRow("just under 1/6") << 0.16666f << "0" << false;
        QTest::newRow("1/6") << 0.1667f << "1" << false;
        QTest::newRow("just under 1/2") << std::nextafter(0.5f, 0.0f) << "2" << false;
        QTest::newRow("1/2") << 0.5f << "3" << true;
        QTest::newRow("5/6") << 0.8334f << "5" << true;
        QTest::newRow("largest draw") << std::nextafter(1.0f, 0.0f) << "5" << true;
    }
    void facesAndFlagsFromDraws()
    {
        QFETCH(float, draw);
        QFETCH(QString, caption);
        QFETCH(bool, enabled);
        Table t;
        t.playerThrow(std::vector<float>(5, draw), flags("TTTTT"));
        for (const DieButton &d : t.s.Command1)
            QCOMPARE(q(d.Caption), caption);

        Table u;
        u.playerThrow(faces({1, 2, 3, 4, 5}), std::vector<float>(5, draw));
        for (const DieButton &d : u.s.Command1)
            QCOMPARE(d.Enabled, enabled);
        QCOMPARE(u.s.Command2.Enabled, enabled);
        QCOMPARE(captions(u.s), std::string(enabled ? "[1][2][3][4][5]" : "[ ][ ][ ][ ][ ]"));
    }

    // Each die takes its own draws: faces from the first five, flags from the next five.
    void eachDieItsOwnDraws()
    {
        Table t;
        t.playerThrow(faces({4, 0, 5, 2, 1}), flags("-TT-T"));
        QCOMPARE(captions(t.s), std::string("[4][0][5][2][1]"));
        QCOMPARE(enabledDice(t.s), std::string("-TT-T"));
    }

    void throwThatOffersDice()
    {
        Table t;
        t.s.Label1.Caption = "4";
        t.s.Label4.Caption = "30";
        t.s.Command1[1].Top = SetAside;
        t.s.Command1[1].Caption = "X";
        t.s.Command1[1].Enabled = false;
        t.playerThrow(faces({5, 4, 0, 3, 2}), flags("-T-T-"));
        QCOMPARE(captions(t.s), std::string("[5][X][0][3][2]"));
        QCOMPARE(enabledDice(t.s), std::string("---T-"));
        QCOMPARE(tops(t.s), std::string("_^___"));
        QCOMPARE(turnButtons(t.s), std::string("110"));
        QCOMPARE(t.s.Label1.Caption, std::string("4"));
        QCOMPARE(t.s.Label4.Caption, std::string("30"));
    }

    // Nothing to take: the current value is lost, the dice are cleared, the move passes.
    void bust_data()
    {
        QTest::addColumn<int>("setAside");
        QTest::addColumn<QString>("flagDraws");
        QTest::newRow("no die takeable") << 0 << "-----";
        QTest::newRow("two set aside, none takeable") << 2 << "TT---";
        QTest::newRow("all five set aside") << 5 << "TTTTT";
    }
    void bust()
    {
        QFETCH(int, setAside);
        QFETCH(QString, flagDraws);
        Table t;
        t.s.Label1.Caption = "23";
        t.s.Label4.Caption = "61";
        for (int i = 0; i < setAside; ++i) {
            t.s.Command1[i].Top = SetAside;
            t.s.Command1[i].Caption = "X";
            t.s.Command1[i].Enabled = false;
        }
        t.playerThrow(faces({3, 3, 3, 3, 3}), flags(flagDraws.toLatin1().constData()));
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        QCOMPARE(t.s.Label4.Caption, std::string("61"));
        QCOMPARE(captions(t.s), std::string("[ ][ ][ ][ ][ ]"));
        QCOMPARE(tops(t.s), std::string("_____"));
        QCOMPARE(enabledDice(t.s), std::string("-----"));
        QCOMPARE(turnButtons(t.s), std::string("001"));
        QCOMPARE(t.s.Label5.Caption, std::string("0"));
    }

    void zeroFaceMayBeTakenAndAddsNothing()
    {
        Table t;
        t.playerThrow(faces({0, 3, 3, 3, 3}), flags("T----"));
        QVERIFY(t.s.Command1[0].Enabled);
        QCOMPARE(t.s.Command1[0].Caption, std::string("0"));
        command1Click(t.s, 0);
        QCOMPARE(t.s.Command1[0].Top, SetAside);
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        timer1Tick(t.s);
        QCOMPARE(t.s.Command1[0].Caption, std::string("X"));
    }

    void setAsideDiceShowXAfterEveryThrow()
    {
        Table t;
        t.playerThrow(faces({4, 3, 3, 3, 3}), flags("T----"));
        command1Click(t.s, 0);
        timer1Tick(t.s);
        for (int round = 0; round < 3; ++round) {
            t.playerThrow(faces({5, 1, 1, 1, 1}), flags("TT---"));
            QCOMPARE(t.s.Command1[0].Caption, std::string("X"));
            QVERIFY(!t.s.Command1[0].Enabled);
            QCOMPARE(t.s.Command1[0].Top, SetAside);
        }
        QCOMPARE(t.s.Label1.Caption, std::string("4"));
    }

    void throwAgainWithoutTaking()
    {
        Table t;
        t.playerThrow(faces({1, 2, 3, 4, 5}), flags("T-T-T"));
        t.playerThrow(faces({5, 4, 3, 2, 1}), flags("-T-T-"));
        QCOMPARE(captions(t.s), std::string("[5][4][3][2][1]"));
        QCOMPARE(enabledDice(t.s), std::string("-T-T-"));
        QCOMPARE(turnButtons(t.s), std::string("110"));
        QCOMPARE(t.chance.drawsMade, 20);
    }

    // ----- Taking dice and standing -----

    void takeAddsFaceAndRefereeMarks()
    {
        Table t;
        t.playerThrow(faces({2, 2, 2, 4, 2}), flags("---T-"));
        t.s.Label1.Caption = "7";
        const TableState before = t.s;
        command1Click(t.s, 3);
        QCOMPARE(t.s.Command1[3].Top, SetAside);
        QCOMPARE(t.s.Label1.Caption, std::string("11"));
        // Until the tick the die keeps its face and its flag, and nothing else has changed.
        TableState expected = before;
        expected.Command1[3].Top = SetAside;
        expected.Label1.Caption = "11";
        QVERIFY(t.s == expected);
        timer1Tick(t.s);
        QCOMPARE(t.s.Command1[3].Caption, std::string("X"));
        QVERIFY(!t.s.Command1[3].Enabled);
    }

    // A die already set aside waits for the referee; a second click does not add its face again.
    void secondClickBeforeTheTickIsIgnored()
    {
        Table t;
        t.playerThrow(faces({5, 2, 2, 2, 2}), flags("T----"));
        command1Click(t.s, 0);
        const TableState once = t.s;
        command1Click(t.s, 0);
        QVERIFY(t.s == once);
        QCOMPARE(t.s.Label1.Caption, std::string("5"));
    }

    // Quirk kept: the dice are enabled at start; a click adds 0 and keeps the die out of the first throw.
    void diceClickableAtStart()
    {
        Table t;
        command1Click(t.s, 2);
        QCOMPARE(t.s.Command1[2].Top, SetAside);
        QCOMPARE(t.s.Command1[2].Caption, std::string());
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        timer1Tick(t.s);
        QCOMPARE(t.s.Command1[2].Caption, std::string("X"));
        QVERIFY(!t.s.Command1[2].Enabled);
        t.playerThrow(faces({1, 1, 5, 1, 1}), flags("TTTTT"));
        QCOMPARE(captions(t.s), std::string("[1][1][X][1][1]"));
        QCOMPARE(enabledDice(t.s), std::string("TT-TT"));
        command3Click(t.s);  // the turn's end brings it back
        QCOMPARE(tops(t.s), std::string("_____"));
        QCOMPARE(t.s.Command1[2].Caption, std::string(" "));
    }

    // Quirk kept: dice left enabled at a turn's end add 0 when clicked between turns, and the
    // next throw, the player's or the computer's, keeps them out of play until that turn ends.
    void diceClickableBetweenTurns_data()
    {
        QTest::addColumn<bool>("intoComputersTurn");
        QTest::newRow("after the player's stand") << true;
        QTest::newRow("after the computer's bank") << false;
    }
    void diceClickableBetweenTurns()
    {
        QFETCH(bool, intoComputersTurn);
        Table t;
        t.playerThrow(faces({3, 3, 3, 3, 3}), flags("-T-T-"));
        if (intoComputersTurn) {
            command3Click(t.s);
        } else {
            t.computersTurn();
            t.computerThrow(faces({5, 2, 0, 5, 5}), flags("T-TTT"), Level::Krutoy);  // banks 15 + 13
            QCOMPARE(t.s.Label5.Caption, std::string("28"));
        }
        timer1Tick(t.s);
        const std::string enabled = enabledDice(t.s);
        const int die = int(enabled.find('T'));
        QVERIFY(die >= 0);
        QCOMPARE(t.s.Command1[die].Caption, std::string(" "));
        command1Click(t.s, die);
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        timer1Tick(t.s);
        QCOMPARE(t.s.Command1[die].Caption, std::string("X"));
        if (intoComputersTurn) {
            t.computerThrow(faces({2, 2, 2, 2, 2}), flags("TTTTT"), Level::Lamer);
            QCOMPARE(t.s.Command1[die].Caption, std::string("X"));
            QCOMPARE(t.s.Label1.Caption, std::string("8"));  // four dice of 2, not five
        } else {
            t.playerThrow(faces({2, 2, 2, 2, 2}), flags("TTTTT"));
            QCOMPARE(t.s.Command1[die].Caption, std::string("X"));
            QVERIFY(!t.s.Command1[die].Enabled);
        }
        QCOMPARE(t.s.Command1[die].Top, SetAside);
    }

    void standBeforeTheFirstThrow()
    {
        Table t;
        command3Click(t.s);
        QCOMPARE(t.s.Label4.Caption, std::string("0"));
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        QCOMPARE(turnButtons(t.s), std::string("001"));
        QCOMPARE(captions(t.s), std::string("[ ][ ][ ][ ][ ]"));
        QCOMPARE(enabledDice(t.s), std::string("TTTTT"));
    }

    void standBanksAndHandsOver()
    {
        Table t;
        t.s.Label4.Caption = "95";
        t.s.Label5.Caption = "40";
        t.s.Label8.Caption = "1";
        t.s.Label3.Caption = "Железяка";
        t.playerThrow(faces({5, 4, 3, 2, 1}), flags("TT-T-"));
        command1Click(t.s, 0);
        command1Click(t.s, 1);
        command1Click(t.s, 3);
        QCOMPARE(t.s.Label1.Caption, std::string("11"));
        t.s.Label1.Caption = "12";
        const std::string flagsBefore = enabledDice(t.s);
        QCOMPARE(flagsBefore, std::string("TT-T-"));  // the taken dice still wait for the referee
        TableState before = t.s;
        command3Click(t.s);
        QCOMPARE(t.s.Label4.Caption, std::string("107"));
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        QCOMPARE(captions(t.s), std::string("[ ][ ][ ][ ][ ]"));
        QCOMPARE(tops(t.s), std::string("_____"));
        QCOMPARE(turnButtons(t.s), std::string("001"));
        QCOMPARE(enabledDice(t.s), flagsBefore);
        // The stand touches nothing else.
        before.Label4 = t.s.Label4;
        before.Label1 = t.s.Label1;
        before.Command1 = t.s.Command1;
        before.Command2 = t.s.Command2;
        before.Command3 = t.s.Command3;
        before.Command4 = t.s.Command4;
        QVERIFY(t.s == before);
        timer1Tick(t.s);
        QCOMPARE(t.s.Label7.Caption, std::string("1"));
        QCOMPARE(t.s.Label4.Caption, std::string("0"));
        QCOMPARE(t.s.Label5.Caption, std::string("40"));
        QCOMPARE(t.s.Label8.Caption, std::string("1"));
    }

    // ----- The computer's turn -----

    void computerBusts()
    {
        Table t;
        t.s.Label5.Caption = "50";
        t.computersTurn();
        t.computerThrow(faces({4, 4, 4, 4, 4}), flags("TT---"), Level::Lamer);
        QCOMPARE(t.s.Label1.Caption, std::string("8"));
        timer1Tick(t.s);
        t.computerThrow(faces({5, 5, 5, 5, 5}), flags("-----"), Level::Lamer);
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        QCOMPARE(t.s.Label5.Caption, std::string("50"));
        QCOMPARE(turnButtons(t.s), std::string("110"));
        QCOMPARE(tops(t.s), std::string("_____"));
        QCOMPARE(captions(t.s), std::string("[ ][ ][ ][ ][ ]"));
    }

    // Banking by level: the threshold is tested on the current value after the throw's dice count.
    void bankByLevel_data()
    {
        QTest::addColumn<Level>("level");
        QTest::addColumn<int>("before");  // current value from earlier throws of the turn
        QTest::addColumn<QString>("takenFaces");
        QTest::addColumn<int>("bonusAdded");  // -1: no bank, the turn goes on
        QTest::newRow("Крутой 3 goes on") << Level::Krutoy << 0 << "3" << -1;
        QTest::newRow("Крутой 4 banks +13") << Level::Krutoy << 0 << "4" << 13;
        QTest::newRow("Крутой 5 banks +13") << Level::Krutoy << 0 << "23" << 13;
        QTest::newRow("Крутой 25 banks +13") << Level::Krutoy << 0 << "55555" << 13;
        QTest::newRow("Бывалый 5 goes on") << Level::Byvaly << 0 << "5" << -1;
        QTest::newRow("Бывалый 6 goes on") << Level::Byvaly << 0 << "51" << -1;
        QTest::newRow("Бывалый 7 banks +7") << Level::Byvaly << 0 << "52" << 7;
        QTest::newRow("Бывалый 3 then 4 banks +7") << Level::Byvaly << 3 << "4" << 7;
        QTest::newRow("Л@мер 8 goes on") << Level::Lamer << 0 << "44" << -1;
        QTest::newRow("Л@мер 9 banks +3") << Level::Lamer << 0 << "45" << 3;
        QTest::newRow("Л@мер 6 then 3 banks +3") << Level::Lamer << 6 << "3" << 3;
    }
    void bankByLevel()
    {
        QFETCH(Level, level);
        QFETCH(int, before);
        QFETCH(QString, takenFaces);
        QFETCH(int, bonusAdded);
        Table t;
        t.s.Label5.Caption = "20";
        t.computersTurn();
        t.s.Label1.Caption = decimalText(before);
        std::vector<float> f(5, face(1));
        std::string pattern = "-----";
        int sum = 0;
        for (int i = 0; i < takenFaces.size(); ++i) {
            const int v = takenFaces[i].digitValue();
            f[i] = face(v);
            pattern[i] = 'T';
            sum += v;
        }
        t.computerThrow(f, flags(pattern.c_str()), level);
        if (bonusAdded < 0) {
            QCOMPARE(t.s.Label1.Caption, decimalText(before + sum));
            QCOMPARE(t.s.Label5.Caption, std::string("20"));
            QCOMPARE(turnButtons(t.s), std::string("001"));
            QCOMPARE(tops(t.s).substr(0, takenFaces.size()), std::string(takenFaces.size(), '^'));
        } else {
            QCOMPARE(t.s.Label5.Caption, decimalText(20 + before + sum + bonusAdded));
            QCOMPARE(t.s.Label1.Caption, std::string("0"));
            QCOMPARE(turnButtons(t.s), std::string("110"));
            QCOMPARE(tops(t.s), std::string("_____"));
            QCOMPARE(captions(t.s), std::string("[ ][ ][ ][ ][ ]"));
        }
    }

    // The level is read afresh at every throw.
    void levelReadAtEveryThrow()
    {
        Table t;
        t.computersTurn();
        t.computerThrow(faces({5, 1, 1, 1, 1}), flags("T----"), Level::Byvaly);
        QCOMPARE(t.s.Label1.Caption, std::string("5"));
        QCOMPARE(turnButtons(t.s), std::string("001"));
        // The next throw offers only a "0": nothing is added, but the level is now Крутой.
        t.computerThrow(faces({3, 0, 1, 1, 1}), flags("-T---"), Level::Krutoy);
        QCOMPARE(t.s.Label5.Caption, std::string("18"));
        QCOMPARE(turnButtons(t.s), std::string("110"));
    }

    void onlyZeroDiceTakeable()
    {
        Table t;
        t.computersTurn();
        t.computerThrow(faces({0, 4, 0, 4, 4}), flags("T-T--"), Level::Byvaly);
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        QCOMPARE(tops(t.s), std::string("_____"));
        QCOMPARE(enabledDice(t.s), std::string("T-T--"));
        QCOMPARE(captions(t.s), std::string("[0][4][0][4][4]"));
        QCOMPARE(turnButtons(t.s), std::string("001"));
        timer1Tick(t.s);  // nothing set aside: the "0" dice stay enabled until the next throw
        QCOMPARE(enabledDice(t.s), std::string("T-T--"));
    }

    void continuingThrowLeavesTakenDiceForTheReferee()
    {
        Table t;
        t.computersTurn();
        t.computerThrow(faces({2, 0, 3, 1, 1}), flags("TT-T-"), Level::Lamer);
        QCOMPARE(t.s.Label1.Caption, std::string("3"));
        QCOMPARE(tops(t.s), std::string("^__^_"));  // the "0" die went straight back
        QCOMPARE(captions(t.s), std::string("[2][0][3][1][1]"));
        QCOMPARE(enabledDice(t.s), std::string("TT-T-"));
        QCOMPARE(turnButtons(t.s), std::string("001"));
        timer1Tick(t.s);
        QCOMPARE(captions(t.s), std::string("[X][0][3][X][1]"));
        QCOMPARE(enabledDice(t.s), std::string("-T---"));
    }

    void setAsideDiceNeverCountTwice()
    {
        Table t;
        t.computersTurn();
        t.computerThrow(faces({2, 3, 1, 1, 1}), flags("TT---"), Level::Lamer);
        QCOMPARE(t.s.Label1.Caption, std::string("5"));
        QCOMPARE(captions(t.s), std::string("[2][3][1][1][1]"));
        QCOMPARE(tops(t.s), std::string("^^___"));
        QCOMPARE(enabledDice(t.s), std::string("TT---"));  // until the referee's tick
        timer1Tick(t.s);
        QCOMPARE(captions(t.s), std::string("[X][X][1][1][1]"));
        // The flags of the set-aside dice come up takeable again but stay off.
        t.computerThrow(faces({5, 5, 1, 0, 2}), flags("TTT--"), Level::Lamer);
        QCOMPARE(captions(t.s), std::string("[X][X][1][0][2]"));
        QCOMPARE(enabledDice(t.s), std::string("--T--"));
        QCOMPARE(t.s.Label1.Caption, std::string("6"));
    }

    void allFiveSetAsideThenBust()
    {
        Table t;
        t.s.Label5.Caption = "33";
        t.computersTurn();
        t.computerThrow(faces({1, 1, 1, 1, 1}), flags("TTTTT"), Level::Lamer);
        QCOMPARE(t.s.Label1.Caption, std::string("5"));
        QCOMPARE(tops(t.s), std::string("^^^^^"));
        timer1Tick(t.s);
        t.computerThrow(faces({5, 5, 5, 5, 5}), flags("TTTTT"), Level::Lamer);
        QCOMPARE(t.s.Label1.Caption, std::string("0"));
        QCOMPARE(t.s.Label5.Caption, std::string("33"));
        QCOMPARE(turnButtons(t.s), std::string("110"));
        QCOMPARE(captions(t.s), std::string("[ ][ ][ ][ ][ ]"));
        QCOMPARE(tops(t.s), std::string("_____"));
    }

    // ----- The referee -----

    void refereeRounds_data()
    {
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<QString>("totalAfter");
        QTest::addColumn<QString>("counterAfter");
        QTest::newRow("100 wins nothing") << "100" << "0" << "100" << "0";
        QTest::newRow("101 wins a round") << "101" << "0" << "0" << "1";
        QTest::newRow("second round") << "140" << "1" << "0" << "2";
        QTest::newRow("third round") << "107" << "2" << "0" << "3";
        QTest::newRow("after the end the total stays") << "130" << "3" << "130" << "3";
        QTest::newRow("low total") << "64" << "2" << "64" << "2";
    }
    void refereeRounds()
    {
        QFETCH(QString, total);
        QFETCH(QString, counter);
        QFETCH(QString, totalAfter);
        QFETCH(QString, counterAfter);
        const bool won = counterAfter != counter;
        for (const bool player : {true, false}) {
            TableState s;
            s.Label1.Caption = "6";
            (player ? s.Label4 : s.Label5).Caption = total.toStdString();
            (player ? s.Label7 : s.Label8).Caption = counter.toStdString();
            (player ? s.Label5 : s.Label4).Caption = "77";
            (player ? s.Label8 : s.Label7).Caption = "1";
            timer1Tick(s);
            QCOMPARE(q((player ? s.Label4 : s.Label5).Caption), totalAfter);
            QCOMPARE(q((player ? s.Label7 : s.Label8).Caption), counterAfter);
            QCOMPARE(s.Label1.Caption, std::string(won ? "0" : "6"));
            QCOMPARE((player ? s.Label5 : s.Label4).Caption, std::string("77"));
            QCOMPARE((player ? s.Label8 : s.Label7).Caption, std::string("1"));
            const bool over = counterAfter == "3";
            QCOMPARE(q(s.Label10.Caption), over ? q(player ? PlayerWon : ComputerWon) : QString());
            QCOMPARE(turnButtons(s), std::string(over ? "000" : "110"));
            QCOMPARE(s.Command5.Visible, over && player);
        }
    }

    void bothSidesWinInOneTick_data()
    {
        QTest::addColumn<QString>("player");
        QTest::addColumn<QString>("computer");
        QTest::addColumn<QString>("status");
        QTest::newRow("first rounds") << "0" << "0" << "";
        QTest::newRow("player's last round") << "2" << "0" << q(PlayerWon);
        QTest::newRow("computer's last round") << "1" << "2" << q(ComputerWon);
        QTest::newRow("both last rounds: the computer's text stays") << "2" << "2" << q(ComputerWon);
    }
    void bothSidesWinInOneTick()
    {
        QFETCH(QString, player);
        QFETCH(QString, computer);
        QFETCH(QString, status);
        TableState s;
        s.Label4.Caption = "112";
        s.Label5.Caption = "104";
        s.Label1.Caption = "3";
        s.Label7.Caption = player.toStdString();
        s.Label8.Caption = computer.toStdString();
        timer1Tick(s);
        QCOMPARE(s.Label7.Caption, std::to_string(player.toInt() + 1));
        QCOMPARE(s.Label8.Caption, std::to_string(computer.toInt() + 1));
        QCOMPARE(s.Label4.Caption, std::string("0"));
        QCOMPARE(s.Label5.Caption, std::string("0"));
        QCOMPARE(s.Label1.Caption, std::string("0"));
        QCOMPARE(q(s.Label10.Caption), status);
        QCOMPARE(s.Command5.Visible, status == q(PlayerWon));
    }

    void victoryAppearsInTheSameTick()
    {
        Table t;
        t.s.Label7.Caption = "2";
        t.s.Label4.Caption = "99";
        t.s.Label1.Caption = "2";
        command3Click(t.s);
        QCOMPARE(t.s.Label10.Caption, std::string());
        timer1Tick(t.s);
        QCOMPARE(t.s.Label7.Caption, std::string("3"));
        QCOMPARE(t.s.Label10.Caption, PlayerWon);
        QCOMPARE(turnButtons(t.s), std::string("000"));
        QVERIFY(t.s.Command5.Visible);
    }

    void saveResultButtonBackAtTheNextTick()
    {
        TableState s;
        s.Label7.Caption = "3";
        timer1Tick(s);
        QVERIFY(s.Command5.Visible);
        command5Click(s);
        QVERIFY(!s.Command5.Visible);
        timer1Tick(s);
        QVERIFY(s.Command5.Visible);
        QCOMPARE(s.Label10.Caption, PlayerWon);
    }

    void computerVictoryKeepsSaveResultHidden()
    {
        TableState s;
        s.Label8.Caption = "2";
        s.Label5.Caption = "101";
        for (int i = 0; i < 5; ++i) {
            timer1Tick(s);
            QCOMPARE(s.Label10.Caption, ComputerWon);
            QVERIFY(!s.Command5.Visible);
            QCOMPARE(turnButtons(s), std::string("000"));
        }
    }

    void refereeMarksOnlySetAsideDice()
    {
        TableState s;
        s.Command1[1] = {SetAside, "4", true};
        s.Command1[3] = {SetAside, "", true};
        s.Command1[2] = {OnTable, "5", true};
        s.Command1[4] = {OnTable, " ", false};
        timer1Tick(s);
        QCOMPARE(captions(s), std::string("[][X][5][X][ ]"));
        QCOMPARE(enabledDice(s), std::string("T-T--"));
    }

    void tickAtStartChangesNothing()
    {
        TableState s;
        timer1Tick(s);
        QVERIFY(s == TableState{});
    }

    // Running the referee twice is the same as running it once, on states of every kind.
    void refereeIsIdempotent()
    {
        std::mt19937_64 rng(20240611);
        int changed = 0;
        for (int i = 0; i < 100000; ++i) {
            const TableState start = randomState(rng);
            TableState once = start;
            timer1Tick(once);
            TableState twice = once;
            timer1Tick(twice);
            if (!(twice == once))
                QFAIL(qPrintable(QStringLiteral("state %1: a second tick changed it").arg(i)));
            changed += !(once == start);
        }
        QVERIFY(changed > 50000);  // the states were worth refereeing
    }

    void settledByReferee_data()
    {
        QTest::addColumn<TableMove>("action");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("rounds");
        QTest::addColumn<bool>("saveShown");
        QTest::newRow("a take: the die is marked") << TableMove{offered, Move::Command1Click, 0} << "" << "0:0" << false;
        QTest::newRow("the player's victory") << TableMove{playerNearVictory, Move::Command3Click} << "Ты ПОБЕДИЛ!" << "3:0"
                                              << true;
        QTest::newRow("both over 100 at once: the computer's text stays")
            << TableMove{[](TableState &s) {
                             playerNearVictory(s);
                             s.Label8.Caption = "2";
                             s.Label5.Caption = "200";
                         },
                         Move::Command3Click}
            << "Победил  компьютер !" << "3:3" << false;
    }

    // The referee's settled table is what its ticks leave, and one more tick changes nothing.
    void settledByReferee()
    {
        QFETCH(TableMove, action);
        QFETCH(QString, status);
        QFETCH(QString, rounds);
        QFETCH(bool, saveShown);
        const TableState handled = play(action).handled;
        TableState s = zarviki::settledByReferee(handled);
        QCOMPARE(QString::fromStdString(s.Label10.Caption), status);
        QCOMPARE(QString::fromStdString(s.Label7.Caption + ":" + s.Label8.Caption), rounds);
        QCOMPARE(s.Command5.Visible, saveShown);
        for (int i = 0; i < DiceCount; ++i)
            QVERIFY(handled.Command1[i].Top != SetAside || (s.Command1[i].Caption == "X" && !s.Command1[i].Enabled));
        const TableState settled = s;
        timer1Tick(s);
        QVERIFY(s == settled);
    }
};

QTEST_APPLESS_MAIN(TableRulesTest)
#include "tst_tablerules.moc"
