#include "sort/HeadRadixSort.h"

#include "support/RecordingProgress.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace SortEngine;

// The entries as sorted by their heads, against a stable sort of each
// segment; heads drawn from few values or sharing their upper bytes tie or
// split late.
class tst_HeadRadixSort : public QObject
{
    Q_OBJECT

private slots:
    void matchesStableSort_data();
    void matchesStableSort();
};

void tst_HeadRadixSort::matchesStableSort_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("distinct");  // heads drawn from this many values; 0: any
    QTest::addColumn<int>("sharedBits"); // upper bits that every head shares
    QTest::addColumn<int>("segments");
    QTest::addColumn<bool>("reversed"); // entries in reverse line order
    QTest::addColumn<bool>("sorted");   // heads in order already

    QTest::newRow("random heads") << 300000 << 0 << 0 << 1 << false << false;
    QTest::newRow("few heads, many ties") << 200000 << 7 << 0 << 1 << false << false;
    QTest::newRow("ties in reverse line order") << 200000 << 300 << 0 << 1 << true << false;
    QTest::newRow("heads differing in their last byte") << 150000 << 0 << 56 << 1 << false << false;
    QTest::newRow("many segments") << 200000 << 1000 << 0 << 3000 << false << false;
    QTest::newRow("sorted already") << 100000 << 50 << 0 << 1 << false << true;
    QTest::newRow("below the merge's limit") << 5000 << 20 << 0 << 3 << true << false;
}

void tst_HeadRadixSort::matchesStableSort()
{
    QFETCH(int, count);
    QFETCH(int, distinct);
    QFETCH(int, sharedBits);
    QFETCH(int, segments);
    QFETCH(bool, reversed);
    QFETCH(bool, sorted);

    QRandomGenerator random(quint32(count + distinct));
    std::vector<quint64> values;
    for (int i = 0; i < std::max(distinct, 1); ++i)
        values.push_back(random.generate64());
    WorkArray<Entry> entries(count);
    for (int i = 0; i < count; ++i) {
        quint64 head = distinct ? values[random.bounded(quint32(distinct))] : random.generate64();
        if (sharedBits)
            head = (0xABCDEF0123456789ull & ~((quint64(1) << (64 - sharedBits)) - 1)) |
                   (head >> sharedBits);
        const int line = reversed ? count - 1 - i : i;
        entries[i] = Entry{head, quint32(line), quint32(random.generate())};
    }
    std::vector<qsizetype> segmentEnds;
    for (int s = 1; s < segments; ++s)
        segmentEnds.push_back(qsizetype(count) * s / segments);
    segmentEnds.push_back(count);
    const auto byHead = [](const Entry &a, const Entry &b) { return a.head < b.head; };
    if (sorted)
        std::stable_sort(entries.data(), entries.data() + count, byHead);

    std::vector<Entry> expected(entries.data(), entries.data() + count);
    qsizetype begin = 0;
    for (const qsizetype end : segmentEnds) {
        std::stable_sort(expected.begin() + begin, expected.begin() + end, byHead);
        begin = end;
    }

    RecordingProgress progress;
    sortByHeads(entries, segmentEnds, &progress);
    for (int i = 0; i < count; ++i) {
        const Entry &got = entries[i];
        const Entry &want = expected[std::size_t(i)];
        if (got.head != want.head || got.line != want.line || got.offset != want.offset)
            QFAIL(qPrintable(QStringLiteral("entry %1 differs").arg(i)));
    }
    // A sorted array takes the first pass only.
    if (sorted)
        QCOMPARE(progress.texts.size(), 0);
    else
        QVERIFY(progress.yields > 0);
}

QTEST_APPLESS_MAIN(tst_HeadRadixSort)
#include "tst_headradixsort.moc"
