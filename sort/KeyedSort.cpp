#include "sort/KeyedSort.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "sort/EncodedKeys.h"
#include "sort/EntrySort.h"
#include "sort/LineOperations.h"
#include "sort/TwoThreads.h"

#include <unicode/ucol.h>
#include <unicode/uiter.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

using namespace SortEngine;

// A line's key is bytes that compare, byte by byte, as the lines should sort
// (ICU's incremental sort key for dictionary order; for several keys each
// key's bytes in turn). Every line first gets the key's first eight bytes,
// which settle most comparisons; only lines that tie on them get their
// whole key. Keys are built on two threads of their own while the calling
// thread keeps the window's events going: a slow pattern cannot hold the
// window.

namespace {

// The keys whose patterns gave up on a line, a bit each (see appendKey()).
using GaveUpMask = quint32;

// An ICU collator of its own for each thread that builds keys.
class Collation
{
public:
    Collation(const QString &language, bool numbersByValue)
    {
        UErrorCode status = U_ZERO_ERROR;
        m_collator = ucol_open(language.toLatin1().constData(), &status);
        if (U_FAILURE(status) || !m_collator)
            throw Failure::invalidArgument();
        ucol_setStrength(m_collator, UCOL_TERTIARY);
        ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
        ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
        ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, numbersByValue ? UCOL_ON : UCOL_OFF,
                          &status);
        if (U_FAILURE(status))
            throw Failure::invalidArgument();
    }
    ~Collation() { ucol_close(m_collator); }
    Collation(const Collation &) = delete;
    Collation &operator=(const Collation &) = delete;

    // Appends ICU's incremental sort key of a UTF-8 line (or of units) to
    // out, at least its first limit bytes (all of it when shorter). No byte
    // of it is 0, so a key that is a prefix of another collates first.
    void appendKey(std::string_view line, std::vector<uchar> &out, std::size_t limit) const
    {
        if (line.size() > std::size_t(std::numeric_limits<int32_t>::max()))
            throw Failure::outOfMemory();
        UCharIterator iterator;
        uiter_setUTF8(&iterator, line.data(), int32_t(line.size()));
        append(iterator, out, limit);
    }

    void appendKey(QStringView units, std::vector<uchar> &out, std::size_t limit) const
    {
        if (units.size() > std::numeric_limits<int32_t>::max())
            throw Failure::outOfMemory();
        UCharIterator iterator;
        uiter_setString(&iterator, reinterpret_cast<const UChar *>(units.utf16()),
                        int32_t(units.size()));
        append(iterator, out, limit);
    }

private:
    void append(UCharIterator &iterator, std::vector<uchar> &out, std::size_t limit) const
    {
        uint32_t state[2] = {0, 0};
        const std::size_t start = out.size();
        for (;;) {
            const int32_t step = int32_t(std::clamp<std::size_t>(limit, 8, 64));
            const std::size_t at = out.size();
            out.resize(at + std::size_t(step));
            UErrorCode status = U_ZERO_ERROR;
            const int32_t size =
                ucol_nextSortKeyPart(m_collator, &iterator, state, out.data() + at, step, &status);
            if (U_FAILURE(status))
                throw Failure::outOfMemory();
            out.resize(at + std::size_t(size));
            if (size < step || out.size() - start >= limit)
                return;
        }
    }

    UCollator *m_collator = nullptr;
};

// Writes units into bytes, most significant first.
struct UnitBytes
{
    std::vector<uchar> &out;

    void put(char16_t unit)
    {
        out.push_back(uchar(unit >> 8));
        out.push_back(uchar(unit));
    }
};

// The number at the start of a part as LeadingNumberKey reads it, with
// decimal as its separator, in bytes: the class, the count of integer digits,
// the digits without leading zeros, the fraction without trailing zeros; a
// negative number's bytes taken from 0xFF and closed by 0xFF. Gives false for
// a part without a number.
bool appendNumber(QStringView text, QChar decimal, std::vector<uchar> &out)
{
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    using Key = LeadingNumberKey;
    const Key::Parts parts = Key::parse(units, text.size(), decimal.unicode());
    if (parts.kind == Key::NoNumber)
        return false;
    out.push_back(uchar(parts.kind));
    if (parts.kind == Key::Zero)
        return true;
    const uchar flip = parts.kind == Key::Negative ? 0xFF : 0;
    // The count in one byte below 0xFF, else 0xFF and eight bytes.
    const quint64 digits = quint64(parts.integerEnd - parts.integer);
    if (digits < 0xFF) {
        out.push_back(uchar(digits ^ flip));
    } else {
        out.push_back(0xFF ^ flip);
        for (int shift = 56; shift >= 0; shift -= 8)
            out.push_back(uchar((digits >> shift) ^ flip));
    }
    for (qsizetype k = parts.integer; k < parts.integerEnd; ++k)
        out.push_back(uchar(units[k] ^ flip));
    for (qsizetype k = parts.fraction; k < parts.fractionEnd; ++k)
        out.push_back(uchar(units[k] ^ flip));
    if (flip)
        out.push_back(0xFF);
    return true;
}

// What a thread needs to build the keys of several: a finder and, for
// dictionary keys, a collator per key.
struct KeyBuilders
{
    const ChosenKeySet &set;
    std::vector<std::unique_ptr<PartFinder>> finders;
    std::vector<std::unique_ptr<Collation>> collations;
    std::vector<uchar> part;     // one key's bytes, before escaping
    std::vector<char16_t> units; // the line's
    QString quoted;              // a quoted field's text

    explicit KeyBuilders(const ChosenKeySet &keys) : set(keys)
    {
        for (const ChosenKey &key : set.keys) {
            finders.push_back(std::make_unique<PartFinder>(key));
            collations.push_back(key.compare == KeyCompare::Dictionary
                                     ? std::make_unique<Collation>(key.locale, key.numbers)
                                     : nullptr);
        }
    }

    // Appends the bytes of one key's part, at least limit of them where the
    // key is longer: false when the part has no such key (a number key
    // without a number).
    bool appendPart(std::size_t k, QStringView text, std::size_t limit)
    {
        const ChosenKey &key = set.keys[qsizetype(k)];
        const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
        UnitBytes bytes{part};
        switch (key.compare) {
        case KeyCompare::Text:
            for (const QChar c : text)
                bytes.put(c.unicode());
            return true;
        case KeyCompare::IgnoringCase:
            FoldedCaseKey::write(units, text.size(), bytes);
            return true;
        case KeyCompare::Dictionary:
            collations[k]->appendKey(text, part, limit);
            return true;
        case KeyCompare::Natural:
            NaturalKey::write(units, text.size(), bytes);
            return true;
        case KeyCompare::Number:
            return appendNumber(text, key.decimal, part);
        case KeyCompare::Length:
            for (int shift = 56; shift >= 0; shift -= 8)
                part.push_back(uchar(quint64(text.size()) >> shift));
            return true;
        }
        return true;
    }

    // Appends the key of line to out, at least its first limit bytes (all of
    // it when shorter). Each key: a byte for present or missing (missing
    // ones sort before or after), then for a present one its bytes with
    // every 0 written as 0 FF and closed by 0 0, so that no key's bytes are
    // a prefix of another's; a descending key's bytes are taken from 0xFF.
    // A pattern that gives up leaves its key missing; gaveUp marks it: bit k
    // for key k below 31, bit 31 for the others. A key marked already (by the
    // head's build) is not matched again.
    void appendKey(const LineRef &ref, std::vector<uchar> &out, std::size_t limit,
                   GaveUpMask &gaveUp)
    {
        units.resize(std::size_t(ref.size()));
        const QStringView line(units.data(),
                               Utf8::writeUnits(ref.text(), units.data()) - units.data());
        for (std::size_t k = 0; k < finders.size() && out.size() < limit; ++k) {
            const ChosenKey &key = set.keys[qsizetype(k)];
            const uchar missing = key.missingFirst ? 1 : 2;
            const uchar present = key.missingFirst ? 2 : 1;
            const GaveUpMask bit = GaveUpMask(1) << std::min<std::size_t>(k, 31);
            bool gaveUpNow = false;
            const std::optional<PartSpan> span =
                k < 31 && (gaveUp & bit) ? std::nullopt : finders[k]->find(line, &gaveUpNow);
            if (gaveUpNow)
                gaveUp |= bit;
            part.clear();
            // Only a quoted field's text differs from its span.
            if (span && span->quoted)
                quoted = finders[k]->keyText(line, *span);
            const QStringView text = !span          ? QStringView()
                                     : span->quoted ? QStringView(quoted)
                                                    : line.sliced(span->start, span->length);
            if (!span || !appendPart(k, text, limit - out.size())) {
                out.push_back(missing);
                continue;
            }
            out.push_back(present);
            // A part cut short at the limit ends beyond the limit too: its
            // close never reaches the bytes asked for.
            const uchar flip = key.descending ? 0xFF : 0;
            for (const uchar b : part) {
                out.push_back(b ^ flip);
                if (b == 0)
                    out.push_back(0xFF ^ flip);
            }
            out.push_back(flip);
            out.push_back(flip);
        }
    }
};

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

// Passes yields on, and tells the key builders to stop once one threw (the
// window was closed).
class StoppingProgress final : public Progress
{
public:
    explicit StoppingProgress(Progress *inner) : m_inner(inner) {}

    std::atomic<bool> stop = false;

    void setPosition(double percent) override { m_inner->setPosition(percent); }
    void setText(const QString &text) override { m_inner->setText(text); }
    bool showsTextNow() const override { return m_inner->showsTextNow(); }
    void yield() override
    {
        try {
            m_inner->yield();
        } catch (...) {
            stop = true;
            throw;
        }
    }

private:
    Progress *m_inner;
};

// Runs work(half, from, to, stop) on [0, count), each half on a thread of
// its own (one thread for few items), while the calling thread keeps
// yielding; work returns early once stop is set (the window was closed).
template <typename Work> void inBackgroundHalves(qsizetype count, Progress *progress, Work work)
{
    const qsizetype middle = useTwoThreads(count) ? count / 2 : count;
    std::optional<StoppingProgress> stopping;
    if (progress)
        stopping.emplace(progress);
    std::atomic<bool> unstoppable = false;
    const std::atomic<bool> &stop = stopping ? stopping->stop : unstoppable;
    std::vector<std::unique_ptr<BackgroundWork>> pieces;
    pieces.push_back(std::make_unique<BackgroundWork>([&] { work(0, 0, middle, stop); }));
    if (middle < count)
        pieces.push_back(std::make_unique<BackgroundWork>([&] { work(1, middle, count, stop); }));
    for (const auto &piece : pieces) {
        if (!piece->started()) {
            if (stopping)
                stopping->stop = true;
            throw Failure::outOfMemory();
        }
    }
    for (const auto &piece : pieces)
        piece->waitWhileYielding(stopping ? &*stopping : nullptr);
    for (const auto &piece : pieces) {
        if (piece->failure())
            std::rethrow_exception(piece->failure());
    }
}

// Sorts the lines by keys that build(line, state, out, limit) writes: every
// line's entry holds the first eight bytes of its key, which settle most
// comparisons, and only the lines whose heads tie get their whole key, by
// which those groups are ordered. The first line stays in place with a
// header; with unique, the first of each run of equal keys is kept.
// makeState() gives each thread its own state. build() marks the keys whose
// pattern gave up on the line in its last argument, which it gets back for
// the whole key; *linesGaveUp, when given, counts the lines with a mark.
template <typename MakeState, typename Build>
LineRefs &sortByBuiltKeys(LineRefs &lines, bool header, bool unique, Progress *progress,
                          MakeState makeState, Build build, qsizetype *linesGaveUp = nullptr)
{
    if (linesGaveUp)
        *linesGaveUp = 0;
    beginPass(progress, 1);
    const qsizetype count = lines.size();
    if (count > MaxIndex)
        throw Failure::outOfMemory();
    makeState(); // keys that cannot be built fail before anything runs
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
    inBackgroundHalves(
        n, progress, [&](int, qsizetype from, qsizetype to, const std::atomic<bool> &stop) {
            auto state = makeState();
            std::vector<uchar> head;
            for (qsizetype i = from; i < to && !stop; ++i) {
                head.clear();
                GaveUpMask gaveUp = 0;
                build(keyed[i], *state, head, 8, gaveUp);
                entries[i] = Entry{packPlainBytes(head.data(), std::min<qsizetype>(head.size(), 8)),
                                   quint32(i), gaveUp};
            }
        });
    const std::vector<qsizetype> oneSegment{n};
    MergeSorter(entries, oneSegment, HeadLess{}).sort(progress);

    // The entries whose heads tie with a neighbour's take their whole keys;
    // patterns that gave up on their lines do not run again, and the lines
    // count once the whole keys are built.
    std::vector<qsizetype> tied;
    qsizetype gaveUpUntied = 0;
    {
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
    WorkArray<const uchar *> keys(n);
    KeyStore stores[2];
    qsizetype gaveUpTied[2] = {0, 0};
    constexpr std::size_t Whole = std::numeric_limits<std::size_t>::max();
    inBackgroundHalves(qsizetype(tied.size()), progress,
                       [&](int half, qsizetype from, qsizetype to, const std::atomic<bool> &stop) {
                           auto state = makeState();
                           std::vector<uchar> key;
                           for (qsizetype t = from; t < to && !stop; ++t) {
                               Entry &entry = entries[tied[std::size_t(t)]];
                               key.clear();
                               GaveUpMask gaveUp = entry.offset;
                               build(keyed[entry.line], *state, key, Whole, gaveUp);
                               if (gaveUp != 0)
                                   ++gaveUpTied[half];
                               if (qsizetype(key.size()) > MaxIndex)
                                   throw Failure::outOfMemory();
                               keys[entry.line] = stores[half].add(key);
                               entry.offset = quint32(key.size());
                           }
                       });
    refineTies(entries.data(), oneSegment, PointedKeys{keys.data()}, progress);
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

} // namespace

LineRefs &sortInDictionaryOrder(LineRefs &lines, const QString &language, Progress *progress,
                                bool numbersByValue)
{
    return sortByBuiltKeys(
        lines, false, false, progress,
        [&] { return std::make_unique<Collation>(language, numbersByValue); },
        [](const LineRef &line, Collation &collation, std::vector<uchar> &out, std::size_t limit,
           GaveUpMask &) { collation.appendKey(line.text(), out, limit); });
}

LineRefs &sortByKeys(LineRefs &lines, const ChosenKeySet &set, Progress *progress,
                     qsizetype *linesGaveUp)
{
    if (!isValid(set))
        throw Failure::invalidArgument();
    return sortByBuiltKeys(
        lines, set.header, set.unique, progress, [&] { return std::make_unique<KeyBuilders>(set); },
        [](const LineRef &line, KeyBuilders &builders, std::vector<uchar> &out, std::size_t limit,
           GaveUpMask &gaveUp) { builders.appendKey(line, out, limit, gaveUp); },
        linesGaveUp);
}

QList<qsizetype> orderByKeys(const QStringList &lines, const ChosenKeySet &set)
{
    Utf8Copies copies(lines);
    LineRefs &refs = copies.lines;
    sortByKeys(refs, set, nullptr);
    QList<qsizetype> order;
    order.reserve(refs.size());
    for (const LineRef &ref : refs)
        order.append(qsizetype(ref.id));
    return order;
}
