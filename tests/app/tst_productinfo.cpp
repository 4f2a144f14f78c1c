#include "app/ProductInfo.h"
#include "app/Skin.h"
#include "core/Files.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ProductInfo : public QObject
{
    Q_OBJECT

private slots:
    void shortTitleOfName_data();
    void shortTitleOfName();
    void existingPaths_data();
    void existingPaths();
    void skinFile_data();
    void skinFile();
};

void tst_ProductInfo::shortTitleOfName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");

    QTest::newRow("one word stays whole") << u"Tarnveil"_s << u"Tarnveil"_s;
    QTest::newRow("short name loses its last word")
        << u"Tarnveil Line Sorter"_s << u"Tarnveil Line"_s;
    QTest::newRow("two blanks keep the first") << u"Tarnveil  Sorter"_s << u"Tarnveil "_s;
    QTest::newRow("trailing blank is the cut") << u"Tarnveil "_s << u"Tarnveil"_s;
    // 8 words of 9 characters and blanks: 79 characters; 4 words (39) remain.
    QTest::newRow("long name cut word by word")
        << u"aaaaaaaaa bbbbbbbbb ccccccccc ddddddddd eeeeeeeee fffffffff ggggggggg hhhhhhhhh"_s
        << u"aaaaaaaaa bbbbbbbbb ccccccccc ddddddddd"_s;
    QTest::newRow("exactly 40 after one cut")
        << (QString(40, u'x') + u" tail"_s) << QString(40, u'x');
    QTest::newRow("41 characters without blank after a cut")
        << (QString(41, u'y') + u" tail"_s) << QString(41, u'y');
}

void tst_ProductInfo::shortTitleOfName()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QCOMPARE(shortTitle(name), title);
}

void tst_ProductInfo::existingPaths_data()
{
    QTest::addColumn<QString>("relative"); // under a temporary folder; "" for the empty path
    QTest::addColumn<bool>("exists");

    QTest::newRow("file") << u"present.txt"_s << true;
    QTest::newRow("folder") << u"folder"_s << true;
    QTest::newRow("missing") << u"missing.txt"_s << false;
    QTest::newRow("under a file") << u"present.txt/inner"_s << false;
    QTest::newRow("empty path") << QString() << false;
}

void tst_ProductInfo::existingPaths()
{
    QFETCH(QString, relative);
    QFETCH(bool, exists);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(writeFile(dir.filePath(u"present.txt"_s), {}));
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));

    QCOMPARE(fileExists(relative.isEmpty() ? QString() : dir.filePath(relative)), exists);
}

void tst_ProductInfo::skinFile_data()
{
    QTest::addColumn<QString>("create"); // "file", "folder", "hidden" or "nothing"
    QTest::addColumn<bool>("found");

    QTest::newRow("ordinary file") << u"file"_s << true;
    QTest::newRow("folder of that name") << u"folder"_s << false;
    QTest::newRow("nothing") << u"nothing"_s << false;
    QTest::newRow("only a hidden file beside it") << u"hidden"_s << false;
}

void tst_ProductInfo::skinFile()
{
    QFETCH(QString, create);
    QFETCH(bool, found);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = skinPath(dir.path());
    QCOMPARE(path, dir.path() + u"/x/o.cjs"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"x"_s));
    if (create == u"file" || create == u"hidden") {
        QVERIFY(writeFile(create == u"file" ? path : dir.filePath(u"x/.o.cjs"_s), {}));
    } else if (create == u"folder") {
        QVERIFY(QDir().mkpath(path));
    }
    QCOMPARE(skinFileExists(path), found);
}

QTEST_GUILESS_MAIN(tst_ProductInfo)
#include "tst_productinfo.moc"
