#include "lists/TextFileLoader.h"

#include "core/Failure.h"
#include "core/Files.h"
#include "core/Progress.h"
#include "core/UserDialogs.h"
#include "lists/RowModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
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
        table[size_t(b)] =
            (b >= 0x80 && b < 0xA0) ? Windows1252High[size_t(b - 0x80)] : char16_t(b);
    return table;
}

constexpr std::array<char16_t, 256> Windows1252 = makeWindows1252Table();

// The decoders turn a run of bytes into UTF-16 code units at out and give the
// end of what they wrote. With dropCarriageReturns set they delete carriage
// returns on the way, so that splitting needs no second pass for them.

char16_t *windows1252Units(const uchar *p, const uchar *end, char16_t *out,
                           bool dropCarriageReturns)
{
    for (; p < end; ++p) {
        *out = Windows1252[*p];
        out += (dropCarriageReturns && *p == '\r') ? 0 : 1;
    }
    return out;
}

constexpr quint64 HighBits = 0x8080808080808080ull;
constexpr quint64 LowBits = 0x0101010101010101ull;

bool holdsCarriageReturn(quint64 eightBytes)
{
    const quint64 x = eightBytes ^ (LowBits * '\r');
    return ((x - LowBits) & ~x & HighBits) != 0;
}

bool continuation(uchar b)
{
    return (b & 0xC0) == 0x80;
}

// Strict UTF-8: no overlong forms, no encoded surrogates, nothing above
// U+10FFFF, no sequence cut off at the end. Gives nullptr as soon as the bytes
// turn out not to be UTF-8. Never writes more units than it reads bytes.
char16_t *utf8Units(const uchar *p, const uchar *end, char16_t *out, bool dropCarriageReturns)
{
    while (p < end) {
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, sizeof word);
            if ((word & HighBits) == 0 && !(dropCarriageReturns && holdsCarriageReturn(word))) {
                for (int i = 0; i < 8; ++i)
                    out[i] = p[i];
                out += 8;
                p += 8;
                continue;
            }
        }
        const uchar b = *p;
        if (b < 0x80) {
            if (!(dropCarriageReturns && b == '\r'))
                *out++ = b;
            ++p;
        } else if (b < 0xC2) {
            return nullptr;
        } else if (b < 0xE0) {
            if (end - p < 2 || !continuation(p[1]))
                return nullptr;
            *out++ = char16_t(((b & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (b < 0xF0) {
            if (end - p < 3 || !continuation(p[1]) || !continuation(p[2]))
                return nullptr;
            if ((b == 0xE0 && p[1] < 0xA0) || (b == 0xED && p[1] >= 0xA0))
                return nullptr;
            *out++ = char16_t(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else if (b < 0xF5) {
            if (end - p < 4 || !continuation(p[1]) || !continuation(p[2]) || !continuation(p[3]))
                return nullptr;
            if ((b == 0xF0 && p[1] < 0x90) || (b == 0xF4 && p[1] >= 0x90))
                return nullptr;
            const char32_t c = char32_t((b & 0x07) << 18) | char32_t((p[1] & 0x3F) << 12) |
                               char32_t((p[2] & 0x3F) << 6) | char32_t(p[3] & 0x3F);
            *out++ = QChar::highSurrogate(c);
            *out++ = QChar::lowSurrogate(c);
            p += 4;
        } else {
            return nullptr;
        }
    }
    return out;
}

bool isUtf16(QByteArrayView bytes)
{
    const auto first = static_cast<uchar>(bytes.front());
    return first == 0xFF || first == 0xFE;
}

QByteArrayView withoutUtf8Mark(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

QString fromUtf16Bytes(QByteArrayView bytes, bool dropCarriageReturns)
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
    if (dropCarriageReturns)
        text.truncate(std::remove(out, out + text.size(), u'\r') - out);
    return text;
}

// Reports how far the load of one file is: reading is the first part of the
// bar, decoding and splitting the rest, each by its share of the file's
// bytes. It yields between chunks and every so many lines; a closed window
// stops the load there, before any row was added. Without progress it does
// nothing.
class LoadMeter
{
public:
    LoadMeter(Progress *progress, qint64 bytes)
        : m_progress(progress), m_bytes(std::max<qint64>(bytes, 1))
    {
    }

    bool active() const { return m_progress != nullptr; }

    void read(qint64 done)
    {
        if (!m_progress)
            return;
        m_progress->setPosition(ReadShare * double(done) / double(m_bytes));
        m_progress->yield();
    }

    // Reading input of unknown size: the bar creeps towards the read share.
    void readSome(qint64 done)
    {
        if (!m_progress)
            return;
        constexpr double HalfWay = 64 << 20;
        m_progress->setPosition(ReadShare * double(done) / (double(done) + HalfWay));
        m_progress->yield();
    }

    // Splitting goes by this many bytes once they are known.
    void setTotal(qint64 bytes) { m_bytes = std::max<qint64>(bytes, 1); }

    // Called once per line; passes on every LinesPerStep-th.
    void split(qint64 done)
    {
        if (!m_progress || ++m_lines < LinesPerStep)
            return;
        m_lines = 0;
        m_progress->setPosition(ReadShare + (100 - ReadShare) * double(std::min(done, m_bytes)) /
                                                double(m_bytes));
        m_progress->yield();
    }

private:
    static constexpr double ReadShare = 30;
    static constexpr int LinesPerStep = 1 << 14;

    Progress *m_progress;
    qint64 m_bytes;
    int m_lines = 0;
};

bool blank(QStringView line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c == u' '; });
}

// Finds the rows of a text without carriage returns: the stretches between
// its line feeds (lineFeeds of them, when known), lines of spaces only
// skipped.
LoadedText splitRows(QString text, LoadMeter &meter, qint64 lineFeeds = -1)
{
    LoadedText loaded;
    if (lineFeeds >= 0)
        loaded.spans.reserve(std::size_t(lineFeeds + 1));
    const QStringView all(text);
    qsizetype from = 0;
    for (;;) {
        meter.split(from * 2);
        qsizetype lineFeed = all.indexOf(u'\n', from);
        const bool last = lineFeed < 0;
        if (last)
            lineFeed = all.size();
        if (!blank(all.sliced(from, lineFeed - from)))
            loaded.spans.push_back(RowSpan{from, lineFeed - from});
        if (last)
            break;
        from = lineFeed + 1;
    }
    loaded.block = std::make_shared<const QString>(std::move(text));
    return loaded;
}

// Splits bytes at their line feeds and decodes each line into one text block,
// carriage returns deleted and lines of spaces only skipped; every other line
// becomes a row, a stretch of the block. A line feed byte is never part of a
// longer UTF-8 sequence, so splitting before decoding is safe. Gives nothing
// when a line does not decode (the bytes are not UTF-8). lineFeeds is how many
// line feed bytes there are.
template <typename LineDecoder>
std::optional<LoadedText> splitBytes(QByteArrayView bytes, qint64 lineFeeds, LineDecoder decodeLine,
                                     LoadMeter &meter)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const begin = p;
    const uchar *const end = p + bytes.size();
    // No decoder writes more units than it reads bytes.
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *const first = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = first;
    LoadedText loaded;
    loaded.spans.reserve(std::size_t(lineFeeds + 1));
    for (;;) {
        meter.split(p - begin);
        const auto *lineFeed = static_cast<const uchar *>(std::memchr(p, '\n', size_t(end - p)));
        const uchar *const lineEnd = lineFeed ? lineFeed : end;
        const bool spacesOnly =
            std::all_of(p, lineEnd, [](uchar b) { return b == ' ' || b == '\r'; });
        if (!spacesOnly) {
            char16_t *const start = out;
            out = decodeLine(p, lineEnd, out);
            if (!out)
                return std::nullopt;
            loaded.spans.push_back(RowSpan{start - first, out - start});
        }
        if (!lineFeed)
            break;
        p = lineFeed + 1;
    }
    text.truncate(out - first);
    loaded.block = std::make_shared<const QString>(std::move(text));
    return loaded;
}

// The bytes of a file, and how many of them are line feeds.
struct FileBytes
{
    QByteArray bytes;
    qint64 lineFeeds = 0;
};

qint64 lineFeedsIn(QByteArrayView bytes)
{
    return std::count(bytes.begin(), bytes.end(), '\n');
}

LoadedText textOf(QByteArrayView bytes, qint64 lineFeeds, LoadMeter &meter)
{
    if (bytes.isEmpty())
        return {};
    if (isUtf16(bytes))
        return splitRows(fromUtf16Bytes(bytes, true), meter);

    std::optional<LoadedText> utf8 = splitBytes(
        withoutUtf8Mark(bytes), lineFeeds,
        [](auto p, auto end, auto out) { return utf8Units(p, end, out, true); }, meter);
    if (utf8)
        return std::move(*utf8);
    return *splitBytes(
        bytes, lineFeeds,
        [](auto p, auto end, auto out) { return windows1252Units(p, end, out, true); }, meter);
}

QStringList rowsOf(const LoadedText &loaded)
{
    QStringList rows;
    rows.reserve(qsizetype(loaded.spans.size()));
    for (const RowSpan &span : loaded.spans)
        rows.append(QStringView(*loaded.block).sliced(span.offset, span.size).toString());
    return rows;
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

Failure sourceOutOfMemory(const QString &source)
{
    return Failure(u"Out of memory while loading "_s + source);
}

// A load that would need more than the machine's memory and swap (or the
// limit given) is refused before the system has to kill the program for it.
bool fitsInMemory(qint64 bytesNeeded, qint64 limit = 0)
{
    if (limit > 0)
        return bytesNeeded <= limit;
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return true;
    const double total = (double(info.totalram) + double(info.totalswap)) * info.mem_unit;
    return double(bytesNeeded) <= total;
}

// The file's bytes and its decoded block (two bytes a character) live side by
// side for a moment, with two small records a row: where it is in the block,
// and the list's own.
qint64 bytesToLoad(qint64 fileSize, qint64 lines)
{
    return fileSize * 3 + lines * 32;
}

// Reads the file in chunks, counting its line feeds on the way, so that the
// window can repaint in between.
FileBytes readWholeFile(const QString &path, LoadMeter &meter)
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
    if (!fitsInMemory(bytesToLoad(size, 0)))
        throw outOfMemory(path);

    FileBytes read;
    QByteArray &bytes = read.bytes;
    bytes.resize(size);
    qint64 done = 0;
    constexpr qint64 Chunk = qint64(8) << 20;
    while (done < size) {
        meter.read(done);
        const qint64 got = file.read(bytes.data() + done,
                                     meter.active() ? std::min(Chunk, size - done) : size - done);
        if (got < 0)
            throw cannotRead(path, file.errorString());
        if (got == 0)
            break;
        read.lineFeeds += lineFeedsIn(QByteArrayView(bytes).sliced(done, got));
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
        if (!fitsInMemory(bytesToLoad(bytes.size() + got, 0)))
            throw outOfMemory(path);
        bytes.append(chunk, got);
        read.lineFeeds += lineFeedsIn(QByteArrayView(chunk, got));
    }
    return read;
}

Failure streamFailure(const QString &source, int error)
{
    return Failure(u"Cannot read "_s + source + u": "_s +
                   QString::fromLocal8Bit(std::strerror(error)));
}

// Reads a descriptor to its end. With progress it waits for input in short
// polls and yields between them, so a pipe that is slow to fill, or a
// terminal, leaves the window alive.
FileBytes readStream(int fd, const QString &source, LoadMeter &meter, qint64 memoryLimit)
{
    constexpr qsizetype Chunk = qsizetype(1) << 20;
    constexpr int PollMs = 20;
    FileBytes read;
    QByteArray &bytes = read.bytes;
    qsizetype size = 0;
    // A pipe that holds more at a time takes fewer turns of its writer and
    // this reader; where the system says no, it keeps its size.
    struct stat info = {};
    if (::fstat(fd, &info) == 0 && S_ISFIFO(info.st_mode))
        ::fcntl(fd, F_SETPIPE_SZ, int(Chunk));
    for (;;) {
        if (meter.active()) {
            pollfd ready{fd, POLLIN, 0};
            const int polled = ::poll(&ready, 1, PollMs);
            if (polled < 0 && errno != EINTR)
                throw streamFailure(source, errno);
            if (polled <= 0) {
                meter.readSome(size);
                continue;
            }
        }
        if (!fitsInMemory(bytesToLoad(size + Chunk, read.lineFeeds), memoryLimit))
            throw sourceOutOfMemory(source);
        bytes.resize(size + Chunk);
        const ssize_t got = ::read(fd, bytes.data() + size, size_t(Chunk));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Input left non-blocking by whoever started the program.
                pollfd ready{fd, POLLIN, 0};
                if (!meter.active())
                    ::poll(&ready, 1, -1);
                continue;
            }
            throw streamFailure(source, errno);
        }
        if (got == 0)
            break;
        read.lineFeeds += lineFeedsIn(QByteArrayView(bytes).sliced(size, got));
        size += got;
        meter.readSome(size);
    }
    bytes.truncate(size);
    return read;
}

} // namespace

QStringList rowsFromBytes(QByteArrayView bytes)
{
    LoadMeter quiet(nullptr, bytes.size());
    return rowsOf(textOf(bytes, lineFeedsIn(bytes), quiet));
}

LoadedText loadTextFile(const QString &path, Progress *progress)
{
    try {
        if (!fileExists(path))
            return {};
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + fileNameFromPath(path));
        }
        LoadMeter meter(progress, QFileInfo(path).size());
        const FileBytes file = readWholeFile(path, meter);
        if (!fitsInMemory(bytesToLoad(file.bytes.size(), file.lineFeeds)))
            throw outOfMemory(path);
        return textOf(file.bytes, file.lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}

LoadedText loadText(QString text, const QString &source, Progress *progress)
{
    try {
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + source);
        }
        LoadMeter meter(progress, text.size() * 2);
        // A large text is gone through in pieces, with the window alive in
        // between: once to count its lines, once more when it has carriage
        // returns to lose.
        constexpr qsizetype Piece = qsizetype(4) << 20;
        const QStringView all(text);
        qint64 lineFeeds = 0;
        bool carriageReturns = false;
        for (qsizetype at = 0; at < all.size(); at += Piece) {
            meter.read(at);
            const QStringView piece = all.sliced(at, std::min(Piece, all.size() - at));
            lineFeeds += piece.count(u'\n');
            carriageReturns = carriageReturns || piece.contains(u'\r');
        }
        // The text, the copy without carriage returns, and the rows.
        if (!fitsInMemory(text.size() * 4 + lineFeeds * 32))
            throw sourceOutOfMemory(source);
        if (carriageReturns) {
            QString kept(text.size(), Qt::Uninitialized);
            auto *out = reinterpret_cast<char16_t *>(kept.data());
            for (qsizetype at = 0; at < all.size(); at += Piece) {
                meter.read(all.size() + at);
                const QStringView piece = all.sliced(at, std::min(Piece, all.size() - at));
                out = std::remove_copy(piece.utf16(), piece.utf16() + piece.size(), out, u'\r');
            }
            kept.truncate(out - reinterpret_cast<const char16_t *>(kept.constData()));
            text = std::move(kept);
        }
        return splitRows(std::move(text), meter, lineFeeds);
    } catch (const std::bad_alloc &) {
        throw sourceOutOfMemory(source);
    } catch (const std::length_error &) {
        throw sourceOutOfMemory(source);
    }
}

LoadedText loadStream(int fd, const QString &source, Progress *progress, qint64 memoryLimit)
{
    try {
        if (progress) {
            progress->setPosition(0);
            progress->setText(u"Loading: "_s + source);
        }
        LoadMeter meter(progress, 0);
        const FileBytes input = readStream(fd, source, meter, memoryLimit);
        if (!fitsInMemory(bytesToLoad(input.bytes.size(), input.lineFeeds), memoryLimit))
            throw sourceOutOfMemory(source);
        meter.setTotal(input.bytes.size());
        return textOf(input.bytes, input.lineFeeds, meter);
    } catch (const std::bad_alloc &) {
        throw sourceOutOfMemory(source);
    } catch (const std::length_error &) {
        throw sourceOutOfMemory(source);
    }
}

QStringList rowsFromTextFile(const QString &path, Progress *progress)
{
    return rowsOf(loadTextFile(path, progress));
}

void appendTextFile(RowModel &list, const QString &path, UserDialogs &dialogs,
                    const QString &shortTitle, Progress *progress)
{
    if (!fileExists(path)) {
        dialogs.message(u"File not found"_s, shortTitle, UserDialogs::Icon::None);
        return;
    }
    try {
        const LoadedText loaded = loadTextFile(path, progress);
        list.append(loaded.block, loaded.spans);
    } catch (const std::bad_alloc &) {
        throw outOfMemory(path);
    } catch (const std::length_error &) {
        throw outOfMemory(path);
    }
}
