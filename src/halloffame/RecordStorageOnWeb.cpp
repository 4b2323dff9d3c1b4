// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordStorage.h"

#include <QFile>
#include <cerrno>
#include <emscripten.h>

namespace zarviki::recordfs {

// The browser's side is RecordStorageOnWeb.js: it fills the folder from the browser's storage
// before the game starts, and writes it back there once the step that asked is over.
int keepFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    const int kept = EM_ASM_INT({ return Module.zarvikiKeepFolder(UTF8ToString($0)); }, path.constData());
    return kept ? EIO : 0;
}

}  // namespace zarviki::recordfs
