#include "sort/SortRoutines.h"

#include "sort/Failure.h"
#include "sort/Sieve.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

// Every routine orders the lines ascending and stable by a key. The order is
// the one that repeated passes of neighbour exchanges would reach (only a
// strictly greater key moves), but it is reached by merging: each key is
// derived once, sorted runs are formed, and runs are merged pairwise, one
// round per pass, until one run is left. The word routines leave lines
// without enough spaces in place; such a line is a wall that no line passes,
// so the lines between two walls are merged among themselves only.

namespace {

// A line's key as the merge passes see it. Text keys are views into the line
// (or into the filtered copies); their first eight code units are packed into
// head0/head1 so that most comparisons never touch the text itself. A numeric
// key lives in head0 alone.
struct Entry
{
    quint64 head0;
    quint64 head1;
    const char16_t *text;
    qsizetype size;
    qsizetype line; // index in the LineArray
};

// Packs up to four code units, most significant first and zero padded. For two
// texts, comparing the packed values agrees with comparing the texts whenever
// the values differ: a missing unit (0) never sorts after a present one.
inline quint64 packHead(const char16_t *text, qsizetype size)
{
    if (size >= 4) {
        quint64 units;
        std::memcpy(&units, text, sizeof units);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            units = ((units & 0xFFFF0000FFFF0000ull) >> 16) | ((units & 0x0000FFFF0000FFFFull) << 16);
            units = (units >> 32) | (units << 32);
        }
        return units;
    }
    quint64 units = 0;
    for (qsizetype i = 0; i < 4; ++i)
        units = (units << 16) | (i < size ? text[i] : 0u);
    return units;
}

inline Entry textEntry(QStringView key, qsizetype line)
{
    const char16_t *text = key.utf16();
    const qsizetype size = key.size();
    return Entry{packHead(text, size), size > 4 ? packHead(text + 4, size - 4) : 0, text, size,
                 line};
}

inline const char16_t *unitsOf(const QString &line)
{
    return reinterpret_cast<const char16_t *>(line.constData());
}

// Heads are equal, so the first min(8, sizes) units are too.
Q_NEVER_INLINE bool tailLess(const Entry &a, const Entry &b)
{
    const qsizetype skip = std::min<qsizetype>({8, a.size, b.size});
    return std::u16string_view(a.text + skip, a.size - skip) <
           std::u16string_view(b.text + skip, b.size - skip);
}

inline bool lessThan(const Entry &a, const Entry &b)
{
    if (a.head0 != b.head0)
        return a.head0 < b.head0;
    if (a.head1 != b.head1)
        return a.head1 < b.head1;
    return tailLess(a, b);
}

void beginPass(Progress *progress, int pass)
{
    if (!progress)
        return;
    progress->yield();
    progress->setText(u"Sorting: "_s + QString::number(pass));
}

// The keys of a sort: one entry per line that takes part, in line order, and
// the lines that stay where they are (ascending).
struct KeyedLines
{
    std::vector<Entry> entries;
    std::vector<qsizetype> walls;
    std::unique_ptr<char16_t[]> filtered; // owns the filtered keys
};

// A sorted stretch [begin, end) of entries inside one segment between walls.
struct Run
{
    qsizetype begin;
    qsizetype end;
    qsizetype segment;
};

constexpr qsizetype MinRun = 32;

// Stable insertion of [sortedEnd, end) into the sorted [begin, sortedEnd).
void insertionSort(Entry *begin, Entry *sortedEnd, Entry *end)
{
    for (Entry *next = sortedEnd; next != end; ++next) {
        const Entry item = *next;
        Entry *at = std::upper_bound(begin, next, item, lessThan);
        std::move_backward(at, next, next + 1);
        *at = item;
    }
}

// The first round of a pass 1: cuts each segment into sorted runs of at least
// MinRun entries (fewer only at a segment's end). Natural runs are kept, and
// strictly falling ones reversed, so sorted input stays one run.
void formRuns(Entry *entries, qsizetype begin, qsizetype end, qsizetype segment,
              std::vector<Run> &runs)
{
    qsizetype at = begin;
    while (at < end) {
        qsizetype runEnd = at + 1;
        if (runEnd < end && lessThan(entries[runEnd], entries[at])) {
            while (runEnd < end && lessThan(entries[runEnd], entries[runEnd - 1]))
                ++runEnd;
            std::reverse(entries + at, entries + runEnd);
        } else {
            while (runEnd < end && !lessThan(entries[runEnd], entries[runEnd - 1]))
                ++runEnd;
        }
        if (runEnd - at < MinRun && runEnd < end) {
            const qsizetype extended = std::min(at + MinRun, end);
            insertionSort(entries + at, entries + runEnd, entries + extended);
            runEnd = extended;
        }
        runs.push_back(Run{at, runEnd, segment});
        at = runEnd;
    }
}

// Stable merge of [a, aEnd) and [b, bEnd) into out: on equal keys the left
// run's entry comes first.
void mergeInto(const Entry *a, const Entry *aEnd, const Entry *b, const Entry *bEnd, Entry *out)
{
    if (a != aEnd && b != bEnd) {
        for (;;) {
            if (lessThan(*b, *a)) {
                *out++ = *b++;
                if (b == bEnd)
                    break;
            } else {
                *out++ = *a++;
                if (a == aEnd)
                    break;
            }
        }
    }
    out = std::copy(a, aEnd, out);
    std::copy(b, bEnd, out);
}

// How many entries of the stable merge of a and b come from a among its first
// count outputs.
qsizetype splitPoint(const Entry *a, qsizetype aSize, const Entry *b, qsizetype bSize,
                     qsizetype count)
{
    qsizetype low = std::max<qsizetype>(0, count - bSize);
    qsizetype high = std::min(count, aSize);
    while (low < high) {
        const qsizetype i = low + (high - low) / 2;
        const qsizetype j = count - i;
        if (j > 0 && !lessThan(b[j - 1], a[i]))
            low = i + 1; // a[i] still comes before b[j - 1]
        else
            high = i;
    }
    return low;
}

// One piece of work of a merge round: merge (or copy) src[aBegin, aEnd) and
// src[bBegin, bEnd) into dst at out.
struct MergeTask
{
    qsizetype aBegin, aEnd, bBegin, bEnd, out;
};

void runTasks(const Entry *src, Entry *dst, const MergeTask *tasks, qsizetype count)
{
    for (qsizetype t = 0; t < count; ++t) {
        const MergeTask &task = tasks[t];
        mergeInto(src + task.aBegin, src + task.aEnd, src + task.bBegin, src + task.bEnd,
                  dst + task.out);
    }
}

// Below this many entries a second thread costs more than it saves.
constexpr qsizetype ParallelThreshold = 1 << 16;

// Runs the tasks of a round, on two threads when there is enough work. A task
// that straddles the middle is split where the merged output reaches it.
void runRound(const Entry *src, Entry *dst, std::vector<MergeTask> &tasks, qsizetype total)
{
    if (total < ParallelThreshold || std::thread::hardware_concurrency() < 2) {
        runTasks(src, dst, tasks.data(), qsizetype(tasks.size()));
        return;
    }
    const qsizetype middle = total / 2;
    qsizetype firstOfSecond = 0;
    while (firstOfSecond < qsizetype(tasks.size())) {
        const MergeTask &task = tasks[firstOfSecond];
        const qsizetype size = (task.aEnd - task.aBegin) + (task.bEnd - task.bBegin);
        if (task.out + size > middle)
            break;
        ++firstOfSecond;
    }
    std::vector<MergeTask> second;
    if (firstOfSecond < qsizetype(tasks.size())) {
        const MergeTask task = tasks[firstOfSecond];
        const qsizetype count = middle - task.out;
        const qsizetype fromA = splitPoint(src + task.aBegin, task.aEnd - task.aBegin,
                                           src + task.bBegin, task.bEnd - task.bBegin, count);
        const qsizetype aSplit = task.aBegin + fromA;
        const qsizetype bSplit = task.bBegin + (count - fromA);
        second.push_back(MergeTask{aSplit, task.aEnd, bSplit, task.bEnd, middle});
        second.insert(second.end(), tasks.begin() + firstOfSecond + 1, tasks.end());
        tasks.resize(firstOfSecond);
        tasks.push_back(MergeTask{task.aBegin, aSplit, task.bBegin, bSplit, task.out});
    }
    std::thread helper(runTasks, src, dst, second.data(), qsizetype(second.size()));
    runTasks(src, dst, tasks.data(), qsizetype(tasks.size()));
    helper.join();
}

// Sorts every segment of entries; pass 1 has begun. Returns where the sorted
// entries are: entries itself or the buffer.
const Entry *mergePasses(std::vector<Entry> &entries, const std::vector<qsizetype> &segmentEnds,
                         std::unique_ptr<Entry[]> &buffer, Progress *progress)
{
    std::vector<Run> runs;
    qsizetype begin = 0;
    for (qsizetype segment = 0; segment < qsizetype(segmentEnds.size()); ++segment) {
        formRuns(entries.data(), begin, segmentEnds[segment], segment, runs);
        begin = segmentEnds[segment];
    }
    const auto merged = [&runs] {
        for (std::size_t r = 1; r < runs.size(); ++r) {
            if (runs[r].segment == runs[r - 1].segment)
                return false;
        }
        return true;
    };
    if (merged())
        return entries.data();

    const qsizetype total = qsizetype(entries.size());
    buffer.reset(new Entry[total]);
    Entry *src = entries.data();
    Entry *dst = buffer.get();
    std::vector<MergeTask> tasks;
    std::vector<Run> next;
    for (int pass = 1;; ++pass) {
        if (pass > 1)
            beginPass(progress, pass);
        tasks.clear();
        next.clear();
        for (std::size_t r = 0; r < runs.size(); ++r) {
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
        runRound(src, dst, tasks, total);
        std::swap(src, dst);
        std::swap(runs, next);
        if (merged())
            return src;
    }
}

// Puts the lines in the order of the sorted entries; walls keep their index.
// Nothing is lost if this throws: the lines are only swapped in at the end.
void applyOrder(LineArray &lines, const Entry *sorted, const std::vector<qsizetype> &walls)
{
    LineArray ordered;
    ordered.reserve(lines.size());
    QString *texts = lines.data();
    auto wall = walls.begin();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (wall != walls.end() && *wall == i) {
            ordered.append(std::move(texts[i]));
            ++wall;
        } else {
            ordered.append(std::move(texts[sorted->line]));
            ++sorted;
        }
    }
    lines.swap(ordered);
}

// Runs the passes over keys that build() derives; pass 1 begins before the
// keys are derived so that the status shows at once.
template<typename Build>
LineArray &sortBy(LineArray &lines, Progress *progress, Build build)
{
    beginPass(progress, 1);
    if (lines.size() < 2)
        return lines;
    lines.detach(); // keys point into the texts; they must stay ours
    KeyedLines keyed;
    keyed.entries.reserve(lines.size());
    build(std::as_const(lines), keyed);

    std::vector<qsizetype> segmentEnds;
    segmentEnds.reserve(keyed.walls.size() + 1);
    // A wall at line w ends the segment of the entries before it.
    for (qsizetype w = 0; w < qsizetype(keyed.walls.size()); ++w)
        segmentEnds.push_back(keyed.walls[w] - w);
    segmentEnds.push_back(qsizetype(keyed.entries.size()));

    std::unique_ptr<Entry[]> buffer;
    const Entry *sorted = mergePasses(keyed.entries, segmentEnds, buffer, progress);
    applyOrder(lines, sorted, keyed.walls);
    return lines;
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

LineArray &sortFromCharacter(LineArray &lines, qsizetype start, Progress *progress)
{
    if (start < 1)
        return failInvalidArgument(lines, progress);
    return sortBy(lines, progress, [start](const LineArray &texts, KeyedLines &keyed) {
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const QStringView text(texts.at(i));
            keyed.entries.push_back(
                textEntry(start <= text.size() ? text.sliced(start - 1) : QStringView(), i));
        }
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
// space included; lines with fewer spaces stay in place.
LineArray &sortFromWord(LineArray &lines, qsizetype skip, Progress *progress)
{
    return sortBy(lines, progress, [skip](const LineArray &texts, KeyedLines &keyed) {
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const QString &text = texts.at(i);
            const qsizetype at = nthSpace(unitsOf(text), text.size(), skip);
            if (at < 0)
                keyed.walls.push_back(i);
            else
                keyed.entries.push_back(textEntry(QStringView(text).sliced(at), i));
        }
    });
}

LineArray &sortByFilter(LineArray &lines, Sieve::Filter filter, Progress *progress)
{
    return sortBy(lines, progress, [filter](const LineArray &texts, KeyedLines &keyed) {
        qsizetype total = 0;
        for (const QString &text : texts)
            total += text.size();
        keyed.filtered.reset(new char16_t[std::max<qsizetype>(total, 1)]);
        char16_t *out = keyed.filtered.get();
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const qsizetype size = Sieve::FilterInto(texts.at(i), filter, out);
            keyed.entries.push_back(textEntry(QStringView(out, size), i));
            out += size;
        }
    });
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
    return sortBy(lines, progress, [&marker](const LineArray &texts, KeyedLines &keyed) {
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const QStringView text(texts.at(i));
            const qsizetype at = marker.isEmpty() ? -1 : text.indexOf(marker);
            keyed.entries.push_back(textEntry(at < 0 ? text : text.sliced(at), i));
        }
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
    return sortBy(lines, progress, [](const LineArray &texts, KeyedLines &keyed) {
        for (qsizetype i = 0; i < texts.size(); ++i)
            keyed.entries.push_back(Entry{quint64(texts.at(i).size()), 0, nullptr, 0, i});
    });
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
