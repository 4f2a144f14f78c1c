#pragma once

#include "sort/ChosenKey.h"
#include "sort/PartFinder.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QObject;

// The preview lines in the order of the keys, each with the span of every
// key (none for the header), for the keys as they stood at changeCount.
struct SortKeyPreviewResult
{
    struct Line
    {
        qsizetype index = 0;
        bool header = false;
        QList<std::optional<PartSpan>> spans;
    };

    quint64 changeCount = 0;
    QList<Line> lines;
    qsizetype removed = 0; // by unique
    qsizetype gaveUp = 0;  // lines a pattern gave up on
    QString failure;       // why there is no preview
};

// Sorts the preview lines on a thread of its own, the newest request only:
// a request that a newer one replaced before its turn is never sorted, and a
// result is handed to deliver on receiver's thread (queued) only while no
// newer request waits. Once the worker goes, no result is delivered.
class SortKeyPreviewWorker final
{
public:
    using Deliver = std::function<void(const SortKeyPreviewResult &)>;

    SortKeyPreviewWorker(const QStringList &lines, QObject *receiver, Deliver deliver);
    ~SortKeyPreviewWorker();
    SortKeyPreviewWorker(const SortKeyPreviewWorker &) = delete;
    SortKeyPreviewWorker &operator=(const SortKeyPreviewWorker &) = delete;

    void request(const ChosenKeySet &keys, quint64 changeCount);

private:
    struct Shared;
    static void run(const std::shared_ptr<Shared> &shared);
    // The lines in the order of keys, with their keys' spans.
    static SortKeyPreviewResult previewOrder(const QStringList &lines, const ChosenKeySet &keys);

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};
