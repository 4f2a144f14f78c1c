#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "sort/CharacterFilters.h"
#include "sort/SortLines.h"
#include "sort/SortOptions.h"
#include "support/RecordingProgress.h"
#include "support/ReferenceOrders.h"
#include "support/TextSorting.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <array>
#include <limits>
#include <map>
#include <numeric>
#include <string_view>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The tests name an option by its row in the sort option list:
//   0 whole line, 1 and 2 from the second and third character, 3 from an
//   asked character position, 5 and 6 from the second and third word, 7 from
//   an asked word, 9 after asked characters, 11 to 14 the filtered keys
//   (alpha, numeric, alphanumeric, non-alphanumeric), 16 length, 18
//   descending, 19 ignoring case, 20 naturally, 21 by leading number, 22
//   alphabetically removing duplicates, 23 removing duplicates in input
//   order, 24 reversed, 25 shuffled.
const SortOption &option(int row)
{
    return sortOptions()[std::size_t(row)];
}

// Sorts the lines as the window sorts its rows (see sortTexts()).
QStringList &sortByRow(QStringList &lines, int row, qint32 number, const QString &text,
                       Progress *progress)
{
    return sortTexts(lines, option(row), number, text, progress);
}

// The order the engine leaves lines in, as their input indexes: the lines go
// in as references, so that identical lines are told apart.
QList<qsizetype> engineOrder(const QStringList &lines, int row, qint32 number,
                             const QString &marker, Progress *progress)
{
    Utf8Copies copies(lines);
    sortLines(copies.lines, option(row), number, marker, progress);
    QList<qsizetype> order;
    for (const LineRef &ref : copies.lines)
        order.append(qsizetype(ref.id));
    return order;
}

bool sortsLines(const SortOption &option)
{
    return option.operation == LineOperation::Sort ||
           option.operation == LineOperation::SortRemovingDuplicates ||
           option.operation == LineOperation::RemoveDuplicates;
}

// Whether the option leaves other lines than it was given: fewer, or the
// counted ones.
bool changesLines(const SortOption &option)
{
    return option.operation == LineOperation::SortRemovingDuplicates ||
           option.operation == LineOperation::RemoveDuplicates ||
           option.operation == LineOperation::KeepDuplicated ||
           option.operation == LineOperation::KeepOccurringOnce ||
           option.operation == LineOperation::CountDuplicates || option.asks == SortAnswer::Filter;
}

// The events of k passes: each starts with a yield, then its number.
QStringList passEvents(int passes)
{
    QStringList events;
    for (int pass = 1; pass <= passes; ++pass)
        events << u"<yield>"_s << u"Sorting: "_s + QString::number(pass);
    return events;
}

bool isPassSequence(const QStringList &events)
{
    return !events.isEmpty() && events.size() % 2 == 0 && events == passEvents(events.size() / 2);
}

bool ordinalGreater(const QString &a, const QString &b)
{
    const std::u16string_view x(reinterpret_cast<const char16_t *>(a.constData()), a.size());
    const std::u16string_view y(reinterpret_cast<const char16_t *>(b.constData()), b.size());
    for (std::size_t i = 0; i < std::min(x.size(), y.size()); ++i) {
        if (x[i] != y[i])
            return x[i] > y[i];
    }
    return x.size() > y.size();
}

struct Key
{
    bool leftOut = false;
    qsizetype number = 0;
    QString text;
};

// The set that sieveCharacters() is given to do what filter does, and
// whether the set is kept or dropped.
std::pair<QString, bool> sieveFor(CharacterFilter filter)
{
    const QString letters = QString::fromUtf16(CharacterSets::Letters);
    const QString digits = QString::fromUtf16(CharacterSets::Digits);
    switch (filter) {
    case CharacterFilter::KeepEverything:
        return {QString(), false};
    case CharacterFilter::KeepLettersAndDigits:
        return {letters + digits, true};
    case CharacterFilter::RemoveLetters:
        return {letters, false};
    case CharacterFilter::RemoveDigits:
        return {digits, false};
    case CharacterFilter::RemoveLettersAndDigits:
        return {letters + digits, false};
    }
    return {QString(), false};
}

// The key of a line as the exchange passes define it, from the option's
// description and the answers it asks for.
Key referenceKey(const SortOption &option, qint32 number, const QString &text, const QString &line)
{
    const qint32 position = option.asks == SortAnswer::Number ? number : option.position;
    const auto fromSpace = [&line](qsizetype spaces) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (line[i] == u' ' && --spaces == 0)
                return Key{false, 0, line.mid(i)};
        }
        return Key{true, 0, {}};
    };
    const auto fromCharacter = [&line](qsizetype start) {
        return Key{false, 0, start <= line.size() ? line.mid(start - 1) : QString()};
    };
    switch (option.key) {
    case OptionKey::WholeLine:
        return fromCharacter(1);
    case OptionKey::FromCharacter:
        return fromCharacter(position);
    case OptionKey::FromWord:
        return position == 1 ? fromCharacter(1) : fromSpace(position - 1);
    case OptionKey::AfterMarker: {
        const qsizetype at = line.indexOf(option.asks == SortAnswer::Text ? text : QString());
        return Key{false, 0, at < 0 ? line : line.mid(at)};
    }
    case OptionKey::Filtered: {
        const auto [set, keepListed] = sieveFor(option.filter);
        return Key{false, 0, sieveCharacters(line, set, keepListed)};
    }
    case OptionKey::Length:
        return Key{false, line.size(), {}};
    case OptionKey::WholeLineDescending:
    case OptionKey::FoldedCase:
    case OptionKey::Natural:
    case OptionKey::LeadingNumber:
    case OptionKey::ChosenKeys: // the whole line as text when no keys are chosen
        return Key{false, 0, line};
    case OptionKey::Dictionary: // see tst_sortkeyset
    case OptionKey::None:
        break;
    }
    return Key{true, 0, {}};
}

// Whether the exchange passes swap two neighbours: the first key is strictly
// greater.
bool referenceGreater(const SortOption &option, const Key &a, const Key &b)
{
    switch (option.key) {
    case OptionKey::Length:
        return a.number > b.number;
    case OptionKey::WholeLineDescending:
    case OptionKey::FoldedCase:
    case OptionKey::Natural:
    case OptionKey::LeadingNumber:
        return wholeLineKeyLess(option.key, b.text, a.text);
    default:
        return ordinalGreater(a.text, b.text);
    }
}

// The lines' indexes in the order the option leaves them (every option but
// the shuffle): a sort by repeated passes of neighbour exchanges until a pass
// exchanges nothing, then the duplicates dropped; or the lines reversed.
QList<qsizetype> referenceOrder(const SortOption &option, const QStringList &lines, qint32 number,
                                const QString &text)
{
    QList<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    if (option.operation == LineOperation::RemoveDuplicates)
        return firstOccurrences(lines);
    if (option.operation == LineOperation::Reverse)
        return QList<qsizetype>(order.rbegin(), order.rend());
    if (!sortsLines(option))
        return order;
    std::vector<Key> keys;
    for (const QString &line : lines)
        keys.push_back(referenceKey(option, number, text, line));
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (qsizetype i = 0; i + 1 < order.size(); ++i) {
            const Key &a = keys[std::size_t(order[i])];
            const Key &b = keys[std::size_t(order[i + 1])];
            if (a.leftOut || b.leftOut)
                continue;
            if (referenceGreater(option, a, b)) {
                order.swapItemsAt(i, i + 1);
                exchanged = true;
            }
        }
    }
    if (option.operation == LineOperation::SortRemovingDuplicates)
        order = withoutRepeatedNeighbours(lines, order);
    return order;
}

QStringList linesAt(const QStringList &lines, const QList<qsizetype> &order)
{
    QStringList picked;
    for (const qsizetype i : order)
        picked << lines[i];
    return picked;
}

// The pieces of the random lines for the keys by code unit.
QStringList textPieces()
{
    return {
        u"a"_s, u"b"_s,  u"B"_s,      u" "_s,      u"  "_s,         u"1"_s,  u"9"_s,
        u"="_s, u"\t"_s, u"\u00DC"_s, u"\uFF21"_s, u"\U0001F600"_s, u"ab"_s, QString(1, QChar(0))};
}

// The pieces for the keys by case, number and run: signs, dots, zeros, digit
// runs past 2^64, case pairs in and beyond the first plane, units near 0xFFFF.
QStringList numberPieces()
{
    return {u"0"_s,
            u"1"_s,
            u"9"_s,
            u"00"_s,
            u"a"_s,
            u"A"_s,
            u"_"_s,
            u"^"_s,
            u"-"_s,
            u"+"_s,
            u"."_s,
            u" "_s,
            u"\t"_s,
            u"\u00DF"_s,
            u"ss"_s,
            u"\U00010400"_s,
            u"\U00010428"_s,
            u"\uFFFE"_s,
            u"18446744073709551616"_s};
}

QString randomLine(QRandomGenerator &random, const QStringList &pieces)
{
    // A long shared start makes the keys tie beyond their first eight units.
    QString line = random.bounded(3) == 0 ? u"a1 b2 c3 d4 e5 f6 g7="_s : QString();
    const int count = random.bounded(8);
    for (int i = 0; i < count; ++i)
        line += pieces[random.bounded(int(pieces.size()))];
    return line;
}

// Lines of three to five words, a few of them one word only, so that the word
// keys have a few long stretches between lines that stay in place.
QStringList randomWordLines(QRandomGenerator &random, int count)
{
    static const QString alphabet = u"abcXYZ019-"_s;
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const int words = random.bounded(20000) == 0 ? 1 : 3 + random.bounded(3);
        QString line;
        for (int w = 0; w < words; ++w) {
            if (w > 0)
                line += random.bounded(10) == 0 ? u"  "_s : u" "_s;
            const int size = random.bounded(5);
            for (int k = 0; k < size; ++k)
                line += alphabet[random.bounded(int(alphabet.size()))];
        }
        lines << line;
    }
    return lines;
}

} // namespace

class tst_SortRoutines : public QObject
{
    Q_OBJECT

private slots:
    void edgeCases_data();
    void edgeCases();
    void descending_data();
    void descending();
    void ignoringCase_data();
    void ignoringCase();
    void naturalOrder_data();
    void naturalOrder();
    void leadingNumber_data();
    void leadingNumber();
    void duplicatesAndReversal_data();
    void duplicatesAndReversal();
    void comparisonIsAStrictOrder_data();
    void comparisonIsAStrictOrder();
    void shuffleIsAPermutation();
    void shuffleMakesEveryOrderAlike();
    void matchesExchangePasses_data();
    void matchesExchangePasses();
    void largeArraysKeepExchangeOrder_data();
    void largeArraysKeepExchangeOrder();
    void passStatus_data();
    void passStatus();
    void yieldsWithinLongSteps_data();
    void yieldsWithinLongSteps();
    void closingMidSortKeepsEveryLine_data();
    void closingMidSortKeepsEveryLine();
    void invalidStart_data();
    void invalidStart();
    void farSpacesAndWordNumbers_data();
    void farSpacesAndWordNumbers();
};

void tst_SortRoutines::edgeCases_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("code order, capitals first")
        << 0 << 0 << QString() << QStringList{u"b"_s, u"B"_s, u"a"_s, u"A"_s}
        << QStringList{u"A"_s, u"B"_s, u"a"_s, u"b"_s};
    QTest::newRow("prefix first, space before digit")
        << 0 << 0 << QString() << QStringList{u"apples"_s, u"1x"_s, u"apple"_s, u" x"_s}
        << QStringList{u" x"_s, u"1x"_s, u"apple"_s, u"apples"_s};
    QTest::newRow("surrogates before U+FF21")
        << 0 << 0 << QString() << QStringList{u"\uFF21"_s, u"\U0001F600"_s}
        << QStringList{u"\U0001F600"_s, u"\uFF21"_s};
    QTest::newRow("embedded NUL sorts after the end")
        << 0 << 0 << QString()
        << QStringList{u"ab"_s + QChar(0), u"ab"_s, u"ab"_s + QChar(0) + QChar(0)}
        << QStringList{u"ab"_s, u"ab"_s + QChar(0), u"ab"_s + QChar(0) + QChar(0)};
    QTest::newRow("filtered NUL sorts after the end")
        << 12 << 0 << QString() << QStringList{u"x1"_s + QChar(0), u"1y"_s}
        << QStringList{u"1y"_s, u"x1"_s + QChar(0)};
    QTest::newRow("filtered keys tie beyond eight units")
        << 13 << 0 << QString() << QStringList{u"abcd-efgh-z"_s, u"abcdefgh y"_s, u"abcdefgh"_s}
        << QStringList{u"abcdefgh"_s, u"abcdefgh y"_s, u"abcd-efgh-z"_s};
    QTest::newRow("keys tie for twenty units")
        << 1 << 0 << QString()
        << QStringList{u"x0123456789abcdefghij2"_s, u"y0123456789abcdefghij1"_s,
                       u"z0123456789abcdefghij"_s}
        << QStringList{u"z0123456789abcdefghij"_s, u"y0123456789abcdefghij1"_s,
                       u"x0123456789abcdefghij2"_s};
    QTest::newRow("length keeps equal lengths in order")
        << 16 << 0 << QString() << QStringList{u"bb"_s, u"a"_s, u"cc"_s}
        << QStringList{u"a"_s, u"bb"_s, u"cc"_s};
    QTest::newRow("length compares numbers")
        << 16 << 0 << QString() << QStringList{u"xxxxxxxxxx"_s, u"xxxxxxxxx"_s, u"x"_s}
        << QStringList{u"x"_s, u"xxxxxxxxx"_s, u"xxxxxxxxxx"_s};
    QTest::newRow("second character, short line empty key")
        << 1 << 0 << QString() << QStringList{u"xb"_s, u"ya"_s, u"z"_s}
        << QStringList{u"z"_s, u"ya"_s, u"xb"_s};
    QTest::newRow("third character")
        << 2 << 0 << QString() << QStringList{u"aac"_s, u"zzb"_s, u"mma"_s}
        << QStringList{u"mma"_s, u"zzb"_s, u"aac"_s};
    QTest::newRow("position beyond every line keeps order")
        << 3 << 50 << QString() << QStringList{u"b"_s, u"a"_s} << QStringList{u"b"_s, u"a"_s};
    QTest::newRow("second word, wall at the end")
        << 5 << 0 << QString() << QStringList{u"Tom Smith"_s, u"Ann Jones"_s, u"Bob"_s}
        << QStringList{u"Ann Jones"_s, u"Tom Smith"_s, u"Bob"_s};
    QTest::newRow("second word, wall at the front")
        << 5 << 0 << QString() << QStringList{u"zed"_s, u"Tom Smith"_s, u"Ann Jones"_s}
        << QStringList{u"zed"_s, u"Ann Jones"_s, u"Tom Smith"_s};
    QTest::newRow("second word, segments sorted apart")
        << 5 << 0 << QString() << QStringList{u"a z"_s, u"b y"_s, u"wall"_s, u"c x"_s, u"d w"_s}
        << QStringList{u"b y"_s, u"a z"_s, u"wall"_s, u"d w"_s, u"c x"_s};
    QTest::newRow("third word after a double space")
        << 6 << 0 << QString() << QStringList{u"q r zz"_s, u"a  b c"_s}
        << QStringList{u"a  b c"_s, u"q r zz"_s};
    QTest::newRow("word number 1 is the whole line")
        << 7 << 1 << QString() << QStringList{u"b a"_s, u"zz"_s, u"a b"_s}
        << QStringList{u"a b"_s, u"b a"_s, u"zz"_s};
    QTest::newRow("word number 3 like third word")
        << 7 << 3 << QString() << QStringList{u"q r zz"_s, u"a  b c"_s}
        << QStringList{u"a  b c"_s, u"q r zz"_s};
    QTest::newRow("after marker, lines without it by whole text")
        << 9 << 0 << u"="_s << QStringList{u"b=2"_s, u"a=1"_s, u"c"_s}
        << QStringList{u"a=1"_s, u"b=2"_s, u"c"_s};
    QTest::newRow("after empty marker is alphabetical")
        << 9 << 0 << QString() << QStringList{u"b=2"_s, u"a=1"_s, u"B"_s}
        << QStringList{u"B"_s, u"a=1"_s, u"b=2"_s};
    QTest::newRow("after marker is case-sensitive")
        << 9 << 0 << u"X"_s << QStringList{u"b Xa"_s, u"a xb"_s}
        << QStringList{u"b Xa"_s, u"a xb"_s};
    QTest::newRow("numeric only compares as text")
        << 12 << 0 << QString() << QStringList{u"item 10"_s, u"item 9"_s}
        << QStringList{u"item 10"_s, u"item 9"_s};
    QTest::newRow("alpha only keeps blanks")
        << 11 << 0 << QString() << QStringList{u"b2"_s, u"a 1"_s} << QStringList{u"a 1"_s, u"b2"_s};
    QTest::newRow("alphanumeric only") << 13 << 0 << QString() << QStringList{u"-b-"_s, u"!!a"_s}
                                       << QStringList{u"!!a"_s, u"-b-"_s};
    QTest::newRow("non-alphanumeric only")
        << 14 << 0 << QString() << QStringList{u"a!"_s, u"zz "_s} << QStringList{u"zz "_s, u"a!"_s};
}

void tst_SortRoutines::edgeCases()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, marker);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    RecordingProgress progress;
    QStringList &result = sortByRow(lines, row, number, marker, &progress);
    QCOMPARE(&result, &lines);
    QCOMPARE(lines, expected);
    QVERIFY2(isPassSequence(progress.passes()), qPrintable(progress.passes().join(u'|')));
}

namespace {

// A table of lines in and the lines out.
void addOrderColumns()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");
}

void addOrder(const char *name, const QStringList &lines, const QStringList &expected)
{
    QTest::newRow(name) << lines << expected;
}

// Does the row's operation on the table's lines.
void checkOrder(int row)
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    RecordingProgress progress;
    QCOMPARE(&sortByRow(lines, row, 0, QString(), &progress), &lines);
    QCOMPARE(lines, expected);
    QVERIFY2(isPassSequence(progress.passes()), qPrintable(progress.passes().join(u'|')));
}

} // namespace

void tst_SortRoutines::descending_data()
{
    addOrderColumns();
    addOrder("lowercase before capitals", {u"B"_s, u"a"_s, u"b"_s, u"A"_s},
             {u"b"_s, u"a"_s, u"B"_s, u"A"_s});
    addOrder("a line before its prefix", {u"apple"_s, u"b"_s, u"apples"_s},
             {u"b"_s, u"apples"_s, u"apple"_s});
    addOrder("keys tie beyond eight units",
             {u"0123456789abX"_s, u"0123456789ab"_s, u"0123456789abY"_s},
             {u"0123456789abY"_s, u"0123456789abX"_s, u"0123456789ab"_s});
}

void tst_SortRoutines::descending()
{
    checkOrder(18);
}

void tst_SortRoutines::ignoringCase_data()
{
    addOrderColumns();
    // Folding makes letters lowercase: "_" and "^" sort before every letter.
    addOrder("underscore and caret before letters", {u"a"_s, u"_"_s, u"B"_s, u"^"_s},
             {u"^"_s, u"_"_s, u"a"_s, u"B"_s});
    addOrder("equal folds keep input order", {u"b"_s, u"B"_s, u"a"_s, u"A"_s},
             {u"a"_s, u"A"_s, u"b"_s, u"B"_s});
    addOrder("equal folds keep input order, reversed", {u"B"_s, u"b"_s, u"A"_s, u"a"_s},
             {u"A"_s, u"a"_s, u"B"_s, u"b"_s});
    addOrder("sharp s stays", {u"\u00DF"_s, u"st"_s, u"ss"_s}, {u"ss"_s, u"st"_s, u"\u00DF"_s});
    addOrder("fi ligature stays", {u"\uFB01"_s, u"fj"_s, u"fi"_s}, {u"fi"_s, u"fj"_s, u"\uFB01"_s});
    addOrder("final sigma folds to sigma", {u"\u03C2b"_s, u"\u03A3a"_s},
             {u"\u03A3a"_s, u"\u03C2b"_s});
    addOrder("surrogate pair folds as one character", {u"\U00010400b"_s, u"\U00010428a"_s},
             {u"\U00010428a"_s, u"\U00010400b"_s});
    // Folds that change a character's length in UTF-8.
    addOrder("Kelvin sign folds to k", {u"\u212Ab"_s, u"ka"_s, u"\u212A"_s},
             {u"\u212A"_s, u"ka"_s, u"\u212Ab"_s});
    addOrder("a fold into three bytes", {u"\u2C65b"_s, u"\u023Aa"_s, u"\u023A\uE000"_s},
             {u"\u023Aa"_s, u"\u2C65b"_s, u"\u023A\uE000"_s});
}

void tst_SortRoutines::ignoringCase()
{
    checkOrder(19);
}

void tst_SortRoutines::naturalOrder_data()
{
    addOrderColumns();
    addOrder("the example, scrambled",
             {u"x10"_s, u"xa"_s, u"x01"_s, u"x2"_s, u"x-1"_s, u"x18446744073709551616"_s, u"x1a"_s,
              u"x"_s, u"x1"_s},
             {u"x"_s, u"x1"_s, u"x01"_s, u"x1a"_s, u"x2"_s, u"x10"_s, u"x18446744073709551616"_s,
              u"x-1"_s, u"xa"_s});
    addOrder("numbers of 2^64 and more",
             {u"n99999999999999999999999999"_s, u"n18446744073709551617"_s,
              u"n18446744073709551616"_s, u"n18446744073709551615"_s},
             {u"n18446744073709551615"_s, u"n18446744073709551616"_s, u"n18446744073709551617"_s,
              u"n99999999999999999999999999"_s});
    addOrder("leading zeros, shorter first", {u"001"_s, u"1"_s, u"0001"_s, u"01"_s},
             {u"1"_s, u"01"_s, u"001"_s, u"0001"_s});
    addOrder("the first written length that differs", {u"a01b1"_s, u"a1b01"_s},
             {u"a1b01"_s, u"a01b1"_s});
    addOrder("a later value before any written length", {u"a1b2"_s, u"a01b1"_s},
             {u"a01b1"_s, u"a1b2"_s});
    // A run of digits ends the text before it: "a" is a prefix of "a!".
    addOrder("digits against punctuation", {u"a!"_s, u"a1"_s}, {u"a1"_s, u"a!"_s});
    addOrder("units near the end of the plane",
             {u"\uFFFF"_s, u"\uFFFD"_s, u"1"_s, u"\uFFFC"_s, u"\U0001F600"_s, u"\uFFFE"_s},
             {u"1"_s, u"\U0001F600"_s, u"\uFFFC"_s, u"\uFFFD"_s, u"\uFFFE"_s, u"\uFFFF"_s});
    addOrder("a line that ends before a zero run", {u"1x0"_s, u"1x"_s}, {u"1x"_s, u"1x0"_s});
    const QString manyRuns = u"1a"_s.repeated(17);
    addOrder("leading zeros after seventeen runs", {manyRuns + u"01"_s, manyRuns + u"1"_s},
             {manyRuns + u"1"_s, manyRuns + u"01"_s});
    // A count of digits beyond 16 bits.
    const QString huge = u"1"_s + QString(70000, u'0');
    addOrder("a run of 70001 digits", {u"x"_s + huge, u"x9"_s}, {u"x9"_s, u"x"_s + huge});
    // Lines of 0xFFFE units or more count in three units; these have the most
    // counts a line can have, leading zeros included.
    const QString manyCounts = u"\uFFFE1"_s.repeated(40000);
    addOrder("the most counts in a long line",
             {manyCounts, u"0"_s + manyCounts, u"00"_s + manyCounts},
             {u"0"_s + manyCounts, u"00"_s + manyCounts, manyCounts});
    addOrder("non-ASCII digits are text", {u"x\u0663"_s, u"x3"_s}, {u"x3"_s, u"x\u0663"_s});
}

void tst_SortRoutines::naturalOrder()
{
    checkOrder(20);
}

void tst_SortRoutines::leadingNumber_data()
{
    addOrderColumns();
    addOrder("the example, scrambled",
             {u"abc"_s, u"12,5"_s, u"-3.50"_s, u"+2"_s, u"007"_s, u".5"_s, u"-0"_s, u"2.0"_s,
              u"1e5"_s, u"-3.5"_s, u" 2"_s, u"0"_s, u"7"_s, u"-.5"_s},
             {u"-3.50"_s, u"-3.5"_s, u"-.5"_s, u"-0"_s, u"0"_s, u".5"_s, u"1e5"_s, u"+2"_s,
              u"2.0"_s, u" 2"_s, u"007"_s, u"7"_s, u"12,5"_s, u"abc"_s});
    addOrder("numbers of 2^64 and more",
             {u"18446744073709551617"_s, u"-18446744073709551616"_s, u"99999999999999999999.5"_s,
              u"18446744073709551616"_s, u"-18446744073709551617"_s},
             {u"-18446744073709551617"_s, u"-18446744073709551616"_s, u"18446744073709551616"_s,
              u"18446744073709551617"_s, u"99999999999999999999.5"_s});
    addOrder("negatives by magnitude", {u"-1"_s, u"-1.5"_s, u"-0.5"_s, u"-1.25"_s, u"-2"_s},
             {u"-2"_s, u"-1.5"_s, u"-1.25"_s, u"-1"_s, u"-0.5"_s});
    addOrder("fractions", {u"1.5"_s, u"1.25"_s, u"1"_s, u"1.05"_s, u"0.5"_s, u"10"_s},
             {u"0.5"_s, u"1"_s, u"1.05"_s, u"1.25"_s, u"1.5"_s, u"10"_s});
    addOrder("every zero alike", {u"0.000"_s, u"-0"_s, u"+0"_s, u"-.0"_s, u"00"_s},
             {u"0.000"_s, u"-0"_s, u"+0"_s, u"-.0"_s, u"00"_s});
    addOrder("lines without a number last, in input order",
             {u"b"_s, u"-"_s, u"a"_s, u"."_s, u"5"_s, u"+"_s, QString(), u" x"_s},
             {u"5"_s, u"b"_s, u"-"_s, u"a"_s, u"."_s, u"+"_s, QString(), u" x"_s});
    addOrder("a sign or dot needs a digit", {u"-."_s, u"+x"_s, u"- 1"_s, u"-1"_s},
             {u"-1"_s, u"-."_s, u"+x"_s, u"- 1"_s});
    addOrder("non-ASCII digits are no number", {u"\u0663"_s, u"3"_s}, {u"3"_s, u"\u0663"_s});
    // A count of digits beyond 16 bits.
    const QString huge = u"1"_s + QString(70000, u'0');
    addOrder("numbers of 70001 digits", {u"9"_s, u"-"_s + huge, huge, u"-9"_s},
             {u"-"_s + huge, u"-9"_s, u"9"_s, huge});
}

void tst_SortRoutines::leadingNumber()
{
    checkOrder(21);
}

void tst_SortRoutines::duplicatesAndReversal_data()
{
    QTest::addColumn<int>("row");
    addOrderColumns();

    const auto add = [](const char *name, int row, const QStringList &lines,
                        const QStringList &expected) {
        QTest::newRow(name) << row << lines << expected;
    };
    add("sorted: duplicates apart", 22, {u"b"_s, u"a"_s, u"b"_s, u"c"_s, u"a"_s},
        {u"a"_s, u"b"_s, u"c"_s});
    add("sorted: equal beyond eight units", 22,
        {u"0123456789x"_s, u"0123456789"_s, u"0123456789x"_s}, {u"0123456789"_s, u"0123456789x"_s});
    add("in order: duplicates apart", 23, {u"b"_s, u"a"_s, u"b"_s, u"c"_s, u"a"_s},
        {u"b"_s, u"a"_s, u"c"_s});
    add("in order: case makes lines different", 23, {u"a"_s, u"A"_s, u"a"_s}, {u"a"_s, u"A"_s});
    add("in order: empty lines", 23, {QString(), u"x"_s, QString()}, {QString(), u"x"_s});
    add("in order: equal in eight units, not beyond", 23,
        {u"0123456789x"_s, u"0123456789y"_s, u"0123456789x"_s},
        {u"0123456789x"_s, u"0123456789y"_s});
    add("reversed", 24, {u"a"_s, u"c"_s, u"b"_s, u"a"_s}, {u"a"_s, u"b"_s, u"c"_s, u"a"_s});
}

void tst_SortRoutines::duplicatesAndReversal()
{
    QFETCH(int, row);
    checkOrder(row);
}

void tst_SortRoutines::comparisonIsAStrictOrder_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("descending") << 18;
    QTest::newRow("ignoring case") << 19;
    QTest::newRow("naturally") << 20;
    QTest::newRow("by leading number") << 21;
}

// On random lines over {0, 1, a, A, _, -, space}, the engine's order of every
// two lines (sorted in either input order) agrees with the rule, and is
// antisymmetric and transitive, equal keys included.
void tst_SortRoutines::comparisonIsAStrictOrder()
{
    QFETCH(int, row);

    QRandomGenerator random(31);
    const QString alphabet = u"01aA_- "_s;
    QStringList lines;
    for (int i = 0; i < 40; ++i) {
        QString line;
        const int size = random.bounded(7);
        for (int k = 0; k < size; ++k)
            line += alphabet[random.bounded(int(alphabet.size()))];
        lines << line;
    }
    const qsizetype n = lines.size();
    // first[a][b]: sorting b, a puts a first.
    QList<QList<bool>> first(n, QList<bool>(n));
    for (qsizetype a = 0; a < n; ++a) {
        for (qsizetype b = 0; b < n; ++b) {
            const QStringList pair{lines[b], lines[a]};
            const bool moved = engineOrder(pair, row, 0, QString(), nullptr).first() == 1;
            first[a][b] = moved;
            QCOMPARE(moved, wholeLineKeyLess(option(row).key, lines[a], lines[b]));
        }
    }
    const auto tied = [&](qsizetype a, qsizetype b) { return !first[a][b] && !first[b][a]; };
    for (qsizetype a = 0; a < n; ++a) {
        for (qsizetype b = 0; b < n; ++b) {
            QVERIFY(!(first[a][b] && first[b][a]));
            for (qsizetype c = 0; c < n; ++c) {
                if (first[a][b] && first[b][c])
                    QVERIFY(first[a][c]);
                if (tied(a, b) && tied(b, c))
                    QVERIFY(tied(a, c));
            }
        }
    }
}

void tst_SortRoutines::shuffleIsAPermutation()
{
    QStringList lines;
    for (int i = 0; i < 5000; ++i)
        lines << QString::number(i);
    RecordingProgress progress;
    const QList<qsizetype> order = engineOrder(lines, 25, 0, QString(), &progress);
    QCOMPARE(progress.passes(), passEvents(1));
    QList<qsizetype> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    QList<qsizetype> input(lines.size());
    std::iota(input.begin(), input.end(), qsizetype(0));
    QCOMPARE(sorted, input);
    QVERIFY(order != input);
    QVERIFY(engineOrder(lines, 25, 0, QString(), nullptr) != order);
}

// Each of the six orders of three lines comes about a sixth of the time:
// 60,000 shuffles put each within 5% of 10,000 (5.5 standard deviations),
// where the usual faults (swapping with any line, or never with itself) miss
// by 11% or more.
void tst_SortRoutines::shuffleMakesEveryOrderAlike()
{
    const QStringList lines{u"a"_s, u"b"_s, u"c"_s};
    std::map<QList<qsizetype>, int> counts;
    for (int run = 0; run < 60000; ++run)
        ++counts[engineOrder(lines, 25, 0, QString(), nullptr)];
    QCOMPARE(counts.size(), std::size_t(6));
    for (const auto &[order, count] : counts)
        QVERIFY2(count > 9500 && count < 10500, qPrintable(QString::number(count)));
}

void tst_SortRoutines::matchesExchangePasses_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("marker");
    QTest::addColumn<QStringList>("pieces");

    const QStringList text = textPieces();
    QTest::newRow("alphabetically") << 0 << 0 << QString() << text;
    QTest::newRow("second character") << 1 << 0 << QString() << text;
    QTest::newRow("third character") << 2 << 0 << QString() << text;
    QTest::newRow("character 1") << 3 << 1 << QString() << text;
    QTest::newRow("character 5") << 3 << 5 << QString() << text;
    QTest::newRow("second word") << 5 << 0 << QString() << text;
    QTest::newRow("third word") << 6 << 0 << QString() << text;
    QTest::newRow("word 1") << 7 << 1 << QString() << text;
    QTest::newRow("word 2") << 7 << 2 << QString() << text;
    QTest::newRow("word 4") << 7 << 4 << QString() << text;
    QTest::newRow("after =") << 9 << 0 << u"="_s << text;
    QTest::newRow("after ab") << 9 << 0 << u"ab"_s << text;
    QTest::newRow("after surrogate pair") << 9 << 0 << u"\U0001F600"_s << text;
    QTest::newRow("after nothing") << 9 << 0 << QString() << text;
    QTest::newRow("alpha only") << 11 << 0 << QString() << text;
    QTest::newRow("numeric only") << 12 << 0 << QString() << text;
    QTest::newRow("alphanumeric only") << 13 << 0 << QString() << text;
    QTest::newRow("non-alphanumeric only") << 14 << 0 << QString() << text;
    QTest::newRow("length") << 16 << 0 << QString() << text;
    const QStringList numbers = numberPieces();
    QTest::newRow("descending") << 18 << 0 << QString() << text;
    QTest::newRow("ignoring case") << 19 << 0 << QString() << numbers;
    QTest::newRow("naturally") << 20 << 0 << QString() << numbers;
    QTest::newRow("by leading number") << 21 << 0 << QString() << numbers;
    QTest::newRow("removing duplicates") << 22 << 0 << QString() << text;
    QTest::newRow("duplicates in order") << 23 << 0 << QString() << text;
    QTest::newRow("reversed") << 24 << 0 << QString() << text;
}

// Many small arrays with repeated keys and identical lines, short lines,
// lines without spaces, double spaces and surrogate pairs, each against the
// exchange passes (which keep identical lines in input order).
void tst_SortRoutines::matchesExchangePasses()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, marker);
    QFETCH(QStringList, pieces);

    QRandomGenerator random(20210831);
    for (int round = 0; round < 400; ++round) {
        QStringList lines;
        const int count = random.bounded(40);
        for (int i = 0; i < count; ++i)
            lines << randomLine(random, pieces);
        const QList<qsizetype> expected = referenceOrder(option(row), lines, number, marker);
        RecordingProgress progress;
        const QList<qsizetype> order = engineOrder(lines, row, number, marker, &progress);
        QCOMPARE(linesAt(lines, order), linesAt(lines, expected));
        QCOMPARE(order, expected);
        QVERIFY2(isPassSequence(progress.passes()), qPrintable(progress.passes().join(u'|')));
    }
}

void tst_SortRoutines::largeArraysKeepExchangeOrder_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("lastLine"); // none when null

    QTest::newRow("alphabetically") << 0 << 0 << QString() << QString();
    QTest::newRow("second word") << 5 << 0 << QString() << QString();
    QTest::newRow("word 3") << 7 << 3 << QString() << QString();
    QTest::newRow("numeric only") << 12 << 0 << QString() << QString();
    QTest::newRow("length") << 16 << 0 << QString() << QString();
    QTest::newRow("descending") << 18 << 0 << QString() << QString();
    QTest::newRow("ignoring case") << 19 << 0 << QString() << QString();
    QTest::newRow("naturally") << 20 << 0 << QString() << QString();
    QTest::newRow("by leading number") << 21 << 0 << QString() << QString();
    // Every key ties for its first 24 units: one group of ties, large
    // enough to be merged on two threads, orders the whole array.
    const QString prefix = u"2026-12-08 10:00:00 INFO "_s;
    QTest::newRow("alphabetically, shared start") << 0 << 0 << prefix << QString();
    QTest::newRow("second word, shared start") << 5 << 0 << prefix << QString();
    QTest::newRow("alphanumeric only, shared start") << 13 << 0 << prefix << QString();
    QTest::newRow("naturally, shared start") << 20 << 0 << prefix << QString();
    // The last line alone sends the second thread's half, and so the whole
    // sort, to the units.
    const QString lone = QString(QChar(0xD800)) + u"x"_s;
    QTest::newRow("alphabetically, a lone surrogate last") << 0 << 0 << QString() << lone;
    QTest::newRow("numeric only, a lone surrogate last") << 11 << 0 << QString() << lone;
    QTest::newRow("naturally, a lone surrogate last") << 20 << 0 << QString() << lone;
    QTest::newRow("ignoring case, a Kelvin sign last") << 19 << 0 << QString() << u"\u212Ax"_s;
}

// Arrays big enough for the merging to be shared by two threads, against a
// stable sort of each stretch between lines that stay in place.
void tst_SortRoutines::largeArraysKeepExchangeOrder()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, prefix);
    QFETCH(QString, lastLine);

    QRandomGenerator random(7);
    QStringList lines = randomWordLines(random, 150000);
    for (QString &line : lines)
        line.prepend(prefix);
    if (!lastLine.isNull())
        lines << lastLine;
    std::vector<Key> keys;
    for (const QString &line : lines)
        keys.push_back(referenceKey(option(row), number, QString(), line));
    std::vector<qsizetype> order(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        order[i] = i;
    const auto less = [&](qsizetype a, qsizetype b) {
        return referenceGreater(option(row), keys[b], keys[a]);
    };
    auto segment = order.begin();
    for (auto at = order.begin();; ++at) {
        if (at == order.end() || keys[*at].leftOut) {
            std::stable_sort(segment, at, less);
            if (at == order.end())
                break;
            segment = at + 1;
        }
    }
    QStringList expected;
    for (const qsizetype i : order)
        expected << lines[i];

    // The lines as UTF-8 rows, and as units.
    RecordingProgress rowProgress;
    QStringList rows;
    for (const qsizetype i : engineOrder(lines, row, number, QString(), &rowProgress))
        rows << lines[i];
    QCOMPARE(rows, expected);
    QVERIFY(isPassSequence(rowProgress.passes()));
    RecordingProgress progress;
    sortTextsAsUnits(lines, option(row), number, QString(), &progress);
    QCOMPARE(lines, expected);
    QVERIFY(isPassSequence(progress.passes()));
    // Random lines need more than one pass; keys that tie in their heads
    // are merged within the first.
    if (prefix.isEmpty())
        QVERIFY(progress.passes().size() > 2);
}

void tst_SortRoutines::passStatus_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("passes");

    QTest::newRow("empty") << QStringList() << 1;
    QTest::newRow("one line") << QStringList{u"z"_s} << 1;
    QTest::newRow("already sorted") << QStringList{u"a"_s, u"b"_s, u"b"_s, u"c"_s} << 1;
    QStringList sorted;
    for (int i = 0; i < 100000; ++i)
        sorted << u"%1"_s.arg(i, 6, 10, QChar(u'0'));
    QTest::newRow("long sorted") << sorted << 1;
}

void tst_SortRoutines::passStatus()
{
    QFETCH(QStringList, lines);
    QFETCH(int, passes);

    RecordingProgress progress;
    sortByRow(lines, 0, 0, QString(), &progress);
    QCOMPARE(progress.passes(), passEvents(passes));
    QVERIFY(std::is_sorted(lines.begin(), lines.end()));
    QVERIFY(sortByRow(lines, 0, 0, QString(), nullptr) == lines); // no progress is fine too
}

namespace {

// Every option of the list but the separators, answered where it asks:
// character 4, word 2, the characters "1" (also the text the lines are to
// contain).
void addEveryOption()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("marker");

    for (int row = 0; row < int(sortOptions().size()); ++row) {
        const SortOption &each = option(row);
        if (each.isSeparator())
            continue;
        qint32 number = 0;
        if (each.asks == SortAnswer::Number)
            number = each.key == OptionKey::FromWord ? 2 : 4;
        const bool asksText = each.asks == SortAnswer::Text || each.asks == SortAnswer::Filter;
        const QString marker = asksText ? u"1"_s : QString();
        QTest::addRow("%s", qPrintable(each.caption)) << row << number << marker;
    }
}

constexpr int ManyLines = 1 << 18;

} // namespace

void tst_SortRoutines::yieldsWithinLongSteps_data()
{
    addEveryOption();
}

// The window stays responsive during a long pass: besides the yield that
// begins it, every pass over a quarter of a million lines yields within,
// the last one (ties, then moving or dropping the lines) included.
void tst_SortRoutines::yieldsWithinLongSteps()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, marker);

    QRandomGenerator random(11);
    QStringList lines = randomWordLines(random, ManyLines);
    RecordingProgress progress;
    sortByRow(lines, row, number, marker, &progress);
    // Random lines take more than one pass to sort.
    if (sortsLines(option(row)))
        QVERIFY(progress.passes().size() > 2);

    QList<int> within; // per pass, the yields after its number
    for (qsizetype i = 0; i < progress.events.size(); ++i) {
        if (progress.events[i].startsWith(u"Sorting: "))
            within.append(0);
        else if (!within.isEmpty())
            ++within.last();
    }
    for (qsizetype pass = 0; pass < within.size(); ++pass) {
        const bool last = pass + 1 == within.size();
        // The yield that begins the next pass does not count.
        const int yields = within[pass] - (last ? 0 : 1);
        QVERIFY2(yields >= 2, qPrintable(u"pass %1 yields %2 times"_s.arg(pass + 1).arg(yields)));
    }
}

void tst_SortRoutines::closingMidSortKeepsEveryLine_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("closeAt"); // fraction of the yields a whole sort makes

    const QList<std::pair<const char *, int>> rows = {
        {"alphabetically", 0}, {"third word", 6}, {"numeric only", 12}, {"naturally", 20}};
    const QList<std::pair<const char *, int>> moreRows = {{"descending", 18},
                                                          {"removing duplicates", 22},
                                                          {"duplicates in order", 23},
                                                          {"reversed", 24},
                                                          {"shuffled", 25},
                                                          {"removing lines with a text", 31},
                                                          {"duplicated lines", 32},
                                                          {"lines occurring once", 33},
                                                          {"counted", 34}};
    // Too few lines for a second thread: the yields come in the same order
    // every time, and the last one falls into the moving or dropping of the
    // lines.
    constexpr int FewLines = 30000;
    for (const auto &[name, row] : rows + moreRows) {
        for (const double at : {0.0, 0.1, 0.5, 0.97, 1.0})
            QTest::addRow("%s, %d lines, at %g", name, FewLines, at) << row << 0 << FewLines << at;
    }
    // With two threads the calling one yields while it waits for the other,
    // as often as the machine makes it wait; early enough it is always hit.
    for (const auto &[name, row] : rows) {
        for (const double at : {0.1, 0.5})
            QTest::addRow("%s, %d lines, at %g", name, ManyLines, at)
                << row << 0 << ManyLines << at;
    }
    // Keys built on threads of their own, the calling thread yielding while
    // it waits: so do these, at any number of lines.
    const QList<std::pair<const char *, int>> threadRows = {{"dictionary order", 27},
                                                            {"keys you choose", 28}};
    for (const auto &[name, row] : threadRows) {
        for (const double at : {0.1, 0.5})
            QTest::addRow("%s, %d lines, at %g", name, FewLines, at) << row << 0 << FewLines << at;
    }
}

// A window closed during any step of a sort stops it; the lines it leaves
// are still every line once (no line object lost or held twice), or, once
// the dropping or counting of lines has begun, the lines it leaves when done.
void tst_SortRoutines::closingMidSortKeepsEveryLine()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(int, count);
    QFETCH(double, closeAt);

    QRandomGenerator random(5);
    const QStringList input = randomWordLines(random, count);
    RecordingProgress whole;
    QStringList sorted = input;
    sortByRow(sorted, row, number, QString(), &whole);

    // Threads that are waited for yield as long as they take: a sort that
    // ends before the chosen yield is closed again, earlier.
    QStringList lines;
    RecordingProgress progress;
    bool aborted = false;
    for (int at = std::max(1, int(qRound64(closeAt * double(whole.yields)))); !aborted && at > 0;
         at /= 2) {
        lines = input;
        lines.detach();
        progress = RecordingProgress();
        progress.closeAt = at;
        try {
            sortByRow(lines, row, number, QString(), &progress);
        } catch (const CommandAborted &) {
            aborted = true;
        }
    }
    QVERIFY(aborted);
    QCOMPARE(progress.yields, progress.closeAt);
    if (changesLines(option(row)) && lines.size() != input.size()) {
        QCOMPARE(lines, sorted);
        return;
    }
    QStringList every = input;
    std::sort(lines.begin(), lines.end());
    std::sort(every.begin(), every.end());
    QCOMPARE(lines, every);
}

void tst_SortRoutines::invalidStart_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("fails");

    const QStringList two{u"b c"_s, u"a b"_s};
    QTest::newRow("position 0") << 3 << 0 << two << true;
    QTest::newRow("position -3") << 3 << -3 << two << true;
    QTest::newRow("lowest position") << 3 << std::numeric_limits<qint32>::min() << two << true;
    QTest::newRow("word 0") << 7 << 0 << two << true;
    QTest::newRow("word -1") << 7 << -1 << two << true;
    QTest::newRow("position 0, one line") << 3 << 0 << QStringList{u"x"_s} << false;
    QTest::newRow("word 0, no lines") << 7 << 0 << QStringList() << false;
}

void tst_SortRoutines::invalidStart()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QStringList, lines);
    QFETCH(bool, fails);

    const QStringList before = lines;
    RecordingProgress progress;
    bool failed = false;
    try {
        sortByRow(lines, row, number, QString(), &progress);
    } catch (const Failure &failure) {
        failed = true;
        QCOMPARE(failure.description(), u"Invalid procedure call or argument"_s);
    }
    QCOMPARE(failed, fails);
    QCOMPARE(lines, before);
    QCOMPARE(progress.passes(), passEvents(1));
}

void tst_SortRoutines::farSpacesAndWordNumbers_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    const QString far = QString(40000, u'x');
    QTest::newRow("second space beyond 32767") << 6 << 0 << QStringList{far + u" a b"_s, u"a a a"_s}
                                               << QStringList{u"a a a"_s, far + u" a b"_s};
    QTest::newRow("first space beyond 32767")
        << 5 << 0 << QStringList{far + u" b"_s, u"a a"_s} << QStringList{u"a a"_s, far + u" b"_s};
    QTest::newRow("word 32769 stays")
        << 7 << 32769 << QStringList{u"b b"_s, u"a a"_s} << QStringList{u"b b"_s, u"a a"_s};
    QTest::newRow("largest word number stays")
        << 7 << std::numeric_limits<qint32>::max() << QStringList{u"b b"_s, u"a a"_s}
        << QStringList{u"b b"_s, u"a a"_s};
    QString manySpaces;
    for (int i = 0; i < 33000; ++i)
        manySpaces += u"w "_s;
    QTest::newRow("word 33000 exists")
        << 7 << 33000 << QStringList{manySpaces + u"b"_s, manySpaces + u"a"_s}
        << QStringList{manySpaces + u"a"_s, manySpaces + u"b"_s};
}

void tst_SortRoutines::farSpacesAndWordNumbers()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    sortByRow(lines, row, number, QString(), nullptr);
    QCOMPARE(lines, expected);
}

QTEST_GUILESS_MAIN(tst_SortRoutines)
#include "tst_sortroutines.moc"
