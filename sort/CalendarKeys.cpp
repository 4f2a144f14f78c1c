#include "sort/CalendarKeys.h"

#include "sort/DictionaryOrder.h"

#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <QChar>

#include <algorithm>
#include <array>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Symbols = icu::DateFormatSymbols;

// The most units one code point folds to (full case folding).
constexpr int MaxFoldedUnits = 3;

// Folds the code point at text[at] into folded, returning its units and
// advancing at past it. No-break spaces fold to spaces: ICU's names and
// people's text differ in them.
int foldCodePoint(QStringView text, qsizetype &at, bool turkic, char16_t *folded)
{
    const char16_t unit = text[at].unicode();
    if (unit < 0x80 && !(turkic && (unit == u'I'))) {
        ++at;
        folded[0] = unit >= u'A' && unit <= u'Z' ? char16_t(unit + 32) : unit;
        return 1;
    }
    if (unit == 0x00A0 || unit == 0x202F) {
        ++at;
        folded[0] = u' ';
        return 1;
    }
    const int units = QChar::isHighSurrogate(unit) && at + 1 < text.size() &&
                              QChar::isLowSurrogate(text[at + 1].unicode())
                          ? 2
                          : 1;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t size =
        u_strFoldCase(reinterpret_cast<UChar *>(folded), MaxFoldedUnits,
                      reinterpret_cast<const UChar *>(text.utf16() + at), units,
                      turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status) || size <= 0) {
        std::copy_n(text.utf16() + at, units, folded);
        at += units;
        return units;
    }
    at += units;
    return int(size);
}

char32_t codePointAt(QStringView text, qsizetype at)
{
    const char16_t unit = text[at].unicode();
    if (QChar::isHighSurrogate(unit) && at + 1 < text.size() &&
        QChar::isLowSurrogate(text[at + 1].unicode()))
        return QChar::surrogateToUcs4(unit, text[at + 1].unicode());
    return unit;
}

// A name goes on while letters or their marks follow.
bool continuesWord(QStringView text, qsizetype at)
{
    if (at >= text.size())
        return false;
    const char32_t c = codePointAt(text, at);
    return QChar::isLetter(c) || QChar::isMark(c);
}

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

std::unique_ptr<Symbols> symbolsOf(const QString &locale)
{
    const QString name = locale.isEmpty() ? userCalendarLanguage() : locale;
    UErrorCode status = U_ZERO_ERROR;
    auto symbols = std::make_unique<Symbols>(icu::Locale(name.toLatin1().constData()), status);
    if (U_FAILURE(status))
        return nullptr;
    return symbols;
}

} // namespace

QString userCalendarLanguage()
{
    const QString name = environmentLanguage("LC_TIME");
    return name.isEmpty() ? u"en"_s : name;
}

CalendarNames CalendarNames::forLocale(const QString &locale)
{
    const QString language =
        (locale.isEmpty() ? userCalendarLanguage() : locale).section(u'_', 0, 0).toLower();
    return CalendarNames(language == "tr"_L1 || language == "az"_L1);
}

CalendarNames CalendarNames::months(const QString &locale)
{
    CalendarNames names = forLocale(locale);
    if (const auto symbols = symbolsOf(locale)) {
        for (const auto context : {Symbols::FORMAT, Symbols::STANDALONE}) {
            for (const auto width : {Symbols::WIDE, Symbols::ABBREVIATED}) {
                int32_t count = 0;
                const icu::UnicodeString *months = symbols->getMonths(count, context, width);
                for (int32_t i = 0; i < std::min(count, 12); ++i)
                    names.add(fromIcu(months[i]), i + 1);
            }
        }
    }
    return names;
}

CalendarNames CalendarNames::weekdays(const QString &locale)
{
    CalendarNames names = forLocale(locale);
    if (const auto symbols = symbolsOf(locale)) {
        for (const auto context : {Symbols::FORMAT, Symbols::STANDALONE}) {
            for (const auto width : {Symbols::WIDE, Symbols::ABBREVIATED}) {
                // Index 0 is empty: Sunday is 1.
                int32_t count = 0;
                const icu::UnicodeString *days = symbols->getWeekdays(count, context, width);
                for (int32_t i = 1; i < std::min(count, 8); ++i)
                    names.add(fromIcu(days[i]), i);
            }
        }
    }
    return names;
}

CalendarNames CalendarNames::amPm(const QString &locale)
{
    CalendarNames names = forLocale(locale);
    if (const auto symbols = symbolsOf(locale)) {
        int32_t count = 0;
        const icu::UnicodeString *markers = symbols->getAmPmStrings(count);
        for (int32_t i = 0; i < std::min(count, 2); ++i) {
            // "a. m." is often written "a.m.".
            const QString marker = fromIcu(markers[i]);
            names.add(marker, i);
            names.add(QString(marker).remove(u' ').remove(QChar(0x00A0)).remove(QChar(0x202F)), i);
        }
    }
    // Where the language writes them otherwise, the English ones still read.
    names.add(u"AM", 0);
    names.add(u"PM", 1);
    return names;
}

void CalendarNames::add(QStringView name, int value)
{
    // An abbreviation's dot is read after the letters, where it may be left
    // out ("janv." and "janv").
    name = name.trimmed();
    if (name.endsWith(u'.'))
        name.chop(1);
    if (name.isEmpty())
        return;
    std::u16string folded;
    char16_t units[MaxFoldedUnits];
    for (qsizetype at = 0; at < name.size();)
        folded.append(units, std::size_t(foldCodePoint(name, at, m_turkic, units)));
    // The first of two months with one name keeps it.
    for (const Entry &entry : m_entries) {
        if (entry.folded == folded)
            return;
    }
    const auto longer = [](const Entry &a, const Entry &b) {
        return a.folded.size() > b.folded.size();
    };
    Entry entry{std::move(folded), value};
    m_entries.insert(std::upper_bound(m_entries.begin(), m_entries.end(), entry, longer),
                     std::move(entry));
    m_longest = qsizetype(m_entries.front().folded.size());
}

bool CalendarNames::match(QStringView text, int *value, qsizetype *end) const
{
    // The text folded as far as the longest name, with where in text each
    // folded unit that starts a code point's folding came from (-1 inside).
    constexpr qsizetype Room = 64;
    std::array<char16_t, Room + MaxFoldedUnits> folded;
    std::array<qsizetype, Room + MaxFoldedUnits + 1> origin;
    const qsizetype want = std::min(m_longest, Room);
    qsizetype size = 0;
    for (qsizetype at = 0; at < text.size() && size < want;) {
        origin[std::size_t(size)] = at;
        const int units = foldCodePoint(text, at, m_turkic, folded.data() + size);
        for (int k = 1; k < units; ++k)
            origin[std::size_t(size + k)] = -1;
        size += units;
        origin[std::size_t(size)] = at;
    }
    for (const Entry &entry : m_entries) {
        const auto length = qsizetype(entry.folded.size());
        if (length > size || origin[std::size_t(length)] < 0 || entry.folded[0] != folded[0] ||
            !std::equal(entry.folded.begin(), entry.folded.end(), folded.begin()))
            continue;
        if (continuesWord(text, origin[std::size_t(length)]))
            continue;
        *value = entry.value;
        *end = origin[std::size_t(length)];
        return true;
    }
    return false;
}

MonthNames::MonthNames(const QString &locale) : m_names(CalendarNames::months(locale)) {}

bool MonthNames::appendKey(QStringView part, std::vector<uchar> &out) const
{
    qsizetype start = 0;
    while (start < part.size() && (part[start] == u' ' || part[start] == u'\t'))
        ++start;
    int month = 0;
    qsizetype end = 0;
    if (!m_names.match(part.sliced(start), &month, &end))
        return false;
    out.push_back(uchar(month));
    return true;
}
