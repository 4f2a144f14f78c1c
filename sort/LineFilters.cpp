#include "sort/LineFilters.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "sort/BoundedPattern.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/RowMatcher.h"
#include "sort/SortEntries.h"
#include "sort/TwoThreads.h"
#include "sort/WorkArray.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;
using namespace SortEngine;

// A text is looked for by RowMatcher, as the find bar looks for it: in the
// lines' bytes where they tell what the units would, stretches of lines at
// once. A pattern reads every line as units.

namespace {

using Result = BoundedPattern::Result;

// The filter's pattern as PCRE2 compiles it. Without the case counting it
// matches caselessly, so that the pattern's own text (escapes such as \D,
// classes, ranges) stays as the user wrote it.
class FilterPattern final
{
public:
    explicit FilterPattern(const LineFilter &filter)
        : m_pattern(filter.text, filter.matchCase ? BoundedPattern::Case::Counts
                                                  : BoundedPattern::Case::Caseless)
    {
    }

    BoundedPattern &pattern() { return m_pattern; }

    QString problem() const
    {
        if (m_pattern.isValid())
            return QString();
        return u"The pattern does not compile: %1 (at character %2)."_s.arg(
            m_pattern.errorString(), QString::number(m_pattern.errorOffset() + 1));
    }

private:
    BoundedPattern m_pattern;
};

// Lines a stretch holds at most, so that the yields come often.
constexpr qsizetype StretchLines = 1024;
// Bytes between two lines of one stretch at most.
constexpr qsizetype StretchGap = 2;

const char *endOf(const LineRef &line)
{
    return line.bytes + line.size();
}

// Sets holds[i] for every line i of [from, to): whether it holds the
// matcher's text. Lines that follow each other in memory with at most two
// bytes between them (a line break) are searched as one stretch where the
// matcher can (see RowMatcher::takeStretch()): no two blocks of text lie that
// close, each has its own allocation's header in front. A find across a line
// break belongs to no line. Passes the lines done to yield after each
// stretch, which is kept short.
void findInLines(const LineRef *lines, qsizetype from, qsizetype to, RowMatcher &matcher,
                 bool *holds, YieldPacer &yield)
{
    for (qsizetype first = from; first < to;) {
        qsizetype last = first; // the stretch is [first, last]
        while (last + 1 < to && last + 1 - first < StretchLines &&
               lines[last + 1].bytes >= endOf(lines[last]) &&
               lines[last + 1].bytes - endOf(lines[last]) <= StretchGap)
            ++last;
        const char *const start = lines[first].bytes;
        if (last == first ||
            !matcher.takeStretch({start, std::size_t(endOf(lines[last]) - start)})) {
            for (qsizetype line = first; line <= last; ++line)
                holds[line] = matcher.holds(lines[line].text());
        } else {
            std::fill(holds + first, holds + last + 1, false);
            const qsizetype size = matcher.textBytes();
            qsizetype line = first;
            for (qsizetype at = matcher.nextMatch(0); at >= 0;) {
                const char *const found = start + at;
                // The first line that ends after the find; it ends the stretch at the latest.
                while (endOf(lines[line]) < found + size)
                    ++line;
                if (lines[line].bytes > found) { // across a line break: no line holds it
                    at = matcher.nextMatch(at + 1);
                    continue;
                }
                holds[line] = true;
                if (++line > last)
                    break;
                at = matcher.nextMatch(lines[line].bytes - start);
            }
        }
        yield(last + 1 - first);
        first = last + 1;
    }
}

// Looks for the filter in lines, with buffers of its own: each thread has
// one.
class LineMatcher final
{
public:
    explicit LineMatcher(const LineFilter &filter)
    {
        if (filter.pattern)
            m_pattern.emplace(filter);
        else
            m_text.emplace(filter.text, filter.matchCase);
    }

    // Sets holds[i] for the lines [from, to) that hold the filter; gives how
    // many lines it gave up on.
    qsizetype find(const LineRef *lines, qsizetype from, qsizetype to, bool *holds,
                   YieldPacer &yield)
    {
        if (m_text) {
            findInLines(lines, from, to, *m_text, holds, yield);
            return 0;
        }
        qsizetype gaveUp = 0;
        for (qsizetype i = from; i < to; ++i) {
            const std::u16string_view units = lineUnits(lines[i]);
            const Result result =
                m_pattern->pattern().match(QStringView(units.data(), qsizetype(units.size())));
            holds[i] = result == Result::Matched;
            gaveUp += result == Result::GaveUp ? 1 : 0;
            // In the units a YieldPacer counts: a pattern may take some
            // steps a unit.
            yield(64 + lines[i].size() / 4);
        }
        return gaveUp;
    }

private:
    std::u16string_view lineUnits(const LineRef &line)
    {
        // A line never has more units than bytes; an empty one still gets a
        // place to point at, which PCRE2 needs.
        if (m_lineUnits.size() <= std::size_t(line.size()))
            m_lineUnits.resize(std::size_t(line.size()) + 1);
        // Most lines are ASCII: widened in one go, told by the bytes seen.
        const auto *bytes = reinterpret_cast<const uchar *>(line.bytes);
        char16_t *const out = m_lineUnits.data();
        uchar any = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            any |= bytes[i];
            out[i] = bytes[i];
        }
        if (any < 0x80)
            return {out, std::size_t(line.size())};
        const char16_t *end = Utf8::writeUnits(line.text(), out);
        return {out, std::size_t(end - out)};
    }

    std::optional<RowMatcher> m_text;
    std::optional<FilterPattern> m_pattern;
    std::vector<char16_t> m_lineUnits;
};

} // namespace

QString filterProblem(const LineFilter &filter)
{
    if (!filter.pattern)
        return QString();
    return FilterPattern(filter).problem();
}

LineRefs &filterLines(LineRefs &lines, const LineFilter &filter, FilterMode mode,
                      Progress *progress, qsizetype *linesGaveUp)
{
    if (linesGaveUp)
        *linesGaveUp = 0;
    if (!filterProblem(filter).isEmpty())
        throw Failure::invalidArgument();
    beginPass(progress, 1);
    const qsizetype count = lines.size();
    if (count == 0)
        return lines;
    if (count > MaxIndex)
        throw Failure::outOfMemory();

    WorkArray<bool> holds(count);
    qsizetype gaveUp[2] = {0, 0};
    inTwoHalves(count, progress, [&](int half, Progress *mayYield) {
        LineMatcher matcher(filter);
        YieldPacer yield(mayYield, YieldPacer::SortItems);
        const qsizetype middle = count / 2;
        gaveUp[half] = matcher.find(lines.constData(), half == 0 ? 0 : middle,
                                    half == 0 ? middle : count, holds.data(), yield);
    });
    if (linesGaveUp)
        *linesGaveUp = gaveUp[0] + gaveUp[1];
    // The lines that hold the filter are the ones dropped when removing.
    if (mode == FilterMode::Keep) {
        for (qsizetype i = 0; i < count; ++i)
            holds[i] = !holds[i];
    }
    dropMarkedLines(lines, holds.data(), progress);
    return lines;
}
