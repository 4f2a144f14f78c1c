#include "core/Failure.h"
#include "lists/RowHistory.h"
#include "lists/RowModel.h"
#include "support/RecordingProgress.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// Appending a batch that the caller hands over, and many rows taken out
// and put back (an undo and its redo).
class tst_RowModelAppend : public QObject
{
    Q_OBJECT

private slots:
    void takesTheTexts_data();
    void takesTheTexts();
    void yieldsWhileBuilding_data();
    void yieldsWhileBuilding();
    void manyRowsTakenAndPutBack_data();
    void manyRowsTakenAndPutBack();
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

void tst_RowModelAppend::yieldsWhileBuilding_data()
{
    QTest::addColumn<QString>("meanwhile");
    QTest::addColumn<bool>("ofCheckedRows");
    QTest::addColumn<QStringList>("before"); // the list's rows in front of the batch
    QTest::newRow("nothing") << u"nothing"_s << false << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("a row removed") << u"remove"_s << false << QStringList{u"b"_s};
    QTest::newRow("the list cleared") << u"clear"_s << false << QStringList();
    QTest::newRow("a box unticked") << u"untick"_s << false << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("a source box unticked")
        << u"untick source"_s << true << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("the window closed") << u"close"_s << false << QStringList{u"a"_s, u"b"_s};
}

// A batch larger than a slice yields while it is built; a change of the list
// meanwhile starts the building again, and the batch still goes in as one
// insertion, one step to undo.
void tst_RowModelAppend::yieldsWhileBuilding()
{
    QFETCH(QString, meanwhile);
    QFETCH(bool, ofCheckedRows);
    QFETCH(QStringList, before);

    QStringList batch;
    for (int i = 0; i < 40000; ++i)
        batch.append(u"row %1"_s.arg(i));
    RowModel source(true);
    source.append(batch);
    RowModel model(true);
    model.append(QStringList{u"a"_s, u"b"_s});
    RowHistory history;
    history.watch(model);
    QAbstractItemModelTester tester(&model);
    RecordingProgress progress;
    progress.closeAt = meanwhile == u"close" ? 1 : -1;
    progress.onYield = [&](int yield) {
        if (yield != 1)
            return;
        if (meanwhile == u"remove")
            model.removeAt(0);
        else if (meanwhile == u"clear")
            model.clear();
        else if (meanwhile == u"untick")
            model.setChecked(1, false);
        else if (meanwhile == u"untick source")
            source.setChecked(0, false);
    };
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    {
        const YieldingRows yielding(model, &progress);
        const RecordedStep step(&history, u"Append"_s);
        if (meanwhile == u"close")
            QVERIFY_THROWS_EXCEPTION(CommandAborted, model.append(batch));
        else if (ofCheckedRows)
            model.appendChecked(source);
        else
            model.append(batch);
    }

    QVERIFY(progress.yields > (meanwhile == u"close" ? 0 : 1));
    const QStringList rows = meanwhile == u"close" ? before : before + batch;
    QCOMPARE(inserted.count(), meanwhile == u"close" ? 0 : 1);
    QCOMPARE(model.count(), rows.size());
    for (int i = 0; i < model.count(); ++i) {
        QCOMPARE(model.text(i), rows[i]);
        QCOMPARE(model.isChecked(i), !(meanwhile == u"untick" && i == 1));
    }
    // The step undoes what happened in it: the batch and the change meanwhile.
    if (meanwhile != u"close")
        QVERIFY(history.undo());
    QCOMPARE(model.count(), 2);
    QCOMPARE(model.text(0), u"a"_s);
    QVERIFY(model.isChecked(1));
}

void tst_RowModelAppend::manyRowsTakenAndPutBack_data()
{
    QTest::addColumn<int>("after"); // rows after the ones taken

    QTest::newRow("at the end") << 0;
    QTest::newRow("in the middle, the rows after them moving") << 20000;
}

// The rows go out and back in slices that yield, with their marks and texts.
void tst_RowModelAppend::manyRowsTakenAndPutBack()
{
    QFETCH(int, after);

    constexpr int Before = 2;
    constexpr int Taken = 40000;
    QStringList texts;
    for (int i = 0; i < Before + Taken + after; ++i)
        texts.append(u"row %1"_s.arg(i));
    RowModel model(true);
    model.append(texts);
    std::vector<bool> marks(std::size_t(texts.size()), true);
    for (const int row : {0, Before + 7, Before + Taken - 1, int(texts.size()) - 1}) {
        model.setChecked(row, false);
        marks[std::size_t(row)] = false;
    }
    const auto listIs = [&](const QStringList &rows, const std::vector<bool> &checks) {
        QCOMPARE(model.count(), rows.size());
        for (int i = 0; i < model.count(); ++i) {
            QCOMPARE(model.text(i), rows[i]);
            QCOMPARE(model.isChecked(i), bool(checks[std::size_t(i)]));
        }
    };
    QAbstractItemModelTester tester(&model);
    RecordingProgress progress;
    const YieldingRows yielding(model, &progress);

    RowChange inserted = RowChange::rowsInserted(Before, Taken);
    RowChange removed = model.revertChange(inserted);
    QVERIFY(progress.yields > 1);
    std::vector<bool> left(marks.begin(), marks.begin() + Before);
    left.insert(left.end(), marks.end() - after, marks.end());
    listIs(texts.mid(0, Before) + texts.mid(Before + Taken), left);

    const int yields = progress.yields;
    model.revertChange(removed);
    QVERIFY(progress.yields > yields + 1);
    listIs(texts, marks);
}

QTEST_GUILESS_MAIN(tst_RowModelAppend)
#include "tst_rowmodelappend.moc"
