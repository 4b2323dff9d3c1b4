// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record's file calls, one file per platform; docs/hall-of-fame.md tells what the record asks
// of each. Every call works in a folder opened once, and returns 0 or an errno value (Windows
// errors are mapped onto the same values). The calls stand in a table, which the record suites wrap
// to kill a game or fail a call where they will.

#include <QString>

namespace zarviki::recordfs {

// The folder that holds the record, and the folder where older versions of the game kept it (empty
// where there was none).
QString recordFolder();
QString olderRecordFolder();

using Handle = qintptr;
inline constexpr Handle NoHandle = -1;

struct Folder { QString path; Handle handle = NoHandle; };

// What stands at a name, and which file it is: a read tells so that a name still stands for the
// file it read.
enum class Kind { None, File, Folder, Other };
struct Entry {
    Kind kind = Kind::None;
    quint64 volume = 0, file = 0;
    friend bool operator==(const Entry &, const Entry &) = default;
};

struct Calls {
    int (*openFolder)(const QString &path, Handle *folder);
    // A folder for the player alone.
    int (*makeFolder)(const Folder &parent, const QString &name);
    // Takes the lock of the file at the name, making it for the player alone; EAGAIN while another
    // game holds it. The system drops it with the handle or with the game.
    int (*lock)(const Folder &, const QString &name, Handle *lock);
    // The entry itself, never what a link points at: a link is Other.
    int (*entry)(const Folder &, const QString &name, Entry *entry);
    // A regular file for reading: never through a link (ELOOP), nothing else (EINVAL), never waits.
    int (*openFile)(const Folder &, const QString &name, Handle *file, Entry *entry);
    int (*read)(Handle file, char *buffer, qint64 size, qint64 *got);
    // A new file for the player alone; fails on anything already at the name.
    int (*create)(const Folder &, const QString &name, Handle *file);
    int (*write)(Handle file, QByteArrayView bytes);
    int (*sync)(Handle file);
    int (*close)(Handle handle);
    int (*rename)(const Folder &, const QString &from, const QString &to);
    // A file, a link, a pipe or an empty folder; nothing at the name is no failure.
    int (*remove)(const Folder &, const QString &name);
    // Puts the folder's entries (made, renamed) on the disk.
    int (*syncFolder)(const Folder &);
};
extern Calls calls;

}  // namespace zarviki::recordfs
