#include "sort/DateText.h"

#include <algorithm>

using namespace Qt::StringLiterals;
using namespace DateText;

namespace {

bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar, from
// the count of days in whole eras of 400 years.
qint64 daysSinceEpoch(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra - 719468;
}

} // namespace

bool DateReader::appendInstant(const Fields &f, std::vector<uchar> &out)
{
    if (f.year < 0 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > daysInMonth(f.year, f.month) || f.hour > 23 || f.minute > 59 || f.second > 59)
        return false;
    const qint64 seconds = daysSinceEpoch(f.year, f.month, f.day) * 86400 + f.hour * 3600 +
                           f.minute * 60 + f.second - qint64(f.offsetMinutes) * 60;
    const quint64 biased = quint64(seconds) ^ (quint64(1) << 63);
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(uchar(biased >> shift));
    // Trailing zeros dropped, digits compare as the fractions they write.
    QStringView fraction = f.fraction;
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    for (const QChar digit : fraction)
        out.push_back(uchar(digit.unicode()));
    return true;
}

DateReader::DateReader(const QString &format, const QString &locale)
{
    if (format.isEmpty())
        return;
    readFormat(format);
    const auto uses = [this](Field field) {
        return std::any_of(m_items.begin(), m_items.end(),
                           [field](const Item &item) { return item.field == field; });
    };
    if (uses(Field::MonthName))
        m_months = CalendarNames::months(locale);
    if (uses(Field::Weekday))
        m_weekdays = CalendarNames::weekdays(locale);
    if (uses(Field::AmPm))
        m_amPm = CalendarNames::amPm(locale);
}

QString DateReader::problem() const
{
    return m_problem;
}

bool DateReader::appendKey(QStringView part, std::vector<uchar> &out) const
{
    if (!m_problem.isEmpty())
        return false;
    Fields fields;
    return (m_items.empty() ? readIso(part, fields) : readFormatted(part, fields)) &&
           appendInstant(fields, out);
}

// YYYY-MM-DD, then "T" or a space and HH:MM[:SS[.fraction]][offset].
bool DateReader::readIso(QStringView part, Fields &f) const
{
    qsizetype at = 0;
    while (at < part.size() && (part[at] == u' ' || part[at] == u'\t'))
        ++at;
    const auto take = [&](QChar c) {
        if (at >= part.size() || part[at] != c)
            return false;
        ++at;
        return true;
    };
    if (!readNumber(part, at, 4, 4, &f.year) || !take(u'-') ||
        !readNumber(part, at, 2, 2, &f.month) || !take(u'-') || !readNumber(part, at, 2, 2, &f.day))
        return false;
    const bool t = at < part.size() && (part[at] == u'T' || part[at] == u't');
    const bool timeFollows = at + 3 < part.size() && (t || part[at] == u' ') &&
                             isDigit(part, at + 1) && isDigit(part, at + 2) && part[at + 3] == u':';
    if (t && !timeFollows)
        return false; // a "T" promises a time
    if (timeFollows) {
        ++at;
        if (!readNumber(part, at, 2, 2, &f.hour) || !take(u':') ||
            !readNumber(part, at, 2, 2, &f.minute))
            return false;
        if (at + 1 < part.size() && part[at] == u':' && isDigit(part, at + 1) &&
            !readNumber(part, ++at, 2, 2, &f.second))
            return false;
        if (at + 1 < part.size() && (part[at] == u'.' || part[at] == u',') &&
            isDigit(part, at + 1)) {
            const qsizetype start = ++at;
            while (isDigit(part, at))
                ++at;
            f.fraction = part.sliced(start, at - start);
        }
        const bool offset = at < part.size() && QStringView(u"Zz+-\u2212").contains(part[at]);
        if (offset && !readOffset(part, at, true, false, &f.offsetMinutes))
            return false;
    }
    // A number that goes on was not this date.
    return !(isDigit(part, at) && isDigit(part, at - 1));
}
