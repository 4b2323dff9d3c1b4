// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The table window's game state: exactly the control properties the game reads and writes,
// named as the controls of the table window are named. No toolkit here.

#include <array>
#include <string>
#include <string_view>

namespace zarviki {

// Top of a die button, in twips: on the table, or set aside in the row above it.
inline constexpr int OnTable = 1560;
inline constexpr int SetAside = 0;

inline constexpr int DiceCount = 5;

struct DieButton {
    int Top = OnTable;
    std::string Caption;  // empty before the first throw; a face "0".."5", "X" or " "
    bool Enabled = true;  // the die may be taken
    bool operator==(const DieButton &) const = default;
};

struct TurnButton {
    std::string Caption;
    bool Enabled = true;
    bool operator==(const TurnButton &) const = default;
};

struct SaveButton {
    bool Visible = false;
    bool operator==(const SaveButton &) const = default;
};

struct Caption {
    std::string Caption;
    bool operator==(const struct Caption &) const = default;
};

inline const std::string PlayerWon = "Ты ПОБЕДИЛ!";
inline const std::string ComputerWon = "Победил  компьютер !";

struct TableState {
    std::array<DieButton, DiceCount> Command1{};
    TurnButton Command2{"Скинуть !", true};     // throw
    TurnButton Command3{"Хватит !", true};      // stand
    TurnButton Command4{"Ход компа !", false};  // computer's move
    SaveButton Command5{};                      // "Сохронить результат"
    Caption Frame1{"Текущее значение"};
    Caption Label1{"0"};          // current value
    Caption Label2{"User"};       // player's name
    Caption Label3{"Компьютер"};  // opponent's name
    Caption Label4{"0"};          // player total
    Caption Label5{"0"};          // computer total
    Caption Label7{"0"};          // player's round counter
    Caption Label8{"0"};          // computer's round counter
    Caption Label10{};            // status line
    bool operator==(const TableState &) const = default;
};

// Leading-number rule: skip leading blanks, then read the longest run of decimal digits;
// text without leading digits reads 0. "X", " " and the empty caption read 0.
long long leadingNumber(std::string_view text);

// The shortest decimal text of a whole number: "0", "7", "105".
std::string decimalText(long long value);

// Whether die `index` may be taken now: enabled and still on the table. A die set aside but not
// yet marked by the referee is still enabled, and is not takeable.
bool dieTakeable(const TableState &s, int index);

}  // namespace zarviki
