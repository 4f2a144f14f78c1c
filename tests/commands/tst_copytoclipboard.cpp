#include "commands/CopyToClipboard.h"
#include "support/CommandFixture.h"

#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString Confirmation =
    u"Results have been copied to the clipboard.\r\rClick a text area where you normally type "
    u"and press Ctrl+V to paste the clipboard."_s;

} // namespace

// "Copy Results To Clipboard" on stand-ins for the window's parts.
class tst_CopyToClipboard : public QObject
{
    Q_OBJECT

private slots:
    void commandPlacesTextAndConfirms_data();
    void commandPlacesTextAndConfirms();
    void rowsClearedWhileCopying_data();
    void rowsClearedWhileCopying();
};

void tst_CopyToClipboard::commandPlacesTextAndConfirms_data()
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

void tst_CopyToClipboard::commandPlacesTextAndConfirms()
{
    QFETCH(QStringList, rows);
    QFETCH(std::optional<QString>, clipboard);
    QFETCH(int, clears);
    CommandFixture f;
    f.addResults(rows);
    f.clipboard.text = u"earlier"_s;

    copyResultsToClipboard(f.ctx);

    QCOMPARE(f.clipboard.text, clipboard);
    QCOMPARE(f.clipboard.clears, clears);
    QCOMPARE(f.dialogs.shown.size(), size_t(1));
    QCOMPARE(f.dialogs.shown.front().text, Confirmation);
    QCOMPARE(f.dialogs.shown.front().caption, u"Tarnveil"_s);
    QCOMPARE(f.dialogs.shown.front().icon, UserDialogs::Icon::None);
    QVERIFY(f.pointerShapes.empty());
}

void tst_CopyToClipboard::rowsClearedWhileCopying_data()
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
void tst_CopyToClipboard::rowsClearedWhileCopying()
{
    QFETCH(int, atYield);
    QFETCH(QString, change);
    CommandFixture f;
    f.addResults(QStringList(1000, u"pear"_s));
    f.clipboard.text = u"earlier"_s;
    f.status.onYield = [&](int n) {
        if (n != atYield)
            return;
        f.changeResults(change, QStringList(1000, u"newer"_s));
    };

    copyResultsToClipboard(f.ctx);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(
        messages[0].contains(u"in Tarnveil2021/08/31.Form1.PushButton5_Click at line 106\r\r"_s));
    QCOMPARE(messages[1], Confirmation);
    QCOMPARE(f.clipboard.text, std::optional(u"earlier"_s));
}

QTEST_GUILESS_MAIN(tst_CopyToClipboard)
#include "tst_copytoclipboard.moc"
