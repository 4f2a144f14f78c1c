#include "lists/RowListAccessible.h"

#include "lists/RowListView.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QWindow>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

QString headerText(const RowListView *view)
{
    const QAbstractItemModel *model = view ? view->model() : nullptr;
    return model ? model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
}

QWindow *windowOf(const QWidget *widget)
{
    return widget ? widget->window()->windowHandle() : nullptr;
}

QRect onScreen(const QWidget *widget, const QRect &local)
{
    return local.isEmpty() ? QRect() : QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

// A child of the table without children of its own, and without a QObject:
// a row's cell or the header's.
class TableLeaf : public QAccessibleInterface
{
public:
    explicit TableLeaf(RowListView *view) : m_view(view) {}

    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return windowOf(m_view); }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

protected:
    QPointer<RowListView> m_view;
};

// The cell of one row. It keeps the row's number and reads everything else
// from the model when asked.
class RowCell final : public TableLeaf,
                      public QAccessibleTableCellInterface,
                      public QAccessibleActionInterface
{
public:
    RowCell(RowListView *view, int row) : TableLeaf(view), m_model(view->model()), m_row(row) {}

    const RowListView *view() const { return m_view; }
    int row() const { return m_row; }

    bool isValid() const override
    {
        return m_view && m_model && m_view->model() == m_model &&
               m_row < m_model->rowCount(m_view->rootIndex());
    }

    QString text(QAccessible::Text t) const override
    {
        const QModelIndex at = index();
        if (!at.isValid())
            return {};
        switch (t) {
        case QAccessible::Name: {
            const QVariant spoken = at.data(Qt::AccessibleTextRole);
            return (spoken.isValid() ? spoken : at.data(Qt::DisplayRole)).toString();
        }
        case QAccessible::Description:
            return at.data(Qt::AccessibleDescriptionRole).toString();
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        const QModelIndex at = index();
        return at.isValid() ? onScreen(m_view->viewport(), m_view->visualRect(at)) : QRect();
    }
    // A row with a check box is read as a check box, so that an unticked one
    // is heard as "not checked" (Qt 6.4 tells AT-SPI of checked, never of
    // checkable); the table still knows it as its cell.
    QAccessible::Role role() const override
    {
        return hasCheckBox(index()) ? QAccessible::CheckBox : QAccessible::Cell;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const QModelIndex at = index();
        if (!at.isValid()) {
            state.invalid = true;
            return state;
        }
        const Qt::ItemFlags flags = at.flags();
        state.disabled = !(flags & Qt::ItemIsEnabled);
        state.focusable = true;
        state.focused = m_view->hasFocus() && m_view->currentIndex() == at;
        if ((flags & Qt::ItemIsSelectable) &&
            m_view->selectionMode() != QAbstractItemView::NoSelection) {
            state.selectable = true;
            state.selected = m_view->selectionModel() && m_view->selectionModel()->isSelected(at);
        }
        if (hasCheckBox(at)) {
            const auto check = at.data(Qt::CheckStateRole).value<Qt::CheckState>();
            state.checkable = true;
            state.checked = check == Qt::Checked;
            state.checkStateMixed = check == Qt::PartiallyChecked;
        }
        state.offscreen =
            !m_view->isVisible() || !m_view->viewport()->rect().intersects(m_view->visualRect(at));
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (t == QAccessible::ActionInterface && checkable())
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override
    {
        if (!m_view || m_view->isHeaderHidden())
            return {};
        const auto *table = dynamic_cast<const RowListAccessible *>(parent());
        return table ? QList<QAccessibleInterface *>{table->headerCell()}
                     : QList<QAccessibleInterface *>();
    }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QStringList actionNames() const override
    {
        return checkable() ? QStringList{toggleAction()} : QStringList();
    }
    void doAction(const QString &name) override
    {
        if (name != toggleAction() || !checkable())
            return;
        const QModelIndex at = index();
        const bool checked = at.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        m_model->setData(at, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QModelIndex index() const
    {
        return isValid() ? m_model->index(m_row, 0, m_view->rootIndex()) : QModelIndex();
    }
    static bool hasCheckBox(const QModelIndex &at)
    {
        return at.isValid() && (at.flags() & Qt::ItemIsUserCheckable) &&
               at.data(Qt::CheckStateRole).isValid();
    }
    bool checkable() const
    {
        const QModelIndex at = index();
        return hasCheckBox(at) && (at.flags() & Qt::ItemIsEnabled);
    }

    QPointer<QAbstractItemModel> m_model;
    int m_row;
};

// The header's one section, which names the column.
class HeaderCell final : public TableLeaf
{
public:
    using TableLeaf::TableLeaf;

    bool isValid() const override { return m_view; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? headerText(m_view) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override
    {
        if (!m_view || m_view->isHeaderHidden())
            return {};
        const QHeaderView *header = m_view->header();
        return onScreen(header, QRect(header->sectionViewportPosition(0), 0, header->sectionSize(0),
                                      header->height()));
    }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !m_view || m_view->isHeaderHidden();
        return state;
    }
};

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
    static const bool installed = [] {
        QAccessible::installFactory(&rowListFactory);
        return true;
    }();
    Q_UNUSED(installed);
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
