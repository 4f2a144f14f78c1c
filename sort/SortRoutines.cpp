#include "sort/SortRoutines.h"

#include "sort/Failure.h"
#include "sort/Sieve.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

using namespace Qt::StringLiterals;

// Every routine orders the lines ascending and stable by a key. The order is
// the one that repeated passes of neighbour exchanges would reach (only a
// strictly greater key moves), but it is reached by merging: each key is
// derived once; pass 1 cuts the keys into sorted runs, and every pass merges
// neighbouring runs pairwise until one run is left (sorted input takes one
// pass). The status shows each pass as it starts. The word routines leave lines
// without enough spaces in place; such a line is a wall that no line passes,
// so the lines between two walls are merged among themselves only.

namespace {

// A line's key as the merge passes see it. The first eight code units of a
// text key are packed into head0 and head1, so that most comparisons never
// touch the text; the text itself is found through the line index when the
// heads tie. A numeric key lives in head0 alone.
struct Entry
{
    quint64 head0;
    quint64 head1;
    quint32 line;   // index in the LineArray
    quint32 offset; // where the key starts in its line; a filtered key's size
};

// Line indexes and key offsets are 32-bit; texts and arrays beyond that would
// need more memory than a desktop has.
constexpr qsizetype MaxIndex = 0xFFFFFFFF;

// Packs up to four code units, most significant first and zero padded. For two
// texts, comparing the packed values agrees with comparing the texts whenever
// the values differ: a missing unit (0) never sorts after a present one.
inline quint64 packHead(const char16_t *text, qsizetype size)
{
    if (size >= 4) {
        quint64 units;
        std::memcpy(&units, text, sizeof units);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            units =
                ((units & 0xFFFF0000FFFF0000ull) >> 16) | ((units & 0x0000FFFF0000FFFFull) << 16);
            units = (units >> 32) | (units << 32);
        }
        return units;
    }
    quint64 units = 0;
    for (qsizetype i = 0; i < 4; ++i)
        units = (units << 16) | (i < size ? text[i] : 0u);
    return units;
}

inline const char16_t *unitsOf(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.constData());
}

// The entry of a text key whose first units are key[0, size).
inline Entry textEntry(const char16_t *key, qsizetype size, qsizetype line, qsizetype offset)
{
    if (offset > MaxIndex)
        throw Failure::outOfMemory();
    return Entry{packHead(key, size), size > 4 ? packHead(key + 4, size - 4) : 0, quint32(line),
                 quint32(offset)};
}

// Where the keys' units beyond their heads are, for the groups of entries
// whose heads tie: size(e) is the key's size, units(e, from) its units from
// from on (from >= 8).

// The lines' own texts from an offset on.
struct LineSuffixes
{
    static constexpr bool HeadsAreWhole = false;
    const QString *lines;

    qsizetype size(const Entry &entry) const { return lines[entry.line].size() - entry.offset; }
    const char16_t *units(const Entry &entry, qsizetype from) const
    {
        return unitsOf(lines[entry.line]) + entry.offset + from;
    }
};

// Filtered keys: the entry's offset holds the key's size, and only what
// follows the first eight units (which the heads hold) is stored, at
// tails[starts[line]].
struct FilteredTails
{
    static constexpr bool HeadsAreWhole = false;
    const char16_t *tails;
    const qsizetype *starts;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    const char16_t *units(const Entry &entry, qsizetype from) const
    {
        return tails + starts[entry.line] + (from - 8);
    }
};

// Numeric keys are whole in their heads.
struct NoTexts
{
    static constexpr bool HeadsAreWhole = true;
};

// The merge passes order by the heads alone, which never touches memory
// beyond the entries; refineTies() then orders the groups of equal heads.
struct HeadLess
{
    bool operator()(const Entry &a, const Entry &b) const
    {
        if (a.head0 != b.head0)
            return a.head0 < b.head0;
        return a.head1 < b.head1;
    }
};

// A fixed-capacity array of trivially copyable items for the sort's working
// memory. Large ones are mapped with transparent huge pages where the system
// offers them: touching fresh memory page by page costs more than the merging.
template <typename T> class WorkArray
{
public:
    explicit WorkArray(qsizetype capacity) : m_size(capacity)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        const std::size_t bytes = std::size_t(std::max<qsizetype>(capacity, 1)) * sizeof(T);
#ifdef Q_OS_LINUX
        if (bytes >= HugeThreshold) {
            void *memory =
                mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (memory == MAP_FAILED)
                throw Failure::outOfMemory();
            madvise(memory, bytes, MADV_HUGEPAGE); // only advice: failing is harmless
            m_data = static_cast<T *>(memory);
            m_mappedBytes = bytes;
            return;
        }
#endif
        m_data = static_cast<T *>(::operator new(bytes));
    }

    ~WorkArray()
    {
#ifdef Q_OS_LINUX
        if (m_mappedBytes) {
            munmap(m_data, m_mappedBytes);
            return;
        }
#endif
        ::operator delete(m_data);
    }

    WorkArray(const WorkArray &) = delete;
    WorkArray &operator=(const WorkArray &) = delete;

    T *data() const
    {
        return m_data;
    }
    qsizetype size() const
    {
        return m_size;
    }
    T &operator[](qsizetype i) const
    {
        return m_data[i];
    }
    // Keeps only the first size items (for arrays filled from the front).
    void shrink(qsizetype size)
    {
        m_size = size;
    }

private:
    static constexpr std::size_t HugeThreshold = std::size_t(4) << 20;

    T *m_data = nullptr;
    qsizetype m_size = 0;
    std::size_t m_mappedBytes = 0;
};

// Lets the window's event loop run during the long steps of a pass: items
// of work are counted, and after every YieldEvery of them the progress
// yields (it is time-sliced, so most of these calls return at once). Only
// the thread that called the routine may yield: work on the helper thread
// gets a StepYield without progress.
class StepYield
{
public:
    static constexpr qsizetype YieldEvery = 1 << 14;

    explicit StepYield(Progress *progress) : m_progress(progress) {}

    void operator()(qsizetype items = 1)
    {
        if (!m_progress)
            return;
        m_done += items;
        if (m_done >= YieldEvery) {
            m_done = 0;
            m_progress->yield();
        }
    }

private:
    Progress *m_progress;
    qsizetype m_done = 0;
};

void beginPass(Progress *progress, int pass)
{
    if (!progress)
        return;
    progress->yield();
    progress->setText(u"Sorting: "_s + QString::number(pass));
}

// Begins pass 1. Returns false when there is nothing to compare.
bool beginSort(LineArray &lines, Progress *progress)
{
    beginPass(progress, 1);
    if (lines.size() < 2)
        return false;
    if (lines.size() > MaxIndex)
        throw Failure::outOfMemory();
    lines.detach(); // the keys point into the list; it must stay ours
    return true;
}

// A sorted stretch [begin, end) of entries inside one segment between walls.
struct Run
{
    qsizetype begin;
    qsizetype end;
    qsizetype segment;
};

constexpr qsizetype MinRun = 32;

// Below this many entries a second thread costs more than it saves.
constexpr qsizetype ParallelThreshold = 1 << 15;

bool useTwoThreads(qsizetype total)
{
    static const bool twoCores = std::thread::hardware_concurrency() >= 2;
    return twoCores && total >= ParallelThreshold;
}

// Runs work(0, ...) and work(1, ...) at the same time when worthwhile, else
// one after the other. Each half gets the progress to yield to: the calling
// thread's own, null on the helper thread. A failure of either (a closed
// window included) is passed on once both have ended.
//
// A calling thread that finishes first keeps yielding while it waits: the
// other core may be busy with other programs.
template <typename Work> void inTwoHalves(qsizetype total, Progress *progress, Work work)
{
    std::optional<std::thread> helper;
    std::exception_ptr helperFailure;
    std::mutex mutex;
    std::condition_variable ended;
    bool helperEnded = false;
    if (useTwoThreads(total)) {
        try {
            helper.emplace([&] {
                try {
                    work(1, nullptr);
                } catch (...) {
                    helperFailure = std::current_exception();
                }
                const std::lock_guard lock(mutex);
                helperEnded = true;
                ended.notify_one();
            });
        } catch (const std::system_error &) {
            // No thread to be had: both halves run here.
        }
    }
    try {
        work(0, progress);
        if (helper && progress) {
            std::unique_lock lock(mutex);
            while (
                !ended.wait_for(lock, std::chrono::milliseconds(2), [&] { return helperEnded; })) {
                lock.unlock();
                progress->yield();
                lock.lock();
            }
        }
    } catch (...) {
        if (helper)
            helper->join();
        throw;
    }
    if (!helper) {
        work(1, progress);
        return;
    }
    helper->join();
    if (helperFailure)
        std::rethrow_exception(helperFailure);
}

template <typename Less> class MergeSorter
{
public:
    MergeSorter(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds, Less less)
        : m_entries(entries), m_segmentEnds(segmentEnds), m_less(less)
    {
    }

    // Sorts every segment; pass 1 has begun. Returns where the sorted entries
    // are: in the entries or in the buffer. With showPasses false the merge
    // rounds only yield, they begin no pass of their own.
    Entry *sort(Progress *progress, bool showPasses = true)
    {
        m_runs = formAllRuns(progress);
        if (merged())
            return m_entries.data();

        const qsizetype total = qsizetype(m_entries.size());
        m_buffer = std::make_unique<WorkArray<Entry>>(total);
        Entry *src = m_entries.data();
        Entry *dst = m_buffer->data();
        std::vector<MergeTask> tasks;
        std::vector<Run> next;
        tasks.reserve(m_runs.size() / 2 + 1);
        next.reserve(m_runs.size() / 2 + 1);
        // Fresh memory is slow to touch: even the lists of runs yield.
        StepYield yield(progress);
        for (int pass = 1;; ++pass) {
            if (pass > 1 && showPasses)
                beginPass(progress, pass);
            tasks.clear();
            next.clear();
            for (std::size_t r = 0; r < m_runs.size(); ++r) {
                yield();
                const Run &a = m_runs[r];
                if (r + 1 < m_runs.size() && m_runs[r + 1].segment == a.segment) {
                    const Run &b = m_runs[r + 1];
                    tasks.push_back(MergeTask{a.begin, a.end, b.begin, b.end, a.begin});
                    next.push_back(Run{a.begin, b.end, a.segment});
                    ++r;
                } else {
                    tasks.push_back(MergeTask{a.begin, a.end, a.end, a.end, a.begin});
                    next.push_back(a);
                }
            }
            runRound(src, dst, tasks, total, progress, yield);
            std::swap(src, dst);
            std::swap(m_runs, next);
            if (merged())
                return src;
        }
    }

    // The array of the two that does not hold the sorted entries, free for
    // other use once sort() returned; null when no merge round was needed.
    Entry *spare(const Entry *sorted) const
    {
        if (!m_buffer)
            return nullptr;
        return sorted == m_entries.data() ? m_buffer->data() : m_entries.data();
    }

private:
    // One piece of a merge round: merge (or copy) src[aBegin, aEnd) and
    // src[bBegin, bEnd) into dst at out.
    struct MergeTask
    {
        qsizetype aBegin, aEnd, bBegin, bEnd, out;
    };

    bool merged() const
    {
        for (std::size_t r = 1; r < m_runs.size(); ++r) {
            if (m_runs[r].segment == m_runs[r - 1].segment)
                return false;
        }
        return true;
    }

    // Cuts every segment into sorted runs, the first half of the entries and
    // the second half on their own threads.
    std::vector<Run> formAllRuns(Progress *progress)
    {
        const qsizetype total = qsizetype(m_entries.size());
        const qsizetype middle = total / 2;
        std::vector<Run> halves[2];
        // As many runs as entries at most; the room is only touched as used.
        halves[0].reserve(std::size_t(total));
        halves[1].reserve(std::size_t(total - middle));
        inTwoHalves(total, progress, [&](int half, Progress *mayYield) {
            StepYield yield(mayYield);
            const qsizetype from = half == 0 ? 0 : middle;
            const qsizetype to = half == 0 ? middle : total;
            qsizetype begin = 0;
            for (qsizetype segment = 0; segment < qsizetype(m_segmentEnds.size()); ++segment) {
                const qsizetype end = m_segmentEnds[segment];
                const qsizetype clippedBegin = std::max(begin, from);
                const qsizetype clippedEnd = std::min(end, to);
                if (clippedBegin < clippedEnd)
                    formRuns(clippedBegin, clippedEnd, segment, halves[half], yield);
                begin = end;
                if (begin >= to)
                    break;
            }
        });
        halves[0].reserve(halves[0].size() + halves[1].size());
        StepYield yield(progress);
        for (const Run &run : halves[1]) {
            halves[0].push_back(run);
            yield();
        }
        return std::move(halves[0]);
    }

    // Cuts [begin, end) of one segment into sorted runs of at least MinRun
    // entries (fewer only at the end). Natural runs are kept, and strictly
    // falling ones reversed, so sorted input stays one run.
    void formRuns(qsizetype begin, qsizetype end, qsizetype segment, std::vector<Run> &runs,
                  StepYield &yield)
    {
        Entry *const entries = m_entries.data();
        qsizetype at = begin;
        while (at < end) {
            qsizetype runEnd = at + 1;
            if (runEnd < end && m_less(entries[runEnd], entries[at])) {
                while (runEnd < end && m_less(entries[runEnd], entries[runEnd - 1]))
                    ++runEnd;
                std::reverse(entries + at, entries + runEnd);
            } else {
                while (runEnd < end && !m_less(entries[runEnd], entries[runEnd - 1]))
                    ++runEnd;
            }
            if (runEnd - at < MinRun && runEnd < end) {
                const qsizetype extended = std::min(at + MinRun, end);
                insertionSort(entries + at, entries + runEnd, entries + extended);
                runEnd = extended;
            }
            runs.push_back(Run{at, runEnd, segment});
            yield(runEnd - at);
            at = runEnd;
        }
    }

    // Stable insertion of [sortedEnd, end) into the sorted [begin, sortedEnd).
    void insertionSort(Entry *begin, Entry *sortedEnd, Entry *end) const
    {
        for (Entry *next = sortedEnd; next != end; ++next) {
            const Entry item = *next;
            Entry *at = std::upper_bound(begin, next, item, m_less);
            std::move_backward(at, next, next + 1);
            *at = item;
        }
    }

    // Entries merged or copied between two yields.
    static constexpr qsizetype MergeStep = 4096;

    // Stable merge: on equal keys the left run's entry comes first. It goes
    // in steps of at most MergeStep entries, yielding in between.
    void mergeInto(const Entry *a, const Entry *aEnd, const Entry *b, const Entry *bEnd, Entry *out,
                   StepYield &yield) const
    {
        while (a != aEnd && b != bEnd) {
            const qsizetype step = std::min({MergeStep, qsizetype(aEnd - a), qsizetype(bEnd - b)});
            if (step >= 64) {
                // Neither run can end within step entries.
                for (qsizetype k = 0; k < step; ++k)
                    *out++ = m_less(*b, *a) ? *b++ : *a++;
                yield(step);
                continue;
            }
            for (qsizetype k = 0; k < MergeStep; ++k) {
                if (m_less(*b, *a)) {
                    *out++ = *b++;
                    if (b == bEnd)
                        break;
                } else {
                    *out++ = *a++;
                    if (a == aEnd)
                        break;
                }
            }
            yield(MergeStep);
        }
        out = copyInSteps(a, aEnd, out, yield);
        copyInSteps(b, bEnd, out, yield);
    }

    static Entry *copyInSteps(const Entry *from, const Entry *end, Entry *out, StepYield &yield)
    {
        while (from != end) {
            const qsizetype step = std::min(MergeStep, qsizetype(end - from));
            out = std::copy(from, from + step, out);
            from += step;
            yield(step);
        }
        return out;
    }

    // How many of the first count entries of the stable merge of a and b come
    // from a.
    qsizetype splitPoint(const Entry *a, qsizetype aSize, const Entry *b, qsizetype bSize,
                         qsizetype count) const
    {
        qsizetype low = std::max<qsizetype>(0, count - bSize);
        qsizetype high = std::min(count, aSize);
        while (low < high) {
            const qsizetype i = low + (high - low) / 2;
            const qsizetype j = count - i;
            if (j > 0 && !m_less(b[j - 1], a[i]))
                low = i + 1; // a[i] still comes before b[j - 1]
            else
                high = i;
        }
        return low;
    }

    void runTasks(const Entry *src, Entry *dst, const std::vector<MergeTask> &tasks,
                  Progress *mayYield) const
    {
        StepYield yield(mayYield);
        for (const MergeTask &task : tasks) {
            mergeInto(src + task.aBegin, src + task.aEnd, src + task.bBegin, src + task.bEnd,
                      dst + task.out, yield);
        }
    }

    // Runs the tasks of a round, on two threads when there is enough work:
    // each thread writes one half of the output, and the task that straddles
    // the middle is split where its merged output reaches it.
    void runRound(const Entry *src, Entry *dst, std::vector<MergeTask> &tasks, qsizetype total,
                  Progress *progress, StepYield &yield) const
    {
        if (!useTwoThreads(total)) {
            runTasks(src, dst, tasks, progress);
            return;
        }
        const qsizetype middle = total / 2;
        std::size_t straddling = 0;
        while (straddling < tasks.size()) {
            const MergeTask &task = tasks[straddling];
            if (task.out + (task.aEnd - task.aBegin) + (task.bEnd - task.bBegin) > middle)
                break;
            ++straddling;
        }
        std::vector<MergeTask> second;
        if (straddling < tasks.size()) {
            const MergeTask task = tasks[straddling];
            const qsizetype count = middle - task.out;
            const qsizetype fromA = splitPoint(src + task.aBegin, task.aEnd - task.aBegin,
                                               src + task.bBegin, task.bEnd - task.bBegin, count);
            const qsizetype aSplit = task.aBegin + fromA;
            const qsizetype bSplit = task.bBegin + (count - fromA);
            second.push_back(MergeTask{aSplit, task.aEnd, bSplit, task.bEnd, middle});
            second.reserve(tasks.size() - straddling);
            for (std::size_t t = straddling + 1; t < tasks.size(); ++t) {
                second.push_back(tasks[t]);
                yield();
            }
            tasks.resize(straddling);
            tasks.push_back(MergeTask{task.aBegin, aSplit, task.bBegin, bSplit, task.out});
        }
        inTwoHalves(total, progress, [&](int half, Progress *mayYield) {
            runTasks(src, dst, half == 0 ? tasks : second, mayYield);
        });
    }

    WorkArray<Entry> &m_entries;
    const std::vector<qsizetype> &m_segmentEnds;
    Less m_less;
    std::vector<Run> m_runs;
    std::unique_ptr<WorkArray<Entry>> m_buffer;
};

inline void prefetch(const void *address)
{
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    Q_UNUSED(address);
#endif
}

// Orders each group of entries whose heads tie by the rest of their keys,
// eight units at a time: the group is keyed again by its next eight units
// and the number of units left (at most 9, meaning "more than eight"), sorted
// stably, and every smaller group that still ties with units left goes one
// level deeper. A level reads each key once, where comparing texts would read
// two keys at every comparison, far apart in memory. The number of units left
// settles what zero padding cannot: a key that ends sorts before one that
// goes on, even with U+0000.
// Groups of tied keys at least this large are ordered by the merge passes
// (on two threads, yielding as they go) rather than in one call.
constexpr qsizetype LargeGroup = 1 << 15;

// A group's keys compare by their next units, then by the units left.
struct RefinedLess
{
    bool operator()(const Entry &a, const Entry &b) const
    {
        if (a.head0 != b.head0)
            return a.head0 < b.head0;
        if (a.head1 != b.head1)
            return a.head1 < b.head1;
        return a.offset < b.offset;
    }
};

template <typename Texts>
void refineTies(Entry *entries, const std::vector<qsizetype> &segmentEnds, const Texts &texts,
                Progress *progress)
{
    struct Group
    {
        qsizetype begin;
        qsizetype end;
        qsizetype depth;
    };
    StepYield yield(progress);
    std::vector<Group> groups;
    qsizetype entryCount = 0;
    if (!segmentEnds.empty())
        entryCount = segmentEnds.back();
    groups.reserve(std::size_t(entryCount / 2 + 1)); // touched only as used
    qsizetype begin = 0;
    for (const qsizetype end : segmentEnds) {
        for (qsizetype i = begin; i < end;) {
            qsizetype j = i + 1;
            while (j < end && entries[j].head0 == entries[i].head0 &&
                   entries[j].head1 == entries[i].head1)
                ++j;
            if (j - i > 1)
                groups.push_back(Group{i, j, 0});
            yield(j - i);
            i = j;
        }
        begin = end;
    }

    // A group's keys: the next units in the heads, the number of units left
    // in the offset, the place in the group in the line index.
    std::vector<Entry> smallKeys;
    std::vector<Entry> group;
    const RefinedLess less;
    while (!groups.empty()) {
        const Group at = groups.back();
        groups.pop_back();
        const qsizetype size = at.end - at.begin;
        const qsizetype from = at.depth * 8;
        std::unique_ptr<WorkArray<Entry>> largeKeys;
        Entry *keys = nullptr;
        if (size >= LargeGroup) {
            largeKeys = std::make_unique<WorkArray<Entry>>(size);
            keys = largeKeys->data();
        } else {
            smallKeys.resize(std::size_t(size));
            keys = smallKeys.data();
        }
        for (qsizetype i = at.begin; i < at.end; ++i) {
            const Entry &entry = entries[i];
            const qsizetype left = texts.size(entry) - from;
            Entry key{entry.head0, entry.head1, quint32(i - at.begin),
                      quint32(std::min<qsizetype>(left, 9))};
            if (at.depth > 0) { // at depth 0 the heads are the units already
                const char16_t *units = texts.units(entry, from);
                key.head0 = packHead(units, left);
                key.head1 = left > 4 ? packHead(units + 4, left - 4) : 0;
            }
            keys[i - at.begin] = key;
            yield();
        }
        const Entry *sorted = keys;
        Entry *aside = nullptr;
        std::optional<MergeSorter<RefinedLess>> sorter;
        const std::vector<qsizetype> oneSegment{size};
        if (largeKeys) {
            sorter.emplace(*largeKeys, oneSegment, less);
            sorted = sorter->sort(progress, false);
            aside = sorter->spare(sorted);
        } else {
            std::stable_sort(keys, keys + size, less);
        }
        if (!aside) {
            group.resize(std::size_t(size));
            aside = group.data();
        }
        std::copy(entries + at.begin, entries + at.end, aside);
        for (qsizetype k = 0; k < size; ++k) {
            entries[at.begin + k] = aside[sorted[k].line];
            yield();
        }
        for (qsizetype k = 0; k < size;) {
            qsizetype m = k + 1;
            while (m < size && !less(sorted[k], sorted[m]))
                ++m;
            if (m - k > 1 && sorted[k].offset > 8)
                groups.push_back(Group{at.begin + k, at.begin + m, at.depth + 1});
            k = m;
        }
    }
}

// Puts the lines in the order of the sorted entries; walls keep their index.
// QString is relocatable (Qt's own containers move it bitwise), so the line
// objects are copied aside as bytes and copied back in their new order:
// sequential writes, reads prefetched ahead, no reference counting. Only the
// first step can fail, before anything moved, so no line is lost or doubled:
// a window closed during the moving is only reported once every line object
// is back in the list. scratch, when not null, has room for every line object.
void applyOrder(LineArray &lines, const Entry *sorted, const std::vector<qsizetype> &walls,
                std::byte *scratch, Progress *progress)
{
    static_assert(QTypeInfo<QString>::isRelocatable);
    constexpr std::size_t Size = sizeof(QString);
    constexpr qsizetype Ahead = 16;
    const qsizetype count = lines.size();
    std::unique_ptr<WorkArray<std::byte>> aside;
    if (!scratch) {
        aside = std::make_unique<WorkArray<std::byte>>(count * qsizetype(Size));
        scratch = aside->data();
    }
    std::byte *const texts = reinterpret_cast<std::byte *>(static_cast<void *>(lines.data()));
    // Aside in steps: fresh scratch memory is slow to touch. Nothing has
    // moved yet, so a closed window may stop the sort here.
    for (qsizetype done = 0; done < count;) {
        const qsizetype step = std::min(StepYield::YieldEvery, count - done);
        std::memcpy(scratch + done * Size, texts + done * Size, std::size_t(step) * Size);
        done += step;
        if (progress)
            progress->yield();
    }

    const std::byte *const from = scratch;
    const Entry *const end = sorted + (count - qsizetype(walls.size()));
    auto wall = walls.begin();
    StepYield yield(progress);
    std::exception_ptr stopped;
    for (qsizetype k = 0; k < count; ++k) {
        if (!stopped) {
            try {
                yield();
            } catch (...) {
                stopped = std::current_exception();
            }
        }
        qsizetype line = k;
        if (wall != walls.end() && *wall == k) {
            ++wall;
        } else {
            if (end - sorted > Ahead)
                prefetch(from + sorted[Ahead].line * Size);
            line = sorted->line;
            ++sorted;
        }
        std::memcpy(texts + k * Size, from + line * Size, Size);
    }
    if (stopped)
        std::rethrow_exception(stopped);
}

// Sorts the lines by their entries (the lines that take part, in line order);
// the walls, ascending, stay where they are. Pass 1 has begun.
template <typename Texts>
void sortEntries(LineArray &lines, WorkArray<Entry> &entries, const std::vector<qsizetype> &walls,
                 Texts texts, Progress *progress)
{
    std::vector<qsizetype> segmentEnds;
    segmentEnds.reserve(walls.size() + 1);
    // A wall at line w ends the segment of the entries before it.
    StepYield yield(progress);
    for (std::size_t w = 0; w < walls.size(); ++w) {
        segmentEnds.push_back(walls[w] - qsizetype(w));
        yield();
    }
    segmentEnds.push_back(qsizetype(entries.size()));

    MergeSorter sorter(entries, segmentEnds, HeadLess{});
    Entry *sorted = sorter.sort(progress);
    if constexpr (!Texts::HeadsAreWhole)
        refineTies(sorted, segmentEnds, texts, progress);
    // Without walls there are as many entries as lines, and an entry is as
    // large as a line object, so the spare merge array can hold them all.
    static_assert(sizeof(Entry) >= sizeof(QString));
    std::byte *scratch =
        walls.empty() ? reinterpret_cast<std::byte *>(sorter.spare(sorted)) : nullptr;
    applyOrder(lines, sorted, walls, scratch, progress);
}

// Sorting by a position below 1 is an invalid call, reported once two lines
// would be compared.
LineArray &failInvalidArgument(LineArray &lines, Progress *progress)
{
    beginPass(progress, 1);
    if (lines.size() >= 2)
        throw Failure::invalidArgument();
    return lines;
}

// Keys every line by its text from 0-based offset keyStart(text) on.
template <typename KeyStart>
LineArray &sortBySuffix(LineArray &lines, Progress *progress, KeyStart keyStart)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    const QString *texts = lines.constData();
    inTwoHalves(lines.size(), progress, [&](int half, Progress *mayYield) {
        StepYield yield(mayYield);
        const qsizetype middle = lines.size() / 2;
        const qsizetype to = half == 0 ? middle : lines.size();
        for (qsizetype i = half == 0 ? 0 : middle; i < to; ++i) {
            const char16_t *units = unitsOf(texts[i]);
            const qsizetype size = texts[i].size();
            const qsizetype at = keyStart(units, size);
            entries[i] = textEntry(units + at, size - at, i, at);
            yield();
        }
    });
    sortEntries(lines, entries, {}, LineSuffixes{texts}, progress);
    return lines;
}

LineArray &sortFromCharacter(LineArray &lines, qsizetype start, Progress *progress)
{
    if (start < 1)
        return failInvalidArgument(lines, progress);
    return sortBySuffix(lines, progress, [start](const char16_t *, qsizetype size) {
        return std::min(start - 1, size);
    });
}

// Position (0-based) of the spaces-th space of text, or -1 when it has fewer.
inline qsizetype nthSpace(const char16_t *text, qsizetype size, qsizetype spaces)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] == u' ' && --spaces == 0)
            return i;
    }
    return -1;
}

// Keys every line by its text from its skip-th space on (skip >= 1), that
// space included; lines with fewer spaces are walls.
LineArray &sortFromWord(LineArray &lines, qsizetype skip, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    qsizetype count = 0;
    std::vector<qsizetype> walls;
    // Room for the most there can be: growing would copy the list at once
    // into fresh memory, which is slow to touch; reserved room that is never
    // used is never touched.
    walls.reserve(std::size_t(lines.size()));
    const QString *texts = lines.constData();
    StepYield yield(progress);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const char16_t *units = unitsOf(texts[i]);
        const qsizetype size = texts[i].size();
        const qsizetype at = nthSpace(units, size, skip);
        if (at < 0)
            walls.push_back(i);
        else
            entries[count++] = textEntry(units + at, size - at, i, at);
        yield();
    }
    entries.shrink(count);
    sortEntries(lines, entries, walls, LineSuffixes{texts}, progress);
    return lines;
}

// The entries of lines [from, to) keyed by filter, their tails packed into
// tails from at on.
template <Sieve::Filter filter>
void filterKeys(const QString *texts, qsizetype from, qsizetype to, qsizetype at,
                WorkArray<Entry> &entries, WorkArray<char16_t> &tails, WorkArray<qsizetype> &starts,
                Progress *mayYield)
{
    StepYield yield(mayYield);
    for (qsizetype i = from; i < to; ++i) {
        const char16_t *units = unitsOf(texts[i]);
        const char16_t *const end = units + texts[i].size();
        char16_t head[8];
        qsizetype kept = 0;
        for (; units != end && kept < 8; ++units) {
            head[kept] = *units;
            kept += Sieve::Keeps(filter, *units);
        }
        char16_t *const tail = tails.data() + at;
        char16_t *out = tail;
        for (; units != end; ++units) {
            *out = *units; // write always, advance when kept
            out += Sieve::Keeps(filter, *units);
        }
        const qsizetype size = kept + (out - tail);
        // The entry's offset holds the key's size.
        entries[i] = textEntry(head, kept, i, size);
        starts[i] = at;
        at += out - tail;
        yield();
    }
}

LineArray &sortByFilter(LineArray &lines, Sieve::Filter filter, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    const QString *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    // A key's tail fits in the units of its line beyond the eighth. The
    // buffer is sized for that worst case, but the tails are packed from the
    // start of each half, so only the units written are ever touched.
    qsizetype total = 0;
    qsizetype secondHalfStart = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (i == middle)
            secondHalfStart = total;
        total += std::max<qsizetype>(texts[i].size() - 8, 0);
    }
    WorkArray<char16_t> tails(total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        const qsizetype from = half == 0 ? 0 : middle;
        const qsizetype to = half == 0 ? middle : count;
        const qsizetype at = half == 0 ? 0 : secondHalfStart;
        // One loop per filter, so that the test of a unit is a constant one.
        switch (filter) {
        case Sieve::Filter::KeepLettersAndDigits:
            return filterKeys<Sieve::Filter::KeepLettersAndDigits>(texts, from, to, at, entries,
                                                                   tails, starts, mayYield);
        case Sieve::Filter::RemoveLetters:
            return filterKeys<Sieve::Filter::RemoveLetters>(texts, from, to, at, entries, tails,
                                                            starts, mayYield);
        case Sieve::Filter::RemoveDigits:
            return filterKeys<Sieve::Filter::RemoveDigits>(texts, from, to, at, entries, tails,
                                                           starts, mayYield);
        case Sieve::Filter::RemoveLettersAndDigits:
            return filterKeys<Sieve::Filter::RemoveLettersAndDigits>(texts, from, to, at, entries,
                                                                     tails, starts, mayYield);
        }
    });
    sortEntries(lines, entries, {}, FilteredTails{tails.data(), starts.data()}, progress);
    return lines;
}

} // namespace

LineArray &SortAlphabetically(LineArray &lines, Progress *progress)
{
    return sortFromCharacter(lines, 1, progress);
}

LineArray &SortBySecondCharacter(LineArray &lines, Progress *progress)
{
    return sortFromCharacter(lines, 2, progress);
}

LineArray &SortByThirdCharacter(LineArray &lines, Progress *progress)
{
    return sortFromCharacter(lines, 3, progress);
}

LineArray &SortByCharacterPosition(LineArray &lines, qint32 position, Progress *progress)
{
    return sortFromCharacter(lines, position, progress);
}

LineArray &SortBySecondWord(LineArray &lines, Progress *progress)
{
    return sortFromWord(lines, 1, progress);
}

LineArray &SortByThirdWord(LineArray &lines, Progress *progress)
{
    return sortFromWord(lines, 2, progress);
}

LineArray &SortByWordNumber(LineArray &lines, qint32 wordNumber, Progress *progress)
{
    if (wordNumber < 1)
        return failInvalidArgument(lines, progress);
    if (wordNumber == 1) // no space to skip: the whole line is the key
        return sortFromCharacter(lines, 1, progress);
    return sortFromWord(lines, qsizetype(wordNumber) - 1, progress);
}

LineArray &SortAfterCharacters(LineArray &lines, const QString &marker, Progress *progress)
{
    if (marker.isEmpty()) // found at character 1 of every line
        return sortFromCharacter(lines, 1, progress);
    const std::u16string_view wanted(unitsOf(marker), std::size_t(marker.size()));
    return sortBySuffix(lines, progress, [wanted](const char16_t *units, qsizetype size) {
        const std::size_t at = std::u16string_view(units, std::size_t(size)).find(wanted);
        return at == std::u16string_view::npos ? qsizetype(0) : qsizetype(at);
    });
}

LineArray &SortByAlphaOnly(LineArray &lines, Progress *progress)
{
    return sortByFilter(lines, Sieve::Filter::RemoveDigits, progress);
}

LineArray &SortByNumericOnly(LineArray &lines, Progress *progress)
{
    return sortByFilter(lines, Sieve::Filter::RemoveLetters, progress);
}

LineArray &SortByAlphanumericOnly(LineArray &lines, Progress *progress)
{
    return sortByFilter(lines, Sieve::Filter::KeepLettersAndDigits, progress);
}

LineArray &SortByNonAlphanumericOnly(LineArray &lines, Progress *progress)
{
    return sortByFilter(lines, Sieve::Filter::RemoveLettersAndDigits, progress);
}

LineArray &SortByLength(LineArray &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    StepYield yield(progress);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        entries[i] = Entry{quint64(lines.at(i).size()), 0, quint32(i), 0};
        yield();
    }
    sortEntries(lines, entries, {}, NoTexts{}, progress);
    return lines;
}

qsizetype WordStartPosition(QStringView text, QStringView delimiter, qsizetype n)
{
    if (n < 1)
        return 0;
    // Each search starts one character after the previous find, so
    // overlapping delimiters count; an empty delimiter is found at every
    // character.
    if (delimiter.isEmpty())
        return n <= text.size() ? n : -1;
    qsizetype position = 0;
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype found = text.indexOf(delimiter, position);
        if (found < 0)
            return -1;
        position = found + 1;
    }
    return position;
}
