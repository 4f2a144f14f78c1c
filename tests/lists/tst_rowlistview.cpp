#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

class tst_RowListView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void deleteKey_data();
    void deleteKey();
    void doubleClick_data();
    void doubleClick();
    void doubleClickOnCheckBox();
    void fileDrop_data();
    void fileDrop();

private:
    void fill(int rows);
    QPoint centreOf(int row) const { return m_view->visualRect(m_model->index(row)).center(); }

    RowModel *m_model = nullptr;
    RowListView *m_view = nullptr;
    bool m_busy = false;
};

void tst_RowListView::init()
{
    m_busy = false;
    m_model = new RowModel(false);
    m_view = new RowListView;
    m_view->setRowModel(m_model);
    m_view->setBusyTest([this] { return m_busy; });
    m_view->resize(300, 200);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void tst_RowListView::cleanup()
{
    delete m_view;
    delete m_model;
}

void tst_RowListView::fill(int rows)
{
    QStringList texts;
    for (int i = 0; i < rows; ++i)
        texts.append(u"row %1"_s.arg(i));
    m_model->append(texts);
}

void tst_RowListView::deleteKey_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("removed"); // -1: none

    const Qt::KeyboardModifiers none;
    QTest::newRow("plain") << 3 << 1 << int(Qt::Key_Delete) << none << false << 1;
    QTest::newRow("shift") << 3 << 2 << int(Qt::Key_Delete)
                           << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << 2;
    QTest::newRow("ctrl") << 3 << 0 << int(Qt::Key_Delete)
                          << Qt::KeyboardModifiers(Qt::ControlModifier) << false << 0;
    QTest::newRow("alt") << 3 << 1 << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::AltModifier)
                         << false << 1;
    QTest::newRow("ctrl shift alt")
        << 3 << 1 << int(Qt::Key_Delete)
        << (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier) << false << 1;
    QTest::newRow("only row") << 1 << 0 << int(Qt::Key_Delete) << none << false << 0;
    QTest::newRow("nothing selected") << 3 << -1 << int(Qt::Key_Delete) << none << false << -1;
    QTest::newRow("empty list") << 0 << -1 << int(Qt::Key_Delete) << none << false << -1;
    QTest::newRow("busy") << 3 << 1 << int(Qt::Key_Delete) << none << true << -1;
    QTest::newRow("backspace") << 3 << 1 << int(Qt::Key_Backspace) << none << false << -1;
}

void tst_RowListView::deleteKey()
{
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, busy);
    QFETCH(int, removed);

    fill(rows);
    m_view->setFocus();
    if (selected >= 0)
        m_view->setCurrentIndex(m_model->index(selected));
    else
        m_view->selectionModel()->clearSelection();
    m_busy = busy;

    QStringList expected = m_model->texts();
    if (removed >= 0)
        expected.removeAt(removed);
    QTest::keyClick(m_view, Qt::Key(key), modifiers);
    QCOMPARE(m_model->texts(), expected);
}

void tst_RowListView::doubleClick_data()
{
    QTest::addColumn<int>("row"); // -1: below the last row
    QTest::addColumn<bool>("busy");
    QTest::addColumn<int>("removed");
    QTest::newRow("first row") << 0 << false << 0;
    QTest::newRow("another row than the selected one") << 2 << false << 2;
    QTest::newRow("busy") << 1 << true << -1;
    QTest::newRow("below the rows") << -1 << false << -1;
}

void tst_RowListView::doubleClick()
{
    QFETCH(int, row);
    QFETCH(bool, busy);
    QFETCH(int, removed);

    fill(3);
    m_view->setCurrentIndex(m_model->index(1));
    m_busy = busy;
    const QPoint at = row >= 0 ? centreOf(row) : QPoint(10, m_view->viewport()->height() - 5);
    QVERIFY(m_view->viewport()->rect().contains(at));

    QStringList expected = m_model->texts();
    if (removed >= 0)
        expected.removeAt(removed);
    QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(m_model->texts(), expected);
}

void tst_RowListView::doubleClickOnCheckBox()
{
    RowModel results(true);
    m_view->setRowModel(&results);
    results.append(QStringList{u"a"_s, u"b"_s});

    QStyleOptionViewItem option;
    option.initFrom(m_view);
    option.rect = m_view->visualRect(results.index(0));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        m_view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_view);
    QVERIFY(box.isValid());
    QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, box.center());
    QCOMPARE(results.count(), 2);

    // Beside the box the row goes.
    QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {},
                       QPoint(box.right() + 40, box.center().y()));
    QCOMPARE(results.texts(), QStringList{u"b"_s});
    m_view->setRowModel(m_model);
}

void tst_RowListView::fileDrop_data()
{
    QTest::addColumn<bool>("accepting");
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<QStringList>("paths");

    const QList<QUrl> files{QUrl::fromLocalFile(u"/tmp/one.txt"_s),
                            QUrl(u"https://example.org/two.txt"_s),
                            QUrl::fromLocalFile(u"/tmp/three file.txt"_s)};
    QTest::newRow("local files in order")
        << true << files << QStringList{u"/tmp/one.txt"_s, u"/tmp/three file.txt"_s};
    QTest::newRow("no local file")
        << true << QList<QUrl>{QUrl(u"https://example.org/a"_s)} << QStringList();
    QTest::newRow("list that takes no files") << false << files << QStringList();
}

void tst_RowListView::fileDrop()
{
    QFETCH(bool, accepting);
    QFETCH(QList<QUrl>, urls);
    QFETCH(QStringList, paths);

    m_view->setAcceptFileDrops(accepting);
    QSignalSpy dropped(m_view, &RowListView::filesDropped);
    QMimeData mime;
    mime.setUrls(urls);
    const QPoint at = m_view->viewport()->rect().center();

    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(m_view->viewport(), &enter);
    QCOMPARE(enter.isAccepted(), !paths.isEmpty());

    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(m_view->viewport(), &drop);
    // Handed on once the drop has finished.
    QCOMPARE(dropped.size(), 0);
    QCoreApplication::processEvents();
    if (paths.isEmpty()) {
        QCOMPARE(dropped.size(), 0);
    } else {
        QCOMPARE(dropped.size(), 1);
        QCOMPARE(dropped.front().front().toStringList(), paths);
    }
    QCOMPARE(m_model->count(), 0);
}

QTEST_MAIN(tst_RowListView)
#include "tst_rowlistview.moc"
