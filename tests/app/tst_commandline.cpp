#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "lists/RowModel.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"
#include "support/WindowFixture.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// What `tarnveil ...` does with its arguments, and files given on the command
// line reaching the content list.
class tst_CommandLine : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
    void filesBecomeWholePaths();
    void filesLoadInOrder();
};

void tst_CommandLine::answers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: the window starts
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");

    QTest::newRow("no arguments") << QStringList() << -1 << QString() << QString();
    QTest::newRow("--version") << QStringList{u"--version"_s} << 0 << u"tarnveil 1.2.3\n"_s
                               << QString();
    QTest::newRow("-v") << QStringList{u"-v"_s} << 0 << u"tarnveil 1.2.3"_s << QString();
    QTest::newRow("--help") << QStringList{u"--help"_s} << 0 << u"Usage: tarnveil [options]"_s
                            << QString();
    QTest::newRow("--help names standard input")
        << QStringList{u"--help"_s} << 0 << u"- for standard input"_s << QString();
    QTest::newRow("help among files")
        << QStringList{u"a.txt"_s, u"-h"_s} << 0 << u"--version"_s << QString();
    QTest::newRow("unknown option")
        << QStringList{u"--sort"_s} << 2 << QString() << u"Unknown option 'sort'"_s;
    QTest::newRow("unknown short option")
        << QStringList{u"a.txt"_s, u"-x"_s} << 2 << QString() << u"Usage: tarnveil"_s;
    QTest::newRow("a file named like an option after --")
        << QStringList{u"--"_s, u"--help"_s} << -1 << QString() << QString();
    // Qt's own options reach Qt; --help does not list them.
    QTest::newRow("Qt's options") << QStringList{u"-style"_s, u"Fusion"_s, u"-reverse"_s,
                                                 u"-platform"_s, u"offscreen"_s}
                                  << -1 << QString() << QString();
    QTest::newRow("Qt's option with =")
        << QStringList{u"-stylesheet=x.qss"_s, u"a.txt"_s} << -1 << QString() << QString();
    QTest::newRow("--help keeps to its own")
        << QStringList{u"--help"_s} << 0 << u"-v, --version"_s << QString();
}

void tst_CommandLine::answers()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);

    const CommandLine line =
        readCommandLine(QStringList{u"/opt/x/tarnveil"_s} + arguments, u"1.2.3"_s, u"/work"_s);
    QCOMPARE(line.exitCode.value_or(-1), exitCode);
    QVERIFY2(line.output.contains(stdoutHas), qPrintable(line.output));
    QVERIFY2(line.errorOutput.contains(stderrHas), qPrintable(line.errorOutput));
    QCOMPARE(line.output.isEmpty(), stdoutHas.isEmpty());
    QCOMPARE(line.errorOutput.isEmpty(), stderrHas.isEmpty());
    QVERIFY2(!line.output.contains(u"--stylesheet"_s), qPrintable(line.output));
}

void tst_CommandLine::filesBecomeWholePaths()
{
    const CommandLine line =
        readCommandLine({u"tarnveil"_s, u"b.txt"_s, u"-"_s, u"/data/a.txt"_s, u"-style"_s,
                         u"Fusion"_s, u"sub/../c d.txt"_s, u"--"_s, u"-e.txt"_s, u"-"_s},
                        u"1.0"_s, u"/home/me"_s);
    QVERIFY(!line.exitCode);
    // "-" stays in its place: standard input.
    QCOMPARE(line.files, (QStringList{u"/home/me/b.txt"_s, u"-"_s, u"/data/a.txt"_s,
                                      u"/home/me/c d.txt"_s, u"/home/me/-e.txt"_s, u"-"_s}));
}

// Two files given on the command line arrive as if chosen in the open
// dialog: in their order, one batch each, with the pointer back at rest.
void tst_CommandLine::filesLoadInOrder()
{
    QTemporaryDir folder;
    QVERIFY(writeFile(folder.filePath(u"second.txt"_s), "zeta\r\nalpha\r\n"));
    QVERIFY(writeFile(folder.filePath(u"first.txt"_s), "\xEF\xBB\xBFmiddle\n  \nend"));
    const CommandLine line =
        readCommandLine({u"tarnveil"_s, u"second.txt"_s, u"first.txt"_s}, u"1.0"_s, folder.path());

    WindowFixture fixture;
    MainWindow &window = fixture.makeWindow();
    window.loadFiles(line.files);
    QCOMPARE(rowTexts(window.content()),
             (QStringList{u"zeta"_s, u"alpha"_s, u"middle"_s, u"end"_s}));
    QVERIFY(fixture.dialogs.shown.empty());
    QVERIFY(!window.pointer().busy());
}

QTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
