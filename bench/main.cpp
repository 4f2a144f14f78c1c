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

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

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

// Appends the line bytes[0, size) as a row unless it is blank: CRs are
// dropped, and a row that holds nothing but spaces is skipped.
void appendRow(const char *bytes, qsizetype size, QByteArray &scratch, LineArray &rows)
{
    if (std::memchr(bytes, '\r', std::size_t(size))) {
        scratch.resize(0);
        for (qsizetype i = 0; i < size; ++i) {
            if (bytes[i] != '\r')
                scratch.append(bytes[i]);
        }
        bytes = scratch.constData();
        size = scratch.size();
    }
    qsizetype i = 0;
    while (i < size && bytes[i] == ' ')
        ++i;
    if (i == size)
        return;
    // An LF byte never occurs inside a UTF-8 sequence, so decoding line by
    // line gives the same text as decoding the whole file.
    rows.append(QString::fromUtf8(bytes, size));
}

// Reads a UTF-8 file in large blocks and appends its rows, split at LF.
bool appendRows(const QString &path, LineArray &rows)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tarnveil-bench: cannot read %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return false;
    }
    constexpr qsizetype BlockSize = 1 << 22;
    QByteArray block(BlockSize, Qt::Uninitialized);
    QByteArray scratch;
    qsizetype kept = 0; // bytes of an unfinished line at the start of block
    for (;;) {
        if (kept == block.size())
            block.resize(block.size() * 2); // a line longer than the block
        const qint64 got = file.read(block.data() + kept, block.size() - kept);
        if (got < 0) {
            std::fprintf(stderr, "tarnveil-bench: cannot read %s: %s\n", qPrintable(path),
                         qPrintable(file.errorString()));
            return false;
        }
        const char *const data = block.constData();
        const qsizetype filled = kept + qsizetype(got);
        qsizetype begin = 0;
        for (;;) {
            const void *lf = std::memchr(data + begin, '\n', std::size_t(filled - begin));
            if (!lf)
                break;
            const qsizetype end = static_cast<const char *>(lf) - data;
            appendRow(data + begin, end - begin, scratch, rows);
            begin = end + 1;
        }
        if (got == 0) { // end of file: the last line needs no LF
            appendRow(data + begin, filled - begin, scratch, rows);
            return true;
        }
        kept = filled - begin;
        std::memmove(block.data(), data + begin, std::size_t(kept));
    }
}

bool readRows(const QStringList &inputs, LineArray &rows)
{
    for (const QString &path : inputs) {
        if (!appendRows(path, rows))
            return false;
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
    for (const QString &row : rows) {
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
    const Clock::time_point start = Clock::now();
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
