// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registration window's level options, as the computer's throw reads them: the one option
// selected says when the computer banks and with what bonus.

namespace zarviki {

struct LevelOptions {
    bool Option1 = false;  // "Крутой": banks at 4 or more, bonus 13
    bool Option3 = true;   // "Бывалый": banks above 6, bonus 7
    bool Option2 = false;  // "Л@мер": banks above 8, bonus 3
};

}  // namespace zarviki
