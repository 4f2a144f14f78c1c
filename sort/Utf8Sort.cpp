#include "sort/SortRoutines.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "sort/DuplicateLines.h"
#include "sort/EntrySort.h"
#include "sort/KeyedSort.h"
#include "sort/LineFilters.h"
#include "sort/SortOptions.h"
#include "sort/TwoThreads.h"
#include "sort/UnitLines.h"
#include "sort/Utf8Keys.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>

using namespace SortEngine;

// The lines arrive as UTF-8. Every key is found on the bytes themselves
// (positions and lengths still count UTF-16 units; the keys built from the
// line are in Utf8Keys.cpp). A lone surrogate (from a 16-bit file) is the one
// thing UTF-8 cannot order as units do next to a character above U+FFFF:
// lines that hold one, where the key keeps it, are sorted as units, and so
// are the folded lines where a character's folded form has another UTF-8
// length.

namespace {

// The entries of the whole lines, each half of the lines on its own thread.
// Gives false, with the entries unfinished, when a line holds a lone
// surrogate.
bool wholeLineEntries(const LineRefs &lines, WorkArray<Entry> &entries, Progress *progress)
{
    return entriesInHalves(lines, entries, progress,
                           [](const LineRef &line, qsizetype i) -> std::optional<Entry> {
                               if (holdsLoneSurrogate(line))
                                   return std::nullopt;
                               return byteEntry(line.bytes, line.size(), i, 0);
                           });
}

enum class WholeLines {
    Ascending,
    Descending,
    RemovingDuplicates,
    RemovingLaterDuplicates, // the first of each kept, in input order
};

// Sorts by the whole lines' bytes. Gives false, with the lines as they came,
// when a line holds a lone surrogate.
bool sortWholeLines(LineRefs &lines, WholeLines how, Progress *progress)
{
    if (!beginSort(lines, progress))
        return true;
    const qsizetype count = lines.size();
    WorkArray<Entry> entries(count);
    if (!wholeLineEntries(lines, entries, progress))
        return false;
    const ByteSuffixes texts{lines.constData()};
    switch (how) {
    case WholeLines::Ascending:
        sortEntries(lines, entries, {}, texts, progress);
        break;
    case WholeLines::Descending:
        sortEntries(lines, entries, {}, texts, progress, Direction::Descending);
        break;
    case WholeLines::RemovingDuplicates:
        sortEntries(lines, entries, {}, texts, progress);
        dropRepeatedNeighbours(lines, progress);
        break;
    case WholeLines::RemovingLaterDuplicates: {
        WorkArray<bool> dropped(count);
        const std::vector<qsizetype> oneSegment{count};
        sortEntriesThen(entries, oneSegment, texts, progress, [&](const Entry *sorted) {
            markRepeats(sorted, count, lines.constData(), dropped.data(), progress);
        });
        dropMarkedLines(lines, dropped.data(), progress);
        break;
    }
    }
    return true;
}

// Where a key starts in a line's bytes: an offset, or one of these.
constexpr qsizetype WallLine = -1; // the line stays in place
constexpr qsizetype AsUnits = -2;  // the key starts inside a character above U+FFFF

// Keys every line by its bytes from keyStart(line) on; lines that keyStart
// makes walls stay in place. Gives false, with the lines as they came, when
// the keys cannot be found on the bytes.
template <typename KeyStart>
bool sortBySuffix(LineRefs &lines, Progress *progress, KeyStart keyStart, bool &passBegun)
{
    passBegun = true;
    if (!beginSort(lines, progress))
        return true;
    WorkArray<Entry> entries(lines.size());
    std::vector<qsizetype> walls;
    // Reserved room that is never used is never touched.
    walls.reserve(std::size_t(lines.size()));
    const LineRef *texts = lines.constData();
    qsizetype count = 0;
    YieldPacer yield(progress, YieldPacer::SortItems);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const LineRef &line = texts[i];
        if (holdsLoneSurrogate(line))
            return false;
        const qsizetype at = keyStart(line);
        if (at == AsUnits)
            return false;
        if (at == WallLine)
            walls.push_back(i);
        else
            entries[count++] = byteEntry(line.bytes + at, line.size() - at, i, at);
        yield();
    }
    entries.shrink(count);
    sortEntries(lines, entries, walls, ByteSuffixes{texts}, progress);
    return true;
}

// The offset of the line's 0-based unit `unit` (its end when it is shorter).
qsizetype offsetOfUnit(const LineRef &line, qsizetype unit)
{
    const auto *p = reinterpret_cast<const uchar *>(line.bytes);
    const qsizetype size = line.size();
    qsizetype at = 0;
    qsizetype units = 0;
    while (at < size && units < unit) {
        const uchar b = p[at];
        at += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        units += b < 0xF0 ? 1 : 2;
    }
    return units > unit ? AsUnits : std::min(at, size);
}

// The offset of the line's spaces-th space, or a wall when it has fewer.
qsizetype offsetOfSpace(const LineRef &line, qsizetype spaces)
{
    const char *p = line.bytes;
    const char *const end = p + line.size();
    for (;;) {
        const auto *space = static_cast<const char *>(std::memchr(p, ' ', std::size_t(end - p)));
        if (!space)
            return WallLine;
        if (--spaces == 0)
            return space - line.bytes;
        p = space + 1;
    }
}

// The keys that start somewhere in the line, on the bytes where they can be;
// positions below 1 (which fail), and markers that hold a surrogate, are
// left to the units.
bool sortBySuffixKey(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                     Progress *progress, bool &passBegun)
{
    const qint32 position = option.asks == SortAnswer::Number ? number : option.position;
    switch (option.key) {
    case OptionKey::FromCharacter:
        if (position < 1)
            return false;
        return sortBySuffix(
            lines, progress,
            [unit = qsizetype(position) - 1](const LineRef &line) {
                return offsetOfUnit(line, unit);
            },
            passBegun);
    case OptionKey::FromWord:
        if (position < 1)
            return false;
        if (position == 1) // no space to skip: the whole line is the key
            return sortBySuffix(
                lines, progress, [](const LineRef &) { return qsizetype(0); }, passBegun);
        return sortBySuffix(
            lines, progress,
            [spaces = qsizetype(position) - 1](const LineRef &line) {
                return offsetOfSpace(line, spaces);
            },
            passBegun);
    case OptionKey::AfterMarker: {
        const QString marker = option.asks == SortAnswer::Text ? text : QString();
        if (std::any_of(marker.begin(), marker.end(), [](QChar c) { return c.isSurrogate(); }))
            return false;
        // UTF-8 finds a character only where it begins, so the first match
        // of the bytes is the first match of the units.
        const QByteArray bytes = Utf8::fromUtf16(marker);
        const std::string_view wanted(bytes.constData(), std::size_t(bytes.size()));
        return sortBySuffix(
            lines, progress,
            [wanted](const LineRef &line) {
                const std::size_t at = line.text().find(wanted);
                return at == std::string_view::npos ? qsizetype(0) : qsizetype(at);
            },
            passBegun);
    }
    default:
        return false;
    }
}

LineRefs &sortByLength(LineRefs &lines, Progress *progress)
{
    if (!beginSort(lines, progress))
        return lines;
    WorkArray<Entry> entries(lines.size());
    entriesInHalves(lines, entries, progress, [](const LineRef &line, qsizetype i) {
        return std::optional(Entry{quint64(Utf8::utf16Size(line.text())), quint32(i), 0});
    });
    sortEntries(lines, entries, {}, NoTexts{}, progress);
    return lines;
}

// Passes everything on but the text of pass 1, for a sort that goes on as
// units after the bytes' attempt had begun pass 1 already.
class PassOneBegun final : public Progress
{
public:
    explicit PassOneBegun(Progress *inner) : m_inner(inner) {}

    void setPosition(double percent) override { m_inner->setPosition(percent); }
    void setText(const QString &text) override
    {
        if (!m_skipped && text == u"Sorting: 1") {
            m_skipped = true;
            return;
        }
        m_inner->setText(text);
    }
    bool showsTextNow() const override { return m_inner->showsTextNow(); }
    void yield() override { m_inner->yield(); }

private:
    Progress *m_inner;
    bool m_skipped = false;
};

// Sorts the lines as UTF-16 units: each line is converted once into one
// buffer, sorted by the units' rules, and the lines take the order reached,
// also when the sort stopped (the units are always a whole permutation, or
// the kept lines once duplicates were removed).
LineRefs &sortAsUnits(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                      Progress *progress, bool passOneBegun = false)
{
    std::optional<PassOneBegun> begun;
    if (progress && passOneBegun)
        progress = &begun.emplace(progress);
    const qsizetype count = lines.size();
    const LineRef *texts = lines.constData();
    qsizetype bytes = 0;
    for (const LineRef &line : lines)
        bytes += line.size();
    // A line never has more units than bytes.
    WorkArray<char16_t> buffer(bytes);
    UnitLines units;
    units.reserve(count);
    {
        YieldPacer yield(progress, YieldPacer::SortItems);
        char16_t *out = buffer.data();
        for (qsizetype i = 0; i < count; ++i) {
            char16_t *const end = Utf8::writeUnits(texts[i].text(), out);
            units.append(UnitLine{out, quint32(end - out), quint32(i)});
            out = end;
            yield();
        }
    }
    // The moving yields, but a closed window is told only once every line
    // is back in the list.
    const auto reorder = [&] {
        DeferredYield yield(progress, YieldPacer::SortItems);
        std::vector<LineRef> sorted;
        sorted.reserve(std::size_t(units.size()));
        for (const UnitLine &line : units) {
            sorted.push_back(texts[line.id]);
            yield();
        }
        LineRef *const into = lines.data();
        std::copy(sorted.begin(), sorted.end(), into);
        lines.truncate(units.size());
        return yield;
    };
    try {
        sortUnitLines(units, option, number, text, progress);
    } catch (...) {
        reorder();
        throw;
    }
    reorder().finish();
    return lines;
}

// The whole-line sorts on bytes, or as units when a line holds a lone
// surrogate.
LineRefs &sortWholeLinesOrUnits(LineRefs &lines, WholeLines how, const SortOption &option,
                                Progress *progress)
{
    if (sortWholeLines(lines, how, progress))
        return lines;
    return sortAsUnits(lines, option, 0, QString(), progress, true);
}

} // namespace

LineRefs &sortLines(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                    Progress *progress, QByteArray *madeTexts)
{
    switch (option.operation) {
    case LineOperation::None:
        return lines;
    case LineOperation::KeepContaining:
        return filterLines(lines, LineFilter{text}, FilterMode::Keep, progress);
    case LineOperation::RemoveContaining:
        return filterLines(lines, LineFilter{text}, FilterMode::Remove, progress);
    case LineOperation::KeepDuplicated:
        return keepDuplicatedLines(lines, progress);
    case LineOperation::KeepOccurringOnce:
        return keepLinesOccurringOnce(lines, progress);
    case LineOperation::CountDuplicates:
        if (!madeTexts)
            throw Failure::invalidArgument();
        return countDuplicateLines(lines, *madeTexts, progress);
    case LineOperation::SortRemovingDuplicates:
        return sortWholeLinesOrUnits(lines, WholeLines::RemovingDuplicates, option, progress);
    case LineOperation::RemoveDuplicates:
        return sortWholeLinesOrUnits(lines, WholeLines::RemovingLaterDuplicates, option, progress);
    case LineOperation::Reverse:
        beginPass(progress, 1);
        reverseInSteps(lines.data(), lines.size(), progress);
        return lines;
    case LineOperation::Shuffle:
        beginPass(progress, 1);
        shuffleLines(lines, progress);
        return lines;
    case LineOperation::Sort:
        break;
    }
    switch (option.key) {
    case OptionKey::None:
        return lines;
    case OptionKey::WholeLine:
        return sortWholeLinesOrUnits(lines, WholeLines::Ascending, option, progress);
    case OptionKey::WholeLineDescending:
        return sortWholeLinesOrUnits(lines, WholeLines::Descending, option, progress);
    case OptionKey::Length:
        return sortByLength(lines, progress);
    case OptionKey::FromCharacter:
    case OptionKey::FromWord:
    case OptionKey::AfterMarker: {
        bool passBegun = false;
        if (sortBySuffixKey(lines, option, number, text, progress, passBegun))
            return lines;
        return sortAsUnits(lines, option, number, text, progress, passBegun);
    }
    case OptionKey::Filtered:
        if (sortByFilterOnBytes(lines, option.filter, progress))
            return lines;
        return sortAsUnits(lines, option, number, text, progress, true);
    case OptionKey::FoldedCase:
        if (sortByFoldedCaseOnBytes(lines, progress))
            return lines;
        return sortAsUnits(lines, option, number, text, progress, true);
    case OptionKey::Natural:
        if (sortNaturallyOnBytes(lines, progress))
            return lines;
        return sortAsUnits(lines, option, number, text, progress, true);
    case OptionKey::LeadingNumber:
        sortByLeadingNumberOnBytes(lines, progress);
        return lines;
    case OptionKey::Dictionary:
        return sortInDictionaryOrder(lines, userDictionaryLanguage(), progress);
    case OptionKey::ChosenKeys:
        return sortByKeys(lines, ChosenKeySet{}, progress);
    }
    return lines;
}
