#include "app/Form1.h"
#include "app/StatusLine.h"
#include "app/UserDialogs.h"
#include "export/Clipboard.h"
#include "export/XlsxSpreadsheet.h"
#include "lists/RowModel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList rowsOf(const RowModel &model)
{
    QStringList rows;
    for (int i = 0; i < model.count(); ++i)
        rows << model.text(i);
    return rows;
}

} // namespace

// Faults that reach the window in the middle of a command: the window being
// closed, and the results list cleared, while a command still runs.
class tst_WindowFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void closingDuringACommand_data();
    void closingDuringACommand();

private:
    QTemporaryDir m_settingsDir;
};

void tst_WindowFaults::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_WindowFaults::closingDuringACommand_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("chosenFiles"); // relative to the work folder
    QTest::addColumn<QString>("closeAt"); // "box", "prompt", "dialog", "yield" or a status text

    const QStringList missingThenGood{u"missing.txt"_s, u"good.txt"_s};
    QTest::newRow("loading, at the File not found box")
        << u"PushButton3"_s << missingThenGood << u"box"_s;
    QTest::newRow("loading, at the error box")
        << u"PushButton3"_s << QStringList{u"folder"_s, u"good.txt"_s} << u"box"_s;
    QTest::newRow("loading, at the open dialog")
        << u"PushButton3"_s << QStringList{u"good.txt"_s} << u"dialog"_s;
    QTest::newRow("sorting, at the number prompt")
        << u"PushButton17"_s << QStringList() << u"prompt"_s;
    QTest::newRow("sorting, while rows are read")
        << u"PushButton17"_s << QStringList() << u"Processing: "_s;
    QTest::newRow("sorting, between passes")
        << u"PushButton17"_s << QStringList() << u"Sorting: 1"_s;
    QTest::newRow("saving, at the save dialog") << u"PushButton4"_s << QStringList() << u"dialog"_s;
    QTest::newRow("saving, while rows are written")
        << u"PushButton4"_s << QStringList() << u"Writing file: old.txt (1000)"_s;
    QTest::newRow("copying, while it yields") << u"PushButton5"_s << QStringList() << u"yield"_s;
    QTest::newRow("spreadsheet, while it yields")
        << u"PushButton13"_s << QStringList() << u"yield"_s;
}

// Closing ends the program at once: the command stops, the event loop ends,
// no box appears after the close and nothing the command would have made is
// left behind.
void tst_WindowFaults::closingDuringACommand()
{
    QFETCH(QString, button);
    QFETCH(QStringList, chosenFiles);
    QFETCH(QString, closeAt);

    QTemporaryDir work;
    QVERIFY(QDir(work.path()).mkpath(u"folder"_s));
    QVERIFY(QDir(work.path()).mkpath(u"workbooks"_s));
    writeFile(work.filePath(u"good.txt"_s), "loaded\n");
    const QString savePath = work.filePath(u"old.txt"_s);
    const QByteArray oldBytes = "the old file\r\n";
    writeFile(savePath, oldBytes);

    ScriptedDialogs dialogs;
    QStringList paths;
    for (const QString &f : chosenFiles)
        paths << work.filePath(f);
    dialogs.openAnswers = {paths};
    dialogs.saveAnswers = {savePath};
    dialogs.inputAnswers = {u"2"_s};
    MemoryClipboard clipboard;
    clipboard.text = u"earlier"_s;
    int started = 0;
    XlsxSpreadsheet spreadsheet([] { return XlsxSpreadsheet::Launch{u"calc"_s, {}}; },
                                [&](const QString &, const QStringList &) { return ++started; },
                                work.filePath(u"workbooks"_s));
    Form1Services services;
    services.dialogs = &dialogs;
    services.clipboard = &clipboard;
    services.spreadsheet = &spreadsheet;
    services.programFolder = work.path();
    Form1 window(services);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QStringList content;
    for (int i = 0; i < 3000; ++i)
        content << QString::number((i * 7919) % 3000);
    window.content().append(content);
    const QStringList results(3000, u"a result"_s);
    window.results().append(results);
    const int option =
        window.combo()->findText(u"Sort Content Alphabetically By x Character Position"_s);
    QVERIFY(option >= 0);
    window.combo()->setCurrentIndex(option);

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
    if (closeAt == u"yield"_s) {
        // The first yield that runs the event loop closes the window.
        QTimer::singleShot(0, &window, close);
        QThread::msleep(2 * StatusLine::SliceMs);
    }

    // The click comes from the program's event loop, which the close has to end.
    QTimer::singleShot(0, &window, [&] {
        auto *pushButton = window.findChild<QPushButton *>(button);
        QVERIFY(pushButton);
        pushButton->click();
    });
    QTimer::singleShot(20000, &window, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);

    QVERIFY(window.statusLine().aborted());
    QVERIFY(!window.isVisible());
    QCOMPARE(dialogs.shown.size(), shownAtClose);
    QCOMPARE(rowsOf(window.content()), content);
    QCOMPARE(rowsOf(window.results()), results);
    QCOMPARE(readAll(savePath), oldBytes);
    QCOMPARE(QDir(work.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{u"good.txt"_s, u"old.txt"_s}));
    QCOMPARE(clipboard.text, std::optional<QString>(u"earlier"_s));
    QCOMPARE(started, 0);
    QCOMPARE(QDir(work.filePath(u"workbooks"_s)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList());
}

QTEST_MAIN(tst_WindowFaults)
#include "tst_windowfaults.moc"
