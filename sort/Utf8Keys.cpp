#include "sort/Utf8Keys.h"

#include "core/Utf8Text.h"
#include "sort/EncodedKeys.h"
#include "sort/EntrySort.h"
#include "sort/TwoThreads.h"

#include <QChar>

#include <algorithm>
#include <atomic>
#include <cstring>

namespace SortEngine {

namespace {

// Whether eight bytes hold ED, the lead byte of a surrogate.
inline bool holdsByteED(quint64 word)
{
    constexpr quint64 Low = 0x0101010101010101ull;
    constexpr quint64 High = 0x8080808080808080ull;
    const quint64 x = word ^ (Low * 0xED);
    return ((x - Low) & ~x & High) != 0;
}

inline const uchar *bytesOf(const LineRef &line)
{
    return reinterpret_cast<const uchar *>(line.bytes);
}

// The length of the character that the lead byte b begins.
inline int characterLength(uchar b)
{
    return b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
}

// Folds the character of n bytes at p (n > 1) as FoldedCaseKey folds its
// units, into out; gives the folded character's length.
int foldCharacter(const uchar *p, int n, uchar *out)
{
    char32_t c = 0;
    if (n == 2)
        c = char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    else if (n == 3)
        c = char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    else
        c = char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6 |
            (p[3] & 0x3F);
    char32_t folded = QChar::toCaseFolded(c);
    // A character folds within its plane or not at all.
    if (QChar::requiresSurrogates(folded) != QChar::requiresSurrogates(c))
        folded = c;
    if (folded < 0x80) {
        out[0] = uchar(folded);
        return 1;
    }
    if (folded < 0x800) {
        out[0] = uchar(0xC0 | folded >> 6);
        out[1] = uchar(0x80 | (folded & 0x3F));
        return 2;
    }
    if (folded < 0x10000) {
        out[0] = uchar(0xE0 | folded >> 12);
        out[1] = uchar(0x80 | (folded >> 6 & 0x3F));
        out[2] = uchar(0x80 | (folded & 0x3F));
        return 3;
    }
    out[0] = uchar(0xF0 | folded >> 18);
    out[1] = uchar(0x80 | (folded >> 12 & 0x3F));
    out[2] = uchar(0x80 | (folded >> 6 & 0x3F));
    out[3] = uchar(0x80 | (folded & 0x3F));
    return 4;
}

inline uchar foldAscii(uchar b)
{
    return b >= 'A' && b <= 'Z' ? uchar(b + ('a' - 'A')) : b;
}

// Whether folding keeps the length of every character of the line, so that
// a byte of the folded line is where the byte of the line is, and the line
// holds no lone surrogate.
bool foldsInPlace(const LineRef &line)
{
    const uchar *p = bytesOf(line);
    const qsizetype size = line.size();
    for (qsizetype i = 0; i < size;) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int n = characterLength(p[i]);
        if (i + n > size || (p[i] == 0xED && p[i + 1] >= 0xA0))
            return false;
        uchar folded[4];
        if (foldCharacter(p + i, n, folded) != n)
            return false;
        i += n;
    }
    return true;
}

inline quint64 keyHead(const uchar *key, qsizetype size)
{
    return packPlainBytes(key, size);
}

inline quint64 keyHead(const char16_t *key, qsizetype size)
{
    return packHead(key, size);
}

// The entries of lines [from, to) keyed by filter, their tails packed into
// tails from at on. Gives false when a line holds a lone surrogate that the
// filter keeps.
template <CharacterFilter filter>
bool filterKeys(const LineRef *texts, qsizetype from, qsizetype to, qsizetype at,
                WorkArray<Entry> &entries, WorkArray<char> &tails, WorkArray<qsizetype> &starts,
                Progress *mayYield)
{
    // Every byte of a character beyond ASCII is kept or dropped alike.
    constexpr bool keepsOthers = keepsCharacter(filter, 0x80);
    YieldPacer yield(mayYield, YieldPacer::SortItems);
    for (qsizetype i = from; i < to; ++i) {
        if (keepsOthers && holdsLoneSurrogate(texts[i]))
            return false;
        const char *bytes = texts[i].bytes;
        const char *const end = bytes + texts[i].size();
        char head[8];
        qsizetype kept = 0;
        for (; bytes != end && kept < 8; ++bytes) {
            head[kept] = *bytes;
            kept += keepsCharacter(filter, uchar(*bytes));
        }
        char *const tail = tails.data() + at;
        char *out = tail;
        for (; bytes != end; ++bytes) {
            *out = *bytes; // write always, advance when kept
            out += keepsCharacter(filter, uchar(*bytes));
        }
        // The entry's offset holds the key's size.
        entries[i] = byteEntry(head, kept, i, kept + (out - tail));
        starts[i] = at;
        at += out - tail;
        yield();
    }
    return true;
}

// Keys every line by a key that Encoding builds from its bytes, packed in
// one buffer of Keys's units. Gives false when checkSurrogates and a line
// holds a lone surrogate.
template <typename Encoding, typename Keys, typename Unit>
bool sortByEncodedBytes(LineRefs &lines, bool checkSurrogates, Progress *progress)
{
    if (!beginSort(lines, progress))
        return true;
    const LineRef *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    const KeyRoom room = keyRoom(lines, progress, [](qsizetype size) {
        if (size >= LongestLine)
            throw Failure::outOfMemory();
        return Encoding::maxSize(size);
    });
    WorkArray<Unit> keys(room.total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    std::atomic<bool> surrogate = false;
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        Unit *key = keys.data() + (half == 0 ? 0 : room.secondHalfStart);
        for (qsizetype i = half == 0 ? 0 : middle; i < (half == 0 ? middle : count); ++i) {
            if (checkSurrogates && holdsLoneSurrogate(texts[i])) {
                surrogate = true;
                return;
            }
            KeyWriter<Unit> writer{key};
            Encoding::write(bytesOf(texts[i]), texts[i].size(), writer);
            const qsizetype size = writer.at - key;
            if (size > MaxIndex)
                throw Failure::outOfMemory();
            starts[i] = key - keys.data();
            // The entry's offset holds the key's size.
            entries[i] = Entry{keyHead(key, size), quint32(i), quint32(size)};
            key = writer.at;
            yield();
        }
    });
    if (surrogate)
        return false;
    sortEntries(lines, entries, {}, Keys{keys.data(), starts.data()}, progress);
    return true;
}

} // namespace

quint64 foldedHead(const LineRef &line, qsizetype from, qsizetype left)
{
    const uchar *p = bytesOf(line);
    const qsizetype want = std::clamp<qsizetype>(left, 0, 8);
    if (want == 8) {
        quint64 word;
        std::memcpy(&word, p + from, sizeof word);
        constexpr quint64 Low = 0x0101010101010101ull;
        if ((word & (Low * 0x80)) == 0) { // all ASCII: A-Z gain 0x20
            const quint64 fromA = word + Low * (0x80 - 'A');
            const quint64 beyondZ = word + Low * (0x80 - 'Z' - 1);
            word |= (fromA & ~beyondZ & (Low * 0x80)) >> 2;
            return packPlainBytes(reinterpret_cast<const uchar *>(&word), 8);
        }
    }
    uchar window[8];
    const qsizetype end = from + want;
    qsizetype i = from;
    while (i > 0 && i < line.size() && (p[i] & 0xC0) == 0x80)
        --i; // back to the start of the character
    while (i < end) {
        if (p[i] < 0x80) {
            if (i >= from)
                window[i - from] = foldAscii(p[i]);
            ++i;
            continue;
        }
        uchar folded[4];
        const int n = foldCharacter(p + i, characterLength(p[i]), folded);
        for (int k = 0; k < n; ++k) {
            if (i + k >= from && i + k < end)
                window[i + k - from] = folded[k];
        }
        i += n;
    }
    return packBytes(reinterpret_cast<const char *>(window), want);
}

bool holdsLoneSurrogate(const LineRef &line)
{
    const char *p = line.bytes;
    const char *const end = p + line.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        if (holdsByteED(word))
            return Utf8::holdsSurrogate(line.text());
    }
    for (; p < end; ++p) {
        if (uchar(*p) == 0xED)
            return Utf8::holdsSurrogate(line.text());
    }
    return false;
}

bool sortByFilterOnBytes(LineRefs &lines, CharacterFilter filter, Progress *progress)
{
    if (!beginSort(lines, progress))
        return true;
    const LineRef *texts = lines.constData();
    const qsizetype count = lines.size();
    const qsizetype middle = count / 2;
    // A key's tail fits in the bytes of its line beyond the eighth.
    const KeyRoom room =
        keyRoom(lines, progress, [](qsizetype size) { return std::max<qsizetype>(size - 8, 0); });
    WorkArray<char> tails(room.total);
    WorkArray<qsizetype> starts(count);
    WorkArray<Entry> entries(count);
    std::atomic<bool> keyed = true;
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        const qsizetype from = half == 0 ? 0 : middle;
        const qsizetype to = half == 0 ? middle : count;
        const qsizetype at = half == 0 ? 0 : room.secondHalfStart;
        // One loop per filter, so that the test of a byte is a constant one.
        bool done = true;
        switch (filter) {
        case CharacterFilter::KeepEverything:
            done = filterKeys<CharacterFilter::KeepEverything>(texts, from, to, at, entries, tails,
                                                               starts, mayYield);
            break;
        case CharacterFilter::KeepLettersAndDigits:
            done = filterKeys<CharacterFilter::KeepLettersAndDigits>(texts, from, to, at, entries,
                                                                     tails, starts, mayYield);
            break;
        case CharacterFilter::RemoveLetters:
            done = filterKeys<CharacterFilter::RemoveLetters>(texts, from, to, at, entries, tails,
                                                              starts, mayYield);
            break;
        case CharacterFilter::RemoveDigits:
            done = filterKeys<CharacterFilter::RemoveDigits>(texts, from, to, at, entries, tails,
                                                             starts, mayYield);
            break;
        case CharacterFilter::RemoveLettersAndDigits:
            done = filterKeys<CharacterFilter::RemoveLettersAndDigits>(texts, from, to, at, entries,
                                                                       tails, starts, mayYield);
            break;
        }
        if (!done)
            keyed = false;
    });
    if (!keyed)
        return false;
    sortEntries(lines, entries, {}, FilteredByteTails{tails.data(), starts.data()}, progress);
    return true;
}

bool sortByFoldedCaseOnBytes(LineRefs &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return true;
    WorkArray<Entry> entries(lines.size());
    const bool inPlace = entriesInHalves(
        lines, entries, progress, [](const LineRef &line, qsizetype i) -> std::optional<Entry> {
            if (!foldsInPlace(line))
                return std::nullopt;
            return Entry{foldedHead(line, 0, line.size()), quint32(i), 0};
        });
    if (!inPlace)
        return false;
    sortEntries(lines, entries, {}, FoldedBytes{lines.constData()}, progress);
    return true;
}

bool sortNaturallyOnBytes(LineRefs &lines, Progress *progress)
{
    return sortByEncodedBytes<NaturalByteKey, StoredByteKeys, uchar>(lines, true, progress);
}

void sortByLeadingNumberOnBytes(LineRefs &lines, Progress *progress)
{
    sortByEncodedBytes<LeadingNumberKey, StoredKeys, char16_t>(lines, false, progress);
}

} // namespace SortEngine
