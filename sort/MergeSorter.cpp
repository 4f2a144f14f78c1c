#include "sort/MergeSorter.h"

#include "core/Yielding.h"
#include "sort/LineOperations.h"
#include "sort/TwoThreads.h"

#include <algorithm>
#include <utility>

namespace SortEngine {

namespace {

// The shortest run that pass 1 forms, except at the end of a segment.
constexpr qsizetype MinRun = 32;

// Entries merged or copied between two yields.
constexpr qsizetype MergeStep = 4096;

// A sorted stretch [begin, end) of entries inside one segment between walls.
struct Run
{
    qsizetype begin;
    qsizetype end;
    qsizetype segment;
};

// One piece of a merge round: the neighbouring sorted stretches
// [begin, middle) and [middle, end) become one, in place.
struct MergeTask
{
    qsizetype begin, middle, end;
};

// Whether every segment is down to one run.
bool merged(const std::vector<Run> &runs)
{
    for (std::size_t r = 1; r < runs.size(); ++r) {
        if (runs[r].segment == runs[r - 1].segment)
            return false;
    }
    return true;
}

// The steps of a MergeSorter: forming the runs of pass 1, and the merge
// rounds.
template <typename Less> class RunMerger final
{
public:
    RunMerger(WorkArray<Entry> &entries, const std::vector<qsizetype> &segmentEnds, Less less)
        : m_entries(entries), m_segmentEnds(segmentEnds), m_less(less)
    {
    }

    // Cuts every segment into sorted runs, the first half of the entries and
    // the second half on their own threads.
    std::vector<Run> formAllRuns(Progress *progress) const
    {
        const qsizetype total = qsizetype(m_entries.size());
        const qsizetype middle = total / 2;
        std::vector<Run> halves[2];
        // As many runs as entries at most; the room is only touched as used.
        halves[0].reserve(std::size_t(total));
        halves[1].reserve(std::size_t(total - middle));
        inTwoHalves(total, progress, [&](int half, Progress *mayYield) {
            YieldPacer yield(mayYield, YieldPacer::SortItems);
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
        YieldPacer yield(progress, YieldPacer::SortItems);
        for (const Run &run : halves[1]) {
            halves[0].push_back(run);
            yield();
        }
        return std::move(halves[0]);
    }

    // Runs the tasks of a round, on two threads when there is enough work:
    // each thread merges one half of the entries. The task that straddles the
    // middle is made two: the entries of its first part that the merge puts
    // beyond the middle change places with those of its second part that it
    // puts before (a rotation), and each side merges on its own. A task's
    // merge uses the buffer from begin / 2 on, up to half its entries: the
    // tasks' rooms never overlap.
    void runRound(Entry *entries, Entry *buffer, std::vector<MergeTask> &tasks, qsizetype total,
                  Progress *progress, YieldPacer &yield) const
    {
        if (!useTwoThreads(total)) {
            runTasks(entries, buffer, tasks, progress);
            return;
        }
        const qsizetype middle = total / 2;
        std::size_t straddling = 0;
        while (straddling < tasks.size() && tasks[straddling].end <= middle)
            ++straddling;
        std::vector<MergeTask> second;
        if (straddling < tasks.size()) {
            const MergeTask task = tasks[straddling];
            second.reserve(tasks.size() - straddling);
            if (task.begin < middle) {
                const qsizetype count = middle - task.begin;
                const qsizetype fromA =
                    splitPoint(entries + task.begin, task.middle - task.begin,
                               entries + task.middle, task.end - task.middle, count);
                const qsizetype fromB = count - fromA;
                rotateInSteps(entries + task.begin + fromA, task.middle - (task.begin + fromA),
                              fromB, progress);
                tasks[straddling] = MergeTask{task.begin, task.begin + fromA, middle};
                ++straddling;
                second.push_back(MergeTask{middle, task.middle + fromB, task.end});
            }
            for (std::size_t t = straddling; t < tasks.size(); ++t) {
                second.push_back(tasks[t]);
                yield();
            }
            tasks.resize(straddling);
        }
        inTwoHalves(total, progress, [&](int half, Progress *mayYield) {
            runTasks(entries, buffer, half == 0 ? tasks : second, mayYield);
        });
    }

private:
    // Cuts [begin, end) of one segment into sorted runs of at least MinRun
    // entries (fewer only at the end). Natural runs are kept, and strictly
    // falling ones reversed, so sorted input stays one run.
    void formRuns(qsizetype begin, qsizetype end, qsizetype segment, std::vector<Run> &runs,
                  YieldPacer &yield) const
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

    // Stable merge of a task in place: the shorter stretch goes to the
    // buffer, and the merge fills the task from the end the buffer's stretch
    // came from, never overtaking what it has still to read. On equal keys
    // the first stretch's entry comes first. It goes in steps of at most
    // MergeStep entries, yielding in between.
    void merge(Entry *entries, Entry *buffer, const MergeTask &task, YieldPacer &yield) const
    {
        Entry *const begin = entries + task.begin;
        Entry *const middle = entries + task.middle;
        Entry *const end = entries + task.end;
        if (begin == middle || middle == end || !m_less(*middle, *(middle - 1)))
            return; // in order already
        Entry *const room = buffer + task.begin / 2;
        if (middle - begin <= end - middle) {
            const Entry *a = room;
            const Entry *const aEnd = copyInSteps(begin, middle, room, yield);
            const Entry *b = middle;
            Entry *out = begin;
            while (a != aEnd && b != end) {
                const qsizetype step =
                    std::min({MergeStep, qsizetype(aEnd - a), qsizetype(end - b)});
                for (qsizetype k = 0; k < step; ++k)
                    *out++ = m_less(*b, *a) ? *b++ : *a++;
                yield(step);
            }
            copyInSteps(a, aEnd, out, yield); // what is left of b is in place
            return;
        }
        const Entry *const bBegin = room;
        const Entry *b = copyInSteps(middle, end, room, yield);
        const Entry *a = middle;
        Entry *out = end;
        while (a != begin && b != bBegin) {
            const qsizetype step =
                std::min({MergeStep, qsizetype(a - begin), qsizetype(b - bBegin)});
            for (qsizetype k = 0; k < step; ++k)
                *--out = m_less(*(b - 1), *(a - 1)) ? *--a : *--b;
            yield(step);
        }
        while (b != bBegin) { // what is left of a is in place
            const qsizetype step = std::min(MergeStep, qsizetype(b - bBegin));
            out = std::copy_backward(b - step, b, out);
            b -= step;
            yield(step);
        }
    }

    static Entry *copyInSteps(const Entry *from, const Entry *end, Entry *out, YieldPacer &yield)
    {
        while (from != end) {
            const qsizetype step = std::min(MergeStep, qsizetype(end - from));
            out = std::copy(from, from + step, out);
            from += step;
            yield(step);
        }
        return out;
    }

    // Puts items [count, count + after) before items [0, count), by three
    // reversals.
    static void rotateInSteps(Entry *items, qsizetype count, qsizetype after, Progress *progress)
    {
        reverseInSteps(items, count, progress);
        reverseInSteps(items + count, after, progress);
        reverseInSteps(items, count + after, progress);
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

    void runTasks(Entry *entries, Entry *buffer, const std::vector<MergeTask> &tasks,
                  Progress *mayYield) const
    {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        for (const MergeTask &task : tasks)
            merge(entries, buffer, task, yield);
    }

    WorkArray<Entry> &m_entries;
    const std::vector<qsizetype> &m_segmentEnds;
    Less m_less;
};

} // namespace

template <typename Less> void MergeSorter<Less>::sort(Progress *progress, bool showPasses)
{
    const RunMerger<Less> merger(m_entries, m_segmentEnds, m_less);
    std::vector<Run> runs = merger.formAllRuns(progress);
    if (merged(runs))
        return;

    const qsizetype total = qsizetype(m_entries.size());
    // A merge keeps at most half its entries aside.
    WorkArray<Entry> buffer(total / 2 + 1);
    Entry *const entries = m_entries.data();
    std::vector<MergeTask> tasks;
    std::vector<Run> next;
    tasks.reserve(runs.size() / 2 + 1);
    next.reserve(runs.size() / 2 + 1);
    // Fresh memory is slow to touch: even the lists of runs yield.
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (int pass = 1;; ++pass) {
        if (pass > 1 && showPasses)
            beginPass(progress, pass);
        tasks.clear();
        next.clear();
        for (std::size_t r = 0; r < runs.size(); ++r) {
            yield();
            const Run &a = runs[r];
            if (r + 1 < runs.size() && runs[r + 1].segment == a.segment) {
                const Run &b = runs[r + 1];
                tasks.push_back(MergeTask{a.begin, a.end, b.end});
                next.push_back(Run{a.begin, b.end, a.segment});
                ++r;
            } else {
                next.push_back(a);
            }
        }
        merger.runRound(entries, buffer.data(), tasks, total, progress, yield);
        std::swap(runs, next);
        if (merged(runs))
            return;
    }
}

template class MergeSorter<HeadLess>;
template class MergeSorter<RefinedLess>;

} // namespace SortEngine
