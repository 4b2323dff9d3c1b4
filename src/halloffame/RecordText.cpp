// SPDX-License-Identifier: GPL-3.0-or-later
#include "halloffame/RecordText.h"

#include <string_view>

namespace zarviki {

namespace {

// The upper half of Windows-1251, byte 0x80 first; the lower half is ASCII. The table is the
// game's own because Qt knows this code page only through ICU, which not every Qt build has.
// Byte 0x98 has no character in the code page; it stands for U+0098, as Windows and ICU decode
// it, so that any byte read from a record file is written back unchanged.
constexpr std::u16string_view UpperHalf =
    u"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\u0098™љ›њќћџ"
    u"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї"
    u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"
    u"абвгдежзийклмнопрстуфхцчшщъыьэюя";

}  // namespace

QByteArray encodeRecordText(const QString &text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const size_t found = c < 0x80 ? 0 : UpperHalf.find(c);
        bytes.append(c < 0x80 ? char(c) : found == UpperHalf.npos ? '?' : char(0x80 + found));
        // A surrogate pair is one character the code page lacks, and a lone surrogate none at all.
        i += QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
    }
    return bytes;
}

QString decodeRecordText(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const uchar b : bytes)
        *out++ = QChar(b < 0x80 ? char16_t(b) : UpperHalf[b - 0x80]);
    return text;
}

QByteArray recordFileContent(const QString &text) { return encodeRecordText(text) + QByteArrayLiteral("\r\n"); }

std::optional<QString> firstRecordLine(QByteArrayView content)
{
    const qsizetype cr = content.indexOf('\r');
    const QByteArrayView line = cr < 0 ? content : content.first(cr);
    if (content.isEmpty() || line.size() > MaxRecordLineBytes)
        return std::nullopt;
    return decodeRecordText(line);
}

}  // namespace zarviki
