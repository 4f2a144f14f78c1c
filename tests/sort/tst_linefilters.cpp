#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "sort/DuplicateLines.h"
#include "sort/LineFilters.h"
#include "sort/SortOptions.h"
#include "support/ReferenceOrders.h"

#include <QRandomGenerator>
#include <QTest>

#include <iterator>

using namespace Qt::StringLiterals;

namespace {

// Pieces of lines: cases that fold alike and unlike (the Kelvin sign and k,
// long s and s, "ß" and capital sharp s, final sigma), characters above
// U+FFFF and their folds, and lone halves of a pair, which may meet to make
// one.
const QStringList Pieces = {
    u"a"_s,
    u"A"_s,
    u"k"_s,
    u"K"_s,
    u"s"_s,
    u" "_s,
    u"b"_s,
    u"S"_s,
    u"\u212A"_s,
    u"\u017F"_s,
    u"\u00DF"_s,
    u"\u1E9E"_s,
    u"\u00E9"_s,
    u"\u00C9"_s,
    u"\u03A3"_s,
    u"\u03C3"_s,
    u"\u03C2"_s,
    u"\U0001F600"_s,
    u"\U00010400"_s,
    u"\U00010428"_s,
    QString(QChar(0xD801)),
    QString(QChar(0xDC28)),
    u"1"_s,
};

// Patterns that never come near their bound, some with items that must
// open a pattern.
const QStringList Patterns = {
    u"a"_s,
    u"k"_s,
    u"K"_s,
    u"[a-z]"_s,
    u"\\D"_s,
    u"\u00DF"_s,
    u"^A"_s,
    u"s$"_s,
    u"\U0001F600"_s,
    u"\\x{212A}"_s,
    u"[^ ]{3}"_s,
    u"(?-i)a"_s,
    u"\u00E9|\u03C3"_s,
    u"\\w \\w"_s,
    u"(*UTF)(*UCP)k\\w"_s,
    u"\U00010400"_s,
    u""_s,
};

// The first pieces are ASCII.
constexpr int AsciiPieces = 6;

// Half of the texts are ASCII, which is looked for on other ways.
QString randomText(QRandomGenerator &random, int most)
{
    const int pieces = random.bounded(2) == 0 ? AsciiPieces : int(Pieces.size());
    QString text;
    for (int n = random.bounded(most + 1); n > 0; --n)
        text += Pieces[random.bounded(pieces)];
    return text;
}

// Lines drawn from a pool, so that many repeat.
QStringList randomLines(QRandomGenerator &random, int count, int pool)
{
    QStringList distinct;
    for (int i = 0; i < pool; ++i)
        distinct << randomText(random, 6);
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << distinct[random.bounded(pool)];
    return lines;
}

LineFilter randomFilter(QRandomGenerator &random)
{
    LineFilter filter;
    filter.matchCase = random.bounded(2) == 0;
    filter.pattern = random.bounded(4) == 0;
    filter.text =
        filter.pattern ? Patterns[random.bounded(int(Patterns.size()))] : randomText(random, 3);
    // A line break is in no line, not even across two.
    if (!filter.pattern && random.bounded(8) == 0)
        filter.text.insert(random.bounded(filter.text.size() + 1), u'\n');
    return filter;
}

// The lines in one block, as a loaded file holds them: between two lines
// nothing, a line break, or more (where blank lines were left out).
struct BlockLines
{
    QByteArray block;
    LineRefs lines;

    BlockLines(const QStringList &texts, QRandomGenerator &random)
    {
        static const QByteArray Breaks[] = {"", "\n", "\r\n", "\n\n", " \n\n"};
        std::vector<qsizetype> starts;
        for (const QString &text : texts) {
            starts.push_back(block.size());
            block += Utf8::fromUtf16(text);
            block += Breaks[random.bounded(int(std::size(Breaks)))];
        }
        for (qsizetype i = 0; i < texts.size(); ++i) {
            const auto size = quint32(Utf8::fromUtf16(texts[i]).size());
            lines.append(LineRef{block.constData() + starts[std::size_t(i)], size, quint32(i)});
        }
    }
};

QList<qsizetype> idsOf(const LineRefs &lines)
{
    QList<qsizetype> ids;
    for (const LineRef &line : lines)
        ids.append(qsizetype(line.id));
    return ids;
}

QString describe(const QStringList &lines, const LineFilter &filter)
{
    QStringList codes;
    for (const QString &line : lines) {
        QStringList units;
        for (const QChar c : line)
            units << QString::number(c.unicode(), 16);
        codes << units.join(u' ');
    }
    return u"filter \"%1\" (case %2, pattern %3) on lines [%4]"_s.arg(
        filter.text, filter.matchCase ? u"counts"_s : u"ignored"_s,
        filter.pattern ? u"yes"_s : u"no"_s, codes.join(u" | "_s));
}

const SortOption &option(LineOperation operation)
{
    for (const SortOption &each : sortOptions()) {
        if (each.operation == operation)
            return each;
    }
    qFatal("no option for the operation");
}

} // namespace

class tst_LineFilters : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheReference_data();
    void matchesTheReference();
    void patternsThatGiveUp_data();
    void patternsThatGiveUp();
    void problems_data();
    void problems();
};

void tst_LineFilters::matchesTheReference_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("cases");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("pool");

    QTest::newRow("few lines, many filters") << 7u << 600 << 12 << 6;
    QTest::newRow("more lines, fewer repeats") << 8u << 100 << 80 << 60;
    // Enough lines for two threads and both tables.
    QTest::newRow("two threads") << 9u << 4 << 50000 << 4000;
}

// Every operation gives what the plain reference gives: the lines as the
// lists hold them (UTF-8, a lone surrogate as its three bytes, in one
// block), and the texts of their own through the option list.
void tst_LineFilters::matchesTheReference()
{
    QFETCH(quint32, seed);
    QFETCH(int, cases);
    QFETCH(int, lines);
    QFETCH(int, pool);

    QRandomGenerator random(seed);
    for (int round = 0; round < cases; ++round) {
        const QStringList input = randomLines(random, random.bounded(lines + 1), pool);
        const LineFilter filter = randomFilter(random);
        const QString about = describe(input.mid(0, 40), filter);

        for (const FilterMode mode : {FilterMode::Keep, FilterMode::Remove}) {
            BlockLines block(input, random);
            qsizetype gaveUp = -1;
            filterLines(block.lines, filter, mode, nullptr, &gaveUp);
            QVERIFY2(idsOf(block.lines) == filteredLines(input, filter, mode == FilterMode::Keep),
                     qPrintable(about));
            QCOMPARE(gaveUp, 0);
        }
        BlockLines duplicated(input, random);
        keepDuplicatedLines(duplicated.lines, nullptr);
        QCOMPARE(idsOf(duplicated.lines), duplicatedLines(input));
        BlockLines once(input, random);
        keepLinesOccurringOnce(once.lines, nullptr);
        QCOMPARE(idsOf(once.lines), linesOccurringOnce(input));

        BlockLines counted(input, random);
        QByteArray made;
        countDuplicateLines(counted.lines, made, nullptr);
        const QStringList expected = countedLines(input);
        QCOMPARE(counted.lines.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const LineRef &line = counted.lines[i];
            QCOMPARE(Utf8::toUtf16(line.text()), expected[i]);
            QVERIFY(line.bytes >= made.constData() &&
                    line.bytes + line.length <= made.constData() + made.size());
            // The id names the counted line's first occurrence.
            QCOMPARE(input.indexOf(input[line.id]), qsizetype(line.id));
            QVERIFY(expected[i].endsWith(u'\t' + input[line.id]));
        }

        // Through the option list the answer is a plain text whose case counts.
        const LineFilter plain{filter.pattern ? QString() : filter.text};
        for (const LineOperation operation :
             {LineOperation::KeepContaining, LineOperation::RemoveContaining,
              LineOperation::KeepDuplicated, LineOperation::KeepOccurringOnce,
              LineOperation::CountDuplicates}) {
            LineArray texts = input;
            sortLines(texts, option(operation), 0, plain.text, nullptr);
            QVERIFY2(texts == referenceResult(option(operation), input, plain),
                     qPrintable(option(operation).caption + u": "_s + about));
        }
    }
}

void tst_LineFilters::patternsThatGiveUp_data()
{
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<FilterMode>("mode");
    QTest::addColumn<QStringList>("expected");

    const QString giving = QString(30, u'a') + u"b1"_s;
    QTest::newRow("kept lines: those that gave up go")
        << true << FilterMode::Keep << QStringList{u"aa"_s};
    QTest::newRow("removed lines: those that gave up stay")
        << true << FilterMode::Remove << QStringList{giving, u"b"_s, giving, giving};
    QTest::newRow("caseless, kept lines") << false << FilterMode::Keep << QStringList{u"aa"_s};
}

// A match that gives up counts as no match, and the lines it gave up on are
// counted.
void tst_LineFilters::patternsThatGiveUp()
{
    QFETCH(bool, matchCase);
    QFETCH(FilterMode, mode);
    QFETCH(QStringList, expected);

    // Thirty a's, a b and a digit make (a+)+$ try every split of the a's.
    const QString giving = QString(30, u'a') + u"b1"_s;
    const QStringList input{giving, u"aa"_s, u"b"_s, giving, giving};
    Utf8Copies copies(input);
    qsizetype gaveUp = 0;
    filterLines(copies.lines, LineFilter{u"(a+)+$"_s, matchCase, true}, mode, nullptr, &gaveUp);
    QStringList kept;
    for (const LineRef &line : copies.lines)
        kept << Utf8::toUtf16(line.text());
    QCOMPARE(kept, expected);
    QCOMPARE(gaveUp, 3);
}

void tst_LineFilters::problems_data()
{
    QTest::addColumn<LineFilter>("filter");
    QTest::addColumn<QString>("problem"); // empty: none

    QTest::newRow("a text is never a problem") << LineFilter{u"a("_s, true, false} << QString();
    QTest::newRow("a valid pattern") << LineFilter{u"a(b)"_s, false, true} << QString();
    const QString missing =
        u"The pattern does not compile: missing closing parenthesis (at character 3)."_s;
    QTest::newRow("unclosed, case counting") << LineFilter{u"a("_s, true, true} << missing;
    // The caseless setting PCRE2 is given is not the user's: the reason
    // still points at the user's character.
    QTest::newRow("unclosed, caseless") << LineFilter{u"a("_s, false, true} << missing;
    QTest::newRow("after start items, caseless")
        << LineFilter{u"(*UTF)a)"_s, false, true}
        << u"The pattern does not compile: unmatched closing parenthesis (at character 8)."_s;
    QTest::newRow("a lone surrogate")
        << LineFilter{QString(QChar(0xD800)), false, true}
        << u"The pattern does not compile: UTF-16 error: missing low surrogate at end (at "
           "character 1)."_s;
}

// A pattern that does not compile is told with PCRE2's reason and where it
// stopped; filtering by it fails before any line is looked at.
void tst_LineFilters::problems()
{
    QFETCH(LineFilter, filter);
    QFETCH(QString, problem);

    QCOMPARE(filterProblem(filter), problem);
    const QStringList input{u"a("_s, u"b"_s};
    Utf8Copies copies(input);
    try {
        filterLines(copies.lines, filter, FilterMode::Remove, nullptr);
        QVERIFY(problem.isEmpty());
    } catch (const Failure &failure) {
        QVERIFY(!problem.isEmpty());
        QCOMPARE(failure.description(), Failure::invalidArgument().description());
        QCOMPARE(idsOf(copies.lines), (QList<qsizetype>{0, 1}));
    }
}

QTEST_GUILESS_MAIN(tst_LineFilters)
#include "tst_linefilters.moc"
