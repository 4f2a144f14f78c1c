#pragma once

// The steps DateReader's two readings share: its fields, and reading digits,
// spaces and offsets.

#include "sort/CalendarKeys.h"

#include <QChar>
#include <QStringView>

// The parts of a date as read, before they are checked.
struct DateReader::Fields
{
    int year = 0;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int pm = -1; // with a 12-hour hour: 0 AM, 1 PM
    QStringView fraction;
    int offsetMinutes = 0;
};

namespace DateText {

inline bool isDigit(QStringView text, qsizetype at)
{
    return at < text.size() && text[at] >= u'0' && text[at] <= u'9';
}

inline bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == QChar(0x00A0) || c == QChar(0x202F);
}

// Reads min to max digits at text[at], as many as there are.
inline bool readNumber(QStringView text, qsizetype &at, int min, int max, int *value)
{
    int digits = 0;
    int number = 0;
    while (digits < max && isDigit(text, at)) {
        number = number * 10 + (text[at].unicode() - u'0');
        ++at;
        ++digits;
    }
    *value = number;
    return digits >= min;
}

// An offset from UTC: "Z" where allowed, or a sign and hh, hhmm or hh:mm;
// with gmt, "GMT" or "UTC" may stand before it, or alone.
inline bool readOffset(QStringView text, qsizetype &at, bool allowZ, bool gmt, int *minutes)
{
    *minutes = 0;
    if (allowZ && at < text.size() && (text[at] == u'Z' || text[at] == u'z')) {
        ++at;
        return true;
    }
    bool named = false;
    if (gmt && (text.sliced(at).startsWith(u"GMT", Qt::CaseInsensitive) ||
                text.sliced(at).startsWith(u"UTC", Qt::CaseInsensitive))) {
        at += 3;
        named = true;
    }
    if (at >= text.size() || (text[at] != u'+' && text[at] != u'-' && text[at] != QChar(0x2212)))
        return named;
    const int sign = text[at] == u'+' ? 1 : -1;
    ++at;
    int hours = 0;
    int mins = 0;
    // "GMT+1" as well as "GMT+01:00".
    if (!readNumber(text, at, named ? 1 : 2, 2, &hours) || hours > 23)
        return false;
    if (at + 1 < text.size() && text[at] == u':' && isDigit(text, at + 1))
        ++at;
    if (isDigit(text, at) && (!readNumber(text, at, 2, 2, &mins) || mins > 59))
        return false;
    *minutes = sign * (hours * 60 + mins);
    return true;
}

} // namespace DateText
