#pragma once

#include <QStringList>

// Start Sorting driven through the real window (needs a QApplication, the
// offscreen platform serves): the rows go into the content list directly,
// the option is chosen in Combo1, and the button is clicked.
struct WindowRun
{
    qint64 clickToDoneMs = 0; // click until the "Done." box
    qint64 doneToIdleMs = 0;  // the window catching up after "Done." (layout, paint)
    qint64 longestGapMs = 0;  // longest time the event loop waited, "Done." included
    QStringList results;      // the results list's rows
    QStringList boxes;        // texts of the boxes shown, in order
};

WindowRun RunWindowSort(const QStringList &lines, int option, const QStringList &answers);
