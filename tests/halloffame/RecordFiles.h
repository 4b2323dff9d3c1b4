// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helpers for the hero record files: exact bytes in and out, and what a folder holds.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <QStringList>

#include "halloffame/HeroRecord.h"
#include "halloffame/RecordPair.h"
#include "halloffame/RecordWriter.h"

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
    if (bytes.isNull())
        bytes = QByteArray("");
    return bytes;
}

inline QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// The whole save as the winner window makes it.
inline bool save(const QString &name, const QString &about, RecordWriter &w)
{
    return w.open(RecordWriter::NameFile) && w.writeLine(RecordWriter::NameFile, name)
           && w.close(RecordWriter::NameFile) && w.open(RecordWriter::AboutFile)
           && w.writeLine(RecordWriter::AboutFile, about) && w.close(RecordWriter::AboutFile) && w.replace();
}

// A record read as the name and the words with a slash between, or "-" for no record.
inline QString shown(const std::optional<HeroRecord> &record)
{
    return record ? record->name + QLatin1Char('/') + record->about : QStringLiteral("-");
}

}  // namespace zarviki::testing
