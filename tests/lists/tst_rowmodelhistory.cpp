#include "lists/RowHistory.h"
#include "lists/RowModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The history of a list's changes: what the views are told when a step is
// undone, and what it forgets.
class tst_RowModelHistory : public QObject
{
    Q_OBJECT

private slots:
    void undoIsOneChangeOfTheView_data();
    void undoIsOneChangeOfTheView();
    void memoryLimitForgetsTheOldest();
    void changeOutsideAStepForgets();
};

void tst_RowModelHistory::undoIsOneChangeOfTheView_data()
{
    QTest::addColumn<int>("before");  // rows in the list first
    QTest::addColumn<bool>("clears"); // or appends two rows
    QTest::addColumn<QByteArray>("undone");
    QTest::addColumn<QByteArray>("redone");
    QTest::newRow("clear") << 3 << true << "rowsInserted"_ba
                           << "modelReset"_ba;
    QTest::newRow("append to an empty list") << 0 << false << "modelReset"_ba
                                             << "rowsInserted"_ba;
    QTest::newRow("append behind rows") << 3 << false << "rowsRemoved"_ba
                                        << "rowsInserted"_ba;
}

void tst_RowModelHistory::undoIsOneChangeOfTheView()
{
    QFETCH(int, before);
    QFETCH(bool, clears);
    QFETCH(QByteArray, undone);
    QFETCH(QByteArray, redone);

    RowModel list(true);
    QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (int i = 0; i < before; ++i)
        list.append(u"row %1"_s.arg(i));
    RowHistory history;
    history.watch(list);
    {
        const RecordedStep step(&history, u"Change"_s);
        if (clears)
            list.clear();
        else
            list.append(QStringList{u"new"_s, u"newer"_s});
    }
    const QStringList after = list.texts();
    for (const bool undoing : {true, false}) {
        QSignalSpy about(&list, &RowModel::aboutToChange);
        QSignalSpy inserted(&list, &RowModel::rowsInserted);
        QSignalSpy removed(&list, &RowModel::rowsRemoved);
        QSignalSpy reset(&list, &RowModel::modelReset);
        QVERIFY(undoing ? history.undo() : history.redo());
        QCOMPARE(list.count(), undoing ? before : after.size());
        QCOMPARE(about.count(), 1);
        QCOMPARE(inserted.count() + removed.count() + reset.count(), 1);
        const QByteArray told = inserted.count()  ? "rowsInserted"
                                : removed.count() ? "rowsRemoved"
                                                  : "modelReset";
        QCOMPARE(told, undoing ? undone : redone);
    }
    QCOMPARE(list.texts(), after);
}

void tst_RowModelHistory::memoryLimitForgetsTheOldest()
{
    RowModel list(true);
    list.append(QStringList(200, u"a row of text"_s));
    const qsizetype limit = 1000;
    RowHistory history(limit);
    history.watch(list);
    for (const QString &name : {u"Check Row"_s, u"Clear List"_s}) {
        const RecordedStep step(&history, name);
        name == u"Clear List"_s ? list.clear() : list.setChecked(0, false);
    }
    // The newest step stays, however much it holds.
    QCOMPARE(history.undoSteps(), 1);
    QVERIFY(history.heldBytes() > limit);
    {
        const RecordedStep step(&history, u"Paste Lines"_s);
        list.append(u"pasted"_s);
    }
    QCOMPARE(history.undoSteps(), 1);
    QCOMPARE(history.undoName(), u"Paste Lines"_s);
    QCOMPARE(history.heldBytes(), 0);
}

// A change the history did not see would make its steps miss the rows.
void tst_RowModelHistory::changeOutsideAStepForgets()
{
    RowModel list(false);
    RowHistory history;
    history.watch(list);
    {
        const RecordedStep step(&history, u"Load"_s);
        list.append(QStringList{u"a"_s, u"b"_s});
    }
    QCOMPARE(history.undoSteps(), 1);
    list.removeAt(0);
    QCOMPARE(history.undoSteps(), 0);
    QVERIFY(!history.undo());
    QCOMPARE(list.texts(), QStringList{u"b"_s});
}

QTEST_GUILESS_MAIN(tst_RowModelHistory)
#include "tst_rowmodelhistory.moc"
