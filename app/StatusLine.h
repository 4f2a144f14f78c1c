#pragma once

#include "core/Failure.h"
#include "core/Progress.h"

#include <QObject>
#include <QString>

// The state of the progress bar (position and text) and the time-sliced yield
// to the event loop. Commands may set the status once per row: the bar only
// learns of it through changed(), at most once per pass of the event loop, and
// yield() runs the event loop at most every SliceMs of work.
class StatusLine final : public QObject, public Progress
{
    Q_OBJECT

public:
    static constexpr int SliceMs = 15;

    explicit StatusLine(QObject *parent = nullptr);

    void setPosition(double percent) override;
    void setText(const QString &text) override;
    bool showsTextNow() const override;
    void yield() override;

    double position() const { return m_position; }
    QString text() const { return m_text; }

    // While held, yield() runs the event loop without user input: the window
    // repaints, and keys and clicks wait (for changes that nothing may
    // interrupt, such as an undo).
    void holdInput(bool hold) { m_inputHeld = hold; }

    // The program is closing: every later yield throws CommandAborted.
    void abort() { m_aborted = true; }
    bool aborted() const { return m_aborted; }

    // Measurement: the longest time between the starts of two runs of the
    // event loop through yield() since resetGaps() (a slow run counts as part
    // of the gap, the window does not answer during it either), and the time
    // since the last run began.
    void resetGaps();
    qint64 longestGapMs() const { return m_longestGapMs; }
    qint64 msSinceLastRun() const;

signals:
    // The position or the text changed since the bar last showed them.
    void changed();
    // Every text set, in order, also those that the bar never shows.
    void textSet(const QString &text);

private:
    void scheduleShow();

    double m_position = 0;
    QString m_text;
    bool m_aborted = false;
    bool m_inputHeld = false;
    bool m_showScheduled = false;
    // When the event loop last ran, on a coarse monotonic clock (a few ms
    // resolution): reading it costs little enough to do once per row.
    qint64 m_lastRunMs;
    qint64 m_lastRunStartMs;
    qint64 m_longestGapMs = 0;
};
