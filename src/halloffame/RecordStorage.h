// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the record folder outlives the game. On a desktop the disk keeps it, and a synced folder is
// kept. In a browser the game's files live in memory, and the browser's own storage keeps the
// record folder: each synced folder is written there whole.

#include <QString>

namespace zarviki::recordfs {

// Has the folder's files kept, whole, as the game's current step leaves them; 0 or an errno value.
int keepFolder(const QString &folder);

}  // namespace zarviki::recordfs
