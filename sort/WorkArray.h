#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace SortEngine {

// The memory of a WorkArray, bytes long: mapped with transparent huge pages
// when large (mappedBytes is then set to bytes, else to 0). Throws the "Out
// of memory" failure, or std::bad_alloc, when there is none.
void *allocateWorkMemory(std::size_t bytes, std::size_t &mappedBytes);
void releaseWorkMemory(void *memory, std::size_t mappedBytes);

// A fixed-capacity array of trivially copyable items for the sort's working
// memory. Large ones are mapped with transparent huge pages where the system
// offers them: touching fresh memory page by page costs more than the merging.
template <typename T> class WorkArray final
{
public:
    explicit WorkArray(qsizetype capacity) : m_size(capacity)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        const std::size_t bytes = std::size_t(std::max<qsizetype>(capacity, 1)) * sizeof(T);
        m_data = static_cast<T *>(allocateWorkMemory(bytes, m_mappedBytes));
    }

    ~WorkArray() { releaseWorkMemory(m_data, m_mappedBytes); }

    WorkArray(const WorkArray &) = delete;
    WorkArray &operator=(const WorkArray &) = delete;

    T *data() const { return m_data; }
    qsizetype size() const { return m_size; }
    T &operator[](qsizetype i) const { return m_data[i]; }
    // Keeps only the first size items (for arrays filled from the front).
    void shrink(qsizetype size) { m_size = size; }

private:
    T *m_data = nullptr;
    qsizetype m_size = 0;
    std::size_t m_mappedBytes = 0;
};

} // namespace SortEngine
