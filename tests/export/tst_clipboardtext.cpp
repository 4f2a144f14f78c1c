#include "export/ClipboardText.h"
#include "lists/RowModel.h"
#include "support/ItemModelReader.h"
#include "support/MemoryClipboard.h"
#include "support/RecordingProgress.h"
#include "support/TestLists.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The clipboard text of a list, and placing text on a busy clipboard.
class tst_ClipboardText : public QObject
{
    Q_OBJECT

private slots:
    void resultsText_data();
    void resultsText();
    void tableText_data();
    void tableText();
    void retries_data();
    void retries();
};

void tst_ClipboardText::resultsText_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("text");

    QTest::newRow("example: trailing spaces dropped, unchecked left out")
        << QStringList{u"pear"_s, u"fig  "_s, u"-apple"_s} << u"pear\r\nfig\r\n"_s;
    QTest::newRow("leading spaces stay")
        << QStringList{u"  pear"_s, u"fig"_s} << u"  pear\r\nfig\r\n"_s;
    QTest::newRow("space-only and empty rows give empty lines")
        << QStringList{u"   "_s, QString(), u"x"_s} << u"\r\n\r\nx\r\n"_s;
    QTest::newRow("TABs stay, only spaces at the end go")
        << QStringList{u"a\t b \t  "_s} << u"a\t b \t\r\n"_s;
    QTest::newRow("no header, width of rows only")
        << QStringList{u"a"_s, u"-a much longer unchecked row"_s} << u"a\r\n"_s;
    QTest::newRow("non-ASCII text unchanged")
        << QStringList{u"Größe € \U0001F600 "_s} << u"Größe € \U0001F600\r\n"_s;
}

void tst_ClipboardText::resultsText()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, text);
    RowModel results(true);
    appendMarkedRows(results, rows);
    RecordingProgress status;

    QCOMPARE(clipboardTextOf(results, &status), text);
}

void tst_ClipboardText::tableText_data()
{
    QTest::addColumn<std::vector<QStringList>>("rows");
    QTest::addColumn<QString>("text");

    QTest::newRow("padded middle cells, bare last cell")
        << std::vector<QStringList>{{u"pear"_s, u"12"_s, u"ripe  "_s},
                                    {u"-fig"_s, u"1000"_s, u"dried"_s},
                                    {u"apple"_s, u""_s, u"x"_s}}
        << u"pear \t12  \tripe\r\napple\t    \tx\r\n"_s;
    QTest::newRow("empty last column keeps the TAB before it")
        << std::vector<QStringList>{{u"a"_s, u""_s, u""_s}, {u"bb"_s, u"c"_s, u""_s}}
        << u"a \t \t\r\nbb\tc\t\r\n"_s;
    QTest::newRow("spaces of the last cell stop at the TAB")
        << std::vector<QStringList>{{u"a"_s, u"  "_s, u"   "_s}} << u"a\t  \t\r\n"_s;
}

void tst_ClipboardText::tableText()
{
    QFETCH(std::vector<QStringList>, rows);
    QFETCH(QString, text);
    const auto table = makeTable({u"One long header"_s, u"Two"_s, u"Three"_s}, rows);

    QCOMPARE(clipboardTextOf(ItemModelReader(*table), nullptr), text);
}

void tst_ClipboardText::retries_data()
{
    QTest::addColumn<int>("busyAttempts");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<int>("attempts");

    QTest::newRow("free at once") << 0 << true << 2;
    QTest::newRow("busy for a while") << 1500 << true << 1501;
    QTest::newRow("busy through every attempt") << 2000 << false << 2000;
}

void tst_ClipboardText::retries()
{
    QFETCH(int, busyAttempts);
    QFETCH(bool, placed);
    QFETCH(int, attempts);
    MemoryClipboard clipboard;
    clipboard.busyAttempts = busyAttempts;

    clearClipboard(clipboard);
    QCOMPARE(placeOnClipboard(clipboard, u"text"_s), placed);

    QCOMPARE(clipboard.attempts, attempts);
    QCOMPARE(clipboard.text.has_value(), placed);
}

QTEST_GUILESS_MAIN(tst_ClipboardText)
#include "tst_clipboardtext.moc"
