// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the table's rules suites and the window suite: the levels, the clicks the window
// allows on a table state, a random player who makes them, and the checks every state must pass.

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "rules/Move.h"

namespace zarviki::testing {

enum class Level { Krutoy, Byvaly, Lamer };

inline LevelOptions options(Level level)
{
    return {level == Level::Krutoy, level == Level::Byvaly, level == Level::Lamer};
}

inline const char *levelName(Level level)
{
    switch (level) {
    case Level::Krutoy: return "Крутой";
    case Level::Byvaly: return "Бывалый";
    case Level::Lamer: return "Л@мер";
    }
    return "?";
}

// A user action on the table window: a click on die 0..4, on Command2..Command5, or a tick.
enum Action : int { Die0 = 0, Die4 = 4, Throw = 5, Stand = 6, ComputerMove = 7, Save = 8, Tick = 9 };

inline const char *actionName(int a)
{
    static const char *const names[] = {"die 0", "die 1", "die 2", "die 3", "die 4",
                                         "Command2", "Command3", "Command4", "Command5", "tick"};
    return a >= 0 && a <= Tick ? names[a] : "?";
}

// The clicks the window lets through: enabled dice, enabled turn buttons, a visible Command5.
inline std::vector<int> allowedClicks(const TableState &s)
{
    std::vector<int> clicks;
    for (int i = 0; i < DiceCount; ++i)
        if (s.Command1[i].Enabled)
            clicks.push_back(i);
    if (s.Command2.Enabled)
        clicks.push_back(Throw);
    if (s.Command3.Enabled)
        clicks.push_back(Stand);
    if (s.Command4.Enabled)
        clicks.push_back(ComputerMove);
    if (s.Command5.Visible)
        clicks.push_back(Save);
    return clicks;
}

// A click runs its move through the rules' own dispatch; a tick is the referee's.
inline void apply(TableState &s, int action, Draws &draws, const LevelOptions &level)
{
    static const Move moves[] = {Move::Command1Click,  Move::Command1Click,  Move::Command1Click,          Move::Command1Click,            Move::Command1Click,
                                 Move::Command2Click, Move::Command3Click, Move::Command4Click, Move::Command5Click};
    if (action == Tick)
        timer1Tick(s);
    else
        zarviki::apply(s, moves[action], action <= Die4 ? action : -1, draws, level);
}

// A restless player: picks one of the allowed clicks, or lets the timer tick, at random. Each game
// it has a score it hopes to reach before it stands, and in half of the games it likes to click
// the dice left enabled during the computer's turn, which sets them aside and makes the computer
// bust more often; so both sides win games now and then. Every allowed click keeps some chance
// at every step.
class RandomUser {
public:
    explicit RandomUser(std::uint64_t seed)
        : m_rng(seed), m_target(std::uniform_int_distribution<int>(5, 18)(m_rng)), m_spoil(m_rng() % 2 ? 40 : 2)
    {
    }

    int next(const TableState &s)
    {
        const std::vector<int> clicks = allowedClicks(s);
        int onTable = 0, offered = 0;
        for (const DieButton &d : s.Command1) {
            onTable += d.Top != SetAside;
            offered += d.Top != SetAside && d.Enabled;
        }
        const long long current = leadingNumber(s.Label1.Caption);
        const bool content = current >= m_target || (current > 0 && onTable <= 1);
        std::vector<double> weights;
        for (int c : clicks) {
            if (c <= Die4)
                weights.push_back(s.Command1[c].Top == SetAside ? 0.5 : s.Command4.Enabled ? m_spoil : 4);
            else if (c == Stand)
                weights.push_back(content ? 6 : 0.2);
            else if (c == Throw)
                weights.push_back(content || offered > 0 ? 0.5 : 3);
            else
                weights.push_back(c == Save ? 1 : 2);
        }
        weights.push_back(clicks.empty() ? 1 : 3);  // a tick in between
        std::discrete_distribution<int> pick(weights.begin(), weights.end());
        const int k = pick(m_rng);
        return k < int(clicks.size()) ? clicks[k] : int(Tick);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_rng); }

private:
    std::mt19937_64 m_rng;
    int m_target;
    double m_spoil;  // how keenly it sets the computer's dice aside between its throws
};

// The game's generator, loaded when a test asks: leaning high makes high faces and takeable dice
// likelier (the better of two draws), leaning low the opposite (the worse of two). A walk leans
// high for the player's throws and low for the computer's so that its games reach the player's
// victory at every level, which a fair game at "Крутой" hardly ever does.
class LoadedChance final : public Chance {
public:
    enum Lean { Fair, High, Low };
    explicit LoadedChance(std::uint64_t sequence) : m_chance(sequence) {}
    Lean lean = Fair;
    void reseed(double seed) override { m_chance.reseed(seed); }
    float draw() override
    {
        const float a = m_chance.draw();
        if (lean == Fair)
            return a;
        const float b = m_chance.draw();
        return lean == High ? std::max(a, b) : std::min(a, b);
    }

private:
    ClockSeededGenerator m_chance;
};

inline bool isDecimalText(const std::string &t)
{
    if (t.empty() || t.size() > 18)
        return false;
    for (char c : t)
        if (c < '0' || c > '9')
            return false;
    return t == "0" || t[0] != '0';
}

inline bool isDieCaption(const std::string &c)
{
    return c.empty() || c == " " || c == "X" || (c.size() == 1 && c[0] >= '0' && c[0] <= '5');
}

inline bool isCounter(const std::string &c) { return c == "0" || c == "1" || c == "2" || c == "3"; }

// What must hold after any step; empty when it does, else what went wrong.
inline std::string checkShape(const TableState &s)
{
    for (int i = 0; i < DiceCount; ++i) {
        const DieButton &d = s.Command1[i];
        if (d.Top != OnTable && d.Top != SetAside)
            return "die " + std::to_string(i) + " at Top " + std::to_string(d.Top);
        if (!isDieCaption(d.Caption))
            return "die " + std::to_string(i) + " shows \"" + d.Caption + "\"";
    }
    for (const Caption *l : {&s.Label1, &s.Label4, &s.Label5})
        if (!isDecimalText(l->Caption))
            return "a score label holds \"" + l->Caption + "\"";
    if (!isCounter(s.Label7.Caption) || !isCounter(s.Label8.Caption))
        return "round counters \"" + s.Label7.Caption + "\" : \"" + s.Label8.Caption + "\"";
    const bool a = s.Command2.Enabled, b = s.Command3.Enabled, c = s.Command4.Enabled;
    const bool playersTurn = a && b && !c, computersTurn = !a && !b && c, over = !a && !b && !c;
    if (!playersTurn && !computersTurn && !over)
        return std::string("turn buttons ") + (a ? "1" : "0") + (b ? "1" : "0") + (c ? "1" : "0");
    if (s.Label10.Caption != "" && s.Label10.Caption != PlayerWon && s.Label10.Caption != ComputerWon)
        return "status line \"" + s.Label10.Caption + "\"";
    return {};
}

// What must hold once the referee has had its tick.
inline std::string checkRefereed(const TableState &s)
{
    for (int i = 0; i < DiceCount; ++i) {
        const DieButton &d = s.Command1[i];
        if (d.Top == SetAside && (d.Caption != "X" || d.Enabled))
            return "set-aside die " + std::to_string(i) + " not marked";
    }
    if (leadingNumber(s.Label4.Caption) > 100 && s.Label7.Caption != "3")
        return "player total " + s.Label4.Caption + " left over 100";
    if (leadingNumber(s.Label5.Caption) > 100 && s.Label8.Caption != "3")
        return "computer total " + s.Label5.Caption + " left over 100";
    if (s.Command5.Visible != (s.Label10.Caption == PlayerWon))
        return "save-result button does not follow the status line";
    TableState again = s;
    timer1Tick(again);
    if (!(again == s))
        return "a second tick changed the state";
    return {};
}

// Follows one game: round counters only move on, and once one reads "3" the result stays.
class GameHistory {
public:
    std::string check(const TableState &s)
    {
        if (s.Label7.Caption < m_player || s.Label8.Caption < m_computer)
            return "a round counter went back";
        m_player = s.Label7.Caption;
        m_computer = s.Label8.Caption;
        if (m_over) {
            if (s.Label10.Caption != m_status)
                return "the status line changed after the end: \"" + s.Label10.Caption + "\"";
            if (s.Command2.Enabled || s.Command3.Enabled || s.Command4.Enabled)
                return "a turn button came back after the end";
        } else if (m_player == "3" || m_computer == "3") {
            m_over = true;
            m_status = s.Label10.Caption;
            if (m_status != (m_computer == "3" ? ComputerWon : PlayerWon))
                return "a counter reads 3 but the status line reads \"" + m_status + "\"";
            if (s.Command2.Enabled || s.Command3.Enabled || s.Command4.Enabled)
                return "a counter reads 3 but a turn button is enabled";
        }
        return {};
    }
    bool over() const { return m_over; }
    const std::string &status() const { return m_status; }

private:
    std::string m_player = "0", m_computer = "0", m_status;
    bool m_over = false;
};

}  // namespace zarviki::testing
