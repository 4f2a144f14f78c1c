#include "commands/StartSorting.h"
#include "lists/RowModel.h"
#include "support/CommandFixture.h"

#include <QTest>

using namespace Qt::StringLiterals;

// Start Sorting on a status that shows every text it is given.
class tst_StartSorting : public QObject
{
    Q_OBJECT

private slots:
    void everyRowNamesItsFile();
};

void tst_StartSorting::everyRowNamesItsFile()
{
    CommandFixture c;
    c.selectedOption = 0;
    c.content.append(
        QStringList{u"C:\\data\\notes.txt"_s, u"/home/me/plain row"_s, u"ends with\\"_s});
    startSorting(c.ctx);
    QCOMPARE(c.status.texts.mid(0, 4),
             (QStringList{u"Processing: notes.txt"_s, u"Processing: plain row"_s, u"Processing: "_s,
                          u"Sorting: 1"_s}));
    QCOMPARE(c.status.texts.last(), u"Progress Bar"_s);
    QCOMPARE(c.results.texts(),
             (QStringList{u"/home/me/plain row"_s, u"C:\\data\\notes.txt"_s, u"ends with\\"_s}));
}

QTEST_GUILESS_MAIN(tst_StartSorting)
#include "tst_startsorting.moc"
