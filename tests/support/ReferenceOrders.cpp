#include "support/ReferenceOrders.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <compare>
#include <numeric>
#include <optional>
#include <string_view>

namespace {

std::u16string_view unitsOf(QStringView text)
{
    return {text.utf16(), std::size_t(text.size())};
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A run of digits against another, by value: without leading zeros the
// shorter is the smaller, then the first digit that differs decides.
std::strong_ordering compareByValue(QStringView a, QStringView b)
{
    const auto significant = [](QStringView run) {
        while (!run.isEmpty() && run.front() == u'0')
            run = run.sliced(1);
        return run;
    };
    a = significant(a);
    b = significant(b);
    if (a.size() != b.size())
        return a.size() <=> b.size();
    return unitsOf(a) <=> unitsOf(b);
}

// The runs of a line: non-digits (the first perhaps empty), digits,
// non-digits, and so on; the digit runs are the odd ones.
QList<QStringView> runsOf(QStringView line)
{
    QList<QStringView> runs;
    qsizetype start = 0;
    bool digits = false;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i == line.size() || isDigit(line[i]) != digits) {
            runs.append(line.sliced(start, i - start));
            start = i;
            digits = !digits;
        }
    }
    return runs;
}

// The number at the start of a line, as a sign (-1, 0 or 1) and the digits
// of its magnitude: the integer part without leading zeros and the fraction
// without trailing zeros.
struct LeadingNumber
{
    int sign = 0;
    QString integer;
    QString fraction;
};

std::optional<LeadingNumber> leadingNumberOf(QStringView line)
{
    qsizetype i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    int sign = 1;
    if (i < line.size() && (line[i] == u'-' || line[i] == u'+'))
        sign = line[i++] == u'-' ? -1 : 1;
    QString integer, fraction;
    while (i < line.size() && isDigit(line[i]))
        integer += line[i++];
    if (i < line.size() && line[i] == u'.') {
        ++i;
        while (i < line.size() && isDigit(line[i]))
            fraction += line[i++];
    }
    if (integer.isEmpty() && fraction.isEmpty())
        return std::nullopt;
    while (integer.startsWith(u'0'))
        integer.remove(0, 1);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    if (integer.isEmpty() && fraction.isEmpty())
        sign = 0;
    return LeadingNumber{sign, integer, fraction};
}

std::strong_ordering compareMagnitudes(const LeadingNumber &a, const LeadingNumber &b)
{
    if (a.integer.size() != b.integer.size())
        return a.integer.size() <=> b.integer.size();
    if (const auto order = unitsOf(a.integer) <=> unitsOf(b.integer); order != 0)
        return order;
    return unitsOf(a.fraction) <=> unitsOf(b.fraction);
}

} // namespace

QString foldedCase(QStringView line)
{
    // Folded piece by piece between lone surrogates.
    QString folded;
    qsizetype start = 0;
    const auto foldUpTo = [&](qsizetype end) {
        folded += line.sliced(start, end - start).toString().toCaseFolded();
    };
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c.isHighSurrogate() && i + 1 < line.size() && line[i + 1].isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            foldUpTo(i);
            folded += c;
            start = i + 1;
        }
    }
    foldUpTo(line.size());
    return folded;
}

bool foldedCaseLess(QStringView a, QStringView b)
{
    return unitsOf(foldedCase(a)) < unitsOf(foldedCase(b));
}

bool naturalLess(QStringView a, QStringView b)
{
    const QList<QStringView> x = runsOf(a);
    const QList<QStringView> y = runsOf(b);
    for (qsizetype r = 0; r < std::min(x.size(), y.size()); ++r) {
        const auto order =
            r % 2 == 1 ? compareByValue(x[r], y[r]) : unitsOf(x[r]) <=> unitsOf(y[r]);
        if (order != 0)
            return order < 0;
    }
    if (x.size() != y.size())
        return x.size() < y.size();
    for (qsizetype r = 1; r < x.size(); r += 2) {
        if (x[r].size() != y[r].size())
            return x[r].size() < y[r].size();
    }
    return false;
}

bool leadingNumberLess(QStringView a, QStringView b)
{
    const std::optional<LeadingNumber> x = leadingNumberOf(a);
    const std::optional<LeadingNumber> y = leadingNumberOf(b);
    if (!x || !y)
        return x && !y;
    if (x->sign != y->sign)
        return x->sign < y->sign;
    const auto magnitudes = compareMagnitudes(*x, *y);
    return x->sign > 0 ? magnitudes < 0 : magnitudes > 0;
}

bool wholeLineKeyLess(OptionKey key, QStringView a, QStringView b)
{
    switch (key) {
    case OptionKey::WholeLine:
        return unitsOf(a) < unitsOf(b);
    case OptionKey::WholeLineDescending:
        return unitsOf(b) < unitsOf(a);
    case OptionKey::FoldedCase:
        return foldedCaseLess(a, b);
    case OptionKey::Natural:
        return naturalLess(a, b);
    case OptionKey::LeadingNumber:
        return leadingNumberLess(a, b);
    default:
        qFatal("wholeLineKeyLess: a key that does not compare whole lines");
    }
}

QList<qsizetype> withoutRepeatedNeighbours(const QStringList &lines, const QList<qsizetype> &order)
{
    QList<qsizetype> kept;
    for (const qsizetype i : order) {
        if (kept.isEmpty() || lines[kept.last()] != lines[i])
            kept.append(i);
    }
    return kept;
}

QList<qsizetype> firstOccurrences(const QStringList &lines)
{
    QList<qsizetype> kept;
    QSet<QString> seen;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!seen.contains(lines[i])) {
            seen.insert(lines[i]);
            kept.append(i);
        }
    }
    return kept;
}

bool hasReferenceArrangement(const SortOption &option)
{
    switch (option.operation) {
    case LineOperation::Shuffle:
        return false;
    case LineOperation::Sort:
        return option.key == OptionKey::WholeLine || option.key == OptionKey::WholeLineDescending ||
               option.key == OptionKey::FoldedCase || option.key == OptionKey::Natural ||
               option.key == OptionKey::LeadingNumber;
    case LineOperation::None:
    case LineOperation::SortRemovingDuplicates:
    case LineOperation::RemoveDuplicates:
    case LineOperation::KeepDuplicated:
    case LineOperation::KeepOccurringOnce:
    case LineOperation::Reverse:
        return true;
    case LineOperation::KeepContaining:
    case LineOperation::RemoveContaining:
    case LineOperation::CountDuplicates:
        return false;
    }
    return false;
}

QList<qsizetype> referenceArrangement(const SortOption &option, const QStringList &lines)
{
    QList<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    const auto sortBy = [&](OptionKey key) {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            return wholeLineKeyLess(key, lines[a], lines[b]);
        });
    };
    switch (option.operation) {
    case LineOperation::None:
        break;
    case LineOperation::Sort:
        sortBy(option.key);
        break;
    case LineOperation::SortRemovingDuplicates:
        sortBy(OptionKey::WholeLine);
        order = withoutRepeatedNeighbours(lines, order);
        break;
    case LineOperation::RemoveDuplicates:
        order = firstOccurrences(lines);
        break;
    case LineOperation::KeepDuplicated:
        order = duplicatedLines(lines);
        break;
    case LineOperation::KeepOccurringOnce:
        order = linesOccurringOnce(lines);
        break;
    case LineOperation::Reverse:
        std::reverse(order.begin(), order.end());
        break;
    case LineOperation::Shuffle:
        qFatal("referenceArrangement: a shuffle has no one order");
    case LineOperation::KeepContaining:
    case LineOperation::RemoveContaining:
    case LineOperation::CountDuplicates:
        qFatal("referenceArrangement: see referenceResult()");
    }
    return order;
}

namespace {

// How often each line occurs.
QHash<QString, qsizetype> occurrences(const QStringList &lines)
{
    QHash<QString, qsizetype> counts;
    for (const QString &line : lines)
        ++counts[line];
    return counts;
}

} // namespace

QList<qsizetype> duplicatedLines(const QStringList &lines)
{
    const QHash<QString, qsizetype> counts = occurrences(lines);
    QList<qsizetype> kept;
    for (const qsizetype i : firstOccurrences(lines)) {
        if (counts.value(lines[i]) > 1)
            kept.append(i);
    }
    return kept;
}

QList<qsizetype> linesOccurringOnce(const QStringList &lines)
{
    const QHash<QString, qsizetype> counts = occurrences(lines);
    QList<qsizetype> kept;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (counts.value(lines[i]) == 1)
            kept.append(i);
    }
    return kept;
}

bool holdsFilter(const QString &line, const LineFilter &filter)
{
    if (filter.pattern) {
        const QRegularExpression pattern(
            filter.text, filter.matchCase ? QRegularExpression::NoPatternOption
                                          : QRegularExpression::CaseInsensitiveOption);
        return pattern.match(line).hasMatch();
    }
    if (filter.matchCase)
        return line.contains(filter.text);
    return foldedCase(line).contains(foldedCase(filter.text));
}

QList<qsizetype> filteredLines(const QStringList &lines, const LineFilter &filter, bool keep)
{
    QList<qsizetype> kept;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (holdsFilter(lines[i], filter) == keep)
            kept.append(i);
    }
    return kept;
}

QStringList countedLines(const QStringList &lines)
{
    const QHash<QString, qsizetype> counts = occurrences(lines);
    QList<qsizetype> distinct = firstOccurrences(lines);
    std::stable_sort(distinct.begin(), distinct.end(), [&](qsizetype a, qsizetype b) {
        return counts.value(lines[a]) > counts.value(lines[b]);
    });
    QStringList counted;
    for (const qsizetype i : distinct)
        counted.append(QString::number(counts.value(lines[i])) + u'\t' + lines[i]);
    return counted;
}

QStringList referenceResult(const SortOption &option, const QStringList &lines,
                            const LineFilter &filter)
{
    QList<qsizetype> order;
    switch (option.operation) {
    case LineOperation::CountDuplicates:
        return countedLines(lines);
    case LineOperation::KeepContaining:
    case LineOperation::RemoveContaining:
        order = filteredLines(lines, filter, option.operation == LineOperation::KeepContaining);
        break;
    default:
        order = referenceArrangement(option, lines);
        break;
    }
    QStringList result;
    for (const qsizetype i : order)
        result.append(lines[i]);
    return result;
}
