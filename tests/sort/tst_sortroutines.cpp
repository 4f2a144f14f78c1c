#include "core/Failure.h"
#include "sort/CharacterFilters.h"
#include "sort/SortOptions.h"
#include "support/RecordingProgress.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// The tests name an option by its row in the sort option list:
//   0 whole line, 1 and 2 from the second and third character, 3 from an
//   asked character position, 5 and 6 from the second and third word, 7 from
//   an asked word, 9 after asked characters, 11 to 14 the filtered keys
//   (alpha, numeric, alphanumeric, non-alphanumeric), 16 length.
const SortOption &option(int row)
{
    return sortOptions()[std::size_t(row)];
}

LineArray &sortByRow(LineArray &lines, int row, qint32 number, const QString &text,
                     Progress *progress)
{
    return sortLines(lines, option(row), number, text, progress);
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
    case SortKey::WholeLine:
        return fromCharacter(1);
    case SortKey::FromCharacter:
        return fromCharacter(position);
    case SortKey::FromWord:
        return position == 1 ? fromCharacter(1) : fromSpace(position - 1);
    case SortKey::AfterMarker: {
        const qsizetype at = line.indexOf(option.asks == SortAnswer::Text ? text : QString());
        return Key{false, 0, at < 0 ? line : line.mid(at)};
    }
    case SortKey::Filtered: {
        const auto [set, keepListed] = sieveFor(option.filter);
        return Key{false, 0, sieveCharacters(line, set, keepListed)};
    }
    case SortKey::Length:
        return Key{false, line.size(), {}};
    case SortKey::None:
        break;
    }
    return Key{true, 0, {}};
}

// Repeated passes of neighbour exchanges until a pass exchanges nothing.
QStringList referenceSort(const SortOption &option, QStringList lines, qint32 number,
                          const QString &text)
{
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
            const Key a = referenceKey(option, number, text, lines[i]);
            const Key b = referenceKey(option, number, text, lines[i + 1]);
            if (a.leftOut || b.leftOut)
                continue;
            const bool greater = option.key == SortKey::Length ? a.number > b.number
                                                               : ordinalGreater(a.text, b.text);
            if (greater) {
                lines.swapItemsAt(i, i + 1);
                exchanged = true;
            }
        }
    }
    return lines;
}

QString randomLine(QRandomGenerator &random)
{
    static const QStringList pieces = {
        u"a"_s, u"b"_s,  u"B"_s,      u" "_s,      u"  "_s,         u"1"_s,  u"9"_s,
        u"="_s, u"\t"_s, u"\u00DC"_s, u"\uFF21"_s, u"\U0001F600"_s, u"ab"_s, QString(1, QChar(0))};
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
    void wordStartPosition_data();
    void wordStartPosition();
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
    LineArray &result = sortByRow(lines, row, number, marker, &progress);
    QCOMPARE(&result, &lines);
    QCOMPARE(lines, expected);
    QVERIFY2(isPassSequence(progress.passes()), qPrintable(progress.passes().join(u'|')));
}

void tst_SortRoutines::matchesExchangePasses_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("marker");

    QTest::newRow("alphabetically") << 0 << 0 << QString();
    QTest::newRow("second character") << 1 << 0 << QString();
    QTest::newRow("third character") << 2 << 0 << QString();
    QTest::newRow("character 1") << 3 << 1 << QString();
    QTest::newRow("character 5") << 3 << 5 << QString();
    QTest::newRow("second word") << 5 << 0 << QString();
    QTest::newRow("third word") << 6 << 0 << QString();
    QTest::newRow("word 1") << 7 << 1 << QString();
    QTest::newRow("word 2") << 7 << 2 << QString();
    QTest::newRow("word 4") << 7 << 4 << QString();
    QTest::newRow("after =") << 9 << 0 << u"="_s;
    QTest::newRow("after ab") << 9 << 0 << u"ab"_s;
    QTest::newRow("after surrogate pair") << 9 << 0 << u"\U0001F600"_s;
    QTest::newRow("after nothing") << 9 << 0 << QString();
    QTest::newRow("alpha only") << 11 << 0 << QString();
    QTest::newRow("numeric only") << 12 << 0 << QString();
    QTest::newRow("alphanumeric only") << 13 << 0 << QString();
    QTest::newRow("non-alphanumeric only") << 14 << 0 << QString();
    QTest::newRow("length") << 16 << 0 << QString();
}

// Many small arrays with repeated keys, short lines, lines without spaces,
// double spaces and surrogate pairs, each against the exchange passes.
void tst_SortRoutines::matchesExchangePasses()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, marker);

    QRandomGenerator random(20210831);
    for (int round = 0; round < 400; ++round) {
        QStringList lines;
        const int count = random.bounded(40);
        for (int i = 0; i < count; ++i)
            lines << randomLine(random);
        const QStringList expected = referenceSort(option(row), lines, number, marker);
        RecordingProgress progress;
        sortByRow(lines, row, number, marker, &progress);
        QCOMPARE(lines, expected);
        QVERIFY2(isPassSequence(progress.passes()), qPrintable(progress.passes().join(u'|')));
    }
}

void tst_SortRoutines::largeArraysKeepExchangeOrder_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("prefix");

    QTest::newRow("alphabetically") << 0 << 0 << QString();
    QTest::newRow("second word") << 5 << 0 << QString();
    QTest::newRow("word 3") << 7 << 3 << QString();
    QTest::newRow("numeric only") << 12 << 0 << QString();
    QTest::newRow("length") << 16 << 0 << QString();
    // Every key ties for its first 24 units: one group of ties, large
    // enough to be merged on two threads, orders the whole array.
    const QString prefix = u"2026-12-08 10:00:00 INFO "_s;
    QTest::newRow("alphabetically, shared start") << 0 << 0 << prefix;
    QTest::newRow("second word, shared start") << 5 << 0 << prefix;
    QTest::newRow("alphanumeric only, shared start") << 13 << 0 << prefix;
}

// Arrays big enough for the merging to be shared by two threads, against a
// stable sort of each stretch between lines that stay in place.
void tst_SortRoutines::largeArraysKeepExchangeOrder()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, prefix);

    QRandomGenerator random(7);
    QStringList lines = randomWordLines(random, 150000);
    for (QString &line : lines)
        line.prepend(prefix);
    std::vector<Key> keys;
    for (const QString &line : lines)
        keys.push_back(referenceKey(option(row), number, QString(), line));
    std::vector<qsizetype> order(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        order[i] = i;
    const auto less = [&](qsizetype a, qsizetype b) {
        return option(row).key == SortKey::Length ? keys[a].number < keys[b].number
                                                  : ordinalGreater(keys[b].text, keys[a].text);
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

    RecordingProgress progress;
    sortByRow(lines, row, number, QString(), &progress);
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
// character 4, word 2, the characters "1".
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
            number = each.key == SortKey::FromWord ? 2 : 4;
        const QString marker = each.asks == SortAnswer::Text ? u"1"_s : QString();
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
// the last one (ties, then moving the lines) included.
void tst_SortRoutines::yieldsWithinLongSteps()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, marker);

    QRandomGenerator random(11);
    QStringList lines = randomWordLines(random, ManyLines);
    RecordingProgress progress;
    sortByRow(lines, row, number, marker, &progress);
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
        {"alphabetically", 0}, {"third word", 6}, {"numeric only", 12}};
    // Too few lines for a second thread: the yields come in the same order
    // every time, and the last one falls into the moving of the lines.
    constexpr int FewLines = 30000;
    for (const auto &[name, row] : rows) {
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
}

// A window closed during any step of a sort stops it; the lines it leaves
// are still every line once (no line object lost or held twice).
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

    QStringList lines = input;
    lines.detach();
    RecordingProgress progress;
    progress.closeAt = std::max(1, int(qRound64(closeAt * double(whole.yields))));
    bool aborted = false;
    try {
        sortByRow(lines, row, number, QString(), &progress);
    } catch (const CommandAborted &) {
        aborted = true;
    }
    QVERIFY(aborted);
    QCOMPARE(progress.yields, progress.closeAt);
    QCOMPARE(lines.size(), input.size());
    std::sort(lines.begin(), lines.end());
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(lines, sorted);
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

void tst_SortRoutines::wordStartPosition_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<qsizetype>("n");
    QTest::addColumn<qsizetype>("position");

    QTest::newRow("first space") << u"Tom Smith"_s << u" "_s << qsizetype(1) << qsizetype(4);
    QTest::newRow("second of a double space")
        << u"a  b c"_s << u" "_s << qsizetype(2) << qsizetype(3);
    QTest::newRow("too few") << u"a b"_s << u" "_s << qsizetype(2) << qsizetype(-1);
    QTest::newRow("none") << u"abc"_s << u" "_s << qsizetype(1) << qsizetype(-1);
    QTest::newRow("n zero") << u"a b"_s << u" "_s << qsizetype(0) << qsizetype(0);
    QTest::newRow("n negative") << u"a b"_s << u" "_s << qsizetype(-4) << qsizetype(0);
    QTest::newRow("tab is no space") << u"a\tb"_s << u" "_s << qsizetype(1) << qsizetype(-1);
    QTest::newRow("overlapping delimiter") << u"aaa"_s << u"aa"_s << qsizetype(2) << qsizetype(2);
    QTest::newRow("case-sensitive") << u"xAxa"_s << u"a"_s << qsizetype(1) << qsizetype(4);
    QTest::newRow("beyond 32767") << QString(40000, u'x') + u" "_s << u" "_s << qsizetype(1)
                                  << qsizetype(40001);
}

void tst_SortRoutines::wordStartPosition()
{
    QFETCH(QString, text);
    QFETCH(QString, delimiter);
    QFETCH(qsizetype, n);
    QFETCH(qsizetype, position);

    QCOMPARE(::wordStartPosition(text, delimiter, n), position);
}

QTEST_GUILESS_MAIN(tst_SortRoutines)
#include "tst_sortroutines.moc"
