#include "lists/TextReading.h"

#include "core/Yielding.h"
#include "lists/LoadMeter.h"
#include "lists/TextDecoding.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace Qt::StringLiterals;

namespace TextReading {

namespace {

QString quoted(const QString &path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

Failure cannotRead(const QString &path, const QString &reason)
{
    return Failure(u"Cannot read "_s + quoted(path) + u": "_s + reason);
}

Failure streamFailure(const QString &source, int error)
{
    return Failure(u"Cannot read "_s + source + u": "_s +
                   QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

// Counted 16 bytes at a time: every chunk read is gone through once more,
// and a byte at a time that took as long as reading it.
qint64 lineFeedsIn(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    qint64 count = 0;
#if defined(__SSE2__)
    const __m128i lineFeed = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        // Each lane counts up to 255 line feeds before the lanes are summed.
        const qsizetype rounds = std::min<qsizetype>((end - p) / 16, 255);
        __m128i lanes = _mm_setzero_si128();
        for (qsizetype i = 0; i < rounds; ++i, p += 16) {
            const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes16, lineFeed));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
    }
#endif
    return count + std::count(p, end, '\n');
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
bool fitsInMemory(qint64 bytesNeeded, qint64 limit)
{
    if (limit > 0)
        return bytesNeeded <= limit;
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return true;
    const double total = (double(info.totalram) + double(info.totalswap)) * info.mem_unit;
    return double(bytesNeeded) <= total;
}

// A UTF-8 file's bytes are its block; other files live beside their UTF-8
// block for a moment (up to three bytes a byte, counted as two: those files
// are mostly ASCII). Each row takes two small records: where it is in the
// block, and the list's own.
qint64 bytesToLoad(qint64 fileSize, qint64 lines)
{
    return fileSize * 3 + lines * 32;
}

namespace {

// Checks the bytes read so far on a thread of its own, a piece at a time,
// while the rest is read: how far they are UTF-8 (up to a character's start)
// once the reading is done. The first fault ends the check; without a
// thread nothing is checked.
class Utf8WhileReading
{
public:
    explicit Utf8WhileReading(const char *data)
        : m_data(reinterpret_cast<const uchar *>(data)), m_work([this] { run(); })
    {
    }
    // The work's own end joins its thread.
    ~Utf8WhileReading() { m_stop = true; }

    // The bytes before end are read.
    void readTo(qint64 end) { m_readTo.store(end, std::memory_order_release); }

    // Stops the check; gives how many bytes it found to be UTF-8.
    qsizetype finish(LoadMeter &meter)
    {
        m_stop = true;
        if (!std::exchange(m_finished, true))
            meter.waitFor(m_work);
        return m_checked;
    }

private:
    // Checks pieces of what is read, each up to a character's start, until
    // stopped: what is not checked by then is checked as it is split.
    void run()
    {
        constexpr qint64 Piece = qint64(1) << 20;
        while (!m_stop) {
            const qint64 readTo = m_readTo.load(std::memory_order_acquire);
            qint64 to = std::min(readTo - 1, m_checked + Piece);
            for (int back = 0;
                 back < 3 && to > m_checked && TextDecoding::isContinuation(m_data[to]); ++back)
                --to;
            if (to - m_checked < 64) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                continue;
            }
            if (TextDecoding::endOfUtf8(m_data + m_checked, m_data + to) != m_data + to)
                return;
            m_checked = to;
        }
    }

    const uchar *m_data;
    std::atomic<qint64> m_readTo = 0;
    std::atomic<bool> m_stop = false;
    bool m_finished = false;
    qint64 m_checked = 0; // the helper's, read once it ended
    BackgroundWork m_work;
};

} // namespace

// Reads the file in chunks, counting its line feeds on the way, so that the
// window can repaint in between; the bytes read are checked to be UTF-8
// meanwhile.
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
    {
        // A file read in one chunk has nothing to check beside: its split
        // checks it, with no thread to start and wait for.
        std::optional<Utf8WhileReading> utf8;
        if (size > Chunk)
            utf8.emplace(bytes.constData());
        while (done < size) {
            meter.read(done);
            const qint64 got = file.read(bytes.data() + done, std::min(Chunk, size - done));
            if (got < 0)
                throw cannotRead(path, file.errorString());
            if (got == 0)
                break;
            read.lineFeeds += lineFeedsIn(QByteArrayView(bytes).sliced(done, got));
            done += got;
            if (utf8)
                utf8->readTo(done);
        }
        if (utf8)
            read.knownUtf8 = utf8->finish(meter);
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

} // namespace TextReading
