#include "sort/SortOptions.h"

#include "sort/Failure.h"

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

const std::array<SortOption, 17> &SortOptionList()
{
    using Routine = SortOption::Routine;
    using Input = SortOption::Input;
    static const std::array<SortOption, 17> options{{
        {u"Sort Content Alphabetically"_s, Routine::Alphabetically, Input::None, {}},
        {u"Sort Content Alphabetically By Second Character Position"_s,
         Routine::SecondCharacter,
         Input::None,
         {}},
        {u"Sort Content Alphabetically By Third Character Position"_s,
         Routine::ThirdCharacter,
         Input::None,
         {}},
        {u"Sort Content Alphabetically By x Character Position"_s, Routine::CharacterPosition,
         Input::Number, u"Enter character position:"_s},
        {u"-"_s, Routine::None, Input::None, {}},
        {u"Sort Content Alphabetically By Second Word Position"_s,
         Routine::SecondWord,
         Input::None,
         {}},
        {u"Sort Content Alphabetically By Third Word Position"_s,
         Routine::ThirdWord,
         Input::None,
         {}},
        {u"Sort Content Alphabetically By x Word Position"_s, Routine::WordNumber, Input::Number,
         u"Enter word number x:"_s},
        {u"-"_s, Routine::None, Input::None, {}},
        {u"Sort Content Alphabetically After User-specified Character(s)"_s,
         Routine::AfterCharacters, Input::Text, u"Enter character(s):"_s},
        {u"-"_s, Routine::None, Input::None, {}},
        {u"Sort Content By Only Alpha Characters, Ignore Rest"_s,
         Routine::AlphaOnly,
         Input::None,
         {}},
        {u"Sort Content By Only Numeric Characters, Ignore Rest"_s,
         Routine::NumericOnly,
         Input::None,
         {}},
        {u"Sort Content By Only Alphanumeric Characters, Ignore Rest"_s,
         Routine::AlphanumericOnly,
         Input::None,
         {}},
        {u"Sort Content By Only Non-alphanumeric Characters, Ignore Rest"_s,
         Routine::NonAlphanumericOnly,
         Input::None,
         {}},
        {u"-"_s, Routine::None, Input::None, {}},
        {u"Sort Content By Character Length"_s, Routine::Length, Input::None, {}},
    }};
    return options;
}

LineArray &RunSortRoutine(SortOption::Routine routine, LineArray &lines, qint32 number,
                          const QString &text, Progress *progress)
{
    using Routine = SortOption::Routine;
    switch (routine) {
    case Routine::None:
        return lines;
    case Routine::Alphabetically:
        return SortAlphabetically(lines, progress);
    case Routine::SecondCharacter:
        return SortBySecondCharacter(lines, progress);
    case Routine::ThirdCharacter:
        return SortByThirdCharacter(lines, progress);
    case Routine::CharacterPosition:
        return SortByCharacterPosition(lines, number, progress);
    case Routine::SecondWord:
        return SortBySecondWord(lines, progress);
    case Routine::ThirdWord:
        return SortByThirdWord(lines, progress);
    case Routine::WordNumber:
        return SortByWordNumber(lines, number, progress);
    case Routine::AfterCharacters:
        return SortAfterCharacters(lines, text, progress);
    case Routine::AlphaOnly:
        return SortByAlphaOnly(lines, progress);
    case Routine::NumericOnly:
        return SortByNumericOnly(lines, progress);
    case Routine::AlphanumericOnly:
        return SortByAlphanumericOnly(lines, progress);
    case Routine::NonAlphanumericOnly:
        return SortByNonAlphanumericOnly(lines, progress);
    case Routine::Length:
        return SortByLength(lines, progress);
    }
    return lines;
}

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<double> ParseNumber(QStringView answer)
{
    qsizetype begin = 0;
    qsizetype end = answer.size();
    while (begin < end && isBlank(answer[begin]))
        ++begin;
    while (end > begin && isBlank(answer[end - 1]))
        --end;
    const QStringView number = answer.sliced(begin, end - begin);

    // [sign] digits [. digits] [e [sign] digits], with a digit before or after
    // the decimal point.
    qsizetype i = 0;
    const qsizetype size = number.size();
    if (i < size && (number[i] == u'+' || number[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < size && isDigit(number[i]))
        ++i, ++digits;
    if (i < size && number[i] == u'.') {
        ++i;
        while (i < size && isDigit(number[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < size && (number[i] == u'e' || number[i] == u'E')) {
        ++i;
        if (i < size && (number[i] == u'+' || number[i] == u'-'))
            ++i;
        qsizetype exponentDigits = 0;
        while (i < size && isDigit(number[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != size)
        return std::nullopt;

    // The text is a plain C-locale number now; only its size can fail it.
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // Out of range: too large gives an infinity, too small a zero.
    if (std::isinf(value))
        return value;
    const bool negative = number.startsWith(u'-');
    const qsizetype exponentAt = std::max(number.indexOf(u'e'), number.indexOf(u'E'));
    const bool tiny = exponentAt >= 0 && number.sliced(exponentAt + 1).startsWith(u'-');
    if (tiny)
        return negative ? -0.0 : 0.0;
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
}

qint32 RoundToInt32(double value)
{
    const double rounded = std::nearbyint(value); // the default mode sends halves to even
    if (!(rounded >= double(std::numeric_limits<qint32>::min()) &&
          rounded <= double(std::numeric_limits<qint32>::max())))
        throw Failure::overflow();
    return qint32(rounded);
}

QString FileNameFromPath(QStringView path)
{
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.sliced(separator + 1).toString();
}
