#include "lists/RowListView.h"

#include "lists/RowModel.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QUrl>

RowListView::RowListView(QWidget *parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void RowListView::setRowModel(RowModel *model)
{
    m_model = model;
    setModel(model);
}

void RowListView::setAcceptFileDrops(bool accept)
{
    m_acceptFileDrops = accept;
    setAcceptDrops(accept);
    viewport()->setAcceptDrops(accept);
}

QStringList RowListView::localFilePaths(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

void RowListView::removeRow(int row)
{
    if (!m_model || busy() || m_model->count() == 0 || row < 0)
        return;
    m_model->removeAt(row);
}

void RowListView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete) {
        const QModelIndexList selected =
            selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
        if (!selected.isEmpty())
            removeRow(selected.front().row());
    }
    // Other keys, and the Delete key itself, still reach the view.
    QTreeView::keyPressEvent(event);
}

// A double-click on a row's check box toggles it twice; it removes nothing.
bool RowListView::onCheckBox(const QModelIndex &index, const QPoint &pos)
{
    if (!m_model || !m_model->checkable())
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.index = index;
    const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return box.contains(pos);
}

void RowListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (event->button() != Qt::LeftButton || !index.isValid() || onCheckBox(index, pos)) {
        QTreeView::mouseDoubleClickEvent(event);
        return;
    }
    removeRow(index.row());
    event->accept();
}

void RowListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_acceptFileDrops && !localFilePaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QTreeView::dragEnterEvent(event);
}

void RowListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_acceptFileDrops && !localFilePaths(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
        return;
    }
    QTreeView::dragMoveEvent(event);
}

void RowListView::dropEvent(QDropEvent *event)
{
    const QStringList paths = m_acceptFileDrops ? localFilePaths(event->mimeData()) : QStringList();
    if (paths.isEmpty()) {
        QTreeView::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    // Loading may show message boxes; the drop finishes first, so the program
    // the files came from is not held up by them.
    QMetaObject::invokeMethod(
        this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
}
