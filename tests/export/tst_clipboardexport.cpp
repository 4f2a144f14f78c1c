#include "ExportFixture.h"

#include "export/ClipboardExport.h"
#include "export/ExportCommands.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString Confirmation =
    u"Results have been copied to the clipboard.\r\rClick a text area where you normally type "
    u"and press Ctrl+V to paste the clipboard."_s;

} // namespace

class tst_ClipboardExport : public QObject
{
    Q_OBJECT

private slots:
    void resultsText_data();
    void resultsText();
    void tableText_data();
    void tableText();
    void commandPlacesTextAndConfirms_data();
    void commandPlacesTextAndConfirms();
    void rowsClearedWhileCopying_data();
    void rowsClearedWhileCopying();
    void retries_data();
    void retries();
};

void tst_ClipboardExport::resultsText_data()
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

void tst_ClipboardExport::resultsText()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, text);
    ExportFixture f;
    f.addResults(rows);

    QCOMPARE(ClipboardTextOf(f.results, &f.status), text);
}

void tst_ClipboardExport::tableText_data()
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

void tst_ClipboardExport::tableText()
{
    QFETCH(std::vector<QStringList>, rows);
    QFETCH(QString, text);
    const auto table = makeTable({u"One long header"_s, u"Two"_s, u"Three"_s}, rows);

    QCOMPARE(ClipboardTextOf(*table, nullptr), text);
}

void tst_ClipboardExport::commandPlacesTextAndConfirms_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<std::optional<QString>>("clipboard");
    QTest::addColumn<int>("clears");

    QTest::newRow("checked rows") << QStringList{u"pear "_s, u"fig"_s}
                                  << std::optional(u"pear\r\nfig\r\n"_s) << 1;
    QTest::newRow("no checked row places the empty text")
        << QStringList{u"-pear"_s} << std::optional(QString()) << 1;
    QTest::newRow("empty list leaves the clipboard alone")
        << QStringList() << std::optional(u"earlier"_s) << 0;
}

void tst_ClipboardExport::commandPlacesTextAndConfirms()
{
    QFETCH(QStringList, rows);
    QFETCH(std::optional<QString>, clipboard);
    QFETCH(int, clears);
    ExportFixture f;
    f.addResults(rows);
    f.clipboard.text = u"earlier"_s;

    PushButton5_Click(f.ctx);

    QCOMPARE(f.clipboard.text, clipboard);
    QCOMPARE(f.clipboard.clears, clears);
    QCOMPARE(f.dialogs.shown.size(), size_t(1));
    QCOMPARE(f.dialogs.shown.front().text, Confirmation);
    QCOMPARE(f.dialogs.shown.front().caption, u"Tarnveil"_s);
    QCOMPARE(f.dialogs.shown.front().icon, UserDialogs::Icon::None);
    QVERIFY(f.pointerShapes.empty());
}

void tst_ClipboardExport::rowsClearedWhileCopying_data()
{
    QTest::addColumn<int>("atYield");
    QTest::addColumn<QString>("change");

    // 1000 rows: the first 15 yields measure, the next ones build the text.
    QTest::newRow("cleared while measuring") << 5 << u"clear"_s;
    QTest::newRow("cleared while building") << 20 << u"clear"_s;
    QTest::newRow("cleared and refilled") << 20 << u"refill"_s;
    QTest::newRow("one row removed") << 20 << u"remove"_s;
}

// The copy stops at the first row that left the list; the clipboard keeps
// what it had, never rows of two lists.
void tst_ClipboardExport::rowsClearedWhileCopying()
{
    QFETCH(int, atYield);
    QFETCH(QString, change);
    ExportFixture f;
    f.addResults(QStringList(1000, u"pear"_s));
    f.clipboard.text = u"earlier"_s;
    f.status.onYield = [&](int n) {
        if (n != atYield)
            return;
        if (change == u"remove"_s) {
            f.results.removeAt(0);
            return;
        }
        f.results.clear();
        if (change == u"refill"_s)
            f.addResults(QStringList(1000, u"newer"_s));
    };

    PushButton5_Click(f.ctx);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(
        messages[0].contains(u"in Tarnveil2021/08/31.Form1.PushButton5_Click at line 106\r\r"_s));
    QCOMPARE(messages[1], Confirmation);
    QCOMPARE(f.clipboard.text, std::optional(u"earlier"_s));
}

void tst_ClipboardExport::retries_data()
{
    QTest::addColumn<int>("busyAttempts");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<int>("attempts");

    QTest::newRow("free at once") << 0 << true << 2;
    QTest::newRow("busy for a while") << 1500 << true << 1501;
    QTest::newRow("busy through every attempt") << 2000 << false << 2000;
}

void tst_ClipboardExport::retries()
{
    QFETCH(int, busyAttempts);
    QFETCH(bool, placed);
    QFETCH(int, attempts);
    MemoryClipboard clipboard;
    clipboard.busyAttempts = busyAttempts;

    ClipboardClear(clipboard);
    QCOMPARE(ClipboardSetText(clipboard, u"text"_s), placed);

    QCOMPARE(clipboard.attempts, attempts);
    QCOMPARE(clipboard.text.has_value(), placed);
}

QTEST_GUILESS_MAIN(tst_ClipboardExport)
#include "tst_clipboardexport.moc"
