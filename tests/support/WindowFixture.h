#pragma once

#include "app/MainWindow.h"
#include "commands/ExternalNames.h"
#include "support/MemoryClipboard.h"
#include "support/RecordingSpreadsheet.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedFilterChooser.h"
#include "support/ScriptedKeysChooser.h"

#include <QTemporaryDir>
#include <QWidget>

#include <memory>

class StatusLine;

// The main window as the window tests build it: on scripted dialogs, a
// clipboard in memory and a recording spreadsheet (unless a test hands in
// others), with an empty temporary program folder. The per-user settings of
// the whole test program go to a temporary folder, so that a choice one
// window stores is what the next one starts with, and the user's own
// settings stay out of it.
class WindowFixture final
{
public:
    // Services that replace the fixture's own; null keeps them.
    struct Services
    {
        Clipboard *clipboard = nullptr;
        SpreadsheetAutomation *spreadsheet = nullptr;
    };

    WindowFixture();
    WindowFixture(const WindowFixture &) = delete;
    WindowFixture &operator=(const WindowFixture &) = delete;

    ScriptedDialogs dialogs;
    MemoryClipboard clipboard;
    RecordingSpreadsheet spreadsheet;
    ScriptedKeysChooser keysChooser;
    ScriptedFilterChooser filterChooser;

    // Where the window looks for its skin and hand pointer files.
    QString programFolder() const { return m_programFolder.path(); }

    // Builds the window, once; it lives as long as the fixture.
    MainWindow &makeWindow();
    MainWindow &makeWindow(const Services &replaced);
    MainWindow &window() const { return *m_window; }

    // Points the per-user settings at the test program's temporary folder;
    // every fixture does so before it builds a window. Tests that read or
    // write settings themselves call it first.
    static void useTemporarySettings();

private:
    QTemporaryDir m_programFolder;
    std::unique_ptr<MainWindow> m_window;
};

// The control that shows the element, or null.
template <typename Widget = QWidget> Widget *control(const MainWindow &window, Element element)
{
    return window.findChild<Widget *>(objectNameOf(element));
}

// Clicks the push button of the element; fails the test when there is none.
void click(const MainWindow &window, Element element);

// Waits, without running the event loop, until the status line's time slice
// has passed: its next yield then really runs the event loop (for a status
// line that has not run it since it was made or had its gaps reset).
void waitForTimeSlice(const StatusLine &status);
