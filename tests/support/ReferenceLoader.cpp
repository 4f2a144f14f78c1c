#include "support/ReferenceLoader.h"

#include "core/Files.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace {

// Bytes 0x80-0x9F of Windows-1252; the five it leaves undefined keep their
// value. Every other byte is its own code point.
constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QString fromUtf16(QByteArrayView bytes)
{
    const auto byte = [&](qsizetype i) { return char16_t(uchar(bytes[i])); };
    const bool bigEndian = bytes.size() >= 2 && byte(0) == 0xFE && byte(1) == 0xFF;
    const bool littleEndianMark = bytes.size() >= 2 && byte(0) == 0xFF && byte(1) == 0xFE;
    QString text;
    qsizetype i = (bigEndian || littleEndianMark) ? 2 : 0;
    for (; i + 1 < bytes.size(); i += 2)
        text.append(QChar(bigEndian ? char16_t(byte(i) << 8 | byte(i + 1))
                                    : char16_t(byte(i + 1) << 8 | byte(i))));
    if (i < bytes.size())
        text.append(QChar::ReplacementCharacter);
    return text;
}

} // namespace

QString textFromFileBytes(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    if (uchar(bytes[0]) == 0xFF || uchar(bytes[0]) == 0xFE)
        return fromUtf16(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QString windows1252;
    for (const char c : bytes) {
        const uchar b = uchar(c);
        windows1252.append(QChar(b >= 0x80 && b < 0xA0 ? Windows1252High[b - 0x80] : char16_t(b)));
    }
    return windows1252;
}

QStringList rowsFromText(QStringView text)
{
    QStringList rows;
    for (QString line : text.toString().remove(u'\r').split(u'\n')) {
        if (!std::all_of(line.cbegin(), line.cend(), [](QChar c) { return c == u' '; }))
            rows.append(line);
    }
    return rows;
}

QString readWholeTextFile(const QString &path)
{
    if (!fileExists(path))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return textFromFileBytes(file.readAll());
}
