#include "lists/RowListAccessible.h"

#include "lists/RowListCells.h"
#include "lists/RowListView.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

using RowListCells::HeaderCell;
using RowListCells::headerText;
using RowListCells::RowCell;

QAccessibleInterface *rowListFactory(const QString &className, QObject *object)
{
    if (className != QLatin1StringView(RowListView::staticMetaObject.className()))
        return nullptr;
    auto *view = qobject_cast<RowListView *>(object);
    return view ? new RowListAccessible(view) : nullptr;
}

} // namespace

RowListAccessible::RowListAccessible(RowListView *view)
    : QAccessibleWidget(view, QAccessible::Table)
{
}

RowListAccessible::~RowListAccessible()
{
    dropRowCells();
    if (m_headerCell)
        QAccessible::deleteAccessibleInterface(m_headerCell);
}

void RowListAccessible::installFactory()
{
    [[maybe_unused]] static const bool installed = [] {
        QAccessible::installFactory(&rowListFactory);
        return true;
    }();
}

int RowListAccessible::childIndexOfRow(const RowListView *view, int row)
{
    return view->isHeaderHidden() ? row : row + 1;
}

RowListView *RowListAccessible::view() const
{
    return static_cast<RowListView *>(widget());
}

QAccessible::State RowListAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const QAbstractItemView::SelectionMode mode = view()->selectionMode();
    state.multiSelectable =
        mode == QAbstractItemView::MultiSelection || mode == QAbstractItemView::ExtendedSelection;
    state.extSelectable = mode == QAbstractItemView::ExtendedSelection;
    return state;
}

QString RowListAccessible::text(QAccessible::Text t) const
{
    const QString text = QAccessibleWidget::text(t);
    // Unnamed, the list is known by its header: "Content To Sort".
    if (t == QAccessible::Name && text.isEmpty())
        return headerText(view());
    return text;
}

int RowListAccessible::childCount() const
{
    const qint64 header = view()->isHeaderHidden() ? 0 : 1;
    return static_cast<int>(std::min<qint64>(header + rowCount(), std::numeric_limits<int>::max()));
}

QAccessibleInterface *RowListAccessible::child(int index) const
{
    if (index < 0)
        return nullptr;
    if (!view()->isHeaderHidden()) {
        if (index == 0)
            return headerCell();
        --index;
    }
    return cellOfRow(index);
}

int RowListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child)
        return -1;
    if (m_headerCell && child == QAccessible::accessibleInterface(m_headerCell))
        return view()->isHeaderHidden() ? -1 : 0;
    const auto *cell = dynamic_cast<const RowCell *>(child);
    if (!cell || cell->view() != view() || !cell->isValid())
        return -1;
    return childIndexOfRow(view(), cell->row());
}

QAccessibleInterface *RowListAccessible::childAt(int x, int y) const
{
    const RowListView *list = view();
    const QPoint global(x, y);
    const QPoint inViewport = list->viewport()->mapFromGlobal(global);
    if (list->viewport()->rect().contains(inViewport)) {
        const QModelIndex at = list->indexAt(inViewport);
        return at.isValid() ? cellOfRow(at.row()) : nullptr;
    }
    const QHeaderView *header = list->header();
    const QPoint inHeader = header->mapFromGlobal(global);
    if (!list->isHeaderHidden() && header->rect().contains(inHeader) &&
        header->logicalIndexAt(inHeader) == 0)
        return headerCell();
    return nullptr;
}

QAccessibleInterface *RowListAccessible::focusChild() const
{
    if (view()->hasFocus()) {
        if (const QModelIndex current = view()->currentIndex(); current.isValid())
            return cellOfRow(current.row());
    }
    return QAccessibleWidget::focusChild();
}

void *RowListAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QAccessibleInterface *RowListAccessible::cellAt(int row, int column) const
{
    return column == 0 ? cellOfRow(row) : nullptr;
}

int RowListAccessible::columnCount() const
{
    return view()->model() ? 1 : 0;
}

int RowListAccessible::rowCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

QString RowListAccessible::columnDescription(int column) const
{
    return column == 0 ? headerText(view()) : QString();
}

// The selection is read by its ranges, never row by row: with every row
// selected, counting them costs one step.
int RowListAccessible::selectedRowCount() const
{
    const QItemSelectionModel *selection = view()->selectionModel();
    if (!selection)
        return 0;
    qint64 rows = 0;
    for (const QItemSelectionRange &range : selection->selection()) {
        if (range.parent() == view()->rootIndex() && range.left() == 0)
            rows += range.height();
    }
    return static_cast<int>(std::min<qint64>(rows, std::numeric_limits<int>::max()));
}

QList<int> RowListAccessible::selectedRows() const
{
    QList<int> rows;
    const QItemSelectionModel *selection = view()->selectionModel();
    if (!selection)
        return rows;
    for (const QItemSelectionRange &range : selection->selection()) {
        if (range.parent() != view()->rootIndex() || range.left() != 0)
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QList<QAccessibleInterface *> RowListAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (const int row : selectedRows()) {
        if (QAccessibleInterface *cell = cellOfRow(row))
            cells.append(cell);
    }
    return cells;
}

bool RowListAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = view()->selectionModel();
    return selection && selection->isRowSelected(row, view()->rootIndex());
}

bool RowListAccessible::selectRow(int row)
{
    RowListView *list = view();
    QItemSelectionModel *selection = list->selectionModel();
    const QAbstractItemModel *model = list->model();
    if (!selection || !model || row < 0 || row >= rowCount())
        return false;
    QItemSelectionModel::SelectionFlags how = QItemSelectionModel::Rows;
    switch (list->selectionMode()) {
    case QAbstractItemView::NoSelection:
        return false;
    case QAbstractItemView::SingleSelection:
    case QAbstractItemView::ContiguousSelection:
        how |= QItemSelectionModel::ClearAndSelect;
        break;
    case QAbstractItemView::MultiSelection:
    case QAbstractItemView::ExtendedSelection:
        how |= QItemSelectionModel::Select;
        break;
    }
    selection->select(model->index(row, 0, list->rootIndex()), how);
    return true;
}

bool RowListAccessible::unselectRow(int row)
{
    if (!isRowSelected(row))
        return false;
    const RowListView *list = view();
    list->selectionModel()->select(list->model()->index(row, 0, list->rootIndex()),
                                   QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void RowListAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    // Changed texts or check marks are read afresh; rows that came, went or
    // moved leave every cell's number behind.
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged)
        dropRowCells();
}

QAccessibleInterface *RowListAccessible::headerCell() const
{
    if (m_headerCell) {
        if (QAccessibleInterface *cell = QAccessible::accessibleInterface(m_headerCell))
            return cell;
    }
    auto *cell = new HeaderCell(view());
    m_headerCell = QAccessible::registerAccessibleInterface(cell);
    return cell;
}

QAccessibleInterface *RowListAccessible::cellOfRow(int row) const
{
    RowListView *list = view();
    QAbstractItemModel *model = list->model();
    if (!model || row < 0 || row >= model->rowCount(list->rootIndex()))
        return nullptr;
    if (m_cellModel != model) {
        dropRowCells();
        m_cellModel = model;
    }
    if (const auto known = m_rowCells.constFind(row); known != m_rowCells.constEnd()) {
        if (QAccessibleInterface *cell = QAccessible::accessibleInterface(*known))
            return cell;
    }
    auto *cell = new RowCell(list, row);
    m_rowCells.insert(row, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

void RowListAccessible::dropRowCells() const
{
    // Taken first: deleting a cell tells the platform, which may ask again.
    const QHash<int, QAccessible::Id> cells = std::exchange(m_rowCells, {});
    for (const QAccessible::Id id : cells)
        QAccessible::deleteAccessibleInterface(id);
}
