#pragma once

#include <QString>

#include <functional>

class Clipboard;
class Progress;
class RowModel;
class SpreadsheetAutomation;
class UserDialogs;
class WindowPointer;

// What the window's commands work on. The window owns every piece; tests and
// the benchmark assemble their own from scripted stand-ins.
//
// Data flow: files -> content list -> line array -> sort routine -> results
// list -> text file, clipboard or spreadsheet.
struct CommandContext
{
    UserDialogs &dialogs;
    Progress &status;          // ProgressBar1: position, text, yield
    WindowPointer &pointer;    // the window's pointer, also the busy flag
    RowModel &content;         // ListView1, "Content To Sort"
    RowModel &results;         // ListView2, "Sorted Content (Results)"
    Clipboard &clipboard;
    SpreadsheetAutomation &spreadsheet;
    std::function<QString()> selectedOption; // caption of Combo1's selection, empty for none
    QString shortTitle;        // caption of boxes that name none of their own
};
