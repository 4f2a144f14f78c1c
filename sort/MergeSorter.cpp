#include "sort/MergeSorter.h"

#include "core/Yielding.h"
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

// One piece of a merge round: merge (or copy) src[aBegin, aEnd) and
// src[bBegin, bEnd) into dst at out.
struct MergeTask
{
    qsizetype aBegin, aEnd, bBegin, bEnd, out;
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
    // each thread writes one half of the output, and the task that straddles
    // the middle is split where its merged output reaches it.
    void runRound(const Entry *src, Entry *dst, std::vector<MergeTask> &tasks, qsizetype total,
                  Progress *progress, YieldPacer &yield) const
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

    // Stable merge: on equal keys the left run's entry comes first. It goes
    // in steps of at most MergeStep entries, yielding in between.
    void mergeInto(const Entry *a, const Entry *aEnd, const Entry *b, const Entry *bEnd, Entry *out,
                   YieldPacer &yield) const
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
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        for (const MergeTask &task : tasks) {
            mergeInto(src + task.aBegin, src + task.aEnd, src + task.bBegin, src + task.bEnd,
                      dst + task.out, yield);
        }
    }

    WorkArray<Entry> &m_entries;
    const std::vector<qsizetype> &m_segmentEnds;
    Less m_less;
};

} // namespace

template <typename Less> Entry *MergeSorter<Less>::sort(Progress *progress, bool showPasses)
{
    const RunMerger<Less> merger(m_entries, m_segmentEnds, m_less);
    std::vector<Run> runs = merger.formAllRuns(progress);
    if (merged(runs))
        return m_entries.data();

    const qsizetype total = qsizetype(m_entries.size());
    m_buffer = std::make_unique<WorkArray<Entry>>(total);
    Entry *src = m_entries.data();
    Entry *dst = m_buffer->data();
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
                tasks.push_back(MergeTask{a.begin, a.end, b.begin, b.end, a.begin});
                next.push_back(Run{a.begin, b.end, a.segment});
                ++r;
            } else {
                tasks.push_back(MergeTask{a.begin, a.end, a.end, a.end, a.begin});
                next.push_back(a);
            }
        }
        merger.runRound(src, dst, tasks, total, progress, yield);
        std::swap(src, dst);
        std::swap(runs, next);
        if (merged(runs))
            return src;
    }
}

template class MergeSorter<HeadLess>;
template class MergeSorter<RefinedLess>;

} // namespace SortEngine
