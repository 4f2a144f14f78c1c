#pragma once

#include "commands/CommandContext.h"
#include "commands/WindowPointer.h"
#include "lists/RowModel.h"
#include "support/MemoryClipboard.h"
#include "support/RecordingProgress.h"
#include "support/RecordingSpreadsheet.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedFilterChooser.h"
#include "support/ScriptedKeysChooser.h"

#include <QStringList>

#include <vector>

// Everything a command works on, with stand-ins for the window's parts: the
// dialogs are scripted, the status line records, the clipboard is in memory
// and the spreadsheet records (unless another one is handed in). The results
// list has the window's header; boxes take the caption "Tarnveil".
struct CommandFixture
{
    ScriptedDialogs dialogs;
    RecordingProgress status;
    WindowPointer pointer;
    RowModel content{false};
    RowModel results{true};
    MemoryClipboard clipboard;
    RecordingSpreadsheet spreadsheet;
    ScriptedKeysChooser keysChooser;
    ScriptedFilterChooser filterChooser;
    int selectedOption = -1; // the row of the sort option list; -1 for none
    // Every shape the pointer was set to, in order.
    std::vector<WindowPointer::Shape> pointerShapes;
    CommandContext ctx;

    CommandFixture() : CommandFixture(spreadsheet) {}
    explicit CommandFixture(SpreadsheetAutomation &automation);

    // Appends rows to the results; see appendMarkedRows (support/TestLists.h).
    void addResults(const QStringList &rows);

    // Changes the results list under a running export: "remove" takes its
    // first row, "clear" empties it, "refill" empties it and appends newer.
    void changeResults(const QString &change, const QStringList &newer);
};
