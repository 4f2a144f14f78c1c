#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "export/XlsxSpreadsheet.h"
#include "lists/RowModel.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

// Faults that reach the window in the middle of a command: the window being
// closed, and the results list cleared, while a command still runs.
class tst_WindowFaults : public QObject
{
    Q_OBJECT

private slots:
    void closingDuringACommand_data();
    void closingDuringACommand();
    void fileChangesAfterTheDialog_data();
    void fileChangesAfterTheDialog();
    void pathsLoadAndSave_data();
    void pathsLoadAndSave();
};

void tst_WindowFaults::closingDuringACommand_data()
{
    QTest::addColumn<Element>("button");
    QTest::addColumn<QStringList>("chosenFiles"); // relative to the work folder
    QTest::addColumn<QString>("closeAt"); // "box", "prompt", "dialog", "yield" or a status text

    const QStringList missingThenGood{u"missing.txt"_s, u"good.txt"_s};
    QTest::newRow("loading, at the File not found box")
        << Element::LoadFilesButton << missingThenGood << u"box"_s;
    QTest::newRow("loading, at the error box")
        << Element::LoadFilesButton << QStringList{u"folder"_s, u"good.txt"_s} << u"box"_s;
    QTest::newRow("loading, at the open dialog")
        << Element::LoadFilesButton << QStringList{u"good.txt"_s} << u"dialog"_s;
    QTest::newRow("sorting, at the number prompt")
        << Element::StartSortingButton << QStringList() << u"prompt"_s;
    QTest::newRow("sorting, while rows are read")
        << Element::StartSortingButton << QStringList() << u"Processing: "_s;
    QTest::newRow("sorting, between passes")
        << Element::StartSortingButton << QStringList() << u"Sorting: 1"_s;
    QTest::newRow("saving, at the save dialog")
        << Element::SaveTextFileButton << QStringList() << u"dialog"_s;
    QTest::newRow("saving, while rows are written")
        << Element::SaveTextFileButton << QStringList() << u"Writing file: old.txt (1000)"_s;
    QTest::newRow("copying, while it yields") << Element::CopyButton << QStringList() << u"yield"_s;
    QTest::newRow("spreadsheet, while it yields")
        << Element::SaveSpreadsheetButton << QStringList() << u"yield"_s;
}

// Closing ends the program at once: the command stops, the event loop ends,
// no box appears after the close and nothing the command would have made is
// left behind.
void tst_WindowFaults::closingDuringACommand()
{
    QFETCH(Element, button);
    QFETCH(QStringList, chosenFiles);
    QFETCH(QString, closeAt);

    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkpath(u"folder"_s));
    QVERIFY(QDir(work.path()).mkpath(u"workbooks"_s));
    QVERIFY(writeFile(work.filePath(u"good.txt"_s), "loaded\n"));
    const QString savePath = work.filePath(u"old.txt"_s);
    const QByteArray oldBytes = "the old file\r\n";
    QVERIFY(writeFile(savePath, oldBytes));

    int started = 0;
    XlsxSpreadsheet spreadsheet(
        [] {
            return XlsxSpreadsheet::Launch{u"calc"_s, {}};
        },
        [&](const QString &, const QStringList &) { return ++started; },
        work.filePath(u"workbooks"_s));
    WindowFixture fixture;
    ScriptedDialogs &dialogs = fixture.dialogs;
    QStringList paths;
    for (const QString &f : chosenFiles)
        paths << work.filePath(f);
    dialogs.openAnswers = {paths};
    dialogs.saveAnswers = {savePath};
    dialogs.inputAnswers = {u"2"_s};
    MemoryClipboard &clipboard = fixture.clipboard;
    clipboard.text = u"earlier"_s;
    MainWindow &window = fixture.makeWindow({.spreadsheet = &spreadsheet});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList content;
    for (int i = 0; i < 3000; ++i)
        content << QString::number((i * 7919) % 3000);
    window.content().append(content);
    const QStringList results(3000, u"a result"_s);
    window.results().append(results);
    const int option =
        window.sortOptionList()->findText(u"Sort Content Alphabetically By x Character Position"_s);
    QVERIFY(option >= 0);
    window.sortOptionList()->setCurrentIndex(option);

    size_t shownAtClose = 0;
    const auto close = [&] {
        if (window.isVisible()) {
            shownAtClose = dialogs.shown.size();
            window.close();
        }
    };
    using Kind = ScriptedDialogs::Shown::Kind;
    dialogs.onShown = [&](const ScriptedDialogs::Shown &shown) {
        if ((closeAt == u"box"_s && shown.kind == Kind::Message) ||
            (closeAt == u"prompt"_s && shown.kind == Kind::Input) ||
            (closeAt == u"dialog"_s &&
             (shown.kind == Kind::OpenFiles || shown.kind == Kind::SaveFile)))
            close();
    };
    connect(&window.statusLine(), &StatusLine::textSet, this, [&](const QString &text) {
        if (text.startsWith(closeAt))
            close();
    });

    // The click comes from the program's event loop, which the close has to end.
    QTimer::singleShot(0, &window, [&] {
        if (closeAt == u"yield"_s) {
            // The command's first yield that runs the event loop closes the window.
            QTimer::singleShot(0, &window, close);
            waitForTimeSlice(window.statusLine());
        } else if (closeAt == u"Processing: "_s) {
            // The first row's status is due, so it is set.
            waitForTimeSlice(window.statusLine());
        }
        click(window, button);
    });
    QTimer::singleShot(20000, &window, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);

    QVERIFY(window.statusLine().aborted());
    QVERIFY(!window.isVisible());
    QCOMPARE(dialogs.shown.size(), shownAtClose);
    QCOMPARE(rowTexts(window.content()), content);
    QCOMPARE(rowTexts(window.results()), results);
    QCOMPARE(readFile(savePath), oldBytes);
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{u"good.txt"_s, u"old.txt"_s}));
    QCOMPARE(clipboard.text, std::optional<QString>(u"earlier"_s));
    QCOMPARE(started, 0);
    QCOMPARE(QDir(work.filePath(u"workbooks"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
}

void tst_WindowFaults::fileChangesAfterTheDialog_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("message"); // the start of the one box, or empty

    QTest::newRow("removed") << u"remove"_s << QStringList() << u"File not found"_s;
    QTest::newRow("emptied") << u"empty"_s << QStringList() << QString();
    QTest::newRow("shortened") << u"shorten"_s << QStringList{u"first"_s} << QString();
    QTest::newRow("replaced by a folder") << u"folder"_s << QStringList() << u"Cannot read"_s;
    QTest::newRow("replaced by a pipe") << u"fifo"_s << QStringList() << u"Cannot read"_s;
}

// The chosen file changes while the open dialog is still up: what is there
// when it is read is loaded, or the failure is reported once.
void tst_WindowFaults::fileChangesAfterTheDialog()
{
    QFETCH(QString, change);
    QFETCH(QStringList, rows);
    QFETCH(QString, message);
    QTemporaryDir work;
    const QString path = work.filePath(u"chosen.txt"_s);
    QVERIFY(writeFile(path, "first\nsecond\nthird\n"));
    WindowFixture fixture;
    ScriptedDialogs &dialogs = fixture.dialogs;
    dialogs.openAnswers = {{path}};
    dialogs.onShown = [&](const ScriptedDialogs::Shown &shown) {
        if (shown.kind != ScriptedDialogs::Shown::Kind::OpenFiles)
            return;
        if (change != u"shorten"_s && change != u"empty"_s)
            QVERIFY(QFile::remove(path));
        if (change == u"empty"_s)
            QVERIFY(QFile::resize(path, 0));
        else if (change == u"shorten"_s)
            QVERIFY(QFile::resize(path, 6));
        else if (change == u"folder"_s)
            QVERIFY(QDir().mkdir(path));
        else if (change == u"fifo"_s)
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    };
    MainWindow &window = fixture.makeWindow();

    click(window, Element::LoadFilesButton);

    QCOMPARE(rowTexts(window.content()), rows);
    const QStringList messages = dialogs.messages();
    QCOMPARE(messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QVERIFY2(messages.front().startsWith(message), qPrintable(messages.front()));
    QVERIFY(!window.pointer().busy());
}

void tst_WindowFaults::pathsLoadAndSave_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("spaces") << u"two  spaces .txt"_s;
    QTest::newRow("quotes") << u"it's \"quoted\".txt"_s;
    QTest::newRow("newline") << u"line\nbreak.txt"_s;
    QTest::newRow("leading dash") << u"-rf"_s;
    QTest::newRow("leading double dash") << u"--help"_s;
    QTest::newRow("shell characters") << u"$(touch injected); `touch injected` | *.txt"_s;
    QTest::newRow("non-ASCII letters") << u"Grüße, Ελληνικά, 日本語 \U0001F600.txt"_s;
    QTest::newRow("backslash") << u"back\\slash.txt"_s;
}

// Any name the file system allows loads and saves through the commands.
void tst_WindowFaults::pathsLoadAndSave()
{
    QFETCH(QString, name);
    QTemporaryDir work;
    const QString folder = work.filePath(name + u" folder"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString input = QDir(folder).filePath(name);
    const QString output = QDir(folder).filePath(u"sorted "_s + name);
    QVERIFY(writeFile(input, "pear\r\nfig\r\n"));
    WindowFixture fixture;
    ScriptedDialogs &dialogs = fixture.dialogs;
    dialogs.openAnswers = {{input}};
    dialogs.saveAnswers = {output};
    MainWindow &window = fixture.makeWindow();
    window.sortOptionList()->setCurrentIndex(0);

    click(window, Element::LoadFilesButton);
    click(window, Element::StartSortingButton);
    click(window, Element::SaveTextFileButton);

    QCOMPARE(dialogs.messages(), QStringList{u"Done."_s});
    QCOMPARE(rowTexts(window.content()), (QStringList{u"pear"_s, u"fig"_s}));
    QCOMPARE(readFile(output), QByteArray("Sorted Content (Results)\t\r\n"
                                          "fig                     \t\r\n"
                                          "pear                    \t\r\n"));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
    QVERIFY(!QFile::exists(work.filePath(u"injected"_s)));
    QVERIFY(!QFile::exists(u"injected"_s));
}

QTEST_MAIN(tst_WindowFaults)
#include "tst_windowfaults.moc"
