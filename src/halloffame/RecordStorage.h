// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where the record folder outlives the game: on a desktop the disk keeps it; in a browser the
// game's files live in memory and the browser's own storage keeps the folder (docs/hall-of-fame.md).

#include <QString>

namespace zarviki::recordfs {

// Has the folder kept whole as the save or the finishing read that calls it leaves it, once the
// game's step is over.
void keepFolder(const QString &folder);

}  // namespace zarviki::recordfs
