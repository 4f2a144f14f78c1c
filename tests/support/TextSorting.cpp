#include "support/TextSorting.h"

#include "core/Utf8Text.h"
#include "sort/SortLines.h"
#include "sort/SortOptions.h"
#include "sort/UnitLines.h"

#include <utility>

namespace {

// Whether sortUnitLines() does what the option does.
bool unitsDo(const SortOption &option)
{
    switch (option.operation) {
    case LineOperation::Sort:
        return option.key != OptionKey::Dictionary && option.key != OptionKey::ChosenKeys;
    case LineOperation::None:
    case LineOperation::SortRemovingDuplicates:
    case LineOperation::RemoveDuplicates:
    case LineOperation::Reverse:
    case LineOperation::Shuffle:
        return true;
    default:
        return false;
    }
}

// Sorts the references with sort(refs) and gives the texts the order the
// references reached, also when the sort stopped.
template <typename Line, typename Sort>
QStringList &sortByReferences(QStringList &texts, LineList<Line> &refs, Sort sort)
{
    const auto reorder = [&] {
        QStringList sorted;
        sorted.reserve(refs.size());
        for (const Line &ref : refs)
            sorted.append(std::move(texts[qsizetype(ref.id)]));
        texts = std::move(sorted);
    };
    try {
        sort(refs);
    } catch (...) {
        reorder();
        throw;
    }
    reorder();
    return texts;
}

} // namespace

Utf8Copies::Utf8Copies(const QStringList &texts)
{
    bytes.reserve(std::size_t(texts.size()));
    lines.reserve(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        bytes.push_back(Utf8::fromUtf16(texts.at(i)));
        lines.append(LineRef{bytes.back().constData(), quint32(bytes.back().size()), quint32(i)});
    }
}

QStringList &sortTexts(QStringList &texts, const SortOption &option, qint32 number,
                       const QString &text, Progress *progress)
{
    Utf8Copies copies(texts);
    if (option.operation != LineOperation::CountDuplicates)
        return sortByReferences(texts, copies.lines, [&](LineRefs &refs) {
            sortLines(refs, option, number, text, progress);
        });
    // The counted lines are texts of their own, and the lines as they came
    // when the counting stopped before it began to change them.
    QByteArray made;
    const auto takeLines = [&] {
        QStringList lines;
        for (const LineRef &line : copies.lines)
            lines.append(Utf8::toUtf16(line.text()));
        texts = std::move(lines);
    };
    try {
        sortLines(copies.lines, option, number, text, progress, &made);
    } catch (...) {
        takeLines();
        throw;
    }
    takeLines();
    return texts;
}

QStringList &sortTextsAsUnits(QStringList &texts, const SortOption &option, qint32 number,
                              const QString &text, Progress *progress)
{
    if (!unitsDo(option))
        return sortTexts(texts, option, number, text, progress);
    UnitLines refs;
    refs.reserve(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const auto *units = reinterpret_cast<const char16_t *>(texts.at(i).utf16());
        refs.append(UnitLine{units, quint32(texts.at(i).size()), quint32(i)});
    }
    return sortByReferences(texts, refs, [&](UnitLines &lines) {
        sortUnitLines(lines, option, number, text, progress);
    });
}
