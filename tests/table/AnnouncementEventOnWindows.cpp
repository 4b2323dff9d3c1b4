// SPDX-License-Identifier: GPL-3.0-or-later
#include "AnnouncementEvent.h"

namespace zarviki::testing {

// UI Automation: the announcer's value changes to the words.
QAccessible::Event announcementEvent()
{
    return QAccessible::ValueChanged;
}

}  // namespace zarviki::testing
