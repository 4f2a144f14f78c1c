#pragma once

#include <QString>

#include <functional>

class Clipboard;
class LineFilterChooser;
class Progress;
class RowModel;
class SortKeysChooser;
class SpreadsheetAutomation;
class UserDialogs;
class WindowPointer;

// What the user's commands work on. The window owns every piece; tests and
// the benchmark assemble their own from scripted stand-ins.
//
// Data flow: files -> content list -> line array -> sort -> results list ->
// text file, clipboard or spreadsheet.
struct CommandContext
{
    UserDialogs &dialogs;
    Progress &status;       // the status line: position, text, yield
    WindowPointer &pointer; // the window's pointer, also the busy flag
    RowModel &content;      // "Content To Sort"
    RowModel &results;      // "Sorted Content (Results)"
    Clipboard &clipboard;
    SpreadsheetAutomation &spreadsheet;
    SortKeysChooser &keysChooser;           // the "Sort Keys" dialog
    LineFilterChooser &filterChooser;       // what the lines are to contain
    std::function<int()> selectedOptionRow; // row in the sort option table, -1 for none
    QString shortTitle;                     // caption of boxes that name none of their own
};
