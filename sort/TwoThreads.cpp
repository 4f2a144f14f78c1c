#include "sort/TwoThreads.h"

#include <thread>

namespace SortEngine {

namespace {

// Below this many items a second thread costs more than it saves.
constexpr qsizetype ParallelThreshold = 1 << 15;

} // namespace

bool useTwoThreads(qsizetype total)
{
    static const bool twoCores = std::thread::hardware_concurrency() >= 2;
    return twoCores && total >= ParallelThreshold;
}

} // namespace SortEngine
