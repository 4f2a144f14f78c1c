#include "commands/SaveTextFile.h"
#include "commands/WriteLinesFile.h"
#include "support/CommandFixture.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The "Lines only" file of "Save Results As Text File": the checked rows as
// they are, each followed by LF.
class tst_SaveLinesFile : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data();
    void bytes();
    void chosenFileType_data();
    void chosenFileType();
    void status();
    void longRowYieldsBetweenChunks_data();
    void longRowYieldsBetweenChunks();
    void clearedWhileWritingKeepsTheOldFile();
};

void tst_SaveLinesFile::bytes_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QByteArray>("bytes");

    const QChar high(0xD83D);
    const QChar low(0xDE00);
    QTest::newRow("rows in list order") << QStringList{u"pear"_s, u"apple"_s} << "pear\napple\n"_ba;
    QTest::newRow("unchecked rows left out") << QStringList{u"a"_s, u"-b"_s, u"c"_s} << "a\nc\n"_ba;
    QTest::newRow("empty list") << QStringList() << QByteArray();
    QTest::newRow("spaces, TAB and empty rows kept")
        << QStringList{u"  pear  "_s, u"a\tb"_s, u"   "_s, QString()}
        << "  pear  \na\tb\n   \n\n"_ba;
    QTest::newRow("non-ASCII is UTF-8 without a mark") << QStringList{u"Größe €"_s}
                                                       << "Gr\xc3\xb6\xc3\x9f"
                                                          "e \xe2\x82\xac\n"_ba;
    QTest::newRow("above U+FFFF") << QStringList{u"\U0001F600x"_s} << "\xf0\x9f\x98\x80x\n"_ba;
    QTest::newRow("lone high surrogate at a row's end")
        << QStringList{u"a"_s + high} << "a\xef\xbf\xbd\n"_ba;
    QTest::newRow("lone low surrogate at a row's start") << QStringList{low + u"b"_s}
                                                         << "\xef\xbf\xbd"
                                                            "b\n"_ba;
    QTest::newRow("lone high and lone low across two rows stay apart")
        << QStringList{u"a"_s + high, low + u"b"_s}
        << "a\xef\xbf\xbd\n\xef\xbf\xbd"
           "b\n"_ba;
    const QString row = u"row of the results"_s;
    QTest::newRow("rows across several chunks")
        << QStringList(100000, row) << (row.toUtf8() + '\n').repeated(100000);
    // Rows are gathered a few megabytes at a time; a row longer than a chunk
    // goes between two gathered runs.
    QStringList manyRows(300000, row);
    manyRows[1000] = u"-unchecked"_s;
    manyRows[200000] = QString(3 << 20, u'y');
    QByteArray manyBytes;
    for (const QString &text : manyRows) {
        if (!text.startsWith(u'-'))
            manyBytes += text.toUtf8() + '\n';
    }
    QTest::newRow("rows across gathered runs") << manyRows << manyBytes;
    QTest::newRow("one row longer than a chunk")
        << QStringList{u"a"_s, QString(1 << 21, u'x')} << "a\n" + QByteArray(1 << 21, 'x') + '\n';
    // The row goes out a chunk at a time; the cut never falls inside a character.
    QTest::newRow("a lone surrogate where a chunk ends")
        << QStringList{QString((1 << 20) - 1, u'x') + high + u"y"_s}
        << QByteArray((1 << 20) - 1, 'x') + "\xef\xbf\xbdy\n";
}

void tst_SaveLinesFile::bytes()
{
    QFETCH(QStringList, rows);
    QFETCH(QByteArray, bytes);
    CommandFixture f;
    f.addResults(rows);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);

    writeLinesFile(f.results, path, &f.status, f.dialogs);

    QCOMPARE(readFile(path), bytes);
    QCOMPARE(f.dialogs.messages(), QStringList());
}

void tst_SaveLinesFile::longRowYieldsBetweenChunks_data()
{
    QTest::addColumn<int>("filter");
    QTest::newRow("lines only") << int(TextFileType::LinesOnly);
    QTest::newRow("padded") << int(TextFileType::TextFiles);
}

// A row of many megabytes is written a chunk at a time with the window
// alive in between, in either kind of file.
void tst_SaveLinesFile::longRowYieldsBetweenChunks()
{
    QFETCH(int, filter);
    const auto yieldsToSave = [filter](const QString &row) {
        CommandFixture f;
        f.addResults({row, u"short"_s});
        QTemporaryDir dir;
        f.dialogs.saveAnswers = {dir.filePath(u"out.txt"_s)};
        f.dialogs.saveFilterAnswers = {filter};
        saveResultsAsTextFile(f.ctx);
        // Those before "Done.": the commit that follows yields while the
        // disk syncs, as often as the disk is slow.
        return f.status.events.mid(0, f.status.events.indexOf(u"Done."_s)).count(u"<yield>"_s);
    };
    QVERIFY(yieldsToSave(QString((8 << 20) + 100, u'x')) - yieldsToSave(u"x"_s) >= 8);
}

void tst_SaveLinesFile::chosenFileType_data()
{
    QTest::addColumn<int>("filter");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray padded = "Sorted Content (Results)\t\r\npear" + QByteArray(20, ' ') + "\t\r\n";
    QTest::newRow("Text Files") << 0 << padded;
    QTest::newRow("All Files") << 1 << padded;
    QTest::newRow("Lines only") << 2 << "pear\n"_ba;
}

void tst_SaveLinesFile::chosenFileType()
{
    QFETCH(int, filter);
    QFETCH(QByteArray, bytes);
    CommandFixture f;
    f.addResults({u"pear"_s, u"-plum"_s});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);
    QVERIFY(writeFile(path, "old\n"));
    f.dialogs.saveAnswers = {path};
    f.dialogs.saveFilterAnswers = {filter};

    saveResultsAsTextFile(f.ctx);

    QCOMPARE(readFile(path), bytes);
    QCOMPARE(f.dialogs.messages(), QStringList());
}

void tst_SaveLinesFile::status()
{
    CommandFixture f;
    QStringList rows(3000, u"row"_s);
    rows[1999] = u"-unchecked"_s;
    f.addResults(rows);
    QTemporaryDir dir;

    writeLinesFile(f.results, dir.filePath(u"Results 1.txt"_s), &f.status, f.dialogs);

    const QString writing = u"Writing file: Results 1.txt"_s;
    QCOMPARE(f.status.texts, (QStringList{writing, writing + u" (1000)"_s, writing + u" (3000)"_s,
                                          u"Done."_s, u"Progress Bar"_s}));
    // 1, one per checked row, then 100 and 0.
    QCOMPARE(f.status.positions.size(), size_t(1 + 2999 + 2));
    QCOMPARE(f.status.positions[1], (1.0 + 1) / 3000 * 100);
    QCOMPARE(f.status.positions[2999], (3000.0 + 1) / 3000 * 100);
    QCOMPARE(f.status.positions[3001], 0.0);
    QVERIFY(f.status.yields >= 3000 / 100);
}

// The results list's "Clear List" works while the rows are written: one
// report, from reading a row's check mark or its text, and the old file stays.
void tst_SaveLinesFile::clearedWhileWritingKeepsTheOldFile()
{
    CommandFixture f;
    f.addResults(QStringList(5000, u"pear"_s));
    QTemporaryDir dir;
    const QString path = dir.filePath(u"out.txt"_s);
    QVERIFY(writeFile(path, "keep me\n"));
    f.status.onYield = [&](int n) {
        if (n == 5)
            f.changeResults(u"refill"_s, QStringList(5000, u"newer"_s));
    };

    writeLinesFile(f.results, path, &f.status, f.dialogs);

    const QStringList messages = f.dialogs.messages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.front().startsWith(u"Index out of bounds\r\n"_s) &&
                 (messages.front().contains(u"LinesOnly at line 108\r\r"_s) ||
                  messages.front().contains(u"LinesOnly at line 110\r\r"_s)),
             qPrintable(messages.front()));
    QCOMPARE(readFile(path), "keep me\n"_ba);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.txt"_s});
}

QTEST_GUILESS_MAIN(tst_SaveLinesFile)
#include "tst_savelinesfile.moc"
