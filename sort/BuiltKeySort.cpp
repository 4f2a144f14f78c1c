#include "sort/BuiltKeySort.h"

#include "core/Failure.h"
#include "core/Yielding.h"
#include "sort/EntrySort.h"
#include "sort/LineOperations.h"
#include "sort/HeadRadixSort.h"
#include "sort/MergeSorter.h"
#include "sort/TieRefinement.h"
#include "sort/TwoThreads.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

// Every line first gets its key's first eight bytes, which settle most
// comparisons; lines that tie on them get the first 32, and only lines that
// tie on those get their whole key. Keys are
// built on two threads of their own while the calling thread keeps the
// window's events going: a slow pattern cannot hold the window.

namespace SortEngine {

namespace {

// Keys of bytes in unit order, each stored whole where keys[line] points;
// the entry's offset holds the key's size.
struct PointedKeys
{
    static constexpr bool HeadsAreWhole = false;
    static constexpr qsizetype PerLevel = 8;
    const unsigned char *const *keys;

    qsizetype size(const Entry &entry) const { return entry.offset; }
    void packHeads(Entry &key, const Entry &entry, qsizetype from, qsizetype left) const
    {
        key.head = packPlainBytes(keys[entry.line] + from, left);
    }
};

// The bytes of a tied key built first; most tied keys differ within them.
constexpr std::size_t PrefixBytes = 32;

// Keys kept in chunks that never move: each key whole in one chunk.
class KeyStore
{
public:
    const uchar *add(const std::vector<uchar> &key)
    {
        constexpr std::size_t ChunkSize = std::size_t(1) << 20;
        if (m_chunks.empty() || m_left < key.size()) {
            const std::size_t size = std::max(ChunkSize, key.size());
            m_chunks.push_back(std::make_unique_for_overwrite<uchar[]>(size));
            m_at = m_chunks.back().get();
            m_left = size;
        }
        uchar *const at = m_at;
        std::copy(key.begin(), key.end(), at);
        m_at += key.size();
        m_left -= key.size();
        return at;
    }

private:
    std::vector<std::unique_ptr<uchar[]>> m_chunks;
    uchar *m_at = nullptr;
    std::size_t m_left = 0;
};

} // namespace

LineRefs &sortByBuiltKeys(LineRefs &lines, bool header, bool unique, Progress *progress,
                          const KeyBuilderMaker &makeBuilder, qsizetype *linesGaveUp)
{
    if (linesGaveUp)
        *linesGaveUp = 0;
    beginPass(progress, 1);
    const qsizetype count = lines.size();
    if (count > MaxIndex)
        throw Failure::outOfMemory();
    // Keys that cannot be built fail before anything runs.
    const bool wholeAtOnce = makeBuilder()->keysAreShort();
    // With a header the other lines are sorted as a list of their own.
    const qsizetype first = header && count > 0 ? 1 : 0;
    LineRefs others;
    if (first > 0) {
        others.reserve(count - first);
        for (qsizetype i = first; i < count; ++i)
            others.append(lines[i]);
    }
    LineRefs &keyed = first > 0 ? others : lines;
    const qsizetype n = keyed.size();
    if (n < 2)
        return lines;

    // Until the whole keys are built, an entry's offset holds the marks of
    // the patterns that gave up while its head was built.
    WorkArray<Entry> entries(n);
    WorkArray<const uchar *> keys(n);
    KeyStore stores[2];
    qsizetype gaveUpTied[2] = {0, 0};
    constexpr std::size_t Whole = std::numeric_limits<std::size_t>::max();
    inBackgroundHalves(n, progress,
                       [&](int half, qsizetype from, qsizetype to, const std::atomic<bool> &stop) {
                           const std::unique_ptr<KeyBuilder> builder = makeBuilder();
                           std::vector<uchar> head;
                           for (qsizetype i = from; i < to && !stop; ++i) {
                               head.clear();
                               GaveUpMask gaveUp = 0;
                               builder->appendKey(keyed[i], head, wholeAtOnce ? Whole : 8, gaveUp);
                               const quint64 packed =
                                   packPlainBytes(head.data(), std::min<qsizetype>(head.size(), 8));
                               if (!wholeAtOnce) {
                                   entries[i] = Entry{packed, quint32(i), gaveUp};
                                   continue;
                               }
                               if (qsizetype(head.size()) > MaxIndex)
                                   throw Failure::outOfMemory();
                               keys[i] = stores[half].add(head);
                               gaveUpTied[half] += gaveUp != 0 ? 1 : 0;
                               entries[i] = Entry{packed, quint32(i), quint32(head.size())};
                           }
                       });
    const std::vector<qsizetype> oneSegment{n};
    sortByHeads(entries, oneSegment, progress);

    // The entries whose heads tie with a neighbour's take longer keys;
    // patterns that gave up on their lines do not run again, and the lines
    // count once the last keys are built.
    std::vector<qsizetype> tied;
    qsizetype gaveUpUntied = 0;
    if (!wholeAtOnce) {
        YieldPacer yield(progress, YieldPacer::SortItems);
        for (qsizetype k = 0; k < n; ++k) {
            if ((k > 0 && entries[k].head == entries[k - 1].head) ||
                (k + 1 < n && entries[k].head == entries[k + 1].head))
                tied.push_back(k);
            else
                gaveUpUntied += entries[k].offset != 0 ? 1 : 0;
            yield();
        }
    }
    // The tied entries take their keys' first PrefixBytes bytes, which tell
    // most of them apart: a key built shorter than that is whole. Only runs
    // of equal prefixes of that full length take their whole keys. The
    // marks of the patterns that gave up are kept by line.
    std::vector<GaveUpMask> marks(tied.empty() ? 0 : std::size_t(n));
    for (const qsizetype k : tied)
        marks[entries[k].line] = entries[k].offset;
    // Builds the keys of the entries at the places given.
    const auto buildKeys = [&](const std::vector<qsizetype> &places, std::size_t limit) {
        inBackgroundHalves(
            qsizetype(places.size()), progress,
            [&](int half, qsizetype from, qsizetype to, const std::atomic<bool> &stop) {
                const std::unique_ptr<KeyBuilder> builder = makeBuilder();
                std::vector<uchar> key;
                for (qsizetype t = from; t < to && !stop; ++t) {
                    Entry &entry = entries[places[std::size_t(t)]];
                    key.clear();
                    builder->appendKey(keyed[entry.line], key, limit, marks[entry.line]);
                    key.resize(std::min(key.size(), limit));
                    if (qsizetype(key.size()) > MaxIndex)
                        throw Failure::outOfMemory();
                    keys[entry.line] = stores[half].add(key);
                    entry.offset = quint32(key.size());
                }
            });
    };
    buildKeys(tied, PrefixBytes);
    refineTies(entries.data(), oneSegment, PointedKeys{keys.data()}, progress);

    const auto fullPrefix = [&](const Entry &entry) { return entry.offset == PrefixBytes; };
    std::vector<std::pair<qsizetype, qsizetype>> runs; // begin, end
    std::vector<qsizetype> inRuns;
    if (!tied.empty()) {
        YieldPacer yield(progress, YieldPacer::SortItems);
        for (qsizetype k = 0; k < n;) {
            qsizetype end = k + 1;
            while (end < n && fullPrefix(entries[k]) && fullPrefix(entries[end]) &&
                   entries[end].head == entries[k].head &&
                   std::memcmp(keys[entries[end].line], keys[entries[k].line], PrefixBytes) == 0)
                ++end;
            if (end - k > 1) {
                runs.emplace_back(k, end);
                for (qsizetype r = k; r < end; ++r)
                    inRuns.push_back(r);
            }
            yield(end - k);
            k = end;
        }
    }
    buildKeys(inRuns, Whole);
    for (const auto &[begin, end] : runs)
        refineTies(entries.data() + begin, {end - begin}, PointedKeys{keys.data()}, progress);
    for (const GaveUpMask mark : marks)
        gaveUpTied[0] += mark != 0 ? 1 : 0;
    if (linesGaveUp)
        *linesGaveUp = gaveUpUntied + gaveUpTied[0] + gaveUpTied[1];

    // Where a line repeats the one before: heads that differ are keys that
    // differ, and lines whose heads tie have their whole keys.
    WorkArray<bool> dropped(count);
    if (unique) {
        YieldPacer yield(progress, YieldPacer::SortItems);
        dropped[0] = false;
        for (qsizetype k = 0; k < n; ++k) {
            const Entry &entry = entries[k];
            dropped[first + k] =
                k > 0 && entry.head == entries[k - 1].head &&
                entry.offset == entries[k - 1].offset &&
                std::memcmp(keys[entry.line], keys[entries[k - 1].line], entry.offset) == 0;
            yield();
        }
    }
    applyOrder(keyed, entries.data(), {}, progress);
    if (first > 0) // behind the header
        std::copy(others.begin(), others.end(), lines.data() + first);
    if (unique)
        dropMarkedLines(lines, dropped.data(), progress);
    return lines;
}

} // namespace SortEngine
