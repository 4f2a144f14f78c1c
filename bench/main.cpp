// tarnveil-bench: reads lines from files (as "Load Text From File" does), sorts them with one of
// the sort options and writes the result, timing each step.
//
//   tarnveil-bench --option ROW [--arg TEXT] [--ignore-case] [--pattern] [--locale NAME]
//                  [--keys JSON] [--format lines|text|plain|clipboard|xlsx]
//                  [--window | --window-only] [--load files|paste|pipe]
//                  [--undo-clear] [--undo-sort] [--find TEXT] --out FILE INPUT...
//
// --locale names the language of dictionary order (option 27; the user's from
// LC_ALL, LC_COLLATE or LANG without it); --keys gives option 28 its keys, in
// the JSON the settings keep (see sort/ChosenKeyJson.h): anything else, or keys
// that are not valid, end it with exit code 2. Options 30 and 31 keep or
// remove the lines that hold --arg (empty without it), its case counting
// unless --ignore-case is given, read as a pattern with --pattern; a pattern
// that does not compile, or either flag on another row, ends it with exit
// code 2. After a pattern, "lines_gave_up=N" is added: the lines it gave up
// on, which count as not matching.
//
// --format lines writes the sorted rows, one per line. The other formats put
// the sorted rows into a results list, all checked, and write what the export
// of that name makes of it: the padded text file of "Save Results As Text
// File", the same command's "Lines only" file (plain: written by the
// lines-only writer that the command calls), the clipboard text of "Copy
// Results To Clipboard" in UTF-8, or the workbook that "Save Results As Excel
// File" would open. For these write_ms is the time of the export command (for
// plain the writer) alone (not of filling the list, nor of writing the
// clipboard text to FILE), and "out_bytes=..." the size of FILE.
//
// Prints "rows=N read_ms=... sort_ms=... write_ms=... total_ms=... peak_rss_kb=..."
// on stdout. With --window the same files are then loaded and sorted again
// through the real main window (offscreen): "Load Text From File" is clicked
// and its dialog answers with the INPUT files, the option is chosen, "Start
// Sorting" is clicked, and the results list is written; it adds
// "window_load_ms=..." (the load command, click to its end),
// "window_load_gap_ms=..." (the longest time the event loop waited during the
// load), "window_ms=..." (click to "Done."), "window_idle_ms=..." (the window
// catching up after "Done."), "window_idle_gap_ms=..." (the longest single
// event-loop pass while the lists show their new rows, after the load and
// after "Done."), "longest_gap_ms=..." (the longest time the event loop waited
// during the sort) and "window_ratio=..." (window_ms/sort_ms). With an
// export format the window's export button is clicked next (for plain with
// "Lines only" chosen in the save dialog), writing FILE again, and
// "window_write_ms=..." (click until it returns), "window_write_gap_ms=..."
// (the longest time the event loop waited during the export) and
// "window_write_ratio=..." (window_write_ms/write_ms) are added.
// --load says how the window gets the input: "Load Text From File" with the
// files chosen (files, the default), "Paste Lines" with the clipboard holding
// their decoded texts (paste), or their bytes piped into "tarnveil -" (pipe);
// window_load_ms and window_load_gap_ms then time that way in.
// After the sort (and the export) in the window, --undo-clear clicks the
// content list's "Clear List" and undoes it (Ctrl+Z), adding
// "window_undo_clear_ms=..." (the undo until the rows are shown again) and
// "window_undo_gap_ms=..."; --undo-sort presses "Start Sorting" once more
// (the results list then holds the sorted rows twice) and undoes and redoes
// that, adding "window_undo_sort_ms=...", "window_redo_sort_ms=..." and
// "window_undo_sort_gap_ms=..." (the longest wait of either); --find TEXT finds TEXT in the content list from
// the top with the find bar ("Match case" ticked), adding
// "window_find_ms=..." and "window_find_row=..." (the row found, -1 for
// none), "window_count_ms=..." and "window_count=..." (the rows that hold
// it) and "window_find_gap_ms=..." (the longest wait of the event loop
// meanwhile).
// Last, "Clear List" of the results and then of the content is clicked,
// adding "window_clear_ms=..." and "window_clear_gap_ms=..." (the longest
// wait of the event loop meanwhile, the window settling after each click
// included).
// --window-only skips the direct read, sort and export, so that
// peak_rss_kb is the window's own (the read_ms, sort_ms and write_ms are 0).
// Exit codes:
// 0 sorted, 3 the sort failed (the rows are still written in the order
// reached), 2 bad arguments, 1 a file could not be read or written.

#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "bench/Arguments.h"
#include "bench/ExportRun.h"
#include "bench/ListSteps.h"
#include "bench/WindowRun.h"
#include "core/Failure.h"
#include "core/Files.h"
#include "core/NumberText.h"
#include "core/Utf8Text.h"
#include "export/GatheredLines.h"
#include "lists/RowModel.h"
#include "lists/TextLoader.h"
#include "sort/ChosenKeyOrder.h"
#include "sort/DictionaryOrder.h"
#include "sort/LineFilters.h"
#include "sort/SortLines.h"
#include "sort/SortOptions.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The rows that "Load Text From File" would append for the files, in order.
bool readRows(const QStringList &inputs, BenchLines &rows)
{
    for (const QString &path : inputs) {
        if (!fileExists(path)) {
            std::fprintf(stderr, "tarnveil-bench: %s: File not found\n", qPrintable(path));
            return false;
        }
        try {
            const LoadedText loaded = loadTextFile(path);
            rows.append(loaded.block, loaded.spans);
        } catch (const Failure &failure) {
            std::fprintf(stderr, "tarnveil-bench: %s\n", qPrintable(failure.description()));
            return false;
        }
    }
    return true;
}

// Sorts rows with the option of the given row of the sort option table, answering
// its prompt with the arguments; *linesGaveUp counts the lines a pattern gave up
// on. Returns the failure's description when it fails.
std::optional<QString> sortRows(const Arguments &args, BenchLines &rows, qsizetype *linesGaveUp)
{
    const SortOption &option = sortOptions()[size_t(args.row)];
    const std::optional<QString> &answer = args.answer;
    SilentProgress progress;
    try {
        if (option.asks == SortAnswer::Filter) {
            filterLines(rows.refs, filterOf(args),
                        option.operation == LineOperation::KeepContaining ? FilterMode::Keep
                                                                          : FilterMode::Remove,
                        &progress, linesGaveUp);
            return std::nullopt;
        }
        if (option.key == OptionKey::Dictionary) {
            sortInDictionaryOrder(rows.refs, args.locale.value_or(userDictionaryLanguage()),
                                  &progress);
            return std::nullopt;
        }
        if (option.key == OptionKey::ChosenKeys) {
            sortByKeys(rows.refs, *args.keys, &progress);
            return std::nullopt;
        }
        qint32 number = 0;
        if (option.asks == SortAnswer::Number) {
            const std::optional<double> value = parseNumber(answer.value_or(QString()));
            if (!value)
                return std::nullopt; // like a cancelled prompt: no sort
            number = roundToInt32(*value);
        }
        QByteArray made;
        sortLines(rows.refs, option, number, answer.value_or(QString()), &progress, &made);
        if (!made.isEmpty()) {
            // The counts' lines, in a block of their own.
            rows.blocks.push_back(std::make_shared<const QByteArray>(std::move(made)));
            LineRef *const refs = rows.refs.data();
            for (qsizetype i = 0; i < rows.refs.size(); ++i)
                refs[i].id = quint32(rows.blocks.size() - 1);
        }
    } catch (const Failure &failure) {
        return failure.description();
    }
    return std::nullopt;
}

// Each row's bytes followed by LF, gathered as the command line writes them;
// a lone surrogate becomes U+FFFD in its place.
bool writeLines(const BenchLines &rows, QFile &file)
{
    bool written = true;
    writeGatheredLines(rows.refs, [&](const char *bytes, std::size_t size) {
        written = written && file.write(bytes, qint64(size)) == qint64(size);
    });
    return written;
}

// Whether two row lists hold the same texts in the same order.
bool sameTexts(const LineRefs &a, const LineRefs &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].text() != b[i].text())
            return false;
    }
    return true;
}

bool writeRows(const BenchLines &rows, Format format, const QString &path)
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

} // namespace

int main(int argc, char **argv)
{
    const Clock::time_point start = Clock::now();
    const std::optional<Arguments> args = parseArguments(argc, argv);
    if (!args) {
        std::fputs(Usage, stderr);
        return 2;
    }

    BenchLines rows;
    Clock::time_point step = Clock::now();
    if (!args->windowOnly && !readRows(args->inputs, rows))
        return 1;
    const double readMs = args->windowOnly ? 0 : millisecondsSince(step);
    // What the window's content list must hold after its load: the rows in
    // the order read (references, no texts copied).
    LineRefs loaded;
    if (args->window && !args->windowOnly)
        loaded = rows.refs;

    step = Clock::now();
    std::optional<QString> failure;
    qsizetype linesGaveUp = 0;
    if (!args->windowOnly)
        failure = sortRows(*args, rows, &linesGaveUp);
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
        then.load = args->load;
        then.keys = args->keys;
        if (sortOptions()[std::size_t(args->row)].asks == SortAnswer::Filter)
            then.filter = filterOf(*args);
        // The window takes the user's language from the environment.
        if (args->locale)
            qputenv("LC_ALL", args->locale->toLatin1());
        if (args->windowOnly)
            then.keep = args->format == Format::Lines ? WindowAfterSort::Keep::Results
                                                      : WindowAfterSort::Keep::Nothing;
        if (args->format != Format::Lines) {
            windowExport.emplace(args->format, args->out);
            then.clipboard = &windowExport->clipboard();
            then.spreadsheet = &windowExport->spreadsheet();
        }
        QString listSteps;
        then.run = [&](MainWindow &window, ScriptedDialogs &dialogs) {
            if (windowExport)
                windowWriteMs = windowExport->runThroughWindow(window, dialogs);
            if (args->undoClear) {
                const TimedStep undo = undoClearOfContent(window);
                listSteps += QString::asprintf(" window_undo_clear_ms=%.1f window_undo_gap_ms=%lld",
                                               undo.ms, static_cast<long long>(undo.gapMs));
            }
            if (args->undoSort) {
                const std::pair<TimedStep, TimedStep> steps = undoAndRedoOfSort(window);
                listSteps += QString::asprintf(
                    " window_undo_sort_ms=%.1f window_redo_sort_ms=%.1f "
                    "window_undo_sort_gap_ms=%lld",
                    steps.first.ms, steps.second.ms,
                    static_cast<long long>(std::max(steps.first.gapMs, steps.second.gapMs)));
            }
            if (args->find) {
                const FindStep find = findInContent(window, *args->find);
                listSteps += QString::asprintf(
                    " window_find_ms=%.1f window_find_row=%d window_count_ms=%.1f "
                    "window_count=%d window_find_gap_ms=%lld",
                    find.find.ms, find.row, find.count.ms, find.rows,
                    static_cast<long long>(std::max(find.find.gapMs, find.count.gapMs)));
            }
        };
        WindowRun run =
            runWindowSort(args->inputs, args->row,
                          args->answer ? QStringList{*args->answer} : QStringList(), then);
        if (!args->windowOnly && !sameTexts(run.loadedRows.refs, loaded))
            std::fprintf(stderr, "tarnveil-bench: the window loaded %lld rows, not the %lld read\n",
                         static_cast<long long>(run.loadedRows.size()),
                         static_cast<long long>(loaded.size()));
        if (!args->windowOnly && run.resultRows.size() != rows.size())
            std::fprintf(stderr, "tarnveil-bench: the window gave %lld rows for %lld\n",
                         static_cast<long long>(run.resultRows.size()),
                         static_cast<long long>(rows.size()));
        if (!args->windowOnly && !sameTexts(run.resultRows.refs, rows.refs))
            std::fprintf(stderr, "tarnveil-bench: the window's order differs from the engine's\n");
        if (run.boxes.isEmpty() || run.boxes.last() != u"Done.")
            std::fprintf(stderr, "tarnveil-bench: the window did not say Done.\n");
        windowReport = QString::asprintf(
            " window_rows=%lld window_load_ms=%lld window_load_gap_ms=%lld window_ms=%lld "
            "window_idle_ms=%lld window_idle_gap_ms=%lld longest_gap_ms=%lld window_ratio=%.2f",
            static_cast<long long>(run.resultCount), static_cast<long long>(run.loadMs),
            static_cast<long long>(run.loadGapMs), static_cast<long long>(run.clickToDoneMs),
            static_cast<long long>(run.doneToIdleMs), static_cast<long long>(run.idleGapMs),
            static_cast<long long>(run.longestGapMs),
            sortMs > 0 ? double(run.clickToDoneMs) / sortMs : 0.0);
        windowReport += listSteps;
        windowReport += QString::asprintf(" window_clear_ms=%lld window_clear_gap_ms=%lld",
                                          static_cast<long long>(run.clearMs),
                                          static_cast<long long>(run.clearGapMs));
        if (args->windowOnly)
            rows = std::move(run.resultRows);
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

    if (args->pattern)
        windowReport +=
            QString::asprintf(" lines_gave_up=%lld", static_cast<long long>(linesGaveUp));
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
