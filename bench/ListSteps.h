#pragma once

#include <QString>

#include <utility>

class MainWindow;

// Steps on the window's lists after the sort, each timed with the longest
// time the event loop waited meanwhile (measured by a timer that wants to
// run all the time).

struct TimedStep
{
    double ms = 0;    // from the step's start to its answer
    qint64 gapMs = 0; // the longest wait of the event loop meanwhile
};

// "Clear List" of the content list clicked, then Ctrl+Z: the undo, until
// the list shows its rows again. Gives nothing in ms when the rows did not
// come back.
TimedStep undoClearOfContent(MainWindow &window);

// "Start Sorting" pressed once more (the results then hold the sorted rows
// twice), then Ctrl+Z and Ctrl+Shift+Z: the undo until the results hold
// them once, the redo until twice. Gives nothing in ms for a step whose rows
// did not come out as they should.
std::pair<TimedStep, TimedStep> undoAndRedoOfSort(MainWindow &window);

// The content list's find bar, from the top, for text (the case counting):
// the row found and the time until it is selected, and the count of the rows
// that hold it and the time until that is known.
struct FindStep
{
    TimedStep find;
    int row = -1;
    TimedStep count;
    int rows = -1;
};
FindStep findInContent(MainWindow &window, const QString &text);
