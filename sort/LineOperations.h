#pragma once

#include "core/Progress.h"
#include "core/Yielding.h"
#include "sort/UnitLines.h"

#include <QRandomGenerator>

#include <QtGlobal>

#include <cstring>
#include <exception>
#include <string>
#include <utility>

// Steps that move or drop lines without comparing keys, and the yielding of
// steps that must not stop halfway.
namespace SortEngine {

// Yields like a YieldPacer, but a step that must not stop halfway keeps what
// a yield throws (a closed window) and passes it on from finish(), once the
// step has ended. It yields no more after the first throw.
class DeferredYield final
{
public:
    DeferredYield(Progress *progress, qsizetype every) : m_yield(progress, every) {}

    void operator()()
    {
        if (m_stopped)
            return;
        try {
            m_yield();
        } catch (...) {
            m_stopped = std::current_exception();
        }
    }

    void finish()
    {
        if (m_stopped)
            std::rethrow_exception(m_stopped);
    }

private:
    YieldPacer m_yield;
    std::exception_ptr m_stopped;
};

// Reverses items[0, count) in place, yielding as it goes. Every step swaps
// two items, so a yield that throws leaves each item there once.
template <typename T> void reverseInSteps(T *items, qsizetype count, Progress *progress)
{
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = 0, j = count - 1; i < j; ++i, --j) {
        std::swap(items[i], items[j]);
        yield(2);
    }
}

// Whether two lines have the same text, unit for unit; the same bytes are
// the same units.
inline bool sameText(const UnitLine &a, const UnitLine &b)
{
    return a.length == b.length &&
           std::char_traits<char16_t>::compare(a.units, b.units, std::size_t(a.length)) == 0;
}

inline bool sameText(const LineRef &a, const LineRef &b)
{
    return a.length == b.length && std::memcmp(a.bytes, b.bytes, a.length) == 0;
}

// Puts the lines in a uniformly random order (Fisher-Yates, drawn from
// QRandomGenerator::global()), yielding as it goes; a yield that throws
// leaves every line once.
template <typename Line> void shuffleLines(LineList<Line> &lines, Progress *progress)
{
    Line *const items = lines.data();
    QRandomGenerator *const random = QRandomGenerator::global();
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = lines.size() - 1; i > 0; --i) {
        // Each line in turn, from the last, swaps with one of those before it
        // or stays: every order is equally likely.
        std::swap(items[i], items[random->bounded(qint64(i) + 1)]);
        yield();
    }
}

// The dropping steps end once begun: a yield that throws meanwhile is passed
// on when the kept lines are in place.

// Keeps the first of each run of identical neighbours, in order.
template <typename Line> void dropRepeatedNeighbours(LineList<Line> &lines, Progress *progress)
{
    Line *const items = lines.data();
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

// Keeps the lines whose dropped[i] is false, in order.
template <typename Line>
void dropMarkedLines(LineList<Line> &lines, const bool *dropped, Progress *progress)
{
    Line *const items = lines.data();
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
