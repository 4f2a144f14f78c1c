#pragma once

#include <QStringList>

// Loading and Start Sorting driven through the real window (needs a
// QApplication, the offscreen platform serves): "Load Text From File" is
// clicked and its dialog answers with the input files, the option is chosen
// in Combo1, and "Start Sorting" is clicked.
struct WindowRun
{
    qint64 loadMs = 0;        // the load command, click until it returns
    QStringList loaded;       // the content list's rows after the load
    qint64 clickToDoneMs = 0; // click until the "Done." box
    qint64 doneToIdleMs = 0;  // the window catching up after "Done." (layout, paint)
    qint64 longestGapMs = 0;  // longest time the event loop waited, "Done." included
    QStringList results;      // the results list's rows
    QStringList boxes;        // texts of the message boxes shown, in order
};

WindowRun RunWindowSort(const QStringList &inputs, int option, const QStringList &answers);
