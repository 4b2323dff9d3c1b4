// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Announcement.h"

#include <QAccessible>
#include <QWidget>

namespace zarviki {

// Qt's UI Automation bridge passes no "shown" event on to a reader. A change of value to text it
// raises as a UI Automation notification, which Narrator and NVDA speak as it comes. The announcer
// is shown all the same, so that it stands in the window's tree like any control.
void tellReader(QWidget *announcer, const QString &said)
{
    if (announcer->isHidden())
        announcer->show();
    QAccessibleValueChangeEvent changed(announcer, said);
    QAccessible::updateAccessibility(&changed);
}

}  // namespace zarviki
