#include "app/FindBar.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Two lists in a window of the main window's size, where the window has
// them; the models outlive the window and the bar in it.
struct ListWindow
{
    RowModel content{false};
    RowModel results{true};
    QWidget window;
    RowListView *views[2];
    FindBar *bar;

    explicit ListWindow(const QStringList &rows)
    {
        window.setFixedSize(536, 525);
        content.setHeader(u"Content To Sort"_s);
        results.setHeader(u"Sorted Content (Results)"_s);
        const QRect places[2] = {{8, 8, 520, 121}, {8, 295, 520, 121}};
        RowModel *models[2] = {&content, &results};
        for (int k = 0; k < 2; ++k) {
            models[k]->append(rows);
            views[k] = new RowListView(&window);
            views[k]->setRowModel(models[k]);
            views[k]->setGeometry(places[k]);
        }
        bar = new FindBar(&window, views[0], views[1]);
    }
};

// Presses each key, as QKeySequence names it, where the focus is.
void press(const QStringList &keys)
{
    for (const QString &name : keys) {
        const QKeyCombination key = QKeySequence(name)[0];
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }
}

int selectedRow(const RowListView *view)
{
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.size() == 1 ? rows.front().row() : -1;
}

} // namespace

class tst_FindBar : public QObject
{
    Q_OBJECT

private slots:
    void opensOnTheFocusedListAndCloses_data();
    void opensOnTheFocusedListAndCloses();
    void typingFindsAndCounts_data();
    void typingFindsAndCounts();
    void keysStep_data();
    void keysStep();
    void changedListIsCountedAgain();
};

void tst_FindBar::opensOnTheFocusedListAndCloses_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QStringList>("toClose");
    QTest::newRow("content, Esc in the text") << 0 << QStringList{u"Esc"_s};
    QTest::newRow("results, Esc in the text") << 1 << QStringList{u"Esc"_s};
    QTest::newRow("Esc on Match case") << 0 << QStringList{u"Tab"_s, u"Esc"_s};
    QTest::newRow("Close by keyboard")
        << 1 << QStringList{u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Space"_s};
}

void tst_FindBar::opensOnTheFocusedListAndCloses()
{
    QFETCH(int, list);
    QFETCH(QStringList, toClose);
    ListWindow w({u"one"_s, u"two"_s});
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    RowListView *view = w.views[list];
    const QRect place = view->geometry();
    view->setFocus();
    press({u"Ctrl+F"_s});

    QVERIFY(w.bar->isVisible());
    QCOMPARE(w.bar->list(), view);
    QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
    QVERIFY(w.bar->isAncestorOf(QApplication::focusWidget()));
    // The bar takes the bottom of the list's place and hides none of it.
    QVERIFY(place.contains(w.bar->geometry()));
    QVERIFY(place.contains(view->geometry()));
    QVERIFY(!view->geometry().intersects(w.bar->geometry()));
    QCOMPARE(view->geometry().height() + w.bar->height(), place.height());

    press(toClose);
    QVERIFY(!w.bar->isVisible());
    QCOMPARE(view->geometry(), place);
    QCOMPARE(QApplication::focusWidget(), view);
}

void tst_FindBar::typingFindsAndCounts_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("told");

    QTest::newRow("from the first row") << -1 << u"apple"_s << false << 1 << u"1 of 2"_s;
    QTest::newRow("after the current row") << 2 << u"apple"_s << false << 3 << u"2 of 2"_s;
    QTest::newRow("at the current row") << 3 << u"apple"_s << false << 3 << u"2 of 2"_s;
    QTest::newRow("on from the top")
        << 4 << u"APPLE"_s << false << 1 << u"1 of 2, went on from the top"_s;
    QTest::newRow("case counts") << -1 << u"apple"_s << true << 3 << u"1 of 1"_s;
    QTest::newRow("not found") << 2 << u"kiwi"_s << false << 2 << u"Not found"_s;
}

void tst_FindBar::typingFindsAndCounts()
{
    QFETCH(int, current);
    QFETCH(QString, typed);
    QFETCH(bool, matchCase);
    QFETCH(int, found);
    QFETCH(QString, told);
    ListWindow w({u"pear"_s, u"Apple"_s, u"fig"_s, u"an apple pie"_s, u"grape"_s});
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    RowListView *view = w.views[0];
    if (current >= 0)
        view->selectionModel()->setCurrentIndex(view->model()->index(current, 0),
                                                QItemSelectionModel::ClearAndSelect);
    view->setFocus();
    QSignalSpy answered(w.bar, &FindBar::answered);
    press({u"Ctrl+F"_s});
    if (matchCase) // "Match case" is off at first
        press({u"Tab"_s, u"Space"_s, u"Shift+Tab"_s});
    QTest::keyClicks(QApplication::focusWidget(), typed);

    QTRY_COMPARE(answered.size(), 1);
    QCOMPARE(w.bar->matchCase(), matchCase);
    QCOMPARE(view->currentIndex().row(), found);
    QCOMPARE(selectedRow(view), found);
    QCOMPARE(w.bar->resultText(), told);
}

void tst_FindBar::keysStep_data()
{
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("told");

    QTest::newRow("Enter") << QStringList{u"Return"_s} << 2 << u"2 of 3"_s;
    QTest::newRow("F3 twice") << QStringList{u"F3"_s, u"F3"_s} << 3 << u"3 of 3"_s;
    QTest::newRow("down past the end")
        << QStringList{u"Return"_s, u"F3"_s, u"Enter"_s} << 0 << u"1 of 3, went on from the top"_s;
    QTest::newRow("up past the start")
        << QStringList{u"Shift+F3"_s} << 3 << u"3 of 3, went on from the bottom"_s;
    QTest::newRow("up after down")
        << QStringList{u"F3"_s, u"F3"_s, u"Shift+Return"_s} << 2 << u"2 of 3"_s;
    QTest::newRow("Next button") << QStringList{u"Tab"_s, u"Tab"_s, u"Tab"_s, u"Space"_s} << 2
                                 << u"2 of 3"_s;
    QTest::newRow("Previous button by Enter") << QStringList{u"Tab"_s, u"Tab"_s, u"Return"_s} << 3
                                              << u"3 of 3, went on from the bottom"_s;
    QTest::newRow("F3 with the bar closed") << QStringList{u"Esc"_s, u"F3"_s} << 2 << u"2 of 3"_s;
    QTest::newRow("Ctrl+F again keeps the place")
        << QStringList{u"F3"_s, u"Ctrl+F"_s, u"Return"_s} << 3 << u"3 of 3"_s;
}

void tst_FindBar::keysStep()
{
    QFETCH(QStringList, keys);
    QFETCH(int, found);
    QFETCH(QString, told);
    ListWindow w({u"a1"_s, u"b"_s, u"a2"_s, u"A3"_s});
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    RowListView *view = w.views[1];
    view->setFocus();
    QSignalSpy answered(w.bar, &FindBar::answered);
    press({u"Ctrl+F"_s, u"A"_s});
    QTRY_COMPARE(answered.size(), 1);
    QCOMPARE(view->currentIndex().row(), 0);

    press(keys);
    QTRY_COMPARE(view->currentIndex().row(), found);
    QCOMPARE(selectedRow(view), found);
    QCOMPARE(w.bar->resultText(), told);
    QVERIFY(w.bar->isVisible());
}

void tst_FindBar::changedListIsCountedAgain()
{
    ListWindow w({u"a1"_s, u"b"_s, u"a2"_s});
    w.window.show();
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    w.views[0]->setFocus();
    QSignalSpy counted(w.bar, &FindBar::counted);
    press({u"Ctrl+F"_s, u"A"_s});
    QTRY_COMPARE(w.bar->resultText(), u"1 of 2"_s);

    w.content.append(QStringList{u"a3"_s, u"a4"_s});
    QTRY_COMPARE(w.bar->resultText(), u"1 of 4"_s);
    QCOMPARE(counted.last().at(0).toInt(), 4);
    w.content.removeAt(0);
    QTRY_COMPARE(w.bar->resultText(), u"3 rows match"_s);
}

QTEST_MAIN(tst_FindBar)
#include "tst_findbar.moc"
