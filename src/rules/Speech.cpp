// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Speech.h"

#include <vector>

namespace zarviki {

namespace {

using Words = std::vector<std::string>;

std::string number(long long n) { return decimalText(n); }

std::string joined(const Words &items, const std::string &separator)
{
    std::string list;
    for (std::size_t i = 0; i < items.size(); ++i)
        list += (i == 0 ? "" : separator) + items[i];
    return list;
}

// "5 и 2", "5, 3 и 1": as one says a list aloud.
std::string spokenList(const Words &items)
{
    if (items.size() < 2)
        return joined(items, ", ");
    return joined(Words(items.begin(), items.end() - 1), ", ") + " и " + items.back();
}

// "кубики 1, 3 и 4", "кубик 2".
std::string diceList(const std::vector<int> &dice)
{
    Words numbers;
    for (int i : dice)
        numbers.push_back(number(i + 1));
    return (dice.size() == 1 ? "кубик " : "кубики ") + spokenList(numbers);
}

std::string score(const TableState &s)
{
    return "Счёт: " + s.Label2.Caption + " " + s.Label4.Caption + ", " + s.Label3.Caption + " " + s.Label5.Caption + ".";
}

long long gained(const Caption &before, const Caption &after)
{
    return leadingNumber(after.Caption) - leadingNumber(before.Caption);
}

std::string playerThrew(const TableState &s)
{
    if (!s.Command2.Enabled)
        return "Сгорел: взять нечего, текущее значение пропало.";
    Words faces;
    std::vector<int> takeable;
    for (int i = 0; i < DiceCount; ++i) {
        faces.push_back(s.Command1[i].Top == SetAside ? "отложен" : s.Command1[i].Caption);
        if (dieTakeable(s, i))
            takeable.push_back(i);
    }
    return "Бросок: " + joined(faces, ", ") + ". Можно взять " + diceList(takeable) + ".";
}

std::string computerThrew(const TableState &before, const TableState &s)
{
    const std::string &computer = s.Label3.Caption;
    if (s.Command4.Enabled) {
        // Dice set aside by this throw still show their faces; earlier ones already show "X".
        Words faces;
        for (const DieButton &die : s.Command1)
            if (die.Top == SetAside && die.Caption != "X")
                faces.push_back(die.Caption);
        const std::string took =
            faces.empty() ? computer + " ничего не отложил." : computer + " отложил " + spokenList(faces) + ".";
        return took + " Текущее значение " + s.Label1.Caption + ".";
    }
    if (s.Label5 == before.Label5)
        return computer + " сгорел: взять нечего. " + score(s);
    return computer + " записал " + number(gained(before.Label5, s.Label5)) + ". " + score(s);
}

std::string handlerDid(Move move, int die, const TableState &before, const TableState &s)
{
    switch (move) {
    case Move::Command1Click:
        return "Кубик " + number(die + 1) + " взят: " + number(leadingNumber(before.Command1[die].Caption))
               + ". Текущее значение " + s.Label1.Caption + ".";
    case Move::Command2Click:
        return playerThrew(s);
    case Move::Command3Click:
        return "Записано " + number(gained(before.Label4, s.Label4)) + ". " + score(s);
    case Move::Command4Click:
        return computerThrew(before, s);
    case Move::Command5Click:
        break;
    }
    return {};
}

// The rounds won and the victory, in the status line's own words.
std::string refereeDid(const TableState &handled, const TableState &s)
{
    std::string said;
    const auto round = [&](const Caption &counter, const Caption &was, const Caption &name) {
        if (counter != was)
            said += " Раунд выиграл " + name.Caption + ", раунды " + s.Label7.Caption + " : " + s.Label8.Caption + ".";
    };
    round(s.Label7, handled.Label7, s.Label2);
    round(s.Label8, handled.Label8, s.Label3);
    if (s.Label10 != handled.Label10 && !s.Label10.Caption.empty())
        said += " " + s.Label10.Caption;
    return said;
}

// Whose move it is, when the move has passed and the game goes on.
std::string turnPassed(const TableState &before, const TableState &s)
{
    if (!s.Label10.Caption.empty() || before.Command4.Enabled == s.Command4.Enabled)
        return {};
    return s.Command4.Enabled ? " Ходит " + s.Label3.Caption + "." : " Твой ход.";
}

}  // namespace

std::string spokenAfter(Move move, int die, const TableState &before, const TableState &handled,
                        const TableState &settled)
{
    // A second click on a die that waits for the referee's mark changes nothing, and says nothing.
    if (move == Move::Command5Click || handled == before)
        return {};
    std::string said = handlerDid(move, die, before, handled) + refereeDid(handled, settled) + turnPassed(before, settled);
    while (!said.empty() && said.front() == ' ')
        said.erase(said.begin());
    return said;
}

std::string dieSpokenName(int index, const DieButton &die)
{
    const std::string which = "Кубик " + number(index + 1);
    if (die.Caption == "X")
        return which + ": X, отложен";
    if (die.Caption.empty() || die.Caption == " ")
        return which + ": пусто";
    return which + ": " + die.Caption;
}

}  // namespace zarviki
