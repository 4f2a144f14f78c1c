// tarnveil-bench: reads lines from files, sorts them with one of the sort
// options and writes the result, timing each step.
//
//   tarnveil-bench --option ROW [--arg TEXT] [--format lines] --out FILE INPUT...
//
// Prints "rows=N read_ms=... sort_ms=... write_ms=... total_ms=... peak_rss_kb=..."
// on stdout. Exit codes: 0 sorted, 3 the sort failed (the rows are still
// written in the order reached), 2 bad arguments, 1 a file could not be read
// or written.

#include "sort/Failure.h"
#include "sort/Progress.h"
#include "sort/SortOptions.h"
#include "sort/SortRoutines.h"

#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr char Usage[] =
    "usage: tarnveil-bench --option ROW [--arg TEXT] [--format lines] --out FILE INPUT...\n";

enum class Format { Lines };

struct Arguments
{
    int row = -1;
    std::optional<QString> answer; // --arg
    Format format = Format::Lines;
    QString out;
    QStringList inputs;
};

std::optional<Format> formatNamed(const QString &name)
{
    if (name == u"lines")
        return Format::Lines;
    return std::nullopt;
}

std::optional<Arguments> parseArguments(int argc, char **argv)
{
    Arguments args;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QString word = QString::fromLocal8Bit(argv[i]);
        if (optionsEnded || !word.startsWith(u"--")) {
            args.inputs.append(word);
            continue;
        }
        if (word == u"--") {
            optionsEnded = true;
            continue;
        }
        if (i + 1 >= argc)
            return std::nullopt;
        const QString value = QString::fromLocal8Bit(argv[++i]);
        if (word == u"--option") {
            bool ok = false;
            args.row = value.toInt(&ok);
            const int rows = int(SortOptionList().size());
            if (!ok || args.row < 0 || args.row >= rows)
                return std::nullopt;
        } else if (word == u"--arg") {
            args.answer = value;
        } else if (word == u"--format") {
            const std::optional<Format> format = formatNamed(value);
            if (!format)
                return std::nullopt;
            args.format = *format;
        } else if (word == u"--out") {
            args.out = value;
        } else {
            return std::nullopt;
        }
    }
    if (args.row < 0 || args.out.isEmpty() || args.inputs.isEmpty())
        return std::nullopt;
    return args;
}

// A row is blank when it holds nothing but spaces once its CRs are dropped.
bool isBlankRow(const char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (bytes[i] != ' ' && bytes[i] != '\r')
            return false;
    }
    return true;
}

// The text of a row: its bytes without CRs, decoded from UTF-8. An LF byte
// never occurs inside a UTF-8 sequence, so decoding row by row gives the same
// text as decoding the whole file.
QString rowText(const char *bytes, qsizetype size, bool mayHoldCr)
{
    if (!mayHoldCr || !std::memchr(bytes, '\r', std::size_t(size)))
        return QString::fromUtf8(bytes, size);
    QByteArray kept;
    kept.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        if (bytes[i] != '\r')
            kept.append(bytes[i]);
    }
    return QString::fromUtf8(kept);
}

// Calls visit(begin, size) for every row of bytes[0, size), split at LF; the
// last row needs no LF.
template <typename Visit> void forEachRow(const char *bytes, qsizetype size, Visit visit)
{
    qsizetype begin = 0;
    while (begin < size) {
        const void *lf = std::memchr(bytes + begin, '\n', std::size_t(size - begin));
        const qsizetype end = lf ? static_cast<const char *>(lf) - bytes : size;
        visit(bytes + begin, end - begin);
        begin = end + 1;
    }
}

// Appends the rows of UTF-8 text that are not blank. The text is cut in two
// at a line feed, and both halves are decoded at the same time, each into its
// own slots of rows.
void appendRows(const char *bytes, qsizetype size, LineArray &rows)
{
    const char *middle = bytes + size / 2;
    if (const void *lf = std::memchr(middle, '\n', std::size_t(bytes + size - middle)))
        middle = static_cast<const char *>(lf) + 1;
    else
        middle = bytes + size;
    const char *const from[2] = {bytes, middle};
    const qsizetype sizes[2] = {middle - bytes, bytes + size - middle};
    const bool mayHoldCr = std::memchr(bytes, '\r', std::size_t(size)) != nullptr;

    // Room for every row; blank rows leave their slots empty at the end of
    // each half.
    qsizetype room[2];
    for (int half = 0; half < 2; ++half) {
        const char *const end = from[half] + sizes[half];
        room[half] = std::count(from[half], end, '\n') + (sizes[half] && end[-1] != '\n');
    }
    const qsizetype first = rows.size();
    rows.resize(first + room[0] + room[1]);
    QString *const texts = rows.data() + first;

    qsizetype filled[2] = {0, 0};
    const auto decode = [&](int half) {
        QString *const target = texts + (half == 0 ? 0 : room[0]);
        forEachRow(from[half], sizes[half], [&](const char *row, qsizetype rowSize) {
            if (!isBlankRow(row, rowSize))
                target[filled[half]++] = rowText(row, rowSize, mayHoldCr);
        });
    };
    std::thread decoder(decode, 1);
    decode(0);
    decoder.join();

    if (filled[0] < room[0])
        std::move(texts + room[0], texts + room[0] + filled[1], texts + filled[0]);
    rows.resize(first + filled[0] + filled[1]);
}

bool readRows(const QStringList &inputs, LineArray &rows)
{
    for (const QString &path : inputs) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tarnveil-bench: cannot read %s: %s\n", qPrintable(path),
                         qPrintable(file.errorString()));
            return false;
        }
        // The file's pages are in memory already; mapping them costs less
        // than copying them.
        const qint64 size = file.size();
        if (uchar *mapped = size > 0 ? file.map(0, size) : nullptr) {
            madvise(mapped, std::size_t(size), MADV_POPULATE_READ); // advice only
            appendRows(reinterpret_cast<const char *>(mapped), size, rows);
            file.unmap(mapped);
            continue;
        }
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            std::fprintf(stderr, "tarnveil-bench: cannot read %s: %s\n", qPrintable(path),
                         qPrintable(file.errorString()));
            return false;
        }
        appendRows(bytes.constData(), bytes.size(), rows);
    }
    return true;
}

// The window's progress bar stands still here; the passes still call it.
class SilentProgress final : public Progress
{
public:
    void setPosition(double) override {}
    void setText(const QString &) override {}
    void yield() override {}
};

// Sorts rows with the option of the given row of SortOptionList, answering
// its prompt with answer. Returns the failure's description when it fails.
std::optional<QString> sortRows(int row, const std::optional<QString> &answer, LineArray &rows)
{
    const SortOption &option = SortOptionList()[row];
    SilentProgress progress;
    try {
        qint32 number = 0;
        if (option.input == SortOption::Input::Number) {
            const std::optional<double> value = ParseNumber(answer.value_or(QString()));
            if (!value)
                return std::nullopt; // like a cancelled prompt: no sort
            number = RoundToInt32(*value);
        }
        RunSortRoutine(option.routine, rows, number, answer.value_or(QString()), &progress);
    } catch (const Failure &failure) {
        return failure.description();
    }
    return std::nullopt;
}

// Each row in UTF-8 followed by LF, encoded into one reused block.
bool writeLines(const LineArray &rows, QFile &file)
{
    constexpr qsizetype BlockSize = 1 << 22;
    QStringEncoder encoder(QStringEncoder::Utf8);
    QByteArray block(BlockSize, Qt::Uninitialized);
    char *const start = block.data();
    char *out = start;
    const qsizetype count = rows.size();
    for (qsizetype i = 0; i < count; ++i) {
        // Sorted rows lie all over memory; ask for the text a few rows ahead.
        if (i + 8 < count)
            __builtin_prefetch(rows[i + 8].constData());
        const QString &row = rows[i];
        const qsizetype needed = encoder.requiredSpace(row.size()) + 1;
        if (out - start + needed > block.size()) {
            if (file.write(start, out - start) < 0)
                return false;
            out = start;
            if (needed > block.size()) {
                const QByteArray bytes = encoder.encode(row);
                if (file.write(bytes) < 0 || file.write("\n", 1) < 0)
                    return false;
                continue;
            }
        }
        out = encoder.appendToBuffer(out, row);
        *out++ = '\n';
    }
    return file.write(start, out - start) >= 0;
}

bool writeRows(const LineArray &rows, Format format, const QString &path)
{
    // A plain write, like other command-line sorters: no temporary file, no
    // sync to disk.
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        switch (format) {
        case Format::Lines:
            ok = writeLines(rows, file);
            break;
        }
    }
    if (ok) {
        file.close();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok)
        std::fprintf(stderr, "tarnveil-bench: cannot write %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
    return ok;
}

using Clock = std::chrono::steady_clock;

constexpr char StartVariable[] = "TARNVEIL_BENCH_START_NS";

// A million rows are a million small blocks of heap, and on many systems
// (virtual machines above all) touching fresh memory page by page costs more
// than the sort itself. glibc backs its heap with transparent huge pages when
// the tunable glibc.malloc.hugetlb=1 is set, but reads it only at start-up, so
// the benchmark sets it and starts itself once more; the clock keeps running
// across the restart. TARNVEIL_BENCH_SMALL_PAGES=1 keeps the ordinary heap.
void restartWithHugePageHeap(char **argv, Clock::time_point start)
{
#if defined(Q_OS_LINUX) && defined(__GLIBC__)
    if (qEnvironmentVariableIsSet("TARNVEIL_BENCH_SMALL_PAGES"))
        return;
    QByteArray tunables = qgetenv("GLIBC_TUNABLES");
    if (tunables.contains("glibc.malloc.hugetlb"))
        return;
    if (!tunables.isEmpty())
        tunables += ':';
    tunables += "glibc.malloc.hugetlb=1";
    const QByteArray started = QByteArray::number(qint64(
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count()));
    if (setenv("GLIBC_TUNABLES", tunables.constData(), 1) != 0 ||
        setenv(StartVariable, started.constData(), 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    unsetenv(StartVariable); // no restart: go on with the ordinary heap
#else
    Q_UNUSED(argv);
    Q_UNUSED(start);
#endif
}

// When this process is the restart, the time its first start began.
Clock::time_point startTime()
{
    bool ok = false;
    const qint64 started = qgetenv(StartVariable).toLongLong(&ok);
    if (!ok)
        return Clock::now();
    return Clock::time_point(std::chrono::nanoseconds(started));
}

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    const Clock::time_point start = startTime();
    restartWithHugePageHeap(argv, start);
    const std::optional<Arguments> args = parseArguments(argc, argv);
    if (!args) {
        std::fputs(Usage, stderr);
        return 2;
    }

    LineArray rows;
    Clock::time_point step = Clock::now();
    if (!readRows(args->inputs, rows))
        return 1;
    const double readMs = millisecondsSince(step);

    step = Clock::now();
    const std::optional<QString> failure = sortRows(args->row, args->answer, rows);
    const double sortMs = millisecondsSince(step);
    if (failure)
        std::fprintf(stderr, "%s\n", qPrintable(*failure));

    step = Clock::now();
    if (!writeRows(rows, args->format, args->out))
        return 1;
    const double writeMs = millisecondsSince(step);

    std::printf("rows=%lld read_ms=%.1f sort_ms=%.1f write_ms=%.1f total_ms=%.1f peak_rss_kb=%ld\n",
                static_cast<long long>(rows.size()), readMs, sortMs, writeMs,
                millisecondsSince(start), peakResidentKilobytes());
    // Freeing a million rows one by one takes a good part of a sort's time,
    // and the process ends here anyway.
    std::fflush(nullptr);
    std::_Exit(failure ? 3 : 0);
}
