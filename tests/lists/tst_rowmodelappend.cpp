#include "lists/RowModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Appending a batch that the caller hands over.
class tst_RowModelAppend : public QObject
{
    Q_OBJECT

private slots:
    void takesTheTexts_data();
    void takesTheTexts();
};

void tst_RowModelAppend::takesTheTexts_data()
{
    QTest::addColumn<bool>("sharedBatch");
    QTest::addColumn<bool>("checkable");
    QTest::newRow("batch of its own") << false << true;
    QTest::newRow("batch shared with the caller") << true << true;
    QTest::newRow("content list") << false << false;
}

void tst_RowModelAppend::takesTheTexts()
{
    QFETCH(bool, sharedBatch);
    QFETCH(bool, checkable);

    RowModel model(checkable);
    QAbstractItemModelTester tester(&model);
    model.append(u"first"_s);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    QStringList batch = {u" b "_s, u"a"_s, u"a"_s, QString()};
    const QStringList expected = batch;
    const QStringList keep = sharedBatch ? batch : QStringList();
    model.append(std::move(batch));

    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.at(0).at(1).toInt(), 1);
    QCOMPARE(inserted.at(0).at(2).toInt(), 4);
    QCOMPARE(model.count(), 5);
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(model.text(i + 1), expected.at(i));
        QCOMPARE(model.isChecked(i + 1), checkable);
    }
    if (sharedBatch)
        QCOMPARE(keep, expected);
}

QTEST_GUILESS_MAIN(tst_RowModelAppend)
#include "tst_rowmodelappend.moc"
