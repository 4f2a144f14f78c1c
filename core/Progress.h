#pragma once

#include <QString>

// Where a long command reports to: the progress bar's position and text, and
// the event loop. The window's status line implements it; tests record it.
class Progress
{
public:
    virtual ~Progress() = default;

    virtual void setPosition(double percent) = 0;
    virtual void setText(const QString &text) = 0;

    // Whether a text set now would reach the user. The window's status line
    // shows texts when the event loop runs, and the next yield runs it only
    // once its time slice has passed: a command that sets a text for every
    // row builds only the texts that will be seen.
    virtual bool showsTextNow() const { return true; }

    // Lets the event loop run (time-sliced: an implementation may skip calls
    // that come too soon after the last real one). Throws CommandAborted when
    // the window was closed meanwhile, so the running command unwinds.
    virtual void yield() = 0;
};
