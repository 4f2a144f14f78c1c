#pragma once

#include "core/ErrorTrap.h"

#include <QString>

// The names that someone outside the code sees or relies on, kept in one
// table: the location that the "Application Error" box shows for each
// trapped procedure (users read it out to support), the object name of each
// control (a skin's style sheet may select "#PushButton3"), and the settings
// key of the chosen sort option (stored in users' settings files).
enum class Element {
    Window,      // start-up
    ContentList, // files dropped on it
    ResultsList,
    LoadFilesButton,
    ClearContentButton,
    HelpButton,
    SampleButton,
    SortOptionsFrame,
    SortOptionList, // a new choice is remembered
    StartSortingButton,
    SaveTextFileButton,
    SaveSpreadsheetButton,
    CopyButton,
    ClearResultsButton,
    StatusBar,
    TextFileWriter,  // a procedure of its own, no control
    LinesFileWriter, // the same, for "Lines only" files
    PasteLines,      // the clipboard's text appended to the content list
    CopyLine,        // a row's text copied from either list
    ResultsMenu,     // the results list's context menu
};

// The object name of a control.
QString objectNameOf(Element element);

// Where the procedure that handles the element reports its failures.
Location locationOf(Element element);

// The settings key under which the chosen sort option's row is stored.
QString sortOptionSettingsKey();

// The settings key under which the last keys of the "Sort Keys" dialog are
// stored, as their JSON.
QString sortKeysSettingsKey();

// The settings key under which the save dialog keeps the file type last
// chosen in it, as the type's caption ("Lines only (*.txt)").
QString saveFileTypeSettingsKey();
