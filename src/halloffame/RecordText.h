// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record's format: each of the two files holds one text in Windows-1251 followed by CR LF, and
// reading takes the bytes up to the first CR.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace zarviki {

// The longest first line a record file may hold; a longer one is a failed read.
inline constexpr qint64 MaxRecordLineBytes = qint64(1) << 20;
// The largest record file a save writes: the longest line and its CR LF.
inline constexpr qint64 MaxRecordFileBytes = MaxRecordLineBytes + 2;

// Text in Windows-1251; each character the code page lacks (a surrogate pair is one) becomes "?".
QByteArray encodeRecordText(const QString &text);
QString decodeRecordText(QByteArrayView bytes);

// What a record file holds for the text: its Windows-1251 bytes and CR LF.
QByteArray recordFileContent(const QString &text);

// The first line of a record file's content: the text before the first CR, or the whole content
// when it has no CR. Nothing at all for a file of zero bytes, or for a line that is too long.
std::optional<QString> firstRecordLine(QByteArrayView content);

}  // namespace zarviki
