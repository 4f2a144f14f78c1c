#include "core/NumberText.h"

#include "core/Failure.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <limits>

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

std::optional<double> parseNumber(QStringView answer)
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

qint32 roundToInt32(double value)
{
    const double rounded = std::nearbyint(value); // the default mode sends halves to even
    if (!(rounded >= double(std::numeric_limits<qint32>::min()) &&
          rounded <= double(std::numeric_limits<qint32>::max())))
        throw Failure::overflow();
    return qint32(rounded);
}
