// tarnveil-bench: reads lines from files (as "Load Text From File" does), sorts them with one of
// the sort options and writes the result, timing each step.
//
//   tarnveil-bench --option ROW [--arg TEXT] [--format lines|text|clipboard|xlsx]
//                  [--window | --window-only] --out FILE INPUT...
//
// --format lines writes the sorted rows, one per line. The other formats put
// the sorted rows into a results list, all checked, and write what the export
// of that name makes of it: the text file of "Save Results As Text File", the
// clipboard text of "Copy Results To Clipboard" in UTF-8, or the workbook that
// "Save Results As Excel File" would open. For these write_ms is the time of
// the export command alone (not of filling the list, nor of writing the
// clipboard text to FILE), and "out_bytes=..." the size of FILE.
//
// Prints "rows=N read_ms=... sort_ms=... write_ms=... total_ms=... peak_rss_kb=..."
// on stdout. With --window the same files are then loaded and sorted again
// through the real main window (offscreen): "Load Text From File" is clicked
// and its dialog answers with the INPUT files, the option is chosen, "Start
// Sorting" is clicked, and the results list is written; it adds
// "window_load_ms=..." (the load command, click to its end), "window_ms=..."
// (click to "Done."), "window_idle_ms=..." (the window catching up after
// "Done."), "longest_gap_ms=..." (the longest time the event loop waited
// during the command) and "window_ratio=..." (window_ms/sort_ms). With an
// export format the window's export button is clicked next, writing FILE
// again, and "window_write_ms=..." (click until it returns),
// "window_write_gap_ms=..." (the longest time the event loop waited during the
// export) and "window_write_ratio=..." (window_write_ms/write_ms) are added.
// --window-only skips the direct read, sort and export, so that
// peak_rss_kb is the window's own (the read_ms, sort_ms and write_ms are 0).
// Exit codes:
// 0 sorted, 3 the sort failed (the rows are still written in the order
// reached), 2 bad arguments, 1 a file could not be read or written.

#include "app/AppInfo.h"
#include "app/CommandContext.h"
#include "app/Form1.h"
#include "app/StatusLine.h"
#include "app/UserDialogs.h"
#include "app/WindowPointer.h"
#include "bench/WindowRun.h"
#include "export/Clipboard.h"
#include "export/ExportCommands.h"
#include "export/XlsxSpreadsheet.h"
#include "lists/RowModel.h"
#include "lists/TextFileLoader.h"
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

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr char Usage[] = "usage: tarnveil-bench --option ROW [--arg TEXT] "
                         "[--format lines|text|clipboard|xlsx] [--window | --window-only] "
                         "--out FILE INPUT...\n";

enum class Format { Lines, Text, Clipboard, Xlsx };

struct Arguments
{
    int row = -1;
    std::optional<QString> answer; // --arg
    Format format = Format::Lines;
    QString out;
    QStringList inputs;
    bool window = false;
    bool windowOnly = false; // no direct run beside the window's
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
        if (word == u"--window" || word == u"--window-only") {
            args.window = true;
            args.windowOnly = word == u"--window-only";
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

// The rows that "Load Text From File" would append for the files, in order.
bool readRows(const QStringList &inputs, LineArray &rows)
{
    for (const QString &path : inputs) {
        if (!FileExists(path)) {
            std::fprintf(stderr, "tarnveil-bench: %s: File not found\n", qPrintable(path));
            return false;
        }
        try {
            QStringList fileRows = RowsFromTextFile(path);
            if (rows.isEmpty())
                rows = std::move(fileRows);
            else
                rows.append(std::move(fileRows));
        } catch (const Failure &failure) {
            std::fprintf(stderr, "tarnveil-bench: %s\n", qPrintable(failure.description()));
            return false;
        }
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
    qint64 longestGapMs() const { return m_longestGapMs; }
    Clipboard &clipboard() { return m_clipboard; }
    SpreadsheetAutomation &spreadsheet() { return m_spreadsheet; }

    // Runs the command on ctx; returns its time.
    double run(CommandContext &ctx)
    {
        const Clock::time_point start = Clock::now();
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
        return millisecondsSince(start);
    }

    // Clicks the export's button of a window that shows the results; returns
    // the time from the click until the command returned.
    double runThroughWindow(Form1 &window, ScriptedDialogs &dialogs)
    {
        // The user sees the rows before pressing the button: the views have
        // laid them out.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 300)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const size_t before = dialogs.shown.size();
        dialogs.saveAnswers = m_dialogs.saveAnswers;
        QString button = u"PushButton13"_s;
        if (m_format == Format::Text)
            button = u"PushButton4"_s;
        else if (m_format == Format::Clipboard)
            button = u"PushButton5"_s;
        auto *pushButton = window.findChild<QPushButton *>(button);
        if (!pushButton)
            return 0;
        const Clock::time_point start = Clock::now();
        window.statusLine().resetGaps();
        pushButton->click();
        const double ms = millisecondsSince(start);
        m_longestGapMs =
            std::max(window.statusLine().longestGapMs(), window.statusLine().msSinceLastRun());
        for (size_t i = before; i < dialogs.shown.size(); ++i)
            m_dialogs.shown.push_back(dialogs.shown[i]);
        return ms;
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
        m_dialogs.shown.clear();
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
            m_workbook.clear();
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
    qint64 m_longestGapMs = 0;
};

// The export on a results list of its own, without a window; exportMs is the
// time of the command alone.
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
    *exportMs = run.run(ctx);
    return run.finish();
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
    if (!args->windowOnly && !readRows(args->inputs, rows))
        return 1;
    const double readMs = args->windowOnly ? 0 : millisecondsSince(step);
    // What the window's content list must hold after its load.
    LineArray loaded;
    if (args->window && !args->windowOnly) {
        loaded = rows;
        loaded.detach();
    }

    step = Clock::now();
    std::optional<QString> failure;
    if (!args->windowOnly)
        failure = sortRows(args->row, args->answer, rows);
    const double sortMs = args->windowOnly ? 0 : millisecondsSince(step);
    if (failure)
        std::fprintf(stderr, "%s\n", qPrintable(*failure));

    qint64 rowCount = rows.size();
    QString windowReport;
    std::optional<ExportRun> windowExport;
    double windowWriteMs = 0;
    if (args->window) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        WindowAfterSort then;
        then.keepResults = !args->windowOnly || args->format == Format::Lines;
        if (args->format != Format::Lines) {
            windowExport.emplace(args->format, args->out);
            then.clipboard = &windowExport->clipboard();
            then.spreadsheet = &windowExport->spreadsheet();
            then.run = [&](Form1 &window, ScriptedDialogs &dialogs) {
                windowWriteMs = windowExport->runThroughWindow(window, dialogs);
            };
        }
        const WindowRun run =
            RunWindowSort(args->inputs, args->row,
                          args->answer ? QStringList{*args->answer} : QStringList(), then);
        if (!args->windowOnly && run.loaded != loaded)
            std::fprintf(stderr, "tarnveil-bench: the window loaded %lld rows, not the %lld read\n",
                         static_cast<long long>(run.loaded.size()),
                         static_cast<long long>(loaded.size()));
        if (!args->windowOnly && run.results.size() != rows.size())
            std::fprintf(stderr, "tarnveil-bench: the window gave %lld rows for %lld\n",
                         static_cast<long long>(run.results.size()),
                         static_cast<long long>(rows.size()));
        if (!args->windowOnly && run.results != rows)
            std::fprintf(stderr, "tarnveil-bench: the window's order differs from the engine's\n");
        if (run.boxes.isEmpty() || run.boxes.last() != u"Done.")
            std::fprintf(stderr, "tarnveil-bench: the window did not say Done.\n");
        windowReport = QString::asprintf(
            " window_rows=%lld window_load_ms=%lld window_ms=%lld window_idle_ms=%lld "
            "longest_gap_ms=%lld window_ratio=%.2f",
            static_cast<long long>(run.resultCount), static_cast<long long>(run.loadMs),
            static_cast<long long>(run.clickToDoneMs), static_cast<long long>(run.doneToIdleMs),
            static_cast<long long>(run.longestGapMs),
            sortMs > 0 ? double(run.clickToDoneMs) / sortMs : 0.0);
        rows = run.results;
        rowCount = run.resultCount;
    }

    step = Clock::now();
    double writeMs = 0;
    if (args->format == Format::Lines) {
        if (!writeRows(rows, args->format, args->out))
            return 1;
        writeMs = millisecondsSince(step);
    } else {
        // The window's export first, so that FILE ends up holding the direct one.
        if (windowExport) {
            if (!windowExport->finish())
                return 1;
            windowReport +=
                QString::asprintf(" window_write_ms=%.1f window_write_gap_ms=%lld", windowWriteMs,
                                  static_cast<long long>(windowExport->longestGapMs()));
        }
        if (!args->windowOnly && !exportRows(rows, args->format, args->out, &writeMs))
            return 1;
        if (windowExport)
            windowReport += QString::asprintf(" window_write_ratio=%.2f",
                                              writeMs > 0 ? windowWriteMs / writeMs : 0.0);
    }

    std::printf("rows=%lld read_ms=%.1f sort_ms=%.1f write_ms=%.1f total_ms=%.1f peak_rss_kb=%ld "
                "out_bytes=%lld%s\n",
                static_cast<long long>(rowCount), readMs, sortMs, writeMs, millisecondsSince(start),
                peakResidentKilobytes(), static_cast<long long>(QFileInfo(args->out).size()),
                qPrintable(windowReport));
    // Freeing a million rows one by one takes a good part of a sort's time,
    // and the process ends here anyway.
    std::fflush(nullptr);
    std::_Exit(failure ? 3 : 0);
}
