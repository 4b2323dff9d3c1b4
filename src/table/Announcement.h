// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How each platform's accessibility bridge is made to speak the announcer's words, one event per
// announcement: AnnouncementOnPosix.cpp (AT-SPI), AnnouncementOnWindows.cpp (UI Automation), and
// where the page has its own, AnnouncementOnWeb.cpp.

class QString;
class QWidget;

namespace zarviki {

// Has the screen reader speak `said`, the announcer's new words.
void tellReader(QWidget *announcer, const QString &said);

}  // namespace zarviki
