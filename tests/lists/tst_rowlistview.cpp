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

    void doubleClickOnCheckBox();
    void fileDrop_data();
    void fileDrop();

private:
    RowModel *m_model = nullptr;
    RowListView *m_view = nullptr;
};

void tst_RowListView::init()
{
    m_model = new RowModel(false);
    m_view = new RowListView;
    m_view->setRowModel(m_model);
    m_view->resize(300, 200);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void tst_RowListView::cleanup()
{
    delete m_view;
    delete m_model;
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
