#include "commands/ExternalNames.h"
#include "commands/SortKeysChooser.h"
#include "commands/StartSorting.h"
#include "core/ErrorTrap.h"
#include "lists/RowModel.h"
#include "support/CommandFixture.h"
#include "support/KeySpecs.h"
#include "support/TestLists.h"

#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

// Start Sorting on a status that shows every text it is given.
class tst_StartSorting : public QObject
{
    Q_OBJECT

private slots:
    void everyRowNamesItsFile();
    void rowsReadInRuns();
    void optionsBelowTheLastSeparator_data();
    void optionsBelowTheLastSeparator();
    void keysYouChoose_data();
    void keysYouChoose();
    void longRowsShownFromTheirStart_data();
    void longRowsShownFromTheirStart();
    void linesThatGaveUpTold();
    void linesContaining_data();
    void linesContaining();
};

void tst_StartSorting::everyRowNamesItsFile()
{
    CommandFixture c;
    c.selectedOption = 0;
    c.content.append(
        QStringList{u"C:\\data\\notes.txt"_s, u"/home/me/plain row"_s, u"ends with\\"_s});
    startSorting(c.ctx);
    QCOMPARE(c.status.texts.mid(0, 4),
             (QStringList{u"Processing: notes.txt"_s, u"Processing: plain row"_s, u"Processing: "_s,
                          u"Sorting: 1"_s}));
    QCOMPARE(c.status.texts.last(), u"Progress Bar"_s);
    QCOMPARE(rowTexts(c.results),
             (QStringList{u"/home/me/plain row"_s, u"C:\\data\\notes.txt"_s, u"ends with\\"_s}));
}

// Rows the bar would not show are read in runs; the bar takes the last.
void tst_StartSorting::rowsReadInRuns()
{
    CommandFixture c;
    c.selectedOption = 0;
    QStringList rows;
    for (int i = 2999; i >= 0; --i)
        rows << u"row %1"_s.arg(i, 4, 10, QChar(u'0'));
    c.content.append(rows);
    c.status.due = false;
    startSorting(c.ctx);
    std::sort(rows.begin(), rows.end());
    QCOMPARE(rowTexts(c.results), rows);
    QCOMPARE(c.status.texts.first(), u"Sorting: 1"_s);
    QCOMPARE(c.status.positions.front(), 100.0);
}

void tst_StartSorting::optionsBelowTheLastSeparator_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("results"); // empty: the content in any order
    QTest::addColumn<double>("lastPosition"); // before the bar goes back to rest

    // The content: b10, B2, a, b10, -1.5 x.
    QTest::newRow("descending") << 18
                                << QStringList{u"b10"_s, u"b10"_s, u"a"_s, u"B2"_s, u"-1.5 x"_s}
                                << 80.0;
    QTest::newRow("ignoring case")
        << 19 << QStringList{u"-1.5 x"_s, u"a"_s, u"b10"_s, u"b10"_s, u"B2"_s} << 80.0;
    QTest::newRow("naturally") << 20
                               << QStringList{u"-1.5 x"_s, u"B2"_s, u"a"_s, u"b10"_s, u"b10"_s}
                               << 80.0;
    QTest::newRow("by leading number")
        << 21 << QStringList{u"-1.5 x"_s, u"b10"_s, u"B2"_s, u"a"_s, u"b10"_s} << 80.0;
    // Four rows of five: the bar ends at 3 / 5.
    QTest::newRow("removing duplicates")
        << 22 << QStringList{u"-1.5 x"_s, u"B2"_s, u"a"_s, u"b10"_s} << 60.0;
    QTest::newRow("duplicates in order")
        << 23 << QStringList{u"b10"_s, u"B2"_s, u"a"_s, u"-1.5 x"_s} << 60.0;
    QTest::newRow("reversed") << 24 << QStringList{u"-1.5 x"_s, u"b10"_s, u"a"_s, u"B2"_s, u"b10"_s}
                              << 80.0;
    QTest::newRow("shuffled") << 25 << QStringList() << 80.0;
    QTest::newRow("dictionary order, root rules")
        << 27 << QStringList{u"-1.5 x"_s, u"a"_s, u"b10"_s, u"b10"_s, u"B2"_s} << 80.0;
    QTest::newRow("duplicated lines") << 32 << QStringList{u"b10"_s} << 0.0;
    QTest::newRow("counted") << 34
                             << QStringList{u"2\tb10"_s, u"1\tB2"_s, u"1\ta"_s, u"1\t-1.5 x"_s}
                             << 60.0;
}

// The options below the last separator ask nothing, sort in one pass here,
// append what they keep and end like the others.
void tst_StartSorting::optionsBelowTheLastSeparator()
{
    QFETCH(int, row);
    QFETCH(QStringList, results);
    QFETCH(double, lastPosition);

    qputenv("LC_ALL", "C"); // dictionary order by the root rules
    CommandFixture c;
    c.selectedOption = row;
    const QStringList content{u"b10"_s, u"B2"_s, u"a"_s, u"b10"_s, u"-1.5 x"_s};
    c.content.append(content);
    startSorting(c.ctx);

    if (results.isEmpty()) {
        QStringList appended = rowTexts(c.results);
        QStringList every = content;
        std::sort(appended.begin(), appended.end());
        std::sort(every.begin(), every.end());
        QCOMPARE(appended, every);
    } else {
        QCOMPARE(rowTexts(c.results), results);
    }
    QCOMPARE(c.status.texts.mid(content.size()), (QStringList{u"Sorting: 1"_s, u"Progress Bar"_s}));
    QCOMPARE(c.status.positions.end()[-2], lastPosition);
    QCOMPARE(c.status.positions.back(), 0.0);
    QCOMPARE(c.dialogs.messages(), QStringList{u"Done."_s});
    QCOMPARE(c.dialogs.shown.size(), std::size_t(1));
}

void tst_StartSorting::keysYouChoose_data()
{
    QTest::addColumn<std::optional<ChosenKeySet>>("answer");
    QTest::addColumn<QStringList>("firstResults");

    ChosenKey byNumber;
    byNumber.part = KeyPart::Field;
    byNumber.field = 2;
    byNumber.compare = KeyCompare::Number;
    byNumber.descending = true;
    QTest::newRow("OK sorts by the keys")
        << std::optional(ChosenKeySet{{byNumber}}) << QStringList{u"x,249"_s, u"x,248"_s};
    QTest::newRow("Cancel leaves the lines as they came")
        << std::optional<ChosenKeySet>() << QStringList{u"x,0"_s, u"x,1"_s};
}

// The dialog previews the first 200 lines; then the lines go to the results
// sorted or, after Cancel, as they came, and Start Sorting ends as usual.
void tst_StartSorting::keysYouChoose()
{
    QFETCH(std::optional<ChosenKeySet>, answer);
    QFETCH(QStringList, firstResults);

    CommandFixture c;
    c.selectedOption = 28;
    QStringList content;
    for (int i = 0; i < 250; ++i)
        content << u"x,%1"_s.arg(i);
    c.content.append(content);
    c.keysChooser.answers.append(answer);
    startSorting(c.ctx);

    QCOMPARE(c.keysChooser.previews, QList<QStringList>{content.mid(0, 200)});
    QCOMPARE(rowTexts(c.results).mid(0, 2), firstResults);
    QCOMPARE(rowTexts(c.results).size(), content.size());
    QCOMPARE(c.dialogs.messages(), QStringList{u"Done."_s});
}

void tst_StartSorting::longRowsShownFromTheirStart_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("status");  // after "Processing: "
    QTest::addColumn<QString>("preview"); // what the dialog is given

    const QString face = u"\U0001F600"_s;
    QTest::newRow("a row of a million units")
        << QString(1'000'000, u'x') << QString(300, u'x') << QString(PreviewLineUnits, u'x');
    QTest::newRow("pairs not split") << u"a"_s + face.repeated(3000) << u"a"_s + face.repeated(149)
                                     << u"a"_s + face.repeated(PreviewLineUnits / 2 - 1);
    QTest::newRow("a short row whole")
        << u"C:\\data\\notes.txt"_s << u"notes.txt"_s << u"C:\\data\\notes.txt"_s;
}

// The status line and the dialog's preview read a long row from its start
// only, never splitting a character; the sort and the results take it whole.
void tst_StartSorting::longRowsShownFromTheirStart()
{
    QFETCH(QString, row);
    QFETCH(QString, status);
    QFETCH(QString, preview);

    CommandFixture c;
    c.selectedOption = 28;
    c.content.append(QStringList{row, u"0"_s});
    c.keysChooser.answers.append(ChosenKeySet{});
    startSorting(c.ctx);

    QCOMPARE(c.status.texts.first(), u"Processing: "_s + status);
    QCOMPARE(c.keysChooser.previews, (QList<QStringList>{{preview, u"0"_s}}));
    QCOMPARE(c.keysChooser.shortened, QList<qsizetype>{preview.size() < row.size() ? 1 : 0});
    QCOMPARE(rowTexts(c.results), (QStringList{u"0"_s, row}));
}

// After a pattern gave up on lines, the status line says how many instead of
// going back to rest.
void tst_StartSorting::linesThatGaveUpTold()
{
    CommandFixture c;
    c.selectedOption = 28;
    // Thirty a's, a b and digits make (a+)+$ try every split of the a's.
    c.content.append(QStringList(3, QString(30, u'a') + u"b1"_s) << u"aa"_s);
    c.keysChooser.answers.append(ChosenKeySet{{patternKey(u"(a+)+$"_s, 0)}});
    startSorting(c.ctx);

    QCOMPARE(c.status.texts.last(), u"3 lines gave up on a pattern and count as without the key"_s);
    QCOMPARE(rowTexts(c.results).first(), u"aa"_s);
    QCOMPARE(c.dialogs.messages(), QStringList{u"Done."_s});
}

void tst_StartSorting::linesContaining_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<std::optional<LineFilter>>("answer"); // nothing: Cancel
    QTest::addColumn<QStringList>("results");
    QTest::addColumn<QString>("status"); // at the end
    QTest::addColumn<int>("failedStep"); // 0 for none

    // The content: "Error: disk", "error: net", "ok", and twice thirty a's,
    // a b and a digit, on which (a+)+$ gives up.
    const QString giving = QString(30, u'a') + u"b1"_s;
    const QString rest = u"Progress Bar"_s;
    QTest::newRow("keeping, the case counting") << 30 << std::optional(LineFilter{u"Error"_s})
                                                << QStringList{u"Error: disk"_s} << rest << 0;
    QTest::newRow("Cancel leaves the lines as they came")
        << 31 << std::optional<LineFilter>()
        << QStringList{u"Error: disk"_s, u"error: net"_s, u"ok"_s, giving, giving} << rest << 0;
    QTest::newRow("lines that gave up do not match")
        << 30 << std::optional(LineFilter{u"(a+)+$|k"_s, true, true})
        << QStringList{u"Error: disk"_s, u"ok"_s}
        << u"2 lines gave up on the pattern and count as not matching"_s << 0;
    QTest::newRow("lines that gave up stay when removing")
        << 31 << std::optional(LineFilter{u"(a+)+$|k"_s, true, true})
        << QStringList{u"error: net"_s, giving, giving}
        << u"2 lines gave up on the pattern and count as not matching"_s << 0;
    // The dialog lets no invalid pattern through; one that comes anyway
    // fails the step and leaves the lines as they came.
    QTest::newRow("an invalid pattern fails")
        << 30 << std::optional(LineFilter{u"("_s, true, true})
        << QStringList{u"Error: disk"_s, u"error: net"_s, u"ok"_s, giving, giving} << rest << 266;
}

// The filtering options ask the line filter dialog under their caption, no
// input box; the lines they keep keep their order, and the status line tells
// how many lines a pattern gave up on.
void tst_StartSorting::linesContaining()
{
    QFETCH(int, row);
    QFETCH(std::optional<LineFilter>, answer);
    QFETCH(QStringList, results);
    QFETCH(QString, status);
    QFETCH(int, failedStep);

    CommandFixture c;
    c.selectedOption = row;
    const QString giving = QString(30, u'a') + u"b1"_s;
    c.content.append(QStringList{u"Error: disk"_s, u"error: net"_s, u"ok"_s, giving, giving});
    c.filterChooser.answers.append(answer);
    startSorting(c.ctx);

    QCOMPARE(c.filterChooser.captions, QStringList{row == 30 ? u"Keep Lines Containing..."_s
                                                             : u"Remove Lines Containing..."_s});
    QCOMPARE(rowTexts(c.results), results);
    QCOMPARE(c.status.texts.last(), status);
    QStringList boxes;
    if (failedStep != 0)
        boxes << errorDialogText(u"Invalid procedure call or argument"_s,
                                 locationOf(Element::StartSortingButton), failedStep);
    QCOMPARE(c.dialogs.messages(), boxes << u"Done."_s);
    QCOMPARE(c.dialogs.shown.size(), std::size_t(boxes.size()));
}

QTEST_GUILESS_MAIN(tst_StartSorting)
#include "tst_startsorting.moc"
