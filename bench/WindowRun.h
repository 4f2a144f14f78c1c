#pragma once

#include "bench/ExportRun.h"
#include "sort/ChosenKey.h"
#include "sort/LineFilter.h"

#include <QStringList>

#include <functional>
#include <optional>

class Clipboard;
class MainWindow;
class ScriptedDialogs;
class SpreadsheetAutomation;

// Loading and Start Sorting driven through the real window (needs a
// QApplication, the offscreen platform serves): the input reaches the content
// list, the option is chosen in the sort option list, and "Start Sorting" is
// clicked.
struct WindowRun
{
    qint64 loadMs = 0;        // the load command, click until it returns
    qint64 loadGapMs = 0;     // longest time the event loop waited during the load
    qint64 idleGapMs = 0;     // longest event-loop pass while the lists show new rows
    BenchLines loadedRows;    // the content list's rows after the load (kept as rows)
    qint64 clickToDoneMs = 0; // click until the "Done." box
    qint64 doneToIdleMs = 0;  // the window catching up after "Done." (layout, paint)
    qint64 longestGapMs = 0;  // longest time the event loop waited, "Done." included
    qint64 resultCount = 0;   // how many rows the results list holds
    BenchLines resultRows;    // the results list's rows as the list holds them (kept as rows)
    QStringList boxes;        // texts of the message boxes shown, in order
    // "Clear List" of the results, then of the content, clicked after the
    // step that follows the sort: until the window is idle again, and the
    // longest time the event loop waited meanwhile.
    qint64 clearMs = 0;
    qint64 clearGapMs = 0;
};

// What the window uses for the exports, and a step run in the same window
// after the sort (an export button, say).
struct WindowAfterSort
{
    // How the input reaches the content list: "Load Text From File" clicked
    // with its dialog answering the input files; "Paste Lines" with the
    // clipboard holding the files' decoded texts one after another; or the
    // files' bytes one after another piped into standard input, loaded as
    // "tarnveil -" loads it.
    enum class Load { Files, Paste, Pipe };
    Load load = Load::Files;
    Clipboard *clipboard = nullptr;
    SpreadsheetAutomation *spreadsheet = nullptr;
    // The keys the "Sort Keys" dialog answers with, when the option asks.
    std::optional<ChosenKeySet> keys;
    // What the line filter dialog answers with, when the option asks.
    std::optional<LineFilter> filter;
    std::function<void(MainWindow &window, ScriptedDialogs &dialogs)> run;
    // What the run keeps of the lists (their rows, which share the lists'
    // text blocks, so nothing is copied): both lists, to compare them with
    // the engine's; the results, to write them; or nothing.
    enum class Keep { BothLists, Results, Nothing };
    Keep keep = Keep::BothLists;
};

WindowRun runWindowSort(const QStringList &inputs, int option, const QStringList &answers,
                        const WindowAfterSort &then = {});
