#include "core/Files.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_Files : public QObject
{
    Q_OBJECT

private slots:
    void fileNameFromPath_data();
    void fileNameFromPath();
};

void tst_Files::fileNameFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    QTest::newRow("backslashes") << u"C:\\data\\notes.txt"_s << u"notes.txt"_s;
    QTest::newRow("slashes") << u"/home/ann/notes.txt"_s << u"notes.txt"_s;
    QTest::newRow("mixed, last wins") << u"a\\b/c.txt"_s << u"c.txt"_s;
    QTest::newRow("mixed, backslash last") << u"a/b\\c.txt"_s << u"c.txt"_s;
    QTest::newRow("no separator") << u"plain row text"_s << u"plain row text"_s;
    QTest::newRow("ends with backslash") << u"C:\\data\\"_s << QString();
    QTest::newRow("ends with slash") << u"/home/ann/"_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void tst_Files::fileNameFromPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);

    QCOMPARE(::fileNameFromPath(path), name);
}

QTEST_GUILESS_MAIN(tst_Files)
#include "tst_files.moc"
