#include "sort/WorkArray.h"

#include "core/Failure.h"

#include <new>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

namespace SortEngine {

namespace {

// From this size on, arrays are mapped rather than taken from the heap.
constexpr std::size_t HugeThreshold = std::size_t(4) << 20;

} // namespace

void *allocateWorkMemory(std::size_t bytes, std::size_t &mappedBytes)
{
    mappedBytes = 0;
#ifdef Q_OS_LINUX
    if (bytes >= HugeThreshold) {
        void *memory =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED)
            throw Failure::outOfMemory();
        madvise(memory, bytes, MADV_HUGEPAGE); // only advice: failing is harmless
        mappedBytes = bytes;
        return memory;
    }
#endif
    return ::operator new(bytes);
}

void releaseWorkMemory(void *memory, std::size_t mappedBytes)
{
#ifdef Q_OS_LINUX
    if (mappedBytes) {
        munmap(memory, mappedBytes);
        return;
    }
#endif
    ::operator delete(memory);
}

} // namespace SortEngine
