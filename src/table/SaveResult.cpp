// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Handlers.h"

namespace zarviki {

void command5Click(TableState &s)
{
    s.Command5.Visible = false;
}

}  // namespace zarviki
