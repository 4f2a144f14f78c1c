#include "sort/LineOperations.h"

#include <QRandomGenerator>

namespace SortEngine {

void shuffleLines(LineRefs &lines, Progress *progress)
{
    LineRef *const items = lines.data();
    QRandomGenerator *const random = QRandomGenerator::global();
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = lines.size() - 1; i > 0; --i) {
        // Each line in turn, from the last, swaps with one of those before it
        // or stays: every order is equally likely.
        std::swap(items[i], items[random->bounded(qint64(i) + 1)]);
        yield();
    }
}

void dropRepeatedNeighbours(LineRefs &lines, Progress *progress)
{
    LineRef *const items = lines.data();
    DeferredYield yield(progress, YieldPacer::SortItems);
    qsizetype kept = lines.size() > 0 ? 1 : 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!sameText(items[i], items[kept - 1]))
            items[kept++] = items[i];
        yield();
    }
    lines.truncate(kept);
    yield.finish();
}

void dropMarkedLines(LineRefs &lines, const bool *dropped, Progress *progress)
{
    LineRef *const items = lines.data();
    DeferredYield yield(progress, YieldPacer::SortItems);
    qsizetype kept = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!dropped[i])
            items[kept++] = items[i];
        yield();
    }
    lines.truncate(kept);
    yield.finish();
}

} // namespace SortEngine
