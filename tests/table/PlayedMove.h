// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the rules suites of what is spoken, where the focus goes and what the referee makes of
// a move: one move on a prepared table, played through the rules' own dispatch, and the tables the
// moves start from.

#include <QMetaType>
#include <functional>
#include <vector>

#include "TestSupport.h"
#include "rules/Move.h"

namespace zarviki::testing {

constexpr bool T = true, U = false;

// One move on a prepared table: the handler of `move` with the draws of one throw, if any.
struct TableMove {
    std::function<void(TableState &)> table;  // the table before the move
    Move move;
    int die = -1;
    std::vector<int> faces = {};
    std::vector<bool> flags = {};
};

// The table before the move, right after its handler, and as the referee leaves it.
struct Played {
    TableState before, handled, settled;
};

inline Played play(const TableMove &m, const LevelOptions &level = {})
{
    ScriptedChance chance;
    FixedClock clock;
    Draws draws(chance, clock);
    for (int f : m.faces)
        chance.draws.push_back(face(f));
    for (bool t : m.flags)
        chance.draws.push_back(t ? takeable : untakeable);
    Played p;
    if (m.table)
        m.table(p.before);
    p.handled = p.before;
    apply(p.handled, m.move, m.die, draws, level);
    p.settled = settledByReferee(p.handled);
    return p;
}

// The player's turn after a throw of 3, 5, 0, 2, 4 with dice 1, 3 and 4 takeable.
inline void offered(TableState &s)
{
    const char *faces[] = {"3", "5", "0", "2", "4"};
    const bool flags[] = {T, U, T, T, U};
    for (int i = 0; i < DiceCount; ++i)
        s.Command1[i] = {OnTable, faces[i], flags[i]};
}

inline void computersTurn(TableState &s)
{
    s.Command2.Enabled = s.Command3.Enabled = false;
    s.Command4.Enabled = true;
}

inline void playerNearVictory(TableState &s)
{
    s.Label4.Caption = "99";
    s.Label7.Caption = "2";
    s.Label1.Caption = "5";
}

inline void computerNearVictory(TableState &s)
{
    computersTurn(s);
    s.Label4.Caption = "14";
    s.Label8.Caption = "2";
    s.Label5.Caption = "91";
}

}  // namespace zarviki::testing

Q_DECLARE_METATYPE(zarviki::testing::TableMove)
