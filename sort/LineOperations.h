#pragma once

#include "core/Progress.h"
#include "core/Yielding.h"
#include "sort/SortRoutines.h"

#include <QtGlobal>

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

// Puts the lines in a uniformly random order (Fisher-Yates, drawn from
// QRandomGenerator::global()), yielding as it goes; a yield that throws
// leaves every line once.
void shuffleLines(LineRefs &lines, Progress *progress);

// The dropping steps end once begun: a yield that throws meanwhile is passed
// on when the kept lines are in place.

// Keeps the first of each run of identical neighbours, in order.
void dropRepeatedNeighbours(LineRefs &lines, Progress *progress);

// Keeps the lines whose dropped[i] is false, in order.
void dropMarkedLines(LineRefs &lines, const bool *dropped, Progress *progress);

// Whether two lines have the same text, unit for unit.
inline bool sameText(const LineRef &a, const LineRef &b)
{
    return a.length == b.length &&
           std::char_traits<char16_t>::compare(a.units, b.units, std::size_t(a.length)) == 0;
}

} // namespace SortEngine
