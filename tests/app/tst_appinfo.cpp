#include "app/AppInfo.h"
#include "app/Skin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_AppInfo : public QObject
{
    Q_OBJECT

private slots:
    void shortTitle_data();
    void shortTitle();
    void fileExists_data();
    void fileExists();
    void skinFile_data();
    void skinFile();
};

void tst_AppInfo::shortTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");

    QTest::newRow("one word stays whole") << u"Tarnveil"_s << u"Tarnveil"_s;
    QTest::newRow("short name loses its last word")
        << u"Tarnveil Line Sorter"_s << u"Tarnveil Line"_s;
    QTest::newRow("two blanks keep the first")
        << u"Tarnveil  Sorter"_s << u"Tarnveil "_s;
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

void tst_AppInfo::shortTitle()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QCOMPARE(ShortTitle(name), title);
}

void tst_AppInfo::fileExists_data()
{
    QTest::addColumn<QString>("relative"); // under a temporary folder; "" for the empty path
    QTest::addColumn<bool>("exists");

    QTest::newRow("file") << u"present.txt"_s << true;
    QTest::newRow("folder") << u"folder"_s << true;
    QTest::newRow("missing") << u"missing.txt"_s << false;
    QTest::newRow("under a file") << u"present.txt/inner"_s << false;
    QTest::newRow("empty path") << QString() << false;
}

void tst_AppInfo::fileExists()
{
    QFETCH(QString, relative);
    QFETCH(bool, exists);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile file(dir.filePath(u"present.txt"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));

    QCOMPARE(FileExists(relative.isEmpty() ? QString() : dir.filePath(relative)), exists);
}

void tst_AppInfo::skinFile_data()
{
    QTest::addColumn<QString>("create"); // "file", "folder", "hidden" or "nothing"
    QTest::addColumn<bool>("found");

    QTest::newRow("ordinary file") << u"file"_s << true;
    QTest::newRow("folder of that name") << u"folder"_s << false;
    QTest::newRow("nothing") << u"nothing"_s << false;
    QTest::newRow("only a hidden file beside it") << u"hidden"_s << false;
}

void tst_AppInfo::skinFile()
{
    QFETCH(QString, create);
    QFETCH(bool, found);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = SkinPath(dir.path());
    QCOMPARE(path, dir.path() + u"/x/o.cjs"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"x"_s));
    if (create == u"file" || create == u"hidden") {
        QFile file(create == u"file" ? path : dir.filePath(u"x/.o.cjs"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (create == u"folder") {
        QVERIFY(QDir().mkpath(path));
    }
    QCOMPARE(SkinFileExists(path), found);
}

QTEST_GUILESS_MAIN(tst_AppInfo)
#include "tst_appinfo.moc"
