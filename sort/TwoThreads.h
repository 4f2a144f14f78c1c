#pragma once

#include "core/Progress.h"
#include "core/Yielding.h"

#include <QtGlobal>

#include <exception>
#include <optional>

namespace SortEngine {

// Whether total items of work are worth sharing between two threads: there
// must be two cores, and enough work to pay for the second thread.
bool useTwoThreads(qsizetype total);

// Runs work(0, ...) and work(1, ...) at the same time when worthwhile, else
// one after the other on the calling thread. Each half gets the progress to
// yield to: the calling thread's own, null on the helper thread. A failure of
// either (a closed window included) is passed on once both have ended.
//
// A calling thread that finishes first keeps yielding while it waits: the
// other core may be busy with other programs.
template <typename Work> void inTwoHalves(qsizetype total, Progress *progress, Work work)
{
    std::optional<BackgroundWork> helper;
    if (useTwoThreads(total)) {
        helper.emplace([&work] { work(1, nullptr); });
        if (!helper->started())
            helper.reset(); // no thread to be had: both halves run here
    }
    // Should this half fail, the helper's destructor waits for the other.
    work(0, progress);
    if (!helper) {
        work(1, progress);
        return;
    }
    helper->waitWhileYielding(progress);
    if (const std::exception_ptr failure = helper->failure())
        std::rethrow_exception(failure);
}

} // namespace SortEngine
