#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "support/TestLists.h"

#include <QAbstractListModel>
#include <QHeaderView>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

constexpr int TenMillion = 10'000'000;

// A list that names its rows instead of storing them, and counts how often
// the view looks a row up: a view that walks every row shows in the count.
class NumberedRows final : public QAbstractListModel
{
public:
    explicit NumberedRows(int rows) : m_rows(rows) {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : m_rows;
    }
    QModelIndex index(int row, int column = 0,
                      const QModelIndex &parent = QModelIndex()) const override
    {
        ++lookups;
        return QAbstractListModel::index(row, column, parent);
    }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        ++lookups;
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return u"row %1"_s.arg(index.row());
    }
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override
    {
        if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return u"Numbered"_s;
        return {};
    }

    void append(int rows)
    {
        beginInsertRows(QModelIndex(), m_rows, m_rows + rows - 1);
        m_rows += rows;
        endInsertRows();
    }
    void remove(int row)
    {
        beginRemoveRows(QModelIndex(), row, row);
        --m_rows;
        endRemoveRows();
    }
    void clear()
    {
        beginResetModel();
        m_rows = 0;
        endResetModel();
    }

    mutable qint64 lookups = 0;

private:
    int m_rows;
};

QStringList numberedTexts(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(u"row %1"_s.arg(i));
    return texts;
}

} // namespace

class tst_RowListView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void doubleClickOnCheckBox();
    void fileDrop_data();
    void fileDrop();

    void headerAboveTheRows_data();
    void headerAboveTheRows();
    void columnWidth_data();
    void columnWidth();
    void indexAtMatchesVisualRect_data();
    void indexAtMatchesVisualRect();
    void nothingOutsideTheRows_data();
    void nothingOutsideTheRows();
    void clicksOnCheckBoxes_data();
    void clicksOnCheckBoxes();
    void keyboardNavigation_data();
    void keyboardNavigation();
    void tenMillionRows_data();
    void tenMillionRows();
    void currentRowOfTenMillion_data();
    void currentRowOfTenMillion();

private:
    // Makes the viewport exactly as high as the given number of rows.
    void showRows(int rows);

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

void tst_RowListView::showRows(int rows)
{
    QCoreApplication::processEvents();
    const int missing = rows * m_view->rowHeight() - m_view->viewport()->height();
    m_view->resize(m_view->width(), m_view->height() + missing);
    QCoreApplication::processEvents();
    QCOMPARE(m_view->viewport()->height(), rows * m_view->rowHeight());
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
    QCOMPARE(rowTexts(results), QStringList{u"b"_s});
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

void tst_RowListView::headerAboveTheRows_data()
{
    QTest::addColumn<int>("rows");
    QTest::newRow("no rows") << 0;
    QTest::newRow("rows that fit") << 2;
    QTest::newRow("rows that need a scroll bar") << 500;
}

// The header shows the list's title over the whole width of the rows, also
// once a scroll bar takes room beside them.
void tst_RowListView::headerAboveTheRows()
{
    QFETCH(int, rows);
    m_model->setHeader(u"Content To Sort"_s);
    m_model->append(numberedTexts(rows));
    QCoreApplication::processEvents();

    const QHeaderView *header = m_view->header();
    QVERIFY(header->isVisible());
    QVERIFY(!m_view->isHeaderHidden());
    QCOMPARE(header->count(), 1);
    QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(), u"Content To Sort"_s);
    const QRect port = m_view->viewport()->geometry();
    QCOMPARE(header->geometry().bottom() + 1, port.top());
    QCOMPARE(header->geometry().left(), port.left());
    QCOMPARE(header->width(), port.width());
    QTRY_COMPARE(m_view->verticalScrollBar()->isVisible(), rows > 2);
}

void tst_RowListView::columnWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("narrower than the list") << 120;
    QTest::newRow("dragged past the list's edge") << 2000;
}

void tst_RowListView::columnWidth()
{
    QFETCH(int, width);
    m_model->append(numberedTexts(3));
    m_view->header()->setStretchLastSection(false);
    m_view->setColumnWidth(0, width);
    QCoreApplication::processEvents();

    QCOMPARE(m_view->columnWidth(0), width);
    QCOMPARE(m_view->visualRect(m_model->index(1)).width(), width);
    QScrollBar *sideways = m_view->horizontalScrollBar();
    const int hidden = std::max(0, width - m_view->viewport()->width());
    QCOMPARE(sideways->maximum(), hidden);
    QTRY_COMPARE(sideways->isVisible(), hidden > 0);

    // Scrolled to the far end, rows and header move together.
    sideways->setValue(sideways->maximum());
    QCOMPARE(m_view->visualRect(m_model->index(1)).left(), -hidden);
    QCOMPARE(m_view->header()->sectionViewportPosition(0), -hidden);
}

void tst_RowListView::indexAtMatchesVisualRect_data()
{
    QTest::addColumn<bool>("atTheEnd");
    QTest::addColumn<int>("place"); // 0 first, 1 middle, 2 last row in sight
    for (const bool atTheEnd : {false, true}) {
        const char *where = atTheEnd ? "scrolled to the end" : "at the top";
        QTest::addRow("first row in sight, %s", where) << atTheEnd << 0;
        QTest::addRow("middle row in sight, %s", where) << atTheEnd << 1;
        QTest::addRow("last row in sight, %s", where) << atTheEnd << 2;
    }
}

void tst_RowListView::indexAtMatchesVisualRect()
{
    QFETCH(bool, atTheEnd);
    QFETCH(int, place);
    m_model->append(numberedTexts(100));
    showRows(7);
    if (atTheEnd)
        m_view->scrollToBottom();

    const int first = atTheEnd ? 100 - 7 : 0;
    const int row = first + (place == 0 ? 0 : place == 1 ? 3 : 6);
    const QRect rect = m_view->visualRect(m_model->index(row));
    QCOMPARE(rect.top(), (row - first) * m_view->rowHeight());
    QCOMPARE(rect.height(), m_view->rowHeight());
    QVERIFY(m_view->viewport()->rect().contains(rect.topLeft()));
    QVERIFY(m_view->viewport()->rect().contains(rect.bottomRight()));
    for (const QPoint &at : {rect.topLeft(), rect.center(), rect.bottomRight()})
        QCOMPARE(m_view->indexAt(at), m_model->index(row));
}

void tst_RowListView::nothingOutsideTheRows_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("right of the column") << QPoint(250, 5);
    QTest::newRow("below the last row") << QPoint(10, 500);
    QTest::newRow("above the first row") << QPoint(10, -1);
}

void tst_RowListView::nothingOutsideTheRows()
{
    QFETCH(QPoint, at);
    m_model->append(numberedTexts(3));
    m_view->header()->setStretchLastSection(false);
    m_view->setColumnWidth(0, 200);
    QCoreApplication::processEvents();
    QCOMPARE(m_view->indexAt(at), QModelIndex());
}

void tst_RowListView::clicksOnCheckBoxes_data()
{
    QTest::addColumn<bool>("onTheBox");
    QTest::addColumn<bool>("doubleClick");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<int>("rows");
    QTest::newRow("a click on the box unticks it") << true << false << false << 3;
    QTest::newRow("each click of a double-click on the box toggles it")
        << true << true << true << 3;
    QTest::newRow("a click beside the box keeps the tick") << false << false << true << 3;
    QTest::newRow("a double-click beside the box removes the row") << false << true << true << 2;
}

void tst_RowListView::clicksOnCheckBoxes()
{
    QFETCH(bool, onTheBox);
    QFETCH(bool, doubleClick);
    QFETCH(bool, ticked);
    QFETCH(int, rows);
    RowModel results(true);
    m_view->setRowModel(&results);
    results.append(QStringList{u"a"_s, u"b"_s, u"c"_s});
    QCoreApplication::processEvents();

    const QRect row = m_view->visualRect(results.index(1));
    QStyleOptionViewItem option;
    option.initFrom(m_view);
    option.rect = row;
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    const QRect box =
        m_view->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_view);
    QVERIFY(row.contains(box));
    const QPoint at = onTheBox ? box.center() : QPoint(box.right() + 40, box.center().y());
    QWidget *viewport = m_view->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    if (doubleClick) {
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
    QCOMPARE(results.count(), rows);
    QCOMPARE(results.isChecked(1), ticked);
    m_view->setRowModel(m_model);
}

void tst_RowListView::keyboardNavigation_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<int>("to");
    // One hundred rows, five in sight.
    QTest::newRow("down") << 0 << Qt::Key_Down << 1;
    QTest::newRow("down on the last row") << 99 << Qt::Key_Down << 99;
    QTest::newRow("up") << 50 << Qt::Key_Up << 49;
    QTest::newRow("up on the first row") << 0 << Qt::Key_Up << 0;
    QTest::newRow("page down") << 10 << Qt::Key_PageDown << 15;
    QTest::newRow("page down near the end") << 97 << Qt::Key_PageDown << 99;
    QTest::newRow("page up") << 50 << Qt::Key_PageUp << 45;
    QTest::newRow("page up near the start") << 3 << Qt::Key_PageUp << 0;
    QTest::newRow("home") << 50 << Qt::Key_Home << 0;
    QTest::newRow("end") << 50 << Qt::Key_End << 99;
}

// The key selects its row and brings it into sight.
void tst_RowListView::keyboardNavigation()
{
    QFETCH(int, from);
    QFETCH(Qt::Key, key);
    QFETCH(int, to);
    m_model->append(numberedTexts(100));
    showRows(5);
    m_view->setFocus();
    m_view->setCurrentIndex(m_model->index(from));

    QTest::keyClick(m_view, key);

    QCOMPARE(m_view->currentIndex(), m_model->index(to));
    QCOMPARE(m_view->selectionModel()->selectedRows(), QModelIndexList{m_model->index(to)});
    const QRect rect = m_view->visualRect(m_model->index(to));
    QVERIFY(m_view->viewport()->rect().contains(rect));
}

void tst_RowListView::tenMillionRows_data()
{
    QTest::addColumn<bool>("arriving");
    QTest::newRow("shown from the start") << false;
    QTest::newRow("arriving in one batch") << true;
}

// Showing a huge list, scrolling to its end and painting it look up only the
// rows in sight.
void tst_RowListView::tenMillionRows()
{
    QFETCH(bool, arriving);
    NumberedRows rows(arriving ? 0 : TenMillion);
    m_view->setModel(&rows);
    showRows(6);
    if (arriving)
        rows.append(TenMillion);
    QCoreApplication::processEvents();
    m_view->viewport()->repaint();

    m_view->scrollToBottom();
    m_view->viewport()->repaint();

    const QModelIndex last = rows.index(TenMillion - 1);
    QCOMPARE(m_view->verticalScrollBar()->maximum(), TenMillion - 6);
    QCOMPARE(m_view->visualRect(last).bottom(), m_view->viewport()->height() - 1);
    QCOMPARE(m_view->indexAt(m_view->visualRect(last).center()), last);
    QCOMPARE(m_view->indexAt(QPoint(5, 1)), rows.index(TenMillion - 6));
    QVERIFY2(rows.lookups < 10'000, qPrintable(QString::number(rows.lookups)));
    m_view->setRowModel(m_model);
}

void tst_RowListView::currentRowOfTenMillion_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("current"); // -1: none
    QTest::newRow("a row above it removed") << u"remove above"_s << TenMillion - 2;
    QTest::newRow("the current row removed") << u"remove current"_s << TenMillion - 2;
    QTest::newRow("the list cleared") << u"clear"_s << -1;
}

// The current row stays a row of the list, selected, as rows go.
void tst_RowListView::currentRowOfTenMillion()
{
    QFETCH(QString, change);
    QFETCH(int, current);
    NumberedRows rows(TenMillion);
    m_view->setModel(&rows);
    m_view->setCurrentIndex(rows.index(0));
    QTest::keyClick(m_view, Qt::Key_End);
    QCOMPARE(m_view->currentIndex(), rows.index(TenMillion - 1));

    if (change == u"remove above"_s)
        rows.remove(TenMillion / 2);
    else if (change == u"remove current"_s)
        rows.remove(TenMillion - 1);
    else
        rows.clear();
    QCoreApplication::processEvents();
    m_view->viewport()->repaint();

    const QModelIndex expected = current < 0 ? QModelIndex() : rows.index(current);
    QCOMPARE(m_view->currentIndex(), expected);
    QCOMPARE(m_view->selectionModel()->selectedRows(),
             current < 0 ? QModelIndexList() : QModelIndexList{expected});
    if (current >= 0)
        QVERIFY(m_view->viewport()->rect().contains(m_view->visualRect(expected)));
    QVERIFY2(rows.lookups < 10'000, qPrintable(QString::number(rows.lookups)));
    m_view->setRowModel(m_model);
}

QTEST_MAIN(tst_RowListView)
#include "tst_rowlistview.moc"
