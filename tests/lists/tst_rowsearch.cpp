#include "core/Utf8Text.h"
#include "lists/RowModel.h"
#include "lists/RowSearch.h"
#include "sort/RowMatcher.h"

#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QChar LoneHigh(char16_t(0xD83D));

// The plain reading of "holds, the case not counting": each character folded
// on its own, then searched unit for unit.
QString folded(const QString &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        const bool pair =
            unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (unit.isSurrogate() && !pair) { // a lone surrogate stays as it is
            out.append(unit);
            continue;
        }
        const char32_t c = pair ? QChar::surrogateToUcs4(unit, text.at(++i)) : unit.unicode();
        const char32_t f = QChar::toCaseFolded(c);
        out.append(
            QChar::fromUcs4(QChar::requiresSurrogates(f) == QChar::requiresSurrogates(c) ? f : c));
    }
    return out;
}

// Rows i for i in holding hold "find me", the others "other".
void fillRows(RowModel &model, int count, const QSet<int> &holding)
{
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows.append(holding.contains(i) ? u"the row to find me"_s : u"other"_s);
    model.append(rows);
}

} // namespace

class tst_RowSearch : public QObject
{
    Q_OBJECT

private slots:
    void holds_data();
    void holds();
    void holdsAsTheFoldedTextsDo();
    void holdingRowsOfOneStretch_data();
    void holdingRowsOfOneStretch();
    void steps_data();
    void steps();
    void changeWhileCountingIsCountedAgain_data();
    void changeWhileCountingIsCountedAgain();
};

void tst_RowSearch::holds_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("holds");

    const QString longRow = QString(70000, u'a');
    QTest::newRow("same case") << u"Apple pie"_s << u"pie"_s << true << true;
    QTest::newRow("case counts") << u"Apple"_s << u"apple"_s << true << false;
    QTest::newRow("case ignored") << u"Apple"_s << u"aPPLE"_s << false << true;
    QTest::newRow("Kelvin sign holds k") << u"273 \u212A"_s << u"k"_s << false << true;
    QTest::newRow("k holds Kelvin sign") << u"273 k"_s << u"\u212A"_s << false << true;
    QTest::newRow("Kelvin sign is no K") << u"273 \u212A"_s << u"K"_s << true << false;
    QTest::newRow("sharp s is no ss") << u"Stra\u00DFe"_s << u"STRASSE"_s << false << false;
    QTest::newRow("capital sharp s") << u"STRA\u1E9EE"_s << u"stra\u00DFe"_s << false << true;
    QTest::newRow("final sigma") << u"\u039B\u039F\u0393\u039F\u03A3"_s
                                 << u"\u03BB\u03BF\u03B3\u03BF\u03C2"_s << false << true;
    QTest::newRow("Cyrillic") << u"\u041F\u0440\u0438\u0432\u0435\u0442"_s
                              << u"\u043F\u0420\u0418"_s << false << true;
    QTest::newRow("above U+FFFF folded") << u"x\U00010400"_s << u"\U00010428"_s << false << true;
    QTest::newRow("above U+FFFF, case counts")
        << u"x\U00010400"_s << u"\U00010428"_s << true << false;
    QTest::newRow("lone surrogate in row")
        << u"x"_s + LoneHigh + u"y"_s << LoneHigh + u"Y"_s << false << true;
    QTest::newRow("lone surrogate, half of a pair")
        << u"\U0001F600"_s << QString(LoneHigh) << true << true;
    QTest::newRow("lone surrogate is no U+FFFD")
        << QString(LoneHigh) << u"\uFFFD"_s << true << false;
    QTest::newRow("empty text, empty row") << QString() << QString() << true << true;
    QTest::newRow("empty text, folded") << u"abc"_s << QString() << false << true;
    QTest::newRow("empty row") << QString() << u"a"_s << false << false;
    QTest::newRow("text longer than row") << u"ab"_s << u"abc"_s << false << false;
    QTest::newRow("ASCII beside other") << u"\u00C9A"_s << u"\u00E9a"_s << false << true;
    QTest::newRow("long row, text at the end") << longRow + u"Zed"_s << u"zed"_s << false << true;
    QTest::newRow("long row, text across pieces")
        << QString(65534, u'b') + u"\u212Aey"_s + longRow << u"bKEY"_s << false << true;
    QTest::newRow("long row, bytes across pieces")
        << QString(65533, u'b') + u"needle"_s + longRow << u"needle"_s << true << true;
    QTest::newRow("long row without it") << longRow << u"ab"_s << false << false;
}

void tst_RowSearch::holds()
{
    QFETCH(QString, row);
    QFETCH(QString, text);
    QFETCH(bool, matchCase);
    QFETCH(bool, holds);
    const QByteArray bytes = Utf8::fromUtf16(row);
    RowMatcher matcher(text, matchCase);
    QCOMPARE(matcher.holds(std::string_view(bytes.constData(), size_t(bytes.size()))), holds);
}

// Random rows and texts, of characters where folding and UTF-8 are tricky or
// of ASCII only, in lists whose rows lie one after another in one block, as
// loaded lines do: no match may reach from one row into the next.
void tst_RowSearch::holdsAsTheFoldedTextsDo()
{
    const QStringList tricky = {u"a"_s,      u"K"_s,      u"\u212A"_s,     u"\u00DF"_s,
                                u"\u1E9E"_s, u"\u03A3"_s, u"\u03C2"_s,     u"\u0130"_s,
                                u"i"_s,      u"\u00C9"_s, u"\U00010400"_s, u"\U00010428"_s,
                                LoneHigh,    u"\u00E9"_s, u"s"_s,          u"\u017F"_s};
    const QStringList ascii = {u"a"_s, u"A"_s, u"b"_s, u"k"_s, u"K"_s};
    QRandomGenerator random(23);
    for (int round = 0; round < 300; ++round) {
        const QStringList &alphabet = round % 2 ? tricky : ascii;
        const auto draw = [&](int size) {
            QString text;
            for (int i = 0; i < size; ++i)
                text += alphabet.at(random.bounded(alphabet.size()));
            return text;
        };
        QStringList rows;
        for (int i = 0; i < 100; ++i)
            rows.append(draw(random.bounded(6)));
        const QString text = draw(1 + random.bounded(3));
        const bool matchCase = random.bounded(2) == 1;
        RowModel model(false);
        model.append(rows);
        RowSearch search(model);
        QSignalSpy changed(&search, &RowSearch::changed);
        search.setText(text, matchCase);
        while (!search.ready())
            QVERIFY(changed.wait());
        RowMatcher matcher(text, matchCase);
        for (int i = 0; i < rows.size(); ++i) {
            const QString &row = rows.at(i);
            const bool expected =
                matchCase ? row.contains(text) : folded(row).contains(folded(text));
            QCOMPARE(search.holds(i), expected);
            QCOMPARE(matcher.holds(model.bytes(i)), expected);
        }
    }
}

// Rows appended together lie one after another in one block.
void tst_RowSearch::holdingRowsOfOneStretch_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<QList<int>>("holding");

    QStringList far(63, u"xx"_s);
    far.append(u"zabcd"_s);
    QTest::newRow("a match well into the stretch") << far << u"abcd"_s << true << QList<int>{63};
    QTest::newRow("no match across two rows")
        << QStringList{u"ab"_s, u"cd"_s, u"bcd"_s} << u"bc"_s << true << QList<int>{2};
    QTest::newRow("the Kelvin sign among ASCII rows")
        << QStringList{u"abc"_s, u"x\u212Ay"_s, u"K"_s} << u"k"_s << false << QList<int>{1, 2};
}

void tst_RowSearch::holdingRowsOfOneStretch()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, text);
    QFETCH(bool, matchCase);
    QFETCH(QList<int>, holding);
    RowModel model(false);
    model.append(rows);
    RowSearch search(model);
    search.setText(text, matchCase);
    QTRY_VERIFY(search.ready());
    QList<int> found;
    for (int row = 0; row < rows.size(); ++row) {
        if (search.holds(row))
            found.append(row);
    }
    QCOMPARE(found, holding);
}

void tst_RowSearch::steps_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("holding");
    QTest::addColumn<int>("from");
    QTest::addColumn<bool>("including");
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("place");
    QTest::addColumn<bool>("wrapped");

    const QList<int> few = {1, 3};
    QTest::newRow("down from no row") << 5 << few << -1 << false << false << 1 << 1 << false;
    QTest::newRow("down from a holding row") << 5 << few << 1 << false << false << 3 << 2 << false;
    QTest::newRow("down at a holding row") << 5 << few << 1 << true << false << 1 << 1 << false;
    QTest::newRow("down past the end") << 5 << few << 3 << false << false << 1 << 1 << true;
    QTest::newRow("up from a holding row") << 5 << few << 3 << false << true << 1 << 1 << false;
    QTest::newRow("up past the start") << 5 << few << 1 << false << true << 3 << 2 << true;
    QTest::newRow("up from beyond the rows") << 5 << few << 5 << true << true << 3 << 2 << false;
    QTest::newRow("the one row, again")
        << 5 << QList<int>{2} << 2 << false << false << 2 << 1 << true;
    QTest::newRow("no row holds it") << 5 << QList<int>{} << 0 << true << false << -1 << 0 << false;

    // Blocks of rows without a holding one are passed over, the halves of the
    // rows were read by two threads.
    const QList<int> spread = {5, 4100, 34943, 34944, 69999};
    QTest::newRow("down over blocks")
        << 70000 << spread << 34944 << false << false << 69999 << 5 << false;
    QTest::newRow("down where the halves meet")
        << 70000 << spread << 34943 << false << false << 34944 << 4 << false;
    QTest::newRow("down past the last row")
        << 70000 << spread << 69999 << false << false << 5 << 1 << true;
    QTest::newRow("up over blocks")
        << 70000 << spread << 34943 << false << true << 4100 << 2 << false;
    QTest::newRow("up past the first row")
        << 70000 << spread << 5 << false << true << 69999 << 5 << true;
    QTest::newRow("word edge") << 200 << QList<int>{63, 64} << 63 << false << false << 64 << 2
                               << false;
}

void tst_RowSearch::steps()
{
    QFETCH(int, count);
    QFETCH(QList<int>, holding);
    QFETCH(int, from);
    QFETCH(bool, including);
    QFETCH(bool, up);
    QFETCH(int, row);
    QFETCH(int, place);
    QFETCH(bool, wrapped);

    RowModel model(false);
    fillRows(model, count, QSet<int>(holding.begin(), holding.end()));
    RowSearch search(model);
    search.setText(u"FIND"_s, false);
    QTRY_VERIFY(search.ready());
    QCOMPARE(search.holdingCount(), holding.size());
    const RowSearch::Found found =
        up ? search.previous(from, including) : search.next(from, including);
    QCOMPARE(found.row, row);
    QCOMPARE(found.place, place);
    QCOMPARE(found.wrapped, wrapped);
}

void tst_RowSearch::changeWhileCountingIsCountedAgain_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("count");
    QTest::newRow("rows added") << u"append"_s << 300001;
    QTest::newRow("a row removed") << u"remove"_s << 299999;
    QTest::newRow("cleared") << u"clear"_s << 0;
}

void tst_RowSearch::changeWhileCountingIsCountedAgain()
{
    QFETCH(QString, change);
    QFETCH(int, count);

    RowModel model(true);
    fillRows(model, 300000, {});
    // Every row holds it, so a count that misses the change is told apart.
    RowSearch search(model);
    search.setText(u"o"_s, true);
    QSignalSpy changed(&search, &RowSearch::changed);
    if (change == u"append")
        model.append(u"one more"_s);
    else if (change == u"remove")
        model.removeAt(0);
    else
        model.clear();
    QVERIFY(!search.ready());
    QTRY_VERIFY(search.ready());
    QCOMPARE(search.holdingCount(), count);
    QCOMPARE(search.next(-1, false).row, count > 0 ? 0 : -1);

    // A check mark is no change to the rows.
    changed.clear();
    if (count > 0)
        model.setChecked(0, false);
    QTest::qWait(150);
    QVERIFY(search.ready());
    QCOMPARE(changed.size(), 0);
}

QTEST_GUILESS_MAIN(tst_RowSearch)
#include "tst_rowsearch.moc"
