#include "sort/LineFilters.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "sort/BoundedPattern.h"
#include "sort/ByteSearch.h"
#include "sort/FoldedCase.h"
#include "sort/LineOperations.h"
#include "sort/MergeSorter.h"
#include "sort/SortEntries.h"
#include "sort/StoredKeys.h"
#include "sort/TwoThreads.h"
#include "sort/WorkArray.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace Qt::StringLiterals;
using namespace SortEngine;

// The lines stay UTF-8 where the bytes find what the units would: UTF-8 finds
// a character only where it begins, so a text without a lone surrogate is in
// a line's bytes exactly when its units are in the line's units. A text that
// holds one may match half of a pair, so it is looked for in the units; so
// are folded lines that are not ASCII, and every line a pattern reads.

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

// The text after the folding of "Ignoring Case".
QString foldedText(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    KeyWriter<char16_t> out{reinterpret_cast<char16_t *>(folded.data())};
    writeFolded(text.utf16(), text.size(), out);
    return folded;
}

bool holdsLoneSurrogate(const QString &text)
{
    const QByteArray bytes = Utf8::fromUtf16(text);
    return Utf8::holdsSurrogate(std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

// Looks for the filter in lines, one line at a time, with buffers of its
// own: each thread has one.
class LineMatcher final
{
public:
    explicit LineMatcher(const LineFilter &filter)
    {
        if (filter.pattern) {
            m_way = Way::Pattern;
            m_pattern.emplace(filter);
            return;
        }
        const QString wanted = filter.matchCase ? filter.text : foldedText(filter.text);
        m_units.assign(reinterpret_cast<const char16_t *>(wanted.utf16()),
                       std::size_t(wanted.size()));
        const bool inUnits = holdsLoneSurrogate(wanted);
        if (!inUnits) {
            const QByteArray bytes = Utf8::fromUtf16(wanted);
            m_bytes.assign(bytes.constData(), std::size_t(bytes.size()));
        }
        if (filter.matchCase)
            m_way = inUnits ? Way::Units : Way::Bytes;
        else
            m_way = inUnits ? Way::FoldedUnits : Way::FoldedBytes;
    }

    Result test(const LineRef &line)
    {
        switch (m_way) {
        case Way::Bytes:
            return found(findBytes(line.bytes, line.bytes + line.size(), m_bytes) !=
                         line.bytes + line.size());
        case Way::Units:
            return found(lineUnits(line).find(m_units) != std::u16string_view::npos);
        case Way::FoldedBytes:
            if (const std::optional<std::string_view> folded = foldedAscii(line))
                return found(folded->find(m_bytes) != std::string_view::npos);
            return found(foldedUnitsOf(line).find(m_units) != std::u16string_view::npos);
        case Way::FoldedUnits:
            return found(foldedUnitsOf(line).find(m_units) != std::u16string_view::npos);
        case Way::Pattern: {
            const std::u16string_view units = lineUnits(line);
            return m_pattern->pattern().match(QStringView(units.data(), qsizetype(units.size())));
        }
        }
        return Result::NoMatch;
    }

    // Sets holds[i] for the lines [from, to) that hold the filter; gives how
    // many lines it gave up on.
    qsizetype find(const LineRef *lines, qsizetype from, qsizetype to, bool *holds,
                   YieldPacer &yield)
    {
        if (m_way == Way::Bytes) {
            findInLines(lines, from, to, m_bytes, holds, yield);
            return 0;
        }
        qsizetype gaveUp = 0;
        for (qsizetype i = from; i < to; ++i) {
            const Result result = test(lines[i]);
            holds[i] = result == Result::Matched;
            gaveUp += result == Result::GaveUp ? 1 : 0;
            // In the units a YieldPacer counts: a pattern may take some
            // steps a unit.
            yield(m_way == Way::Pattern ? 64 + lines[i].size() / 4 : 1 + lines[i].size() / 16);
        }
        return gaveUp;
    }

private:
    enum class Way {
        Bytes,       // the text in the line's bytes
        Units,       // the text in the line's units
        FoldedBytes, // folded, in the bytes of an ASCII line, else in the units
        FoldedUnits, // folded, in the units
        Pattern,
    };

    static Result found(bool yes) { return yes ? Result::Matched : Result::NoMatch; }

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

    std::u16string_view foldedUnitsOf(const LineRef &line)
    {
        const std::u16string_view units = lineUnits(line);
        if (m_folded.size() < units.size())
            m_folded.resize(units.size());
        KeyWriter<char16_t> out{m_folded.data()};
        writeFolded(units.data(), qsizetype(units.size()), out);
        return {m_folded.data(), units.size()};
    }

    // The line with A to Z folded, when it is all ASCII.
    std::optional<std::string_view> foldedAscii(const LineRef &line)
    {
        if (m_foldedBytes.size() < std::size_t(line.size()))
            m_foldedBytes.resize(std::size_t(line.size()));
        const auto *in = reinterpret_cast<const uchar *>(line.bytes);
        char *out = m_foldedBytes.data();
        uchar any = 0;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const uchar b = in[i];
            any |= b;
            out[i] = char(uchar(b - 'A') < 26 ? b + ('a' - 'A') : b);
        }
        if (any >= 0x80)
            return std::nullopt;
        return std::string_view(out, std::size_t(line.size()));
    }

    Way m_way = Way::Bytes;
    std::string m_bytes;    // the text (perhaps folded) as UTF-8
    std::u16string m_units; // and as units
    std::optional<FilterPattern> m_pattern;
    std::vector<char16_t> m_lineUnits;
    std::vector<char16_t> m_folded;
    std::vector<char> m_foldedBytes;
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
