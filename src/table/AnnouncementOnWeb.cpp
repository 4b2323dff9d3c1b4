// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Announcement.h"

#include <QWidget>
#include <emscripten.h>

namespace zarviki {

// A browser's screen reader hears the page, not Qt: the news goes straight to the page's live region
// (or the browser's own announcement), which the page's accessibility bridge keeps beside the game
// (app/PageAccessibilityOnWeb.js). Qt sends no event of it, and the announcer stays hidden.
void tellReader(QWidget *, const QString &said)
{
    EM_ASM({ if (Module.zarvikiPage && Module.zarvikiPage.wanted()) Module.zarvikiPage.say(UTF8ToString($0)); },
           said.toUtf8().constData());
}

}  // namespace zarviki
