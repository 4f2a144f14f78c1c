#include "lists/RowHistory.h"
#include "lists/RowModel.h"
#include "support/TestLists.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QStringList textsOf(const RowModel &model)
{
    QStringList texts;
    for (int i = 0; i < model.rowCount(); ++i)
        texts.append(model.data(model.index(i)).toString());
    return texts;
}

} // namespace

class tst_RowModel : public QObject
{
    Q_OBJECT

private slots:
    void appendKeepsOrderAndText_data();
    void appendKeepsOrderAndText();
    void batchIsOneInsertion_data();
    void batchIsOneInsertion();
    void removeAt_data();
    void removeAt();
    void clearIsOneReset();
    void checkMarks_data();
    void checkMarks();
    void markCounts_data();
    void markCounts();
    void header();
    void blocksGoWithTheirLastRow_data();
    void blocksGoWithTheirLastRow();
    void matchAgreesWithItemModels_data();
    void matchAgreesWithItemModels();
};

void tst_RowModel::appendKeepsOrderAndText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("duplicates") << QStringList{u"b"_s, u"a"_s, u"b"_s, u"b"_s};
    QTest::newRow("spaces and tabs") << QStringList{u"  lead"_s, u"trail  "_s, u"\tx\t"_s, u" "_s};
    QTest::newRow("empty and nul") << QStringList{QString(), u"a\0b"_s};
    QTest::newRow("not sorted") << QStringList{u"zeta"_s, u"Alpha"_s, u"10"_s, u"9"_s};
}

void tst_RowModel::appendKeepsOrderAndText()
{
    QFETCH(QStringList, texts);
    for (const bool batch : {false, true}) {
        RowModel model(false);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (batch) {
            model.append(texts);
        } else {
            for (const QString &text : texts)
                model.append(text);
        }
        QCOMPARE(model.count(), texts.size());
        QCOMPARE(rowTexts(model), texts);
        QCOMPARE(textsOf(model), texts);
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(model.text(i), texts.at(i));
    }
}

void tst_RowModel::batchIsOneInsertion_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("batch");
    QTest::addColumn<bool>("moved");
    QTest::newRow("into empty list, copied") << 0 << 5 << false;
    QTest::newRow("into empty list, moved") << 0 << 5 << true;
    QTest::newRow("behind rows, copied") << 3 << 4 << false;
    QTest::newRow("behind rows, moved") << 3 << 4 << true;
    QTest::newRow("empty batch") << 2 << 0 << true;
}

void tst_RowModel::batchIsOneInsertion()
{
    QFETCH(int, before);
    QFETCH(int, batch);
    QFETCH(bool, moved);

    RowModel model(true);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QStringList expected;
    for (int i = 0; i < before; ++i) {
        expected.append(u"old %1"_s.arg(i));
        model.append(expected.back());
    }

    QStringList texts;
    for (int i = 0; i < batch; ++i)
        texts.append(u"new %1"_s.arg(i));
    expected += texts;

    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    if (moved)
        model.append(std::move(texts));
    else
        model.append(texts);

    QCOMPARE(inserted.size(), batch > 0 ? 1 : 0);
    if (batch > 0) {
        QCOMPARE(inserted.front().at(1).toInt(), before);
        QCOMPARE(inserted.front().at(2).toInt(), before + batch - 1);
    }
    QCOMPARE(rowTexts(model), expected);
    for (int i = 0; i < model.count(); ++i)
        QVERIFY(model.isChecked(i));
}

void tst_RowModel::removeAt_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("left");
    const QStringList rows{u"a"_s, u"same"_s, u"same"_s, u"d"_s};
    QTest::newRow("first") << 0 << QStringList{u"same"_s, u"same"_s, u"d"_s};
    QTest::newRow("one of two duplicates") << 2 << QStringList{u"a"_s, u"same"_s, u"d"_s};
    QTest::newRow("last") << 3 << QStringList{u"a"_s, u"same"_s, u"same"_s};
    QTest::newRow("before the first") << -1 << rows;
    QTest::newRow("behind the last") << 4 << rows;
}

void tst_RowModel::removeAt()
{
    QFETCH(int, index);
    QFETCH(QStringList, left);
    RowModel model(true);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.append(QStringList{u"a"_s, u"same"_s, u"same"_s, u"d"_s});
    model.setChecked(3, false);

    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.removeAt(index);
    QCOMPARE(removed.size(), left.size() == 4 ? 0 : 1);
    QCOMPARE(rowTexts(model), left);
    // The check marks move with their rows.
    QCOMPARE(model.isChecked(model.count() - 1), left.back() != u"d"_s);
}

void tst_RowModel::clearIsOneReset()
{
    RowModel model(false);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.append(QStringList(1000, u"row"_s));
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.clear();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(removed.size(), 0);
    QCOMPARE(model.count(), 0);
    model.append(u"again"_s);
    QCOMPARE(rowTexts(model), QStringList{u"again"_s});
}

void tst_RowModel::checkMarks_data()
{
    QTest::addColumn<bool>("checkable");
    QTest::newRow("results list") << true;
    QTest::newRow("content list") << false;
}

void tst_RowModel::checkMarks()
{
    QFETCH(bool, checkable);
    RowModel model(checkable);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.append(QStringList{u"a"_s, u"b"_s});
    const QModelIndex first = model.index(0);

    QCOMPARE(model.flags(first).testFlag(Qt::ItemIsUserCheckable), checkable);
    QCOMPARE(model.data(first, Qt::CheckStateRole).isValid(), checkable);
    QCOMPARE(model.isChecked(0), checkable);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(model.setData(first, Qt::Unchecked, Qt::CheckStateRole), checkable);
    QCOMPARE(model.setData(first, u"edited"_s, Qt::EditRole), false);
    QCOMPARE(model.text(0), u"a"_s);
    QCOMPARE(changed.size(), checkable ? 1 : 0);
    QCOMPARE(model.isChecked(0), false);
    QCOMPARE(model.isChecked(1), checkable);

    // Setting the same mark again changes nothing.
    model.setChecked(0, false);
    QCOMPARE(changed.size(), checkable ? 1 : 0);
}

void tst_RowModel::markCounts_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("unticked");
    QTest::newRow("all ticked, words and a rest") << 130 << QList<int>{};
    QTest::newRow("first row") << 130 << QList<int>{0};
    QTest::newRow("either side of a word's end") << 130 << QList<int>{63, 64};
    QTest::newRow("last row, in the rest") << 130 << QList<int>{129};
    QTest::newRow("two whole words") << 128 << QList<int>{5, 127};
    QTest::newRow("short of a word") << 3 << QList<int>{1};
}

// Counting the ticked rows, and whether ticking all changes any, read the
// marks a word at a time.
void tst_RowModel::markCounts()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, unticked);
    RowModel model(true);
    QStringList texts;
    for (int i = 0; i < rows; ++i)
        texts.append(QString::number(i));
    model.append(texts);
    for (const int row : unticked)
        model.setChecked(row, false);
    QCOMPARE(model.checkedCount(), rows - int(unticked.size()));

    // Ticking all is a step to undo only when a row was unticked.
    RowHistory history;
    history.watch(model);
    {
        const RecordedStep step(&history, u"Check All"_s);
        model.setAllChecked(true);
    }
    QCOMPARE(model.checkedCount(), rows);
    QCOMPARE(history.undoSteps(), unticked.isEmpty() ? 0 : 1);
}

void tst_RowModel::header()
{
    RowModel model(false);
    QSignalSpy changed(&model, &QAbstractItemModel::headerDataChanged);
    model.setHeader(u"Content To Sort"_s);
    model.setHeader(u"Content To Sort"_s);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), u"Content To Sort"_s);
}

QTEST_GUILESS_MAIN(tst_RowModel)
void tst_RowModel::blocksGoWithTheirLastRow_data()
{
    QTest::addColumn<QString>("steps"); // c: clear content, r: clear results, 0..2: remove row
    QTest::addColumn<bool>("blockLeft");

    QTest::newRow("both lists hold rows") << u""_s << true;
    QTest::newRow("content cleared, results hold it") << u"c"_s << true;
    QTest::newRow("both cleared") << u"cr"_s << false;
    QTest::newRow("results cleared, content rows removed") << u"r000"_s << false;
    QTest::newRow("one content row left") << u"r00"_s << true;
}

// A file's text block stays while a row of either list points into it, and
// goes with the last one; rows read from another list show the same texts.
void tst_RowModel::blocksGoWithTheirLastRow()
{
    QFETCH(QString, steps);
    QFETCH(bool, blockLeft);

    RowModel content(false);
    RowModel results(true);
    std::weak_ptr<const QByteArray> watched;
    {
        auto block = std::make_shared<const QByteArray>("onetwothree");
        watched = block;
        content.append(block, {RowSpan{0, 3}, RowSpan{3, 3}, RowSpan{6, 5}});
    }
    LineRefs lines;
    for (int i = content.count() - 1; i >= 0; --i)
        lines.append(content.lineRef(i));
    results.append(content.blocks(), lines);
    QCOMPARE(rowTexts(results), (QStringList{u"three"_s, u"two"_s, u"one"_s}));
    QCOMPARE(results.isChecked(2), true);

    for (const QChar step : steps) {
        if (step == u'c')
            content.clear();
        else if (step == u'r')
            results.clear();
        else
            content.removeAt(step.digitValue());
    }
    QCOMPARE(!watched.expired(), blockLeft);
    if (blockLeft && results.count() == 3)
        QCOMPARE(results.text(0), u"three"_s);
}

// A view's type-ahead search must find the rows any item model would find.
void tst_RowModel::matchAgreesWithItemModels_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<int>("hits");
    QTest::addColumn<int>("flags");
    const int startsWith = Qt::MatchStartsWith;
    const int wrap = Qt::MatchStartsWith | Qt::MatchWrap;
    QTest::newRow("any case, wraps") << 4 << u"ap"_s << 1 << wrap;
    QTest::newRow("any case, every hit") << 2 << u"AP"_s << -1 << wrap;
    QTest::newRow("case-sensitive") << 0 << u"Ap"_s << -1 << (wrap | Qt::MatchCaseSensitive);
    QTest::newRow("no wrap stops at the end") << 4 << u"ap"_s << -1 << startsWith;
    QTest::newRow("two hits") << 0 << u"b"_s << 2 << wrap;
    QTest::newRow("no hit") << 1 << u"zz"_s << -1 << wrap;
    QTest::newRow("empty text matches all") << 3 << QString() << -1 << wrap;
    QTest::newRow("beyond the BMP, any case") << 0 << u"\U00010428"_s << -1 << wrap;
    // The Kelvin sign folds to an ASCII letter.
    QTest::newRow("folds into ASCII") << 0 << u"ke"_s << -1 << wrap;
    QTest::newRow("contains: the base search") << 0 << u"an"_s << -1 << int(Qt::MatchContains);
}

void tst_RowModel::matchAgreesWithItemModels()
{
    QFETCH(int, start);
    QFETCH(QString, wanted);
    QFETCH(int, hits);
    QFETCH(int, flags);
    const QStringList texts{u"apple"_s,   u"Banana"_s,      u"apricot"_s, u"band"_s,
                            u"APE"_s,     u"cherry"_s,      u"bang"_s,    u"\U00010400x"_s,
                            u"ap\0nul"_s, u"\u212Aelvin"_s, u"kelp"_s};
    RowModel model(true);
    model.append(texts);
    QStringListModel plain(texts);
    const auto rowsOf = [](const QModelIndexList &found) {
        QList<int> rows;
        for (const QModelIndex &index : found)
            rows.append(index.row());
        return rows;
    };
    const auto how = Qt::MatchFlags::fromInt(flags);
    QCOMPARE(rowsOf(model.match(model.index(start), Qt::DisplayRole, wanted, hits, how)),
             rowsOf(plain.match(plain.index(start), Qt::DisplayRole, wanted, hits, how)));
}

#include "tst_rowmodel.moc"
