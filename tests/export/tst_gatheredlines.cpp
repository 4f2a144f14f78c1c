#include "export/GatheredLines.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace Qt::StringLiterals;

// The lines as written, against each line and LF appended one by one.
class tst_GatheredLines : public QObject
{
    Q_OBJECT

private slots:
    void writesEveryLineInOrder_data();
    void writesEveryLineInOrder();
};

void tst_GatheredLines::writesEveryLineInOrder_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("longLineBytes"); // one line this long in the middle, when not 0

    QTest::newRow("no lines") << 0 << 0;
    QTest::newRow("a few lines") << 5 << 0;
    // Several blocks, each gathered by two threads.
    QTest::newRow("many blocks") << 400000 << 0;
    QTest::newRow("a line longer than a block") << 1000 << (9 << 20);
}

void tst_GatheredLines::writesEveryLineInOrder()
{
    QFETCH(int, lines);
    QFETCH(int, longLineBytes);

    // Lines of 0 to 60 bytes, in the shuffled order a sort leaves; some hold
    // a lone surrogate, which goes out as U+FFFD.
    QRandomGenerator random(5);
    std::string texts;
    std::vector<std::size_t> starts;
    for (int i = 0; i < lines; ++i) {
        starts.push_back(texts.size());
        const int size = int(random.bounded(61));
        for (int k = 0; k < size; ++k)
            texts += char('a' + random.bounded(26));
        if (random.bounded(50) == 0)
            texts += "\xED\xA0\x80";
    }
    starts.push_back(texts.size());
    std::string longLine;
    if (longLineBytes) {
        // A surrogate at the first place a piece may be cut.
        longLine.assign(std::size_t(longLineBytes), 'x');
        longLine.replace(std::size_t(1 << 21) - 1, 3, "\xED\xB0\x80");
    }

    LineRefs refs;
    std::string expected;
    const auto appendExpected = [&](std::string text) {
        for (std::size_t at = text.find("\xED"); at != std::string::npos; at = text.find("\xED"))
            text.replace(at, 3, "\xEF\xBF\xBD");
        expected += text + '\n';
    };
    std::vector<int> order;
    for (int i = 0; i < lines; ++i)
        order.push_back(i);
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (int k = 0; k < lines; ++k) {
        if (longLineBytes && k == lines / 2) {
            refs.append(LineRef{longLine.data(), quint32(longLine.size()), 0});
            appendExpected(longLine);
        }
        const std::size_t i = std::size_t(order[std::size_t(k)]);
        const std::size_t size = starts[i + 1] - starts[i];
        refs.append(LineRef{texts.data() + starts[i], quint32(size), 0});
        appendExpected(texts.substr(starts[i], size));
    }

    std::string written;
    writeGatheredLines(refs, [&](const char *bytes, std::size_t size) {
        QVERIFY(size > 0);
        written.append(bytes, size);
    });
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
}

QTEST_APPLESS_MAIN(tst_GatheredLines)
#include "tst_gatheredlines.moc"
