#pragma once

#include "sort/LineFilter.h"
#include "sort/SortOptions.h"

#include <QList>
#include <QStringList>
#include <QStringView>

// The orders of the sort options that compare whole lines, written plainly
// from their rules, for checking the engine's one-pass keys against. Each
// "less" says whether line a comes before line b; lines of which neither
// comes first keep their input order.

// The line as QString::toCaseFolded folds it, a lone surrogate left as it is.
QString foldedCase(QStringView line);

// By code unit after folding the case of both lines.
bool foldedCaseLess(QStringView a, QStringView b);

// Natural order: runs of non-digits by code unit, runs of ASCII digits by
// value; then fewer runs first; then the first digit run that is written
// shorter.
bool naturalLess(QStringView a, QStringView b);

// By the decimal number at the start (after spaces and tabs: a sign, digits,
// a dot, digits); lines without one after every number.
bool leadingNumberLess(QStringView a, QStringView b);

// Whether a comes before b by a key that compares whole lines: WholeLine,
// WholeLineDescending, FoldedCase, Natural or LeadingNumber.
bool wholeLineKeyLess(OptionKey key, QStringView a, QStringView b);

// Whether referenceArrangement() knows what the option does: a separator, a
// sort by a key that compares whole lines, removing duplicates, keeping
// duplicated lines or those that occur once, or reversing (every option but
// the shuffle, those keyed by a part of the line, the filters and the
// counts).
bool hasReferenceArrangement(const SortOption &option);

// What such an option does to the lines, as their indexes in the order it
// leaves: a stable sort by wholeLineKeyLess where it sorts, then the
// duplicates dropped or the order reversed.
QList<qsizetype> referenceArrangement(const SortOption &option, const QStringList &lines);

// The indexes of order (a list of line indexes) without those whose line is
// the same as the line before them.
QList<qsizetype> withoutRepeatedNeighbours(const QStringList &lines, const QList<qsizetype> &order);

// The index of the first occurrence of every distinct line, in input order.
QList<qsizetype> firstOccurrences(const QStringList &lines);

// The lines that occur more than once, each once where it first stood, and
// the lines that occur exactly once, as their indexes.
QList<qsizetype> duplicatedLines(const QStringList &lines);
QList<qsizetype> linesOccurringOnce(const QStringList &lines);

// Whether the line holds the filter: its text, unit for unit, in the line,
// both after foldedCase() when the case does not count; or a match of its
// pattern by QRegularExpression, case-insensitive when the case does not
// count (which never gives up on a line).
bool holdsFilter(const QString &line, const LineFilter &filter);

// The indexes of the lines that hold the filter (keep) or of those that do
// not, in their order.
QList<qsizetype> filteredLines(const QStringList &lines, const LineFilter &filter, bool keep);

// Every distinct line once, as its count, a TAB and the line: the most
// frequent first, then in the order they first came.
QStringList countedLines(const QStringList &lines);

// What any option but the shuffle and those keyed by a part of the line
// leaves of the lines; filter is what "Keep Lines Containing..." and "Remove
// Lines Containing..." were given.
QStringList referenceResult(const SortOption &option, const QStringList &lines,
                            const LineFilter &filter);
