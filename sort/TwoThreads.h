#pragma once

#include "core/Failure.h"
#include "core/Progress.h"
#include "core/Yielding.h"

#include <QtGlobal>

#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

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

// Passes yields on, and tells the work on other threads to stop once one
// threw (the window was closed).
class StoppingProgress final : public Progress
{
public:
    explicit StoppingProgress(Progress *inner) : m_inner(inner) {}

    std::atomic<bool> stop = false;

    void setPosition(double percent) override { m_inner->setPosition(percent); }
    void setText(const QString &text) override { m_inner->setText(text); }
    bool showsTextNow() const override { return m_inner->showsTextNow(); }
    void yield() override
    {
        try {
            m_inner->yield();
        } catch (...) {
            stop = true;
            throw;
        }
    }

private:
    Progress *m_inner;
};

// Runs work(half, from, to, stop) on [0, count), each half on a thread of
// its own (one thread for few items), while the calling thread only yields:
// for work that cannot yield itself, such as a pattern or a collator that
// may take long on one line. work returns early once stop is set (the window
// was closed).
template <typename Work> void inBackgroundHalves(qsizetype count, Progress *progress, Work work)
{
    const qsizetype middle = useTwoThreads(count) ? count / 2 : count;
    std::optional<StoppingProgress> stopping;
    if (progress)
        stopping.emplace(progress);
    std::atomic<bool> unstoppable = false;
    const std::atomic<bool> &stop = stopping ? stopping->stop : unstoppable;
    std::vector<std::unique_ptr<BackgroundWork>> pieces;
    pieces.push_back(std::make_unique<BackgroundWork>([&] { work(0, 0, middle, stop); }));
    if (middle < count)
        pieces.push_back(std::make_unique<BackgroundWork>([&] { work(1, middle, count, stop); }));
    for (const auto &piece : pieces) {
        if (!piece->started()) {
            if (stopping)
                stopping->stop = true;
            throw Failure::outOfMemory();
        }
    }
    for (const auto &piece : pieces)
        piece->waitWhileYielding(stopping ? &*stopping : nullptr);
    for (const auto &piece : pieces) {
        if (piece->failure())
            std::rethrow_exception(piece->failure());
    }
}

} // namespace SortEngine
