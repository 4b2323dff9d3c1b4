// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/Colloquial.h"

namespace zarviki {

void applyColloquialCaptions(TableState &s)
{
    s.Label3.Caption = "Железяка";
    s.Command4.Caption = "для IBM";
    s.Command3.Caption = "Пас";
    s.Command2.Caption = "Раздать";
    s.Frame1.Caption = "Лаве";
}

}  // namespace zarviki
