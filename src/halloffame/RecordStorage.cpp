// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordStorage.h"

namespace zarviki::recordfs {

// The disk has the folder once it is synced.
void keepFolder(const QString &) {}

}  // namespace zarviki::recordfs
