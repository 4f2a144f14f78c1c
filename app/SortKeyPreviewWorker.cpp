#include "app/SortKeyPreviewWorker.h"

#include "sort/ChosenKeyOrder.h"

#include <QMetaObject>
#include <QObject>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Request
{
    ChosenKeySet keys;
    quint64 changeCount = 0;
};

} // namespace

struct SortKeyPreviewWorker::Shared
{
    Shared(const QStringList &lines, QObject *receiver, Deliver deliver)
        : lines(lines), receiver(receiver), deliver(std::move(deliver))
    {
    }

    const QStringList lines;
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<Request> pending;
    bool busy = false;
    bool stopped = false;
    QObject *receiver; // null once the worker goes
    const Deliver deliver;
};

SortKeyPreviewWorker::SortKeyPreviewWorker(const QStringList &lines, QObject *receiver,
                                           Deliver deliver)
    : m_shared(std::make_shared<Shared>(lines, receiver, std::move(deliver)))
{
    m_thread = std::thread(&SortKeyPreviewWorker::run, m_shared);
}

SortKeyPreviewWorker::~SortKeyPreviewWorker()
{
    bool busy = false;
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
        m_shared->receiver = nullptr;
        busy = m_shared->busy;
    }
    m_shared->wake.notify_one();
    // An idle thread ends at once. One still sorting (a slow pattern) would
    // hold the closing dialog: it ends on its own instead, and its result
    // goes nowhere.
    if (busy)
        m_thread.detach();
    else
        m_thread.join();
}

void SortKeyPreviewWorker::request(const ChosenKeySet &keys, quint64 changeCount)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->pending = Request{keys, changeCount};
    }
    m_shared->wake.notify_one();
}

void SortKeyPreviewWorker::run(const std::shared_ptr<Shared> &shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->stopped || shared->pending; });
        if (shared->stopped)
            return;
        const Request request = std::move(*shared->pending);
        shared->pending.reset();
        shared->busy = true;
        lock.unlock();

        SortKeyPreviewResult result = previewOrder(shared->lines, request.keys);
        result.changeCount = request.changeCount;

        lock.lock();
        shared->busy = false;
        // Posted under the lock: the worker clears receiver under it before
        // it goes, and the receiver's events still queued go with it.
        if (QObject *receiver = shared->receiver; receiver && !shared->pending) {
            QMetaObject::invokeMethod(
                receiver,
                [deliver = shared->deliver, result = std::move(result)] { deliver(result); },
                Qt::QueuedConnection);
        }
    }
}

SortKeyPreviewResult SortKeyPreviewWorker::previewOrder(const QStringList &lines,
                                                        const ChosenKeySet &keys)
{
    SortKeyPreviewResult result;
    try {
        const QList<qsizetype> order = orderByKeys(lines, keys);
        // Finders of their own: the dialog's compiled patterns stay on its thread.
        std::vector<std::unique_ptr<PartFinder>> finders;
        for (const ChosenKey &key : keys.keys)
            finders.push_back(std::make_unique<PartFinder>(key));
        result.lines.reserve(order.size());
        for (qsizetype index : order) {
            SortKeyPreviewResult::Line line;
            line.index = index;
            line.header = keys.header && result.lines.isEmpty() && index == 0;
            bool lineGaveUp = false;
            if (!line.header) {
                for (const std::unique_ptr<PartFinder> &finder : finders) {
                    bool gaveUp = false;
                    line.spans.append(finder->find(lines[index], &gaveUp));
                    lineGaveUp = lineGaveUp || gaveUp;
                }
            }
            result.gaveUp += lineGaveUp ? 1 : 0;
            result.lines.append(std::move(line));
        }
        result.removed = lines.size() - order.size();
    } catch (const std::exception &failure) {
        result.lines.clear();
        result.failure = QString::fromLocal8Bit(failure.what());
    } catch (...) {
        result.lines.clear();
        result.failure = u"the lines could not be sorted"_s;
    }
    return result;
}
