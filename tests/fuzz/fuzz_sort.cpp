// Feeds arbitrary lines (UTF-16 units, lone surrogates included) and option
// answers through every row of the sort option list, sorted as the window
// sorts its rows (as UTF-8 lines), and checks that the result is a permutation of the input,
// ordered by the row's key, with lines that lack enough spaces left where
// they stood; that the options that compare whole lines by a rule give the
// stable order of that rule; and that removing duplicates leaves exactly the
// distinct lines, sorted or in the order they first came; and that keeping
// or dropping lines by a text (the marker, as a plain text whose case
// counts), by how often they occur, and counting them, give what the plain
// references give.
#include "core/Failure.h"
#include "sort/SortOptions.h"
#include "support/ReferenceOrders.h"
#include "support/TextSorting.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

[[noreturn]] void fail(const char *why)
{
    fprintf(stderr, "fuzz_sort: %s\n", why);
    std::abort();
}

// 1-based position of the n-th space, -1 when there are fewer, 0 for n < 1.
qsizetype nthSpace(const QString &line, qsizetype n)
{
    if (n < 1)
        return 0;
    qsizetype found = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u' ' && ++found == n)
            return i + 1;
    }
    return -1;
}

QString sieve(const QString &line, bool letters, bool digits, bool keep)
{
    QString out;
    for (QChar c : line) {
        const char16_t u = c.unicode();
        const bool isLetter = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
        const bool isDigit = u >= u'0' && u <= u'9';
        const bool inSet = (letters && isLetter) || (digits && isDigit);
        if (inSet == keep)
            out.append(c);
    }
    return out;
}

QString filtered(const QString &line, CharacterFilter filter)
{
    switch (filter) {
    case CharacterFilter::KeepEverything:
        return line;
    case CharacterFilter::KeepLettersAndDigits:
        return sieve(line, true, true, true);
    case CharacterFilter::RemoveLetters:
        return sieve(line, true, false, false);
    case CharacterFilter::RemoveDigits:
        return sieve(line, false, true, false);
    case CharacterFilter::RemoveLettersAndDigits:
        return sieve(line, true, true, false);
    }
    return line;
}

// The character position or word number the option sorts from.
qint32 positionOf(const SortOption &option, qint32 number)
{
    return option.asks == SortAnswer::Number ? number : option.position;
}

// The key of a line, or no key for lines that a word key leaves in place.
std::optional<QString> keyOf(const SortOption &option, const QString &line, qint32 number,
                             const QString &marker)
{
    const qint32 position = positionOf(option, number);
    const auto fromPosition = [&](qsizetype p) {
        return p > line.size() ? QString() : line.mid(p - 1);
    };
    const auto fromSpace = [&](qsizetype n) -> std::optional<QString> {
        if (n < 1)
            return line;
        const qsizetype s = nthSpace(line, n);
        if (s < 0)
            return std::nullopt;
        return line.mid(s - 1);
    };
    switch (option.key) {
    case OptionKey::WholeLine:
        return line;
    case OptionKey::FromCharacter:
        return fromPosition(position);
    case OptionKey::FromWord:
        return fromSpace(qsizetype(position) - 1);
    case OptionKey::AfterMarker: {
        const qsizetype f = marker.isEmpty() ? 0 : line.indexOf(marker);
        return f < 0 ? line : line.mid(f);
    }
    case OptionKey::Filtered:
        return filtered(line, option.filter);
    case OptionKey::Length:
        return QString(); // compared by length below
    case OptionKey::None:
    case OptionKey::WholeLineDescending:
    case OptionKey::FoldedCase:
    case OptionKey::Natural:
    case OptionKey::LeadingNumber:
    case OptionKey::Dictionary:
    case OptionKey::ChosenKeys: // the whole line as text when no keys are chosen
        return line;
    }
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const auto &options = sortOptions();
    const SortOption &option = options[data[0] % options.size()];
    qint32 number;
    std::memcpy(&number, data + 1, sizeof number);
    // Mostly small numbers, so that positions and word numbers hit real lines.
    if (data[5] & 1)
        number = number % 12;
    data += 6;
    size -= 6;

    // Lines are separated by 0xFFFF code units; the marker is the first line.
    QString all(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    QStringList lines = all.split(QChar(0xFFFF));
    const QString marker = lines.takeFirst();

    const QStringList before = lines;
    bool failed = false;
    try {
        sortTexts(lines, option, number, marker, nullptr);
    } catch (const Failure &) {
        failed = true;
    }

    if (option.asks == SortAnswer::Filter || option.operation == LineOperation::CountDuplicates) {
        if (failed)
            fail("a filter or the counts failed");
        if (lines != referenceResult(option, before, LineFilter{marker}))
            fail("the lines kept or counted are not those of the option's rule");
        return 0;
    }
    if (hasReferenceArrangement(option) && !option.isSeparator()) {
        if (failed)
            fail("an option that asks nothing failed");
        QStringList expected;
        for (const qsizetype i : referenceArrangement(option, before))
            expected.append(before[i]);
        if (lines != expected)
            fail("the lines are not in the order of the option's rule");
        return 0;
    }

    QStringList a = before, b = lines;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b)
        fail("the result is not a permutation of the input");
    const bool badArgument =
        (option.key == OptionKey::FromCharacter || option.key == OptionKey::FromWord) &&
        positionOf(option, number) < 1;
    if (badArgument && before.size() >= 2 && !failed)
        fail("an invalid position or word number was accepted");
    if (failed) {
        if (!badArgument || before.size() < 2 || lines != before)
            fail("unexpected failure, or lines moved before it");
        return 0;
    }
    if (option.isSeparator()) {
        if (lines != before)
            fail("a separator reordered the lines");
        return 0;
    }
    if (option.operation == LineOperation::Shuffle)
        return 0; // any order of the lines will do
    if (option.key == OptionKey::Dictionary)
        return 0; // ICU's order: the sort key tests compare it with QCollator
    const QString answer = option.asks == SortAnswer::Text ? marker : QString();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto key = keyOf(option, lines[i], number, answer);
        if (!key && lines[i] != before[i])
            fail("a line without enough spaces moved");
    }
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const auto k1 = keyOf(option, lines[i], number, answer);
        const auto k2 = keyOf(option, lines[i + 1], number, answer);
        if (!k1 || !k2)
            continue;
        const bool ordered = option.key == OptionKey::Length
                                 ? lines[i].size() <= lines[i + 1].size()
                                 : QStringView(*k1).compare(QStringView(*k2)) <= 0;
        if (!ordered)
            fail("neighbours out of order");
    }
    return 0;
}
