#include "lists/RowHistory.h"
#include "lists/RowModel.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The history of a list's changes, and what it forgets.
class tst_RowModelHistory : public QObject
{
    Q_OBJECT

private slots:
    void memoryLimitForgetsTheOldest();
};

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

QTEST_GUILESS_MAIN(tst_RowModelHistory)
#include "tst_rowmodelhistory.moc"
