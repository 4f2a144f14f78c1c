#include "commands/ExternalNames.h"
#include "commands/SaveSpreadsheet.h"
#include "commands/WriteListToSheet.h"
#include "core/ErrorTrap.h"
#include "core/Failure.h"
#include "support/CommandFixture.h"
#include "support/ItemModelReader.h"
#include "support/TestLists.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString WithoutError = u"Excel is not installed on this computer. You need to have it "
                             u"installed to use this software without error."_s;
const QString ThisFeature = u"Excel is not installed on this computer. You need to have it "
                            u"installed to use this feature."_s;

using Cells = std::map<std::pair<int, int>, QString>;

} // namespace

// "Save Results As Excel File" on a recording spreadsheet.
class tst_SaveSpreadsheet : public QObject
{
    Q_OBJECT

private slots:
    void callsAndCells_data();
    void callsAndCells();
    void table();
    void notInstalled();
    void emptyList();
    void refusedWritesAreReportedEach();
    void fullSheetIsReportedOnce();
    void rowsClearedWhileWriting_data();
    void rowsClearedWhileWriting();
};

void tst_SaveSpreadsheet::callsAndCells_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<Cells>("cells");

    const QStringList start{u"createApplication"_s, u"release"_s,     u"createApplication"_s,
                            u"addWorkbook"_s,       u"setCell 1 1"_s, u"autoFitColumn 1"_s};
    const QStringList end{u"autoFitAllColumns"_s, u"setVisible"_s, u"release"_s};
    const QString header = u"Sorted Content (Results)"_s;

    QTest::newRow("checked rows below their positions")
        << QStringList{u"pear"_s, u"fig"_s}
        << start + QStringList{u"setCell 2 1"_s, u"setCell 3 1"_s} + end
        << Cells{{{1, 1}, header}, {{2, 1}, u"pear"_s}, {{3, 1}, u"fig"_s}};
    QTest::newRow("unchecked rows leave their sheet rows empty")
        << QStringList{u"-a"_s, u"b"_s, u"-c"_s, u"-d"_s, u"e"_s}
        << start + QStringList{u"setCell 3 1"_s, u"setCell 6 1"_s} + end
        << Cells{{{1, 1}, header}, {{3, 1}, u"b"_s}, {{6, 1}, u"e"_s}};
    QTest::newRow("no checked row gives the header only")
        << QStringList{u"-a"_s, u"-b"_s} << start + end << Cells{{{1, 1}, header}};
    QTest::newRow("first column handed over unchanged")
        << QStringList{u"=1+2"_s, u"  spaced  "_s, u"a=b"_s}
        << start + QStringList{u"setCell 2 1"_s, u"setCell 3 1"_s, u"setCell 4 1"_s} + end
        << Cells{{{1, 1}, header},
                 {{2, 1}, u"=1+2"_s},
                 {{3, 1}, u"  spaced  "_s},
                 {{4, 1}, u"a=b"_s}};
}

void tst_SaveSpreadsheet::callsAndCells()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, calls);
    QFETCH(Cells, cells);
    CommandFixture f;
    f.addResults(rows);
    bool hourglassWhileWriting = true;
    f.spreadsheet.beforeSetCell = [&](int, int, const QString &) {
        hourglassWhileWriting &= f.pointer.busy();
    };

    saveResultsAsSpreadsheet(f.ctx);

    QCOMPARE(f.spreadsheet.calls, calls);
    QCOMPARE(f.spreadsheet.cells, cells);
    QVERIFY(hourglassWhileWriting);
    QCOMPARE(f.pointerShapes,
             (std::vector{WindowPointer::Shape::Hourglass, WindowPointer::Shape::Default}));
    QCOMPARE(f.dialogs.shown.size(), size_t(0));
}

// Several columns: headers in row 1, "=" removed from the columns after the first.
void tst_SaveSpreadsheet::table()
{
    const auto table = makeTable(
        {u"Name"_s, u"Formula"_s, u"Note"_s},
        {{u"=x"_s, u"=1+2"_s, u"a=b=c"_s}, {u"-y"_s, u"q"_s, u"r"_s}, {u"z "_s, u""_s, u"=="_s}});
    RecordingSpreadsheet spreadsheet;
    auto app = spreadsheet.createApplication();
    app->addWorkbook();
    spreadsheet.calls.clear();
    ScriptedDialogs dialogs;
    ErrorTrap trap(dialogs, locationOf(Element::SaveSpreadsheetButton));
    RecordingProgress status;

    writeListToSheet(ItemModelReader(*table), *app, trap, status);

    QCOMPARE(
        spreadsheet.calls,
        (QStringList{u"setCell 1 1"_s, u"autoFitColumn 1"_s, u"setCell 1 2"_s, u"autoFitColumn 2"_s,
                     u"setCell 1 3"_s, u"autoFitColumn 3"_s, u"setCell 2 1"_s, u"setCell 2 2"_s,
                     u"setCell 2 3"_s, u"setCell 4 1"_s, u"setCell 4 2"_s, u"setCell 4 3"_s}));
    QCOMPARE(spreadsheet.cells, (Cells{{{1, 1}, u"Name"_s},
                                       {{1, 2}, u"Formula"_s},
                                       {{1, 3}, u"Note"_s},
                                       {{2, 1}, u"=x"_s},
                                       {{2, 2}, u"1+2"_s},
                                       {{2, 3}, u"abc"_s},
                                       {{4, 1}, u"z "_s},
                                       {{4, 2}, u""_s},
                                       {{4, 3}, u""_s}}));
    QCOMPARE(dialogs.shown.size(), size_t(0));
}

void tst_SaveSpreadsheet::notInstalled()
{
    CommandFixture f;
    f.addResults({u"pear"_s});
    f.spreadsheet.installed = false;

    saveResultsAsSpreadsheet(f.ctx);

    QCOMPARE(f.dialogs.messages(), (QStringList{WithoutError, ThisFeature}));
    for (const auto &shown : f.dialogs.shown) {
        QCOMPARE(shown.caption, u"Tarnveil"_s);
        QCOMPARE(shown.icon, UserDialogs::Icon::None);
    }
    QCOMPARE(f.spreadsheet.calls, QStringList{u"createApplication"_s});
    QVERIFY(f.pointerShapes.empty());
}

void tst_SaveSpreadsheet::emptyList()
{
    CommandFixture f;

    saveResultsAsSpreadsheet(f.ctx);

    QCOMPARE(f.dialogs.shown.size(), size_t(0));
    QCOMPARE(f.spreadsheet.calls, (QStringList{u"createApplication"_s, u"release"_s}));
    QVERIFY(f.pointerShapes.empty());
}

void tst_SaveSpreadsheet::refusedWritesAreReportedEach()
{
    CommandFixture f;
    f.addResults({u"ok"_s, u"refused"_s, u"ok too"_s, u"refused"_s});
    f.spreadsheet.beforeSetCell = [](int, int, const QString &text) {
        if (text == u"refused"_s)
            throw Failure(u"String exceeds the limit"_s);
    };

    saveResultsAsSpreadsheet(f.ctx);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 2);
    for (const QString &m : messages)
        QVERIFY2(m.startsWith(u"String exceeds the limit\r\nin Tarnveil2021/08/31.Form1."
                              u"PushButton13_Click at line 152\r\r"_s),
                 qPrintable(m));
    QCOMPARE(f.spreadsheet.cells.at({4, 1}), u"ok too"_s);
    QVERIFY(f.spreadsheet.calls.contains(u"setVisible"_s));
    QCOMPARE(f.pointer.shape(), WindowPointer::Shape::Default);
}

void tst_SaveSpreadsheet::fullSheetIsReportedOnce()
{
    CommandFixture f;
    f.addResults({u"a"_s, u"b"_s, u"-c"_s, u"d"_s, u"e"_s, u"f"_s});
    f.spreadsheet.sheetRows = 4;

    saveResultsAsSpreadsheet(f.ctx);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.front().contains(u".PushButton13_Click at line 152\r\r"_s));
    QCOMPARE(f.spreadsheet.cells.size(), size_t(3));
    QCOMPARE(f.spreadsheet.cells.at({3, 1}), u"b"_s);
    QVERIFY(f.spreadsheet.calls.contains(u"setVisible"_s));
}

void tst_SaveSpreadsheet::rowsClearedWhileWriting_data()
{
    QTest::addColumn<QString>("change");

    QTest::newRow("cleared") << u"clear"_s;
    QTest::newRow("cleared and refilled") << u"refill"_s;
    QTest::newRow("one row removed") << u"remove"_s;
}

// The sheet gets the rows up to the first one that left the list, never rows
// of two lists.
void tst_SaveSpreadsheet::rowsClearedWhileWriting()
{
    QFETCH(QString, change);
    CommandFixture f;
    f.addResults({u"a"_s, u"b"_s, u"c"_s, u"d"_s});
    f.spreadsheet.beforeSetCell = [&](int row, int, const QString &) {
        if (row != 3)
            return;
        f.changeResults(change, {u"w"_s, u"x"_s, u"y"_s, u"z"_s});
    };

    saveResultsAsSpreadsheet(f.ctx);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.front().startsWith(u"Index out of bounds\r\n"_s));
    QVERIFY(messages.front().contains(u".PushButton13_Click at line 142\r\r"_s));
    QCOMPARE(f.spreadsheet.cells.size(), size_t(3));
    QVERIFY(f.spreadsheet.calls.contains(u"setVisible"_s));
    QCOMPARE(f.pointer.shape(), WindowPointer::Shape::Default);
}

QTEST_GUILESS_MAIN(tst_SaveSpreadsheet)
#include "tst_savespreadsheet.moc"
