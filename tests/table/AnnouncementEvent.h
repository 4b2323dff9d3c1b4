// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one event by which the platform's tellReader() (src/table/Announcement.h) hands the reader an
// announcement, as a screen reader listening on that platform's bridge sees it.

#include <QAccessible>

namespace zarviki::testing {

QAccessible::Event announcementEvent();

}  // namespace zarviki::testing
