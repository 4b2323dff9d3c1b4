// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordStorage.h"

#include <QFile>
#include <emscripten.h>

namespace zarviki::recordfs {

// The browser's side is RecordStorageOnWeb.js: it fills the folder from the browser's storage
// before the game starts, and writes it back there once the step that asked is over. A browser
// that keeps nothing is told on the page.
void keepFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(folder);
    EM_ASM({ Module.zarvikiKeepFolder(UTF8ToString($0)); }, path.constData());
}

}  // namespace zarviki::recordfs
