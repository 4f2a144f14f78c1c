#include "sort/DateText.h"

#include <QStringList>

#include <algorithm>
#include <limits>

using namespace Qt::StringLiterals;
using namespace DateText;

// What a pattern letter reads, the most letters it takes, and the name the
// problems give it; field Literal for letters that are not date fields.
struct DateReader::Letter
{
    Field field;
    int minDigits;
    int maxDigits;
    qsizetype longest;
    QStringView what;
};

DateReader::Letter DateReader::letterOf(QChar letter, qsizetype count)
{
    using F = Field;
    const int digits = int(std::min<qsizetype>(count, 4));
    switch (letter.unicode()) {
    case u'y':
        return count == 2 ? Letter{F::TwoDigitYear, 2, 2, 4, u"year"}
                          : Letter{F::Year, digits, 4, 4, u"year"};
    case u'M':
    case u'L':
        return count <= 2 ? Letter{F::Month, digits, 2, 4, u"month"}
                          : Letter{F::MonthName, 0, 0, 4, u"month"};
    case u'd':
        return {F::Day, digits, 2, 2, u"day"};
    case u'E':
        return {F::Weekday, 0, 0, 4, u"weekday"};
    case u'H':
        return {F::Hour, digits, 2, 2, u"hour"};
    case u'h':
        return {F::Hour12, digits, 2, 2, u"hour"};
    case u'a':
        return {F::AmPm, 0, 0, 5, u"AM/PM marker"};
    case u'm':
        return {F::Minute, digits, 2, 2, u"minute"};
    case u's':
        return {F::Second, digits, 2, 2, u"second"};
    case u'S':
        return {F::Fraction, 1, 0, std::numeric_limits<qsizetype>::max(), u"fraction of a second"};
    case u'x':
        return {F::Offset, 0, 0, 5, u"time zone offset"};
    case u'X':
        return {F::OffsetOrZ, 0, 0, 5, u"time zone offset"};
    case u'Z':
        return {F::ZoneOffset, 0, 0, 5, u"time zone offset"};
    default:
        return {F::Literal, 0, 0, 0, {}};
    }
}

namespace {

bool isPatternLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

void DateReader::readFormat(const QString &format)
{
    QString unknown; // letters that are not date fields, each once
    QString fault;   // the first other fault
    QStringList had; // the fields, by their names in the problems
    const auto literal = [this](QStringView text) {
        if (m_items.empty() || m_items.back().field != Field::Literal)
            m_items.push_back({Field::Literal, 0, 0, {}});
        for (const QChar c : text)
            m_items.back().text += c.toCaseFolded();
    };
    for (qsizetype at = 0; at < format.size();) {
        const QChar c = format[at];
        if (c == u'\'') {
            // Quoted text, '' inside standing for one quote; '' alone too.
            QString text;
            bool closed = false;
            for (++at; at < format.size() && !closed; ++at) {
                if (format[at] != u'\'')
                    text += format[at];
                else if (at + 1 < format.size() && format[at + 1] == u'\'')
                    text += format[at++];
                else
                    closed = true;
            }
            if (!closed && fault.isEmpty())
                fault = u"The date format has a quote (') that is not closed."_s;
            literal(text.isEmpty() && closed ? u"'"_s : text);
            continue;
        }
        if (isSpace(c)) {
            // Any run of spaces and tabs in the part.
            if (m_items.empty() || m_items.back().field != Field::Spaces)
                m_items.push_back({Field::Spaces, 0, 0, {}});
            ++at;
            continue;
        }
        if (!isPatternLetter(c)) {
            literal(QStringView(&c, 1));
            ++at;
            continue;
        }
        qsizetype count = 1;
        while (at + count < format.size() && format[at + count] == c)
            ++count;
        const QStringView letters = QStringView(format).sliced(at, count);
        at += count;
        const Letter letter = letterOf(c, count);
        if (letter.field == Field::Literal) {
            if (!unknown.contains(c))
                unknown += c;
            continue;
        }
        if (fault.isEmpty() && count > letter.longest)
            fault = u"The date format's %1 has too many letters."_s.arg(letters);
        if (fault.isEmpty() && had.contains(letter.what))
            fault = u"The date format has the %1 twice."_s.arg(letter.what);
        had.append(letter.what.toString());
        m_items.push_back({letter.field, letter.minDigits, letter.maxDigits, {}});
    }
    // Spaces before and after the date are the part's, not the date's.
    if (!m_items.empty() && m_items.back().field == Field::Spaces)
        m_items.pop_back();
    if (!m_items.empty() && m_items.front().field == Field::Spaces)
        m_items.erase(m_items.begin());
    const auto uses = [this](Field field) {
        return std::any_of(m_items.begin(), m_items.end(),
                           [field](const Item &item) { return item.field == field; });
    };
    if (!unknown.isEmpty()) {
        QStringList list;
        for (const QChar c : unknown)
            list << QString(c);
        m_problem =
            u"The date format uses letters that are not date fields: %1."_s.arg(list.join(u", "));
    } else if (!fault.isEmpty()) {
        m_problem = fault;
    } else if (!had.contains(u"year"_s)) {
        m_problem = u"The date format has no year."_s;
    } else if (uses(Field::Hour12) && !uses(Field::AmPm)) {
        m_problem = u"The date format has h (hours 1 to 12) but no a (AM or PM)."_s;
    } else if (uses(Field::AmPm) && !uses(Field::Hour12)) {
        m_problem = u"The date format has a (AM or PM) but no h (hours 1 to 12)."_s;
    }
}

bool DateReader::readFormatted(QStringView part, Fields &f) const
{
    qsizetype at = 0;
    while (at < part.size() && (part[at] == u' ' || part[at] == u'\t'))
        ++at;
    int hour12 = 0;
    for (std::size_t k = 0; k < m_items.size(); ++k) {
        const Item &item = m_items[k];
        const auto number = [&](int *value) {
            return readNumber(part, at, item.minDigits, item.maxDigits, value);
        };
        // A name's dot is taken unless the format writes it.
        const auto name = [&](const CalendarNames &names, int *value) {
            qsizetype end = 0;
            if (!names.match(part.sliced(at), value, &end))
                return false;
            at += end;
            const bool written = k + 1 < m_items.size() && m_items[k + 1].field == Field::Literal &&
                                 m_items[k + 1].text.startsWith(u'.');
            if (!written && at < part.size() && part[at] == u'.')
                ++at;
            return true;
        };
        int value = 0;
        bool read = true;
        switch (item.field) {
        case Field::Literal:
            read = part.size() - at >= item.text.size();
            for (qsizetype i = 0; read && i < item.text.size(); ++i)
                read = part[at + i].toCaseFolded() == item.text[i];
            at += item.text.size();
            break;
        case Field::Spaces:
            read = at < part.size() && isSpace(part[at]);
            while (at < part.size() && isSpace(part[at]))
                ++at;
            break;
        case Field::Year:
            read = number(&f.year);
            break;
        case Field::TwoDigitYear:
            // As POSIX reads %y: 69 to 99 are 1969 to 1999, 00 to 68 2000 to 2068.
            read = number(&value);
            f.year = value < 69 ? 2000 + value : 1900 + value;
            break;
        case Field::Month:
            read = number(&f.month);
            break;
        case Field::MonthName:
            read = name(m_months, &f.month);
            break;
        case Field::Weekday:
            // Read, not checked against the date.
            read = name(m_weekdays, &value);
            break;
        case Field::AmPm:
            read = name(m_amPm, &f.pm);
            break;
        case Field::Day:
            read = number(&f.day);
            break;
        case Field::Hour:
            read = number(&f.hour);
            break;
        case Field::Hour12:
            read = number(&hour12) && hour12 >= 1 && hour12 <= 12;
            break;
        case Field::Minute:
            read = number(&f.minute);
            break;
        case Field::Second:
            read = number(&f.second);
            break;
        case Field::Fraction: {
            const qsizetype start = at;
            while (isDigit(part, at))
                ++at;
            read = at > start;
            f.fraction = part.sliced(start, at - start);
            break;
        }
        case Field::Offset:
        case Field::OffsetOrZ:
        case Field::ZoneOffset:
            read = readOffset(part, at, item.field != Field::Offset,
                              item.field == Field::ZoneOffset, &f.offsetMinutes);
            break;
        }
        if (!read)
            return false;
    }
    if (f.pm >= 0)
        f.hour = hour12 % 12 + 12 * f.pm;
    return !(isDigit(part, at) && isDigit(part, at - 1));
}
