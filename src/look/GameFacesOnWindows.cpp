// SPDX-License-Identifier: GPL-3.0-or-later
#include "look/Look.h"

#include <QFontDatabase>

namespace zarviki {

// Windows has no Liberation Sans: the program carries the three faces its texts use (regular, bold,
// italic), under the SIL Open Font Licence that comes with it.
void installGameFaces()
{
    static const bool installed = [] {
        for (const char *face : {"Regular", "Bold", "Italic"})
            QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/LiberationSans-%1.ttf").arg(QLatin1String(face)));
        return true;
    }();
    (void)installed;
}

}  // namespace zarviki
