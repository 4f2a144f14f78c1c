#include "core/Utf8Text.h"
#include "sort/DuplicateLines.h"
#include "sort/LineFilters.h"
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
const QStringList Pieces =
    u"a|A|k|K|s| |b|S|\u212A|\u017F|\u00DF|\u1E9E|\u00E9|\u00C9|\u03A3|\u03C3|\u03C2|\U0001F600|"
    "\U00010400|\U00010428|1"_s.split(u'|')
    << QString(QChar(0xD801)) << QString(QChar(0xDC28));

// Patterns that never come near their bound, some with items that must
// open a pattern; the last one empty.
const QStringList Patterns =
    u"a~k~K~[a-z]~\\D~\u00DF~^A~s$~\U0001F600~\\x{212A}~[^ ]{3}~(?-i)a~\u00E9|\u03C3~\\w \\w~"
    "(*UTF)(*UCP)k\\w~\U00010400~"_s.split(u'~');

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

QString describe(int round, const LineFilter &filter)
{
    return u"round %1: \"%2\", case counting %3, pattern %4"_s.arg(round).arg(
        filter.text, QString::number(filter.matchCase), QString::number(filter.pattern));
}

} // namespace

class tst_LineFilters : public QObject
{
    Q_OBJECT

private slots:
    void matchesTheReference_data();
    void matchesTheReference();
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

// Every operation gives what the plain reference gives, on the lines as
// the lists hold them: UTF-8, a lone surrogate as its three bytes, in one
// block. (fuzz_sort checks the texts of their own through the option list.)
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
        const QString about = describe(round, filter);

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
        QStringList texts;
        for (const LineRef &line : counted.lines) {
            // In the counts' own block, named by its line's first occurrence.
            QVERIFY(line.bytes >= made.constData() && line.bytes + line.length <= made.constEnd());
            texts << Utf8::toUtf16(line.text());
            QVERIFY(texts.last().endsWith(u'\t' + input[line.id]));
            QCOMPARE(input.indexOf(input[line.id]), qsizetype(line.id));
        }
        QCOMPARE(texts, countedLines(input));
    }
}

void tst_LineFilters::problems_data()
{
    QTest::addColumn<LineFilter>("filter");
    QTest::addColumn<QString>("problem"); // empty: none

    QTest::newRow("a text is never a problem") << LineFilter{u"a("_s, true, false} << QString();
    // The caseless setting PCRE2 is given is not the user's: the reason
    // still points at the user's character.
    QTest::newRow("unclosed, caseless")
        << LineFilter{u"a("_s, false, true}
        << u"The pattern does not compile: missing closing parenthesis (at character 3)."_s;
    QTest::newRow("after start items, caseless")
        << LineFilter{u"(*UTF)a)"_s, false, true}
        << u"The pattern does not compile: unmatched closing parenthesis (at character 8)."_s;
}

// A pattern that does not compile is told with PCRE2's reason and the
// user's character where it stopped.
void tst_LineFilters::problems()
{
    QFETCH(LineFilter, filter);
    QFETCH(QString, problem);

    QCOMPARE(filterProblem(filter), problem);
}

QTEST_GUILESS_MAIN(tst_LineFilters)
#include "tst_linefilters.moc"
