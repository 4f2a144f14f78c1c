#include "core/Yielding.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

void dropInBackground(std::shared_ptr<void> held)
{
    try {
        std::thread([held = std::move(held)]() mutable { held.reset(); }).detach();
    } catch (const std::system_error &) {
        // The lambda that held it is gone already: it went here.
    }
}

struct BackgroundWork::State
{
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
    std::optional<std::thread> thread;
};

BackgroundWork::BackgroundWork(std::function<void()> work) : m_state(std::make_shared<State>())
{
    try {
        m_state->thread.emplace([state = m_state.get(), work = std::move(work)] {
            std::exception_ptr failure;
            try {
                work();
            } catch (...) {
                failure = std::current_exception();
            }
            const std::lock_guard lock(state->mutex);
            state->failure = failure;
            state->done = true;
            state->ended.notify_one();
        });
    } catch (const std::system_error &) {
        // No thread to be had: started() tells the caller.
    }
}

BackgroundWork::~BackgroundWork()
{
    if (m_state->thread && m_state->thread->joinable())
        m_state->thread->join();
}

bool BackgroundWork::started() const
{
    return m_state->thread.has_value();
}

void BackgroundWork::waitWhileYielding(Progress *progress)
{
    if (!started())
        return;
    std::exception_ptr stopped;
    {
        std::unique_lock lock(m_state->mutex);
        while (!m_state->ended.wait_for(lock, std::chrono::milliseconds(2),
                                        [this] { return m_state->done; })) {
            if (!progress || stopped)
                continue;
            lock.unlock();
            try {
                progress->yield();
            } catch (...) {
                stopped = std::current_exception();
            }
            lock.lock();
        }
    }
    m_state->thread->join();
    if (stopped)
        std::rethrow_exception(stopped);
}

std::exception_ptr BackgroundWork::failure() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->failure;
}
