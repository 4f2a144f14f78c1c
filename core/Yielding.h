#pragma once

#include "core/Progress.h"

#include <QtGlobal>

#include <exception>
#include <functional>
#include <memory>
#include <type_traits>

// The one throttle between a long loop and Progress::yield(): the loop counts
// its units of work, and every `every` units one yield is passed on (the
// status line's time slice then decides whether the event loop really runs).
// A virtual yield call still costs about as much as a short row of work, so
// loops pass on only a fraction of their calls. Without progress it does
// nothing: work on a helper thread must never touch the window.
class YieldPacer
{
public:
    // Sort steps: items of work between two yields.
    static constexpr qsizetype SortItems = 1 << 14;
    // Exports: rows or cells between two yields.
    static constexpr qsizetype ExportCells = 64;

    YieldPacer(Progress *progress, qsizetype every) : m_progress(progress), m_every(every) {}

    void operator()(qsizetype units = 1)
    {
        if (!m_progress)
            return;
        m_done += units;
        if (m_done >= m_every) {
            m_done = 0;
            m_progress->yield();
        }
    }

private:
    Progress *m_progress;
    qsizetype m_every;
    qsizetype m_done = 0;
};

// Destroys what it is handed on a thread of its own: giving hundreds of
// megabytes back to the system page by page would hold the window. Without a
// thread to be had it goes here.
void dropInBackground(std::shared_ptr<void> held);
template <typename T> void dropInBackground(T &&thing) requires(!std::is_lvalue_reference_v<T>)
{
    dropInBackground(std::shared_ptr<void>(std::make_shared<T>(std::move(thing))));
}

// A piece of work on a thread of its own, which the starting thread can wait
// for while it keeps yielding to the event loop. The destructor waits for
// the work to end.
class BackgroundWork
{
public:
    // Starts work at once; started() is false when no thread could be had
    // (the work has then not run).
    explicit BackgroundWork(std::function<void()> work);
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork &) = delete;
    BackgroundWork &operator=(const BackgroundWork &) = delete;

    bool started() const;

    // Waits until the work ended, yielding to progress every few
    // milliseconds (or just waiting when progress is null). A yield that
    // throws (the window was closed) is passed on once the work ended.
    void waitWhileYielding(Progress *progress);

    // What the work threw, once it ended; null when it ended normally.
    std::exception_ptr failure() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
