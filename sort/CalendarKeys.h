#pragma once

#include <QString>
#include <QStringView>

#include <string>
#include <vector>

// Keys that compare months and dates, as bytes in memcmp order (a shorter
// prefix first). Built once per key and thread from ICU's names for a
// language; appendKey() then needs neither ICU objects nor locks, so two
// objects may be read on two threads at once.

// The language whose names a key reads when it names none: the first of
// LC_ALL, LC_TIME and LANG, "en" for C or POSIX or none.
QString userCalendarLanguage();

// Names that stand for numbers (months 1-12, weekdays 1-7, AM 0 and PM 1),
// matched at the start of a text, case-folded on both sides. A name must end
// where the text's letters end; a dot after it is the abbreviation's.
class CalendarNames final
{
public:
    CalendarNames() = default; // no names

    // ICU's names for locale (an ICU locale name, "" for the user's):
    // months wide and abbreviated, in format and stand-alone forms; weekdays
    // likewise; the AM and PM markers.
    static CalendarNames months(const QString &locale);
    static CalendarNames weekdays(const QString &locale);
    static CalendarNames amPm(const QString &locale);

    // The value of the longest name at the start of text and where its
    // letters end (a dot after them is the caller's to take); false when no
    // name is there or the name goes on in a letter.
    bool match(QStringView text, int *value, qsizetype *end) const;

private:
    struct Entry
    {
        std::u16string folded;
        int value;
    };

    explicit CalendarNames(bool turkic) : m_turkic(turkic) {}
    static CalendarNames forLocale(const QString &locale);
    void add(QStringView name, int value);

    bool m_turkic = false;        // Turkish and Azeri fold I to dotless i
    std::vector<Entry> m_entries; // longest first
    qsizetype m_longest = 0;
};

// The months of a language (an ICU locale name; empty: the user's language):
// wide and abbreviated names, format and stand-alone forms, any case.
class MonthNames final
{
public:
    explicit MonthNames(const QString &locale);

    // Appends one byte, the month 1-12, and returns true when part starts
    // (after spaces and tabs) with a month's name or abbreviation, ending
    // where its letters (and an abbreviation's dot) end; else false.
    bool appendKey(QStringView part, std::vector<uchar> &out) const;

private:
    CalendarNames m_names;
};

// A date and time at the start of a part (after spaces and tabs), compared
// as the instant it names; a date alone is its midnight, a time without an
// offset is UTC, years run from 0000 to 9999 (proleptic Gregorian), hours
// from 0 to 23 and seconds to 59, and a date or time that does not exist
// (2023-02-29, 24:00) has no key, nor one whose number goes on in a digit.
//
// Without a format: ISO 8601, YYYY-MM-DD, then optionally "T" (a time must
// follow) or a space and HH:MM[:SS][.fraction or ,fraction][Z or +hh:mm,
// +hhmm, +hh]; fractions of any number of digits compare exactly.
//
// With a format, in Unicode's date-field letters ("dd.MM.yyyy",
// "MM/dd/yyyy hh:mm a", "d MMM yyyy") and the names of locale's language:
// y 1-4 digits, yyyy 4, yy 2 (69-99 are 1969-1999, 00-68 2000-2068, as
// POSIX reads %y); M, d, H, h, m, s 1-2 digits, doubled exactly 2; MMM and
// MMMM (or L) a month's name or abbreviation, any case, its dot optional; E
// to EEEE a weekday's, read but not checked; h with a (AM or PM); S... all
// the digits there are; x an offset, X also Z, Z also GMT or UTC before it.
// Text in quotes and other characters but letters stand for themselves in any
// case, a run of spaces for a run of spaces or tabs. Fields left out are 1
// (month, day) or 0 (time, offset); the year must be there.
class DateReader final
{
public:
    DateReader(const QString &format, const QString &locale);

    // Empty when the format can be read; else why not, as a sentence.
    QString problem() const;

    // Appends the instant's bytes and returns true when part starts with a
    // date that exists; else false. The bytes: the seconds since
    // 1970-01-01T00:00Z, biased and big-endian in 8 bytes, then the digits of
    // the fraction of a second without trailing zeros.
    bool appendKey(QStringView part, std::vector<uchar> &out) const;

private:
    enum class Field : char {
        Literal,
        Spaces,
        Year,
        TwoDigitYear,
        Month,
        MonthName,
        Day,
        Weekday,
        Hour,
        Hour12,
        AmPm,
        Minute,
        Second,
        Fraction,
        Offset,     // +hh, +hhmm or +hh:mm
        OffsetOrZ,  // or Z
        ZoneOffset, // or Z, or GMT or UTC with or without an offset
    };
    struct Item
    {
        Field field;
        int minDigits = 0;
        int maxDigits = 0;
        QString text; // a literal's, case-folded
    };
    struct Fields;
    struct Letter;

    static Letter letterOf(QChar letter, qsizetype count);

    void readFormat(const QString &format);
    bool readIso(QStringView part, Fields &fields) const;
    bool readFormatted(QStringView part, Fields &fields) const;
    // The key of a date as read; false when it does not exist.
    static bool appendInstant(const Fields &fields, std::vector<uchar> &out);

    std::vector<Item> m_items; // none: ISO 8601
    QString m_problem;
    CalendarNames m_months;
    CalendarNames m_weekdays;
    CalendarNames m_amPm;
};
