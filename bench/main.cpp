// tarnveil-bench: reads lines from files, sorts them with one of the sort
// options and writes the result, timing each step.
//
//   tarnveil-bench --option ROW [--arg TEXT] [--format lines|text|clipboard|xlsx]
//                  [--window] --out FILE INPUT...
//
// --format lines writes the sorted rows, one per line. The other formats put
// the sorted rows into the results list, all checked, and write what the
// export of that name makes of it: the text file of "Save Results As Text
// File", the clipboard text of "Copy Results To Clipboard" in UTF-8, or the
// workbook that "Save Results As Excel File" would open. --window runs that
// export through the main window's button (offscreen), with its status line
// and progress bar.
//
// Prints "rows=N read_ms=... sort_ms=... write_ms=... total_ms=... peak_rss_kb=..."
// on stdout; for the exports write_ms is the time of the command alone (not
// of filling the results list, nor of writing the clipboard text to FILE),
// out_bytes the size of FILE. Exit codes: 0 sorted, 3 the
// sort failed (the rows are still written in the order reached), 2 bad arguments, 1 a file could
// not be read or written.

#include "app/CommandContext.h"
#include "app/Form1.h"
#include "app/UserDialogs.h"
#include "app/WindowPointer.h"
#include "export/Clipboard.h"
#include "export/ExportCommands.h"
#include "export/XlsxSpreadsheet.h"
#include "lists/RowModel.h"
#include "sort/Failure.h"
#include "sort/Progress.h"
#include "sort/SortOptions.h"
#include "sort/SortRoutines.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr char Usage[] = "usage: tarnveil-bench --option ROW [--arg TEXT] "
                         "[--format lines|text|clipboard|xlsx] [--window] --out FILE INPUT...\n";

enum class Format { Lines, Text, Clipboard, Xlsx };

struct Arguments
{
    int row = -1;
    std::optional<QString> answer; // --arg
    Format format = Format::Lines;
    bool window = false;
    QString out;
    QStringList inputs;
};

std::optional<Format> formatNamed(const QString &name)
{
    if (name == u"lines")
        return Format::Lines;
    if (name == u"text")
        return Format::Text;
    if (name == u"clipboard")
        return Format::Clipboard;
    if (name == u"xlsx")
        return Format::Xlsx;
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
        if (word == u"--window") {
            args.window = true;
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
    if (args.window && args.format == Format::Lines)
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
        ok = format == Format::Lines && writeLines(rows, file);
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

// The results list's exports, run as the commands run them. The file that the
// spreadsheet export would open is moved to out; the clipboard text is written
// to out in UTF-8.
class ExportRun
{
public:
    ExportRun(Format format, const QString &out)
        : m_format(format), m_out(out),
          m_spreadsheet(
              [] {
                  return std::optional(XlsxSpreadsheet::Launch{u"tarnveil-bench"_s, {}});
              },
              [this](const QString &, const QStringList &arguments) {
                  m_workbook = arguments.value(0);
                  return true;
              },
              QFileInfo(out).absolutePath())
    {
        if (format == Format::Text)
            m_dialogs.saveAnswers = {out};
    }

    UserDialogs &dialogs() { return m_dialogs; }
    Clipboard &clipboard() { return m_clipboard; }
    SpreadsheetAutomation &spreadsheet() { return m_spreadsheet; }

    // The window's button that runs the export.
    QString button() const
    {
        switch (m_format) {
        case Format::Text:
            return u"PushButton4"_s;
        case Format::Clipboard:
            return u"PushButton5"_s;
        case Format::Xlsx:
        case Format::Lines:
            break;
        }
        return u"PushButton13"_s;
    }

    void run(CommandContext &ctx)
    {
        switch (m_format) {
        case Format::Text:
            PushButton4_Click(ctx);
            break;
        case Format::Clipboard:
            PushButton5_Click(ctx);
            break;
        case Format::Xlsx:
            PushButton13_Click(ctx);
            break;
        case Format::Lines:
            break;
        }
    }

    // What the export left behind goes to out; false (with a note on stderr)
    // when the export failed.
    bool finish()
    {
        bool ok = true;
        for (const QString &message : m_dialogs.messages()) {
            if (m_format == Format::Clipboard && message.startsWith(u"Results have been copied"))
                continue;
            std::fprintf(stderr, "tarnveil-bench: %s\n", qPrintable(message));
            ok = false;
        }
        if (!ok)
            return false;
        if (m_format == Format::Clipboard) {
            QFile file(m_out);
            const QByteArray bytes = m_clipboard.text.value_or(QString()).toUtf8();
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "tarnveil-bench: cannot write %s\n", qPrintable(m_out));
                return false;
            }
        }
        if (m_format == Format::Xlsx) {
            if (m_workbook.isEmpty())
                return false;
            QFile::remove(m_out);
            const bool moved = QFile::rename(m_workbook, m_out);
            QDir(QFileInfo(m_workbook).path()).removeRecursively();
            if (!moved) {
                std::fprintf(stderr, "tarnveil-bench: cannot write %s\n", qPrintable(m_out));
                return false;
            }
        }
        return true;
    }

private:
    Format m_format;
    QString m_out;
    ScriptedDialogs m_dialogs;
    MemoryClipboard m_clipboard;
    XlsxSpreadsheet m_spreadsheet;
    QString m_workbook;
};

// The export on a results list of its own, without a window. exportMs is the
// time of the export alone, without filling the list.
bool exportRows(const LineArray &rows, Format format, const QString &out, double *exportMs)
{
    ExportRun run(format, out);
    SilentProgress status;
    WindowPointer pointer;
    RowModel content(false);
    RowModel results(true);
    results.setHeader(u"Sorted Content (Results)"_s);
    results.append(rows);
    CommandContext ctx{run.dialogs(),     status, pointer,      content, results, run.clipboard(),
                       run.spreadsheet(), {},     u"Tarnveil"_s};
    const auto start = std::chrono::steady_clock::now();
    run.run(ctx);
    const bool done = run.finish();
    *exportMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return done;
}

// The export through the main window's button, offscreen.
bool exportRowsThroughTheWindow(const LineArray &rows, Format format, const QString &out,
                                double *exportMs)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "tarnveil-bench";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    ExportRun run(format, out);
    QTemporaryDir programFolder;
    Form1Services services;
    services.dialogs = &run.dialogs();
    services.clipboard = &run.clipboard();
    services.spreadsheet = &run.spreadsheet();
    services.programFolder = programFolder.path();
    Form1 window(services);
    window.show();
    window.results().append(rows);
    // The user sees the rows before pressing the button: the views lay them
    // out first.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    auto *button = window.findChild<QPushButton *>(run.button());
    if (!button)
        return false;
    const auto start = std::chrono::steady_clock::now();
    button->click();
    *exportMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return run.finish();
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
    double writeMs = 0;
    if (args->window) {
        if (!exportRowsThroughTheWindow(rows, args->format, args->out, &writeMs))
            return 1;
    } else if (args->format == Format::Lines) {
        if (!writeRows(rows, args->format, args->out))
            return 1;
        writeMs = millisecondsSince(step);
    } else if (!exportRows(rows, args->format, args->out, &writeMs)) {
        return 1;
    }

    std::printf("rows=%lld read_ms=%.1f sort_ms=%.1f write_ms=%.1f total_ms=%.1f peak_rss_kb=%ld "
                "out_bytes=%lld\n",
                static_cast<long long>(rows.size()), readMs, sortMs, writeMs,
                millisecondsSince(start), peakResidentKilobytes(),
                static_cast<long long>(QFileInfo(args->out).size()));
    // Freeing a million rows one by one takes a good part of a sort's time,
    // and the process ends here anyway.
    std::fflush(nullptr);
    std::_Exit(failure ? 3 : 0);
}
