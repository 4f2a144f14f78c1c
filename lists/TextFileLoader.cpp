#include "lists/TextFileLoader.h"

#include "app/UserDialogs.h"
#include "lists/RowModel.h"
#include "sort/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QtEndian>

#include <sys/sysinfo.h>

#include <algorithm>
#include <array>
#include <new>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

// Windows-1252; the five bytes that code page leaves undefined keep their value.
constexpr std::array<char16_t, 32> Windows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr std::array<char16_t, 256> makeWindows1252Table()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[size_t(b)] = (b >= 0x80 && b < 0xA0) ? Windows1252High[size_t(b - 0x80)] : char16_t(b);
    return table;
}

constexpr std::array<char16_t, 256> Windows1252 = makeWindows1252Table();

QString fromWindows1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0, n = bytes.size(); i < n; ++i)
        out[i] = Windows1252[in[i]];
    return text;
}

QString fromUtf16Bytes(QByteArrayView bytes)
{
    const auto *in = reinterpret_cast<const uchar *>(bytes.data());
    const bool twoBytes = bytes.size() >= 2;
    const bool bigEndian = twoBytes && in[0] == 0xFE && in[1] == 0xFF;
    const bool littleEndianMark = twoBytes && in[0] == 0xFF && in[1] == 0xFE;
    const qsizetype start = (bigEndian || littleEndianMark) ? 2 : 0;
    const qsizetype units = (bytes.size() - start) / 2;
    const bool oddByte = (bytes.size() - start) % 2 != 0;

    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(text.data());
    if (bigEndian)
        qFromBigEndian<char16_t>(in + start, units, out);
    else
        qFromLittleEndian<char16_t>(in + start, units, out);
    if (oddByte)
        out[units] = QChar::ReplacementCharacter;
    return text;
}

void appendRow(QStringList &rows, QStringView line)
{
    const auto notBlank = [](QChar c) { return c != u' ' && c != u'\r'; };
    if (std::find_if(line.begin(), line.end(), notBlank) == line.end())
        return;
    if (!line.contains(u'\r')) {
        rows.append(line.toString());
        return;
    }
    QString row;
    row.reserve(line.size());
    for (QChar c : line) {
        if (c != u'\r')
            row.append(c);
    }
    rows.append(row);
}

QString quoted(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

Failure cannotRead(const QString &path, const QString &reason)
{
    return Failure(u"Cannot read "_s + quoted(path) + u": "_s + reason);
}

Failure outOfMemory(const QString &path)
{
    return Failure(u"Out of memory while loading "_s + quoted(path));
}

// The bytes, the decoded text and the rows live side by side for a moment; a
// file whose load would need more than the machine's memory and swap is
// refused before the system has to kill the program for it.
bool fitsInMemory(qint64 fileSize)
{
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return true;
    const double total = (double(info.totalram) + double(info.totalswap)) * info.mem_unit;
    return double(fileSize) * 4 <= total;
}

QByteArray readWholeFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw cannotRead(path, u"It is a folder"_s);
    if (!info.isFile())
        throw cannotRead(path, u"It is not a regular file"_s);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw cannotRead(path, file.errorString());

    const qint64 size = file.size();
    if (!fitsInMemory(size))
        throw outOfMemory(path);

    QByteArray bytes;
    bytes.resize(size);
    qint64 done = 0;
    while (done < size) {
        const qint64 got = file.read(bytes.data() + done, size - done);
        if (got < 0)
            throw cannotRead(path, file.errorString());
        if (got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);

    // Files that report no size (or grew meanwhile) are read on to their end.
    char chunk[65536];
    for (;;) {
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0)
            throw cannotRead(path, file.errorString());
        if (got == 0)
            break;
        if (!fitsInMemory(bytes.size() + got))
            throw outOfMemory(path);
        bytes.append(chunk, got);
    }
    return bytes;
}

} // namespace

QString TextFromFileBytes(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const auto first = static_cast<uchar>(bytes.front());
    if (first == 0xFF || first == 0xFE)
        return fromUtf16Bytes(bytes);

    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return fromWindows1252(bytes);
}

QStringList RowsFromText(QStringView text)
{
    QStringList rows;
    qsizetype from = 0;
    for (;;) {
        qsizetype lineFeed = text.indexOf(u'\n', from);
        const bool last = lineFeed < 0;
        if (last)
            lineFeed = text.size();
        appendRow(rows, text.sliced(from, lineFeed - from));
        if (last)
            break;
        from = lineFeed + 1;
    }
    return rows;
}

QStringList RowsFromBytes(QByteArrayView bytes)
{
    return RowsFromText(TextFromFileBytes(bytes));
}

bool TextFileExists(const QString &path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString ReadWholeTextFile(const QString &path)
{
    if (!TextFileExists(path))
        return {};
    try {
        return TextFromFileBytes(readWholeFile(path));
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}

QStringList RowsFromTextFile(const QString &path)
{
    try {
        return RowsFromText(ReadWholeTextFile(path));
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}

void LoadTextFileIntoListview(RowModel &list, const QString &path, UserDialogs &dialogs,
                              const QString &shortTitle)
{
    if (!TextFileExists(path)) {
        dialogs.message(u"File not found"_s, shortTitle, UserDialogs::Icon::None);
        return;
    }
    try {
        list.append(RowsFromTextFile(path));
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}
