#include "commands/SaveSpreadsheet.h"
#include "export/XlsxSpreadsheet.h"
#include "support/CommandFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/time.h>

using namespace Qt::StringLiterals;

// How the desktop's spreadsheet application is found and started, with
// stand-in programs on PATH.
class tst_SpreadsheetLauncher : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void locate_data();
    void locate();
    void exportOpensTheWorkbookInTheApplication();
    void oldWorkbooksAreRemoved();
    void changedWorkbooksStay_data();
    void changedWorkbooksStay();

private:
    void addProgram(const QString &name, const QByteArray &body);

    std::unique_ptr<QTemporaryDir> m_bin;
    QByteArray m_path;
    QByteArray m_tmpdir;
};

void tst_SpreadsheetLauncher::init()
{
    m_bin = std::make_unique<QTemporaryDir>();
    QVERIFY(m_bin->isValid());
    m_path = qgetenv("PATH");
    m_tmpdir = qgetenv("TMPDIR");
    qputenv("PATH", QFile::encodeName(m_bin->path()));
}

void tst_SpreadsheetLauncher::cleanup()
{
    qputenv("PATH", m_path);
    if (m_tmpdir.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", m_tmpdir);
}

void tst_SpreadsheetLauncher::addProgram(const QString &name, const QByteArray &body)
{
    const QString path = m_bin->filePath(name);
    QVERIFY(writeFile(path, "#!/bin/sh\n" + body + "\n"));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

void tst_SpreadsheetLauncher::locate_data()
{
    QTest::addColumn<QStringList>("programs"); // name=script body
    QTest::addColumn<QString>("program");      // empty: none found
    QTest::addColumn<QStringList>("arguments");

    const QString handler = u"xdg-mime=echo libreoffice-calc.desktop"_s;
    const QString noHandler = u"xdg-mime=exit 0"_s;
    const QString open = u"xdg-open=exit 0"_s;
    QTest::newRow("LibreOffice as soffice")
        << QStringList{u"soffice=exit 0"_s, u"libreoffice=exit 0"_s, open, handler} << u"soffice"_s
        << QStringList{u"--calc"_s, u"-n"_s};
    QTest::newRow("LibreOffice as libreoffice")
        << QStringList{u"libreoffice=exit 0"_s, open, handler} << u"libreoffice"_s
        << QStringList{u"--calc"_s, u"-n"_s};
    QTest::newRow("default application for xlsx")
        << QStringList{open, handler} << u"xdg-open"_s << QStringList();
    QTest::newRow("no default application")
        << QStringList{open, noHandler} << QString() << QStringList();
    QTest::newRow("xdg-mime fails")
        << QStringList{open, u"xdg-mime=exit 3"_s} << QString() << QStringList();
    QTest::newRow("nothing") << QStringList() << QString() << QStringList();
}

void tst_SpreadsheetLauncher::locate()
{
    QFETCH(QStringList, programs);
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    for (const QString &p : programs)
        addProgram(p.section(u'=', 0, 0), p.section(u'=', 1).toUtf8());

    const std::optional<XlsxSpreadsheet::Launch> launch = XlsxSpreadsheet::locateOnThisDesktop();

    if (program.isEmpty()) {
        QVERIFY(!launch);
        return;
    }
    QVERIFY(launch);
    QCOMPARE(launch->program, m_bin->filePath(program));
    QCOMPARE(launch->arguments, arguments);
}

// The real launcher passes the file as one argument, whatever its folder holds.
void tst_SpreadsheetLauncher::exportOpensTheWorkbookInTheApplication()
{
    QTemporaryDir temp(QDir::tempPath() + u"/with space 'quote' $(touch injected); XXXXXX"_s);
    QVERIFY(temp.isValid());
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const QString record = m_bin->filePath(u"arguments"_s);
    addProgram(u"soffice"_s, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                 QFile::encodeName(record) + ".tmp\" && /bin/mv \"" +
                                 QFile::encodeName(record) + ".tmp\" \"" +
                                 QFile::encodeName(record) + "\"");
    const auto spreadsheet = XlsxSpreadsheet::forThisDesktop();
    CommandFixture f(*spreadsheet);
    f.addResults({u"pear"_s});

    saveResultsAsSpreadsheet(f.ctx);

    QCOMPARE(f.dialogs.messages(), QStringList());
    QTRY_VERIFY(QFile::exists(record));
    const QStringList arguments =
        QString::fromUtf8(readFile(record)).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(arguments.size(), 3);
    QCOMPARE(arguments.mid(0, 2), (QStringList{u"--calc"_s, u"-n"_s}));
    QVERIFY2(arguments[2].startsWith(temp.path() + u"/tarnveil-"_s), qPrintable(arguments[2]));
    QVERIFY(QFileInfo(arguments[2]).size() > 0);
    // No shell saw the folder's name.
    QVERIFY(!QFile::exists(temp.filePath(u"injected"_s)));
    QVERIFY(!QFile::exists(u"injected"_s));
}

// Folders of earlier exports go once they are a day old; anything else stays.
void tst_SpreadsheetLauncher::oldWorkbooksAreRemoved()
{
    QTemporaryDir root;
    const auto age = [&](const QString &name, int ageDays) {
        const timeval when[2] = {{time(nullptr) - ageDays * 86400 - 60, 0},
                                 {time(nullptr) - ageDays * 86400 - 60, 0}};
        QCOMPARE(utimes(QFile::encodeName(root.filePath(name)).constData(), when), 0);
    };
    const auto makeFolder = [&](const QString &name, const QStringList &files, int ageDays) {
        for (const QString &f : files)
            QVERIFY(writeFile(root.filePath(name + u'/' + f), {}));
        age(name, ageDays);
    };
    XlsxSpreadsheet spreadsheet(
        [] {
            return std::optional(XlsxSpreadsheet::Launch{u"calc"_s, {}});
        },
        [](const QString &, const QStringList &) { return true; }, root.path());
    // The folder of an earlier export: a workbook that was shown.
    {
        auto earlier = spreadsheet.createApplication();
        earlier->addWorkbook();
        earlier->setVisible();
    }
    const QStringList earlier = QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(earlier.size(), 1);
    age(earlier.front(), 2);
    makeFolder(u"tarnveil-new001"_s, {u"Results.xlsx"_s}, 0);
    makeFolder(u"tarnveil-mine01"_s, {u"Results.xlsx"_s, u"notes.txt"_s}, 2);
    makeFolder(u"other-old00001"_s, {u"Results.xlsx"_s}, 2);

    auto app = spreadsheet.createApplication();
    app->addWorkbook();

    QStringList left = QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(left.size(), 4);
    QVERIFY(!left.contains(earlier.front()));
    QVERIFY(left.contains(u"tarnveil-new001"_s));
    QVERIFY(left.contains(u"tarnveil-mine01"_s));
    QVERIFY(left.contains(u"other-old00001"_s));
    // A workbook that was never shown goes with its application.
    app.reset();
    left = QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(left.size(), 3);
}

void tst_SpreadsheetLauncher::changedWorkbooksStay_data()
{
    QTest::addColumn<QByteArray>("change"); // appended to the workbook
    QTest::addColumn<int>("touchedSecondsLater");
    QTest::addColumn<bool>("stays");

    QTest::newRow("unchanged") << QByteArray() << 0 << false;
    QTest::newRow("touched") << QByteArray() << 90 << true;
    QTest::newRow("saved with more") << QByteArray("edits") << 0 << true;
}

// A user who saved their edits into the workbook of an earlier export keeps
// it, however old its folder is.
void tst_SpreadsheetLauncher::changedWorkbooksStay()
{
    QFETCH(QByteArray, change);
    QFETCH(int, touchedSecondsLater);
    QFETCH(bool, stays);

    QTemporaryDir root;
    XlsxSpreadsheet spreadsheet(
        [] {
            return std::optional(XlsxSpreadsheet::Launch{u"calc"_s, {}});
        },
        [](const QString &, const QStringList &) { return true; }, root.path());
    {
        auto earlier = spreadsheet.createApplication();
        earlier->addWorkbook();
        earlier->setCell(1, 1, u"header"_s);
        earlier->setVisible();
    }
    const QStringList folders = QDir(root.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(folders.size(), 1);
    const QString folder = root.filePath(folders.front());
    const QString workbook = folder + u"/Results.xlsx"_s;
    if (!change.isEmpty()) {
        QFile file(workbook);
        QVERIFY(file.open(QIODevice::Append));
        QCOMPARE(file.write(change), change.size());
    }
    if (touchedSecondsLater > 0) {
        const time_t later =
            QFileInfo(workbook).lastModified().toSecsSinceEpoch() + touchedSecondsLater;
        const timeval when[2] = {{later, 0}, {later, 0}};
        QCOMPARE(utimes(QFile::encodeName(workbook).constData(), when), 0);
    }
    const time_t twoDaysAgo = time(nullptr) - 2 * 86400;
    const timeval aged[2] = {{twoDaysAgo, 0}, {twoDaysAgo, 0}};
    QCOMPARE(utimes(QFile::encodeName(folder).constData(), aged), 0);

    auto next = spreadsheet.createApplication();
    next->addWorkbook();
    QCOMPARE(QFileInfo::exists(workbook), stays);
}

QTEST_GUILESS_MAIN(tst_SpreadsheetLauncher)
#include "tst_spreadsheetlauncher.moc"
