#include "sort/SortLines.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "sort/ChosenKeyOrder.h"
#include "sort/DictionaryOrder.h"
#include "sort/DuplicateLines.h"
#include "sort/FilteredKeys.h"
#include "sort/FoldedCase.h"
#include "sort/LeadingNumber.h"
#include "sort/LengthKey.h"
#include "sort/LineFilters.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/NaturalOrder.h"
#include "sort/SortOptions.h"
#include "sort/SuffixKeys.h"
#include "sort/UnitLines.h"
#include "sort/WorkArray.h"

#include <algorithm>
#include <optional>
#include <vector>

using namespace SortEngine;

// One driver orders the lines by every option's key: on their UTF-8 bytes,
// or, when a key says that the bytes cannot give the units' order for these
// lines (see LineText.h), as UTF-16 units, by the same key. The operations
// that keep, drop or count lines, dictionary order and the keys a user
// chooses read UTF-8 only.

namespace {

// Does the option's operation on lines of either layout; on UTF-8 lines it
// gives NeedsUnits, with the lines as they came and pass 1 begun, when they
// must be sorted as units.
template <typename Line>
SortOutcome orderLines(LineList<Line> &lines, const SortOption &option, qint32 number,
                       const QString &text, Progress *progress)
{
    switch (option.operation) {
    case LineOperation::Sort:
        break;
    case LineOperation::SortRemovingDuplicates:
        return sortWholeLines(lines, WholeLines::RemovingDuplicates, progress);
    case LineOperation::RemoveDuplicates:
        return sortWholeLines(lines, WholeLines::RemovingLaterDuplicates, progress);
    case LineOperation::Reverse:
        beginPass(progress, 1);
        reverseInSteps(lines.data(), lines.size(), progress);
        return SortOutcome::Sorted;
    case LineOperation::Shuffle:
        beginPass(progress, 1);
        shuffleLines(lines, progress);
        return SortOutcome::Sorted;
    case LineOperation::None:
    case LineOperation::KeepContaining:
    case LineOperation::RemoveContaining:
    case LineOperation::KeepDuplicated:
    case LineOperation::KeepOccurringOnce:
    case LineOperation::CountDuplicates:
        return SortOutcome::Sorted; // nothing, or on UTF-8 only: see sortLines()
    }
    const qint32 position = option.asks == SortAnswer::Number ? number : option.position;
    switch (option.key) {
    case OptionKey::WholeLine:
        return sortWholeLines(lines, WholeLines::Ascending, progress);
    case OptionKey::WholeLineDescending:
        return sortWholeLines(lines, WholeLines::Descending, progress);
    case OptionKey::FromCharacter:
        return sortFromCharacter(lines, position, progress);
    case OptionKey::FromWord:
        return sortFromWord(lines, position, progress);
    case OptionKey::AfterMarker:
        return sortAfterMarker(lines, option.asks == SortAnswer::Text ? text : QString(), progress);
    case OptionKey::Filtered:
        return sortByFilter(lines, option.filter, progress);
    case OptionKey::Length:
        sortByLength(lines, progress);
        return SortOutcome::Sorted;
    case OptionKey::FoldedCase:
        return sortByFoldedCase(lines, progress);
    case OptionKey::Natural:
        return sortNaturally(lines, progress);
    case OptionKey::LeadingNumber:
        sortByLeadingNumber(lines, progress);
        return SortOutcome::Sorted;
    case OptionKey::None:
    case OptionKey::Dictionary:
    case OptionKey::ChosenKeys:
        break; // nothing, or on UTF-8 only: see sortLines()
    }
    return SortOutcome::Sorted;
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

// Sorts the lines as UTF-16 units, pass 1 begun: each line is converted once
// into one buffer, sorted by the same key, and the lines take the order
// reached, also when the sort stopped (the units are always a whole
// permutation, or the kept lines once duplicates were removed).
void sortAsUnits(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                 Progress *progress)
{
    std::optional<PassOneBegun> begun;
    if (progress)
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
        orderLines(units, option, number, text, progress);
    } catch (...) {
        reorder();
        throw;
    }
    reorder().finish();
}

} // namespace

UnitLines &sortUnitLines(UnitLines &lines, const SortOption &option, qint32 number,
                         const QString &text, Progress *progress)
{
    orderLines(lines, option, number, text, progress);
    return lines;
}

LineRefs &sortLines(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                    Progress *progress, QByteArray *madeTexts)
{
    switch (option.operation) {
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
    case LineOperation::Sort:
        if (option.key == OptionKey::Dictionary)
            return sortInDictionaryOrder(lines, userDictionaryLanguage(), progress);
        if (option.key == OptionKey::ChosenKeys)
            return sortByKeys(lines, ChosenKeySet{}, progress);
        break;
    case LineOperation::None:
    case LineOperation::SortRemovingDuplicates:
    case LineOperation::RemoveDuplicates:
    case LineOperation::Reverse:
    case LineOperation::Shuffle:
        break;
    }
    if (orderLines(lines, option, number, text, progress) == SortOutcome::NeedsUnits)
        sortAsUnits(lines, option, number, text, progress);
    return lines;
}
