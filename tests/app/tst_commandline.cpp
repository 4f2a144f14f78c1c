#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/SortCommand.h"
#include "lists/RowModel.h"
#include "sort/SortOptions.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"
#include "support/WindowFixture.h"

#include <QDir>
#include <QProcess>
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
    void sortRequests_data();
    void sortRequests();
    void listedRowsAreTakenBack();
    void sortRequestPaths();
    void sortCommandForKeysSurvivesTheShell();
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
        << QStringList{u"--sorted"_s} << 2 << QString() << u"Unknown option 'sorted'"_s;
    QTest::newRow("--sort without its row")
        << QStringList{u"--sort"_s} << 2 << QString() << u"Missing value after '--sort'"_s;
    QTest::newRow("--help names --sort and --list-sorts")
        << QStringList{u"--help"_s} << 0 << u"--list-sorts"_s << QString();
    QTest::newRow("--list-sorts") << QStringList{u"--list-sorts"_s} << 0
                                  << u"0\talphabetical\tSort Content Alphabetically\n"_s
                                  << QString();
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

void tst_CommandLine::sortRequests_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode"); // -1: the sort runs
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("stderrHas");

    const auto add = [](const char *name, const QStringList &arguments, int exitCode, int row,
                        int number, const QString &stderrHas) {
        QTest::newRow(name) << arguments << exitCode << row << number << stderrHas;
    };
    add("row by number", {u"--sort"_s, u"16"_s, u"a.txt"_s}, -1, 16, 0, {});
    add("row by short name", {u"--sort"_s, u"from-word"_s, u"--arg"_s, u"2"_s}, -1, 7, 2, {});
    add("a half rounds to the even position", {u"--sort"_s, u"3"_s, u"--arg"_s, u" 2.5 "_s}, -1, 3,
        2, {});
    add("3.5 rounds up", {u"--sort"_s, u"3"_s, u"--arg=3.5"_s}, -1, 3, 4, {});
    add("an exponent", {u"--sort"_s, u"7"_s, u"--arg"_s, u"1e1"_s}, -1, 7, 10, {});
    add("a text may be empty", {u"--sort"_s, u"9"_s, u"--arg"_s, QString()}, -1, 9, 0, {});
    add("a filter with its flags",
        {u"--sort"_s, u"remove-containing"_s, u"--arg"_s, u"^x+$"_s, u"--pattern"_s,
         u"--ignore-case"_s},
        -1, 31, 0, {});
    add("keys", {u"--sort"_s, u"keys"_s, u"--keys"_s, uR"({"keys":[{"part":"line"}]})"_s}, -1, 28,
        0, {});
    add("a language", {u"--sort"_s, u"27"_s, u"--locale"_s, u"sv"_s}, -1, 27, 0, {});

    add("a separator row", {u"--sort"_s, u"4"_s}, 2, 0, 0, u"row 4 is a separator"_s);
    add("past the last row", {u"--sort"_s, u"35"_s}, 2, 0, 0, u"no sort option \"35\""_s);
    add("a negative row", {u"--sort"_s, u"-1"_s}, 2, 0, 0, u"no sort option \"-1\""_s);
    add("an unknown name", {u"--sort"_s, u"Alphabetical"_s}, 2, 0, 0, u"--list-sorts"_s);
    add("a row number with a sign", {u"--sort"_s, u"+3"_s, u"--arg"_s, u"2"_s}, 2, 0, 0,
        u"no sort option \"+3\""_s);
    add("--sort twice", {u"--sort"_s, u"0"_s, u"--sort"_s, u"1"_s}, 2, 0, 0,
        u"--sort is given twice"_s);
    add("--pattern twice",
        {u"--sort"_s, u"30"_s, u"--arg"_s, u"x"_s, u"--pattern"_s, u"--pattern"_s}, 2, 0, 0,
        u"--pattern is given twice"_s);
    add("--arg missing", {u"--sort"_s, u"from-character"_s}, 2, 0, 0,
        u"row 3 (from-character) needs --arg"_s);
    add("--arg missing for a filter", {u"--sort"_s, u"30"_s, u"--pattern"_s}, 2, 0, 0,
        u"needs --arg"_s);
    add("--arg to a row that asks nothing", {u"--sort"_s, u"0"_s, u"--arg"_s, u"2"_s}, 2, 0, 0,
        u"row 0 (alphabetical) takes no --arg"_s);
    add("not a number", {u"--sort"_s, u"3"_s, u"--arg"_s, u"two"_s}, 2, 0, 0,
        u"--arg \"two\" is not a number (Enter character position:)"_s);
    add("an empty number", {u"--sort"_s, u"7"_s, u"--arg"_s, QString()}, 2, 0, 0,
        u"is not a number (Enter word number x:)"_s);
    add("a position past 32 bits", {u"--sort"_s, u"3"_s, u"--arg"_s, u"2147483648"_s}, 2, 0, 0,
        u"--arg \"2147483648\": Overflow"_s);
    add("a position that rounds to 0", {u"--sort"_s, u"3"_s, u"--arg"_s, u"0.5"_s}, 2, 0, 0,
        u"Invalid procedure call or argument"_s);
    add("--ignore-case to a sort", {u"--sort"_s, u"19"_s, u"--ignore-case"_s}, 2, 0, 0,
        u"takes neither --ignore-case nor --pattern"_s);
    add("--pattern to the characters of row 9",
        {u"--sort"_s, u"9"_s, u"--arg"_s, u"x"_s, u"--pattern"_s}, 2, 0, 0,
        u"takes neither --ignore-case nor --pattern"_s);
    add("a pattern that does not compile",
        {u"--sort"_s, u"30"_s, u"--arg"_s, u"(a"_s, u"--pattern"_s}, 2, 0, 0,
        u"tarnveil: --arg: The pattern does not compile"_s);
    add("the same text as plain text", {u"--sort"_s, u"30"_s, u"--arg"_s, u"(a"_s}, -1, 30, 0, {});
    add("keys to another row", {u"--sort"_s, u"0"_s, u"--keys"_s, u"{}"_s}, 2, 0, 0,
        u"takes no keys"_s);
    add("row 28 without keys", {u"--sort"_s, u"28"_s}, 2, 0, 0,
        u"needs --keys JSON or --keys-file FILE"_s);
    add("--keys and --keys-file",
        {u"--sort"_s, u"28"_s, u"--keys"_s, u"{}"_s, u"--keys-file"_s, u"k"_s}, 2, 0, 0,
        u"give one of them"_s);
    add("keys that are not JSON", {u"--sort"_s, u"28"_s, u"--keys"_s, u"{"_s}, 2, 0, 0,
        u"tarnveil: --keys: not JSON"_s);
    add("keys that are not valid",
        {u"--sort"_s, u"28"_s, u"--keys"_s,
         uR"({"keys":[{"part":"line"},{"part":"field","field":0}]})"_s},
        2, 0, 0, u"tarnveil: Key 2: "_s);
    add("--locale to another row", {u"--sort"_s, u"0"_s, u"--locale"_s, u"de"_s}, 2, 0, 0,
        u"takes no --locale"_s);
    add("a language without dictionary order", {u"--sort"_s, u"27"_s, u"--locale"_s, u"xx_YY"_s}, 2,
        0, 0, u"no dictionary order for \"xx_YY\""_s);
    add("--arg without --sort", {u"--arg"_s, u"2"_s, u"a.txt"_s}, 2, 0, 0,
        u"--arg goes with --sort"_s);
    add("--output without --sort", {u"--output"_s, u"b.txt"_s}, 2, 0, 0,
        u"--output goes with --sort"_s);
    add("--output empty", {u"--sort"_s, u"0"_s, u"--output"_s, QString()}, 2, 0, 0,
        u"--output needs a file name"_s);
}

void tst_CommandLine::sortRequests()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(int, row);
    QFETCH(int, number);
    QFETCH(QString, stderrHas);

    const CommandLine line =
        readCommandLine(QStringList{u"tarnveil"_s} + arguments, u"1.0"_s, u"/work"_s);
    QCOMPARE(line.exitCode.value_or(-1), exitCode);
    QVERIFY2(line.errorOutput.contains(stderrHas), qPrintable(line.errorOutput));
    QCOMPARE(line.errorOutput.isEmpty(), stderrHas.isEmpty());
    QVERIFY(line.output.isEmpty());
    QCOMPARE(line.sort.has_value(), exitCode < 0);
    if (line.sort) {
        QCOMPARE(line.sort->row, row);
        QCOMPARE(line.sort->number, number);
    }
}

// Every row --list-sorts prints is taken back by its number and by its name.
void tst_CommandLine::listedRowsAreTakenBack()
{
    const QStringList listed = readCommandLine({u"tarnveil"_s, u"--list-sorts"_s}, u"1.0"_s, u"/"_s)
                                   .output.split(u'\n', Qt::SkipEmptyParts);
    QSet<QString> names;
    for (const QString &entry : listed) {
        const QStringList columns = entry.split(u'\t');
        QCOMPARE(columns.size(), 3);
        const int row = columns[0].toInt();
        QCOMPARE(columns[2], sortOptions()[std::size_t(row)].caption);
        QVERIFY2(!columns[1].isEmpty() && !names.contains(columns[1]), qPrintable(entry));
        names.insert(columns[1]);
        QStringList answer;
        switch (sortOptions()[std::size_t(row)].asks) {
        case SortAnswer::None:
            break;
        case SortAnswer::Keys:
            answer = {u"--keys"_s, uR"({"keys":[{"part":"line"}]})"_s};
            break;
        default:
            answer = {u"--arg"_s, u"1"_s};
        }
        for (const QString &given : {columns[0], columns[1]}) {
            const CommandLine line = readCommandLine(
                QStringList{u"tarnveil"_s, u"--sort"_s, given} + answer, u"1.0"_s, u"/"_s);
            QVERIFY2(line.sort, qPrintable(line.errorOutput));
            QCOMPARE(line.sort->row, row);
        }
    }
    // The separators are the rows left out.
    QCOMPARE(listed.size(), 28);
}

void tst_CommandLine::sortRequestPaths()
{
    const CommandLine line = readCommandLine({u"tarnveil"_s, u"--sort"_s, u"28"_s, u"--keys-file"_s,
                                              u"k.json"_s, u"--output"_s, u"../out.txt"_s},
                                             u"1.0"_s, u"/home/me"_s);
    QVERIFY2(line.sort, qPrintable(line.errorOutput));
    QCOMPARE(line.sort->keysFile, u"/home/me/k.json"_s);
    QCOMPARE(line.sort->output, u"/home/out.txt"_s);
    // No file: standard input.
    QCOMPARE(line.files, QStringList{u"-"_s});

    const CommandLine toStandardOutput = readCommandLine(
        {u"tarnveil"_s, u"--sort"_s, u"0"_s, u"--output"_s, u"-"_s, u"b.txt"_s, u"-"_s}, u"1.0"_s,
        u"/home/me"_s);
    QVERIFY(toStandardOutput.sort);
    QVERIFY(toStandardOutput.sort->output.isEmpty());
    QCOMPARE(toStandardOutput.files, (QStringList{u"/home/me/b.txt"_s, u"-"_s}));
}

// The command the "Sort Keys" dialog copies, run through a POSIX shell,
// gives back the same keys, quotes and all.
void tst_CommandLine::sortCommandForKeysSurvivesTheShell()
{
    ChosenKeySet keys;
    keys.keys = {ChosenKey{}, ChosenKey{}};
    keys.keys[0].part = KeyPart::Pattern;
    keys.keys[0].pattern = u"it's \"$HOME\" `x` \\d+ 'é' \n!"_s;
    keys.keys[1].part = KeyPart::Field;
    keys.keys[1].delimiter = u"'"_s;
    keys.header = true;
    const QString command = sortCommandFor(keys);
    QVERIFY2(command.startsWith(u"tarnveil --sort 28 --keys '"_s), qPrintable(command));

    QProcess shell;
    shell.start(u"/bin/sh"_s, {u"-c"_s, u"tarnveil() { printf '%s\\0' \"$@\"; }; "_s + command});
    QVERIFY(shell.waitForFinished());
    QCOMPARE(shell.exitCode(), 0);
    QStringList arguments = QString::fromUtf8(shell.readAllStandardOutput()).split(u'\0');
    arguments.removeLast();
    QCOMPARE(arguments.size(), 4);
    const CommandLine line =
        readCommandLine(QStringList{u"tarnveil"_s} + arguments, u"1.0"_s, u"/"_s);
    QVERIFY2(line.sort, qPrintable(line.errorOutput));
    QCOMPARE(line.sort->keys, std::optional(keys));
}

QTEST_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
