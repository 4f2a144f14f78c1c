#include "sort/CalendarKeys.h"

#include <QDateTime>
#include <QLocale>
#include <QRandomGenerator>
#include <QTest>
#include <QTimeZone>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

using Key = std::optional<std::vector<uchar>>;

Key dateKey(const DateReader &reader, const QString &part)
{
    std::vector<uchar> bytes{0xAB}; // what the key goes after stays
    if (!reader.appendKey(part, bytes) || bytes.front() != 0xAB)
        return std::nullopt;
    return std::vector<uchar>(bytes.begin() + 1, bytes.end());
}

Key isoKey(const QString &part)
{
    static const DateReader iso{QString(), QString()};
    return dateKey(iso, part);
}

// A random instant as ISO text in one of its spellings, and when it is: the
// seconds since 1970 and the fraction's digits padded to compare as text.
struct Instant
{
    QString text;
    std::pair<qint64, QString> when;
};

Instant randomInstant(QRandomGenerator &random)
{
    const auto pick = [&](int lowest, int highest) { return random.bounded(lowest, highest + 1); };
    const int year = pick(0, 3) == 0 ? pick(1, 9999) : pick(1995, 2005);
    const QDate date(year, pick(1, 12), 1);
    const QDate day = date.addDays(pick(0, date.daysInMonth() - 1));
    const QTime time(pick(0, 23), pick(0, 59), pick(0, 2) ? 0 : pick(0, 59));
    QString fraction;
    for (int k = pick(0, 3) ? 0 : pick(1, 12); k > 0; --k)
        fraction += QChar(u'0' + pick(0, 9));
    const int offsetMinutes = pick(0, 2) ? 0 : pick(-14 * 4, 14 * 4) * 15;
    QString text = day.toString(u"yyyy-MM-dd"_s);
    const bool dateAlone = time == QTime(0, 0) && fraction.isEmpty() && offsetMinutes == 0;
    if (!dateAlone || pick(0, 1)) {
        text += (pick(0, 1) ? u'T' : u' ') + time.toString(u"HH:mm"_s);
        if (time.second() || !fraction.isEmpty() || pick(0, 1))
            text += time.toString(u":ss"_s);
        if (!fraction.isEmpty())
            text += (pick(0, 1) ? u'.' : u',') + fraction;
        const QString offset =
            (offsetMinutes < 0 ? u"-"_s : u"+"_s) +
            QTime(0, 0).addSecs(std::abs(offsetMinutes) * 60).toString(u"HH:mm"_s);
        const int spelling = pick(0, 3);
        if (spelling == 0)
            text += offsetMinutes ? offset : u"Z"_s;
        else if (spelling == 1)
            text += offset;
        else if (spelling == 2)
            text += QString(offset).remove(u':');
        else if (offsetMinutes)
            text += offsetMinutes % 60 ? offset : offset.left(3);
    }
    const qint64 utc = QDateTime(day, time, QTimeZone::utc()).toSecsSinceEpoch();
    return {text, {utc - offsetMinutes * 60, fraction.leftJustified(12, u'0')}};
}

} // namespace

class tst_CalendarKeys : public QObject
{
    Q_OBJECT

private slots:
    void monthNamesReadInTheirLanguage_data();
    void monthNamesReadInTheirLanguage();
    void isoInstantsCompare_data();
    void isoInstantsCompare();
    void isoTextsThatAreNoDateHaveNoKey_data();
    void isoTextsThatAreNoDateHaveNoKey();
    void formatsReadAsTheirIsoDate_data();
    void formatsReadAsTheirIsoDate();
    void formatProblems_data();
    void formatProblems();
    void randomIsoTextsSortAsTheirInstants();
    void randomDatesReadBackThroughFormats();
};

void tst_CalendarKeys::monthNamesReadInTheirLanguage_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("month"); // 0: no key

    const struct
    {
        const char *row;
        const char16_t *locale, *part;
        int month;
    } rows[] = {
        {"en wide name", u"en", u"January", 1},
        {"en upper case, a number after", u"en", u"JAN 12", 1},
        {"en after spaces and a tab", u"en", u" \tjan", 1},
        {"en abbreviation with a dot", u"en", u"Jun.5", 6},
        {"en longest name wins", u"en", u"June", 6},
        {"en hyphen after the name", u"en", u"May-5", 5},
        {"en name goes on in letters", u"en", u"Janx", 0},
        {"en name goes on in a mark", u"en", u"Jan\u0301", 0},
        {"en word that starts with a name", u"en", u"Mayday", 0},
        {"en too short", u"en", u"Ja", 0},
        {"en starts otherwise", u"en", u"12 Jan", 0},
        {"en German name", u"en", u"März", 0},
        {"fr abbreviation with its dot", u"fr", u"janv.", 1},
        {"fr abbreviation without its dot", u"fr", u"janv 2023", 1},
        {"fr upper case accent", u"fr", u"FÉVR.", 2},
        {"fr wide name upper case", u"fr", u"JANVIER", 1},
        {"fr juil.", u"fr", u"juil.", 7},
        {"fr août", u"fr", u"août", 8},
        {"fr English name", u"fr", u"January", 0},
        {"de März", u"de", u"März", 3},
        {"de MÄRZ", u"de", u"MÄRZ", 3},
        {"de stand-alone Mär", u"de", u"Mär", 3},
        {"de Sept.", u"de", u"Sept.", 9},
        {"de Dezember", u"de", u"Dezember", 12},
        {"tr dotted capital I", u"tr", u"NİSAN", 4},
        {"tr capital I is dotless", u"tr", u"MAYIS", 5},
        {"ru genitive", u"ru", u"января", 1},
        {"ru stand-alone", u"ru", u"Январь", 1},
    };
    for (const auto &row : rows)
        QTest::newRow(row.row) << QString::fromUtf16(row.locale) << QString::fromUtf16(row.part)
                               << row.month;
}

void tst_CalendarKeys::monthNamesReadInTheirLanguage()
{
    QFETCH(QString, locale);
    QFETCH(QString, part);
    QFETCH(int, month);

    const MonthNames names(locale);
    std::vector<uchar> bytes{0xAB};
    QCOMPARE(names.appendKey(part, bytes), month != 0);
    const std::vector<uchar> expected =
        month ? std::vector<uchar>{0xAB, uchar(month)} : std::vector<uchar>{0xAB};
    QCOMPARE(bytes, expected);
}

void tst_CalendarKeys::isoInstantsCompare_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<int>("order");

    QTest::newRow("an offset makes an earlier instant")
        << u"2023-01-01T10:00+02:00"_s << u"2023-01-01T09:00Z"_s << -1;
    QTest::newRow("a negative offset crosses the year")
        << u"2023-12-31T23:30-01:00"_s << u"2024-01-01T00:00Z"_s << 1;
    QTest::newRow("no offset is UTC") << u"2023-01-01T08:00"_s << u"2023-01-01 08:00Z"_s << 0;
    QTest::newRow("offsets hhmm and hh")
        << u"2023-06-01T12:00+0530"_s << u"2023-06-01T11:30+05"_s << 0;
    QTest::newRow("a date alone is its midnight UTC")
        << u"2023-01-01"_s << u"2023-01-01T00:00:00.000Z"_s << 0;
    QTest::newRow("lower-case t and z") << u"2023-01-01t10:00z"_s << u"2023-01-01T10:00"_s << 0;
    QTest::newRow("spaces before, text after")
        << u" \t2023-01-01 is new"_s << u"2023-01-01 10 apples"_s << 0;
    QTest::newRow("a second before its fraction")
        << u"2023-01-01T00:00:01"_s << u"2023-01-01T00:00:00.9999"_s << 1;
    QTest::newRow("year 0000") << u"0000-12-31T23:59"_s << u"0001-01-01"_s << -1;
    QTest::newRow("the last day") << u"9999-12-31T23:59:59.999-14:00"_s << u"0000-01-01"_s << 1;
    QTest::newRow("leap days") << u"2000-02-29"_s << u"2024-02-29"_s << -1;
}

void tst_CalendarKeys::isoInstantsCompare()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(int, order);

    const Key a = isoKey(first);
    const Key b = isoKey(second);
    QVERIFY(a && b);
    QCOMPARE(*a < *b ? -1 : *b < *a ? 1 : 0, order);
}

void tst_CalendarKeys::isoTextsThatAreNoDateHaveNoKey_data()
{
    QTest::addColumn<QString>("part");

    const QString parts = u"2023-02-29 1900-02-29 2024-04-31 2023-13-01 2023-00-10 2023-01-00 "
                          "2023-01-01T24:00 2023-01-01T23:60 2023-01-01T23:59:60 "
                          "2023-01-01T10:00+24:00 2023-01-01T10:00+01:60 2023-01-01T10:00+1 "
                          "2023-01-01T10:00:5 2023-01-01T10 2023-01-01T 2023-1-01 2023-01-011 "
                          "20230101 12023-01-01"_s;
    for (const QString &part : parts.split(u' ') + QStringList{u"on 2023-01-01"_s, QString()})
        QTest::newRow(qPrintable(part.isEmpty() ? u"empty"_s : part)) << part;
}

void tst_CalendarKeys::isoTextsThatAreNoDateHaveNoKey()
{
    QFETCH(QString, part);
    QCOMPARE(isoKey(part), std::nullopt);
}

void tst_CalendarKeys::formatsReadAsTheirIsoDate_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QString>("iso"); // empty: no key

    const struct
    {
        const char *row;
        const char16_t *format, *locale, *part, *iso;
    } rows[] = {
        {"dd.MM.yyyy", u"dd.MM.yyyy", u"", u" 31.12.2023 foo", u"2023-12-31"},
        {"dd takes two digits", u"dd.MM.yyyy", u"", u"1.12.2023", u""},
        {"d and M take one or two", u"d.M.yyyy", u"", u"01.2.2023", u"2023-02-01"},
        {"a number that goes on", u"dd.MM.yyyy", u"", u"31.12.20234", u""},
        {"a literal missing", u"dd.MM.yyyy", u"", u"31-12-2023", u""},
        {"29 February of no leap year", u"dd.MM.yyyy", u"", u"29.02.2023", u""},
        {"MM/dd/yyyy HH:mm", u"MM/dd/yyyy HH:mm", u"", u"02/29/2024 13:05", u"2024-02-29T13:05"},
        {"hour 24", u"MM/dd/yyyy HH:mm", u"", u"02/28/2024 24:00", u""},
        {"en MMM", u"d MMM yyyy", u"en", u"5 Jan 2023", u"2023-01-05"},
        {"en dot of MMM", u"d MMM yyyy", u"en", u"5 jan. 2023", u"2023-01-05"},
        {"en dot written", u"d MMM. yyyy", u"en", u"5 Jan. 2023", u"2023-01-05"},
        {"en name goes on", u"d MMM yyyy", u"en", u"5 Janu 2023", u""},
        {"fr MMM with dot", u"d MMM yyyy", u"fr", u"5 janv. 2023", u"2023-01-05"},
        {"fr MMM without dot", u"d MMM yyyy", u"fr", u"5 JANV 2023", u"2023-01-05"},
        {"de MMMM", u"d. MMMM yyyy", u"de", u"5. März 2023", u"2023-03-05"},
        {"12 AM", u"yyyy-MM-dd hh:mm a", u"en", u"2023-01-01 12:30 AM", u"2023-01-01T00:30"},
        {"12 pm", u"yyyy-MM-dd hh:mm a", u"en", u"2023-01-01 12:30 pm", u"2023-01-01T12:30"},
        {"1 PM", u"yyyy-MM-dd h:mm a", u"en", u"2023-01-01 1:00 PM", u"2023-01-01T13:00"},
        {"13 PM", u"yyyy-MM-dd hh:mm a", u"en", u"2023-01-01 13:00 PM", u""},
        {"0 AM", u"yyyy-MM-dd hh:mm a", u"en", u"2023-01-01 00:30 AM", u""},
        {"XXX", u"yyyy-MM-dd'T'HH:mmXXX", u"", u"2023-01-01T10:00+02:00", u"2023-01-01T08:00"},
        {"xxx has no Z", u"yyyy-MM-dd'T'HH:mmxxx", u"", u"2023-01-01T10:00Z", u""},
        {"fields that abut", u"yyyyMMddHHmmssSSS", u"", u"20230101123456789",
         u"2023-01-01T12:34:56.789"},
        {"yy 68", u"yy-MM-dd", u"", u"68-01-01", u"2068-01-01"},
        {"yy 69", u"yy-MM-dd", u"", u"69-01-01", u"1969-01-01"},
        {"weekday and RFC 822 offset", u"EEE, dd MMM yyyy HH:mm:ss Z", u"en",
         u"Mon, 02 Jan 2023 10:00:00 +0100", u"2023-01-02T09:00Z"},
        {"GMT offset", u"yyyy-MM-dd HH:mm ZZZZ", u"", u"2023-01-02 10:00 GMT+01:00",
         u"2023-01-02T09:00Z"},
        {"spaces match a run", u"MMM d HH:mm:ss yyyy", u"en", u"Jan  5 10:00:00 2023",
         u"2023-01-05T10:00"},
        {"es a. m.", u"yyyy h:mm a", u"es", u"2023 1:00 p.\u00A0m.", u"2023-01-01T13:00"},
        {"es a.m.", u"yyyy h:mm a", u"es", u"2023 1:00 P.M.", u"2023-01-01T13:00"},
        {"GMT+h", u"yyyy HH:mm ZZZZ", u"", u"2023 10:00 gmt-1", u"2023-01-01T11:00Z"},
        {"a year alone", u"yyyy", u"", u"2023", u"2023-01-01"},
        {"spaces around the format", u" yyyy ", u"", u"2023", u"2023-01-01"},
        {"quoted text in any case", u"'day' d 'of' MMMM yyyy", u"en", u"Day 5 of march 2023",
         u"2023-03-05"},
        {"a quoted quote", u"yyyy h 'o''clock' a", u"en", u"2023 5 o'clock PM",
         u"2023-01-01T17:00"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.row) << QString::fromUtf16(row.format) << QString::fromUtf16(row.locale)
                               << QString::fromUtf16(row.part) << QString::fromUtf16(row.iso);
}

void tst_CalendarKeys::formatsReadAsTheirIsoDate()
{
    QFETCH(QString, format);
    QFETCH(QString, locale);
    QFETCH(QString, part);
    QFETCH(QString, iso);

    const DateReader reader(format, locale);
    QCOMPARE(reader.problem(), QString());
    const Key expected = iso.isEmpty() ? std::nullopt : isoKey(iso);
    QVERIFY(iso.isEmpty() || expected);
    QCOMPARE(dateKey(reader, part), expected);
}

void tst_CalendarKeys::formatProblems_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("problem");

    QTest::newRow("ISO") << QString() << QString();
    QTest::newRow("fine") << u"EEEE d MMMM yyyy h:mm:ss.SSS a xxx"_s << QString();
    QTest::newRow("no year") << u"dd.MM HH:mm"_s << u"The date format has no year."_s;
    QTest::newRow("quoted letters are text") << u"'yyyy' MM"_s << u"The date format has no year."_s;
    QTest::newRow("letters not fields") << u"yyyy-qq-ww-q"_s
                                        << u"The date format uses letters that are not date "
                                           "fields: q, w."_s;
    QTest::newRow("a quote not closed")
        << u"yyyy 'at"_s << u"The date format has a quote (') that is not closed."_s;
    QTest::newRow("ddd") << u"ddd.MM.yyyy"_s << u"The date format's ddd has too many letters."_s;
    QTest::newRow("MMMMM") << u"yyyy MMMMM"_s << u"The date format's MMMMM has too many letters."_s;
    QTest::newRow("two years") << u"yyyy yy"_s << u"The date format has the year twice."_s;
    QTest::newRow("two months") << u"MM MMM yyyy"_s << u"The date format has the month twice."_s;
    QTest::newRow("h without a") << u"yyyy hh:mm"_s
                                 << u"The date format has h (hours 1 to 12) but no a (AM or PM)."_s;
    QTest::newRow("a without h") << u"yyyy HH:mm a"_s
                                 << u"The date format has a (AM or PM) but no h (hours 1 to 12)."_s;
}

void tst_CalendarKeys::formatProblems()
{
    QFETCH(QString, format);
    QFETCH(QString, problem);

    const DateReader reader(format, u"en"_s);
    QCOMPARE(reader.problem(), problem);
    if (!problem.isEmpty())
        QCOMPARE(dateKey(reader, u"2023-01-01 01.01.2023"_s), std::nullopt);
}

void tst_CalendarKeys::randomIsoTextsSortAsTheirInstants()
{
    QRandomGenerator random(20231);
    std::vector<Instant> instants;
    for (int k = 0; k < 3000; ++k)
        instants.push_back(randomInstant(random));
    std::sort(instants.begin(), instants.end(),
              [](const Instant &a, const Instant &b) { return a.when < b.when; });
    for (std::size_t k = 1; k < instants.size(); ++k) {
        const Key before = isoKey(instants[k - 1].text);
        const Key key = isoKey(instants[k].text);
        const bool same = instants[k].when == instants[k - 1].when;
        QVERIFY2(before && key && (same ? *before == *key : *before < *key),
                 qPrintable(instants[k - 1].text + u" then "_s + instants[k].text));
    }
}

void tst_CalendarKeys::randomDatesReadBackThroughFormats()
{
    const struct
    {
        QString format, qtFormat, locale;
        int firstYear, lastYear;
        int shownMSecs; // the time shown, in steps of these
    } formats[] = {
        {u"dd.MM.yyyy HH:mm:ss"_s, u"dd.MM.yyyy HH:mm:ss"_s, u"en"_s, 1000, 9999, 1000},
        {u"d MMM yyyy h:mm a"_s, u"d MMM yyyy h:mm ap"_s, u"en"_s, 1900, 2100, 60'000},
        {u"EEEE d MMMM yyyy HH:mm"_s, u"dddd d MMMM yyyy HH:mm"_s, u"fr"_s, 1900, 2100, 60'000},
        {u"d. MMM yyyy, HH:mm"_s, u"d. MMM yyyy, HH:mm"_s, u"de"_s, 1900, 2100, 60'000},
        {u"yyyyMMddHHmmssSSS"_s, u"yyyyMMddHHmmsszzz"_s, u"en"_s, 1000, 9999, 1},
        {u"yy-M-d"_s, u"yy-M-d"_s, u"en"_s, 1969, 2068, 86'400'000},
    };
    QRandomGenerator random(4711);
    for (const auto &format : formats) {
        const DateReader reader(format.format, format.locale);
        QCOMPARE(reader.problem(), QString());
        const QDate first(format.firstYear, 1, 1);
        const qint64 days = first.daysTo(QDate(format.lastYear, 12, 31));
        for (int k = 0; k < 300; ++k) {
            const int msecs = random.bounded(86'400'000);
            const QDate date = first.addDays(random.bounded(days + 1));
            const QString text =
                QLocale(format.locale)
                    .toString(
                        QDateTime(date, QTime::fromMSecsSinceStartOfDay(msecs), QTimeZone::utc()),
                        format.qtFormat);
            const QTime shown =
                QTime::fromMSecsSinceStartOfDay(msecs / format.shownMSecs * format.shownMSecs);
            const Key expected =
                isoKey(date.toString(u"yyyy-MM-dd"_s) + shown.toString(u"THH:mm:ss.zzz"_s));
            QVERIFY2(expected && dateKey(reader, text) == expected,
                     qPrintable(format.format + u" on "_s + text));
        }
    }
}

QTEST_GUILESS_MAIN(tst_CalendarKeys)
#include "tst_calendarkeys.moc"
