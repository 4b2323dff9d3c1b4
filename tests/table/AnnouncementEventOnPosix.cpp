// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnnouncementEvent.h"

namespace zarviki::testing {

// AT-SPI: the announcer shows anew.
QAccessible::Event announcementEvent()
{
    return QAccessible::ObjectShow;
}

}  // namespace zarviki::testing
