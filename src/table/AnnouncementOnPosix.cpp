// SPDX-License-Identifier: GPL-3.0-or-later
#include "table/Announcement.h"

#include <QAccessible>
#include <QWidget>

namespace zarviki {

// A reader on the AT-SPI bus (Orca) speaks a notification when it becomes showing. Shown once, it
// stays, and each later announcement tells the reader it shows anew: one event where a hide and a
// show were two.
void tellReader(QWidget *announcer, const QString &)
{
    if (announcer->isHidden()) {
        announcer->show();
        return;
    }
    QAccessibleEvent shown(announcer, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

}  // namespace zarviki
