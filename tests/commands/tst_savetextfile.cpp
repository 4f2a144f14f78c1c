#include "commands/SaveTextFile.h"
#include "commands/WritePaddedTextFile.h"
#include "support/CommandFixture.h"
#include "support/ItemModelReader.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray spaces(int n)
{
    return QByteArray(n, ' ');
}

const QByteArray Header = "Sorted Content (Results)\t\r\n";

} // namespace

// "Save Results As Text File" and the padded text file it writes.
class tst_SaveTextFile : public QObject
{
    Q_OBJECT

private slots:
    void resultsBytes_data();
    void resultsBytes();
    void tableBytes_data();
    void tableBytes();
    void commandAsksAndShowsTheHourglass();
    void cancelledDialogWritesNothing();
    void replacesAnExistingFile();
    void unwritablePath_data();
    void unwritablePath();
    void laterSaveOfTheSameFileWins();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void status();
    void rowsLeaveWhileWriting_data();
    void rowsLeaveWhileWriting();
};

void tst_SaveTextFile::resultsBytes_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty list") << QStringList() << Header;
    QTest::newRow("no checked row") << QStringList{u"-pear"_s, u"-fig"_s} << Header;
    QTest::newRow("header is the widest")
        << QStringList{u"pear"_s, u"fig"_s}
        << Header + "pear" + spaces(20) + "\t\r\nfig" + spaces(21) + "\t\r\n";
    QTest::newRow("row as wide as the header")
        << QStringList{u"abcdefghijklmnopqrstuvwx"_s} << Header + "abcdefghijklmnopqrstuvwx\t\r\n";
    QTest::newRow("longer row widens the header")
        << QStringList{u"abcdefghijklmnopqrstuvwxyz"_s, u"a"_s}
        << "Sorted Content (Results)  \t\r\nabcdefghijklmnopqrstuvwxyz\t\r\na" + spaces(25) +
               "\t\r\n";
    QTest::newRow("unchecked long row widens the padding")
        << QStringList{u"a"_s, u"-abcdefghijklmnopqrstuvwxyz0123"_s, u"b"_s}
        << "Sorted Content (Results)" + spaces(6) + "\t\r\na" + spaces(29) + "\t\r\nb" +
               spaces(29) + "\t\r\n";
    QTest::newRow("leading and trailing spaces stay, padding after them")
        << QStringList{u"  pear  "_s} << Header + "  pear  " + spaces(16) + "\t\r\n";
    QTest::newRow("space-only and empty rows")
        << QStringList{u"   "_s, QString()}
        << Header + spaces(24) + "\t\r\n" + spaces(24) + "\t\r\n";
    QTest::newRow("TAB inside a row counts as one character")
        << QStringList{u"a\tb"_s} << Header + "a\tb" + spaces(21) + "\t\r\n";
    QTest::newRow("non-ASCII text is UTF-8, padded by UTF-16 units")
        << QStringList{u"Größe €"_s, u"\U0001F600"_s}
        << Header +
               "Gr\xc3\xb6\xc3\x9f"
               "e \xe2\x82\xac" +
               spaces(17) + "\t\r\n" + "\xf0\x9f\x98\x80" + spaces(22) + "\t\r\n";
    QTest::newRow("a lone surrogate becomes the replacement character")
        << QStringList{u"a"_s + QChar(0xD800) + u"b"_s}
        << Header +
               "a\xef\xbf\xbd"
               "b" +
               spaces(21) + "\t\r\n";
    QTest::newRow("duplicates all stay")
        << QStringList{u"x"_s, u"x"_s}
        << Header + "x" + spaces(23) + "\t\r\nx" + spaces(23) + "\t\r\n";
}

void tst_SaveTextFile::resultsBytes()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, bytes);
    CommandFixture f;
    f.addResults(rows);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);

    QCOMPARE(readFile(path), bytes);
    QCOMPARE(f.dialogs.messages(), QStringList());
}

void tst_SaveTextFile::tableBytes_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<std::vector<QStringList>>("rows");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("three columns")
        << QStringList{u"Name"_s, u"Qty"_s, u"Note"_s}
        << std::vector<QStringList>{{u"pear"_s, u"12"_s, u"ripe"_s},
                                    {u"-fig"_s, u"1000"_s, u"dried, from the shop"_s},
                                    {u"apple"_s, u""_s, u" x"_s}}
        << QByteArray("Name \tQty \tNote                \t\r\n"
                      "pear \t12  \tripe                \t\r\n"
                      "apple\t    \t x                  \t\r\n");
    QTest::newRow("empty headers and cells")
        << QStringList{QString(), QString()}
        << std::vector<QStringList>{{u""_s, u""_s}, {u"a"_s, u""_s}}
        << QByteArray(" \t\t\r\n \t\t\r\na\t\t\r\n");
}

void tst_SaveTextFile::tableBytes()
{
    QFETCH(QStringList, headers);
    QFETCH(std::vector<QStringList>, rows);
    QFETCH(QByteArray, bytes);
    const auto table = makeTable(headers, rows);
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"table.txt"_s);

    writePaddedTextFile(ItemModelReader(*table), path, nullptr, dialogs);

    QCOMPARE(readFile(path), bytes);
    QCOMPARE(dialogs.messages(), QStringList());
}

void tst_SaveTextFile::commandAsksAndShowsTheHourglass()
{
    CommandFixture f;
    f.addResults({u"pear"_s});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"typed without extension"_s);
    f.dialogs.saveAnswers = {path};
    bool hourglassWhileWriting = false;
    f.status.onYield = [&](int) { hourglassWhileWriting |= f.pointer.busy(); };

    saveResultsAsTextFile(f.ctx);

    QCOMPARE(f.dialogs.shown.size(), size_t(1));
    const ScriptedDialogs::Shown &dialog = f.dialogs.shown.front();
    QCOMPARE(dialog.kind, ScriptedDialogs::Shown::Kind::SaveFile);
    QCOMPARE(dialog.text, u"Save"_s);
    QCOMPARE(dialog.filters,
             (QStringList{u"Text Files (*.txt)"_s, u"All Files (*)"_s, u"Lines only (*.txt)"_s}));
    QVERIFY(hourglassWhileWriting);
    QCOMPARE(f.pointerShapes,
             (std::vector{WindowPointer::Shape::Hourglass, WindowPointer::Shape::Default}));
    QCOMPARE(readFile(path), Header + "pear" + spaces(20) + "\t\r\n");
}

void tst_SaveTextFile::cancelledDialogWritesNothing()
{
    CommandFixture f;
    f.addResults({u"pear"_s});

    saveResultsAsTextFile(f.ctx);

    QCOMPARE(f.dialogs.shown.size(), size_t(1));
    QVERIFY(f.pointerShapes.empty());
    QVERIFY(f.status.texts.isEmpty());
}

void tst_SaveTextFile::replacesAnExistingFile()
{
    CommandFixture f;
    f.addResults({u"fig"_s});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"old.txt"_s);
    QVERIFY(writeFile(path, QByteArray(10000, 'o')));

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);

    QCOMPARE(readFile(path), Header + "fig" + spaces(21) + "\t\r\n");
}

void tst_SaveTextFile::unwritablePath_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason"); // the system's, before the file's name

    QTest::newRow("folder does not exist")
        << u"missing/out.txt"_s << false << 156 << u"No such file or directory"_s;
    QTest::newRow("path is a folder")
        << u"folder"_s << false << 156 << u"Filename refers to a directory"_s;
    QTest::newRow("parent is a file")
        << u"locked/old.txt/out.txt"_s << false << 156 << u"Not a directory"_s;
    QTest::newRow("read-only folder, existing file")
        << u"locked/old.txt"_s << true << 156 << u"Permission denied"_s;
}

void tst_SaveTextFile::unwritablePath()
{
    QFETCH(QString, relativePath);
    QFETCH(bool, readOnlyFolder);
    QFETCH(int, line);
    QFETCH(QString, reason);
    if (readOnlyFolder && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    CommandFixture f;
    f.addResults({u"pear"_s, u"fig"_s, u"-plum"_s});
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(u"folder"_s));
    QVERIFY(QDir(dir.path()).mkpath(u"locked"_s));
    const QByteArray oldBytes = "keep me\r\n";
    QVERIFY(writeFile(dir.filePath(u"locked/old.txt"_s), oldBytes));
    const QString locked = dir.filePath(u"locked"_s);
    if (readOnlyFolder)
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    const QString path = dir.filePath(relativePath);

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.front().startsWith(reason + u": "_s + path + u"\r\n"_s),
             qPrintable(messages.front()));
    QVERIFY2(
        messages.front().contains(
            u"in Tarnveil2021/08/31.Main.SaveListviewProperlySpaced at line %1\r\r"_s.arg(line)),
        qPrintable(messages.front()));
    QCOMPARE(f.dialogs.shown.front().caption, u"Application Error"_s);
    QCOMPARE(f.status.texts.last(), u"Progress Bar"_s);
    QCOMPARE(f.status.positions.back(), 0.0);
    QCOMPARE(readFile(dir.filePath(u"locked/old.txt"_s)), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void tst_SaveTextFile::status()
{
    CommandFixture f;
    QStringList rows;
    for (int i = 1; i <= 3000; ++i)
        rows.append(i == 2000 ? u"-unchecked"_s : u"row"_s);
    f.addResults(rows);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"Results 1.txt"_s);

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);

    const QString writing = u"Writing file: Results 1.txt"_s;
    QCOMPARE(f.status.texts, (QStringList{writing, writing, writing, writing + u" (1000)"_s,
                                          writing + u" (3000)"_s, u"Done."_s, u"Progress Bar"_s}));
    // 1, 10, 20, one per checked row, then 100 and 0.
    QCOMPARE(f.status.positions.size(), size_t(3 + 2999 + 2));
    QCOMPARE(f.status.positions[0], 1.0);
    QCOMPARE(f.status.positions[1], 10.0);
    QCOMPARE(f.status.positions[2], 20.0);
    QCOMPARE(f.status.positions[3], (1.0 + 1) / 3000 * 100);
    QCOMPARE(f.status.positions[3 + 2998], (3000.0 + 1) / 3000 * 100);
    QCOMPARE(f.status.positions.back(), 0.0);
    // The window keeps running while the rows are measured and written.
    QVERIFY(f.status.yields >= 2 * 3000 / 100);
}

void tst_SaveTextFile::rowsLeaveWhileWriting_data()
{
    QTest::addColumn<bool>("measuring"); // or else writing the rows
    QTest::addColumn<QString>("change");
    QTest::addColumn<QList<int>>("lines"); // where the report may come from

    // Writing reads a row's check mark (188), then its cells (196).
    const QList<int> measuring{124};
    const QList<int> writing{188, 196};
    QTest::newRow("cleared while measuring") << true << u"clear"_s << measuring;
    QTest::newRow("cleared while writing") << false << u"clear"_s << writing;
    QTest::newRow("cleared and refilled while measuring") << true << u"refill"_s << measuring;
    QTest::newRow("cleared and refilled while writing") << false << u"refill"_s << writing;
    QTest::newRow("one row removed while writing") << false << u"remove"_s << writing;
}

// The results list's "Clear List" works while the rows are written: the save
// reports it once and leaves the old file as it was, never a file of rows
// from two lists or cut short.
void tst_SaveTextFile::rowsLeaveWhileWriting()
{
    QFETCH(bool, measuring);
    QFETCH(QString, change);
    QFETCH(QList<int>, lines);
    const int atYield = 3;
    CommandFixture f;
    f.addResults(QStringList(5000, u"pear"_s));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);
    const QByteArray oldBytes = "keep me\r\n";
    QVERIFY(writeFile(path, oldBytes));
    int passStart = 0;
    f.status.onYield = [&](int n) {
        // One text after the first status, three once the header is written.
        const qsizetype texts = measuring ? 1 : 3;
        if (passStart == 0 && f.status.texts.size() == texts)
            passStart = n - 1;
        if (passStart == 0 || n - passStart != atYield)
            return;
        f.changeResults(change, QStringList(5000, u"newer"_s));
    };

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);

    QVERIFY(passStart > 0);
    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.front().startsWith(u"Index out of bounds\r\n"_s), qPrintable(messages[0]));
    const auto fromLine = [&](int line) {
        return messages.front().contains(
            u".Main.SaveListviewProperlySpaced at line %1\r\r"_s.arg(line));
    };
    QVERIFY2(std::any_of(lines.begin(), lines.end(), fromLine), qPrintable(messages.front()));
    QCOMPARE(readFile(path), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.txt"_s});
    QCOMPARE(f.status.texts.last(), u"Progress Bar"_s);
}

// A second save of the same file, started while the first one yields, is the
// one the file keeps, although the first one ends after it.
void tst_SaveTextFile::laterSaveOfTheSameFileWins()
{
    CommandFixture f;
    f.addResults(QStringList(3000, u"pear"_s));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);
    QByteArray nestedBytes;
    bool nested = false;
    int writingYields = 0;
    f.status.onYield = [&](int) {
        // A few yields into the rows, whose count the first save has read.
        if (nested || f.status.texts.size() < 3 || ++writingYields < 3)
            return;
        nested = true;
        f.addResults({u"fig"_s});
        ScriptedDialogs dialogs;
        writePaddedTextFile(f.results, QDir(dir.path()).filePath(u"./out.txt"_s), nullptr, dialogs);
        nestedBytes = readFile(path);
    };

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);

    QVERIFY(nested);
    QVERIFY(nestedBytes.endsWith("fig" + spaces(21) + "\t\r\n"));
    QCOMPARE(readFile(path), nestedBytes);
    QCOMPARE(f.dialogs.messages(), QStringList());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.txt"_s});
}

void tst_SaveTextFile::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<qint64>("room"); // bytes a file may hold; -1: all but the last byte
    QTest::addColumn<int>("line");

    QTest::newRow("no room at all") << 200000 << qint64(0) << 222;
    QTest::newRow("full in the middle") << 200000 << qint64(256 * 1024) << 222;
    QTest::newRow("the last byte does not fit") << 200000 << qint64(-1) << 232;
    QTest::newRow("a short file that does not fit") << 3 << qint64(10) << 232;
}

// A file system that runs out of room in the middle of the save: one report,
// and the old file stays as it was.
void tst_SaveTextFile::failedWriteKeepsTheOldFile()
{
    QFETCH(int, rows);
    QFETCH(qint64, room);
    QFETCH(int, line);
    CommandFixture f;
    f.addResults(QStringList(rows, u"a row of the results"_s));
    if (room < 0)
        room = Header.size() + qint64(rows) * (24 + 3) - 1;
    QTemporaryDir dir;
    const QString path = dir.filePath(u"old.txt"_s);
    const QByteArray oldBytes = "keep me\r\n";
    QVERIFY(writeFile(path, oldBytes));
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(room);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);

    writePaddedTextFile(f.results, path, &f.status, f.dialogs);

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.front().startsWith(u"File too large: "_s + path + u"\r\n"_s),
             qPrintable(messages.front()));
    QVERIFY2(
        messages.front().contains(u".Main.SaveListviewProperlySpaced at line %1\r\r"_s.arg(line)),
        qPrintable(messages.front()));
    QCOMPARE(readFile(path), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.txt"_s});
    QCOMPARE(f.status.texts.last(), u"Progress Bar"_s);
}

QTEST_GUILESS_MAIN(tst_SaveTextFile)
#include "tst_savetextfile.moc"
