// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helpers for the hero record files: exact bytes in and out, what a folder holds, and a watch
// between the record and the system's file calls.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "halloffame/HeroRecord.h"
#include "halloffame/RecordFileSystem.h"

namespace zarviki::testing {

// Points the user's data location at a fresh folder for the rest of the run, so that the tests
// never read or write the record of whoever runs them. Returns the folder; it goes at exit.
inline QString useTemporaryDataHome()
{
    static QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    return home.path();
}

inline void putBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The bytes of a file, or a null array when it is not there.
inline QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = f.readAll();
    return bytes.isNull() ? QByteArray("") : bytes;
}

inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// What a folder holds after a whole save.
inline const QStringList SavedFolder{QStringLiteral("имя"), QStringLiteral("имя.guard"), QStringLiteral("о_себе")};

// A record read as the name and the words with a slash between, or "-" for no record.
inline QString shown(const std::optional<HeroRecord> &record)
{
    return record ? record->name + QLatin1Char('/') + record->about : QStringLiteral("-");
}

// Each of the record's file calls is told to `before`, which may fail it with an error number
// (or stop the game there), and to `after` with its result. The call's name is the file's or
// folder's name; calls on an open file tell the name it was opened with.
struct Watch {
    std::function<int(const QString &call, const QString &name)> before;
    std::function<void(const QString &call, const QString &name, int result)> after;
};
inline Watch &watch()
{
    static Watch w;
    return w;
}
inline QHash<recordfs::Handle, QString> &openNames()
{
    static QHash<recordfs::Handle, QString> names;
    return names;
}

template <typename Real, typename... Args>
int told(const char *call, const QString &name, recordfs::Handle *opened, Real real, Args &&...args)
{
    const Watch w = watch();
    const QString c = QString::fromLatin1(call);
    if (const int error = w.before ? w.before(c, name) : 0)
        return error;
    const int result = real(std::forward<Args>(args)...);
    if (opened && !result)
        openNames()[*opened] = name;
    if (w.after)
        w.after(c, name, result);
    return result;
}

// Puts the watch between the record and the system, once per run.
inline void watchRecordCalls()
{
    using namespace recordfs;
    static const Calls real = calls;
    calls = {
        .openFolder = [](const QString &p, Handle *h) { return told("open folder", p, h, real.openFolder, p, h); },
        .makeFolder = [](const Folder &f, const QString &n) { return told("make folder", n, nullptr, real.makeFolder, f, n); },
        .lock = [](const Folder &f, const QString &n, Handle *h) { return told("lock", n, h, real.lock, f, n, h); },
        .entry = [](const Folder &f, const QString &n, Entry *e) { return told("entry", n, nullptr, real.entry, f, n, e); },
        .openFile = [](const Folder &f, const QString &n, Handle *h, Entry *e) { return told("open", n, h, real.openFile, f, n, h, e); },
        .read = [](Handle h, char *b, qint64 s, qint64 *g) { return told("read", openNames().value(h), nullptr, real.read, h, b, s, g); },
        .create = [](const Folder &f, const QString &n, Handle *h) { return told("create", n, h, real.create, f, n, h); },
        .write = [](Handle h, QByteArrayView b) { return told("write", openNames().value(h), nullptr, real.write, h, b); },
        .sync = [](Handle h) { return told("sync", openNames().value(h), nullptr, real.sync, h); },
        // A close that fails has still let the file go, as close() does: the failure is told after it.
        .close = [](Handle h) {
            const int closed = real.close(h);
            return told("close", openNames().take(h), nullptr, [closed] { return closed; });
        },
        .rename = [](const Folder &f, const QString &from, const QString &to) { return told("rename", to, nullptr, real.rename, f, from, to); },
        .remove = [](const Folder &f, const QString &n) { return told("remove", n, nullptr, real.remove, f, n); },
        .syncFolder = [](const Folder &f) { return told("sync folder", QFileInfo(f.path).fileName(), nullptr, real.syncFolder, f); },
    };
}

}  // namespace zarviki::testing
