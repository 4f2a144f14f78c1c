#include "lists/RowListCells.h"

#include "lists/RowListAccessible.h"
#include "lists/RowListView.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QWindow>

namespace {

QWindow *windowOf(const QWidget *widget)
{
    return widget ? widget->window()->windowHandle() : nullptr;
}

QRect onScreen(const QWidget *widget, const QRect &local)
{
    return local.isEmpty() ? QRect() : QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

} // namespace

namespace RowListCells {

QString headerText(const RowListView *view)
{
    const QAbstractItemModel *model = view ? view->model() : nullptr;
    return model ? model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString() : QString();
}

QWindow *TableLeaf::window() const
{
    return windowOf(m_view);
}

QAccessibleInterface *TableLeaf::parent() const
{
    return QAccessible::queryAccessibleInterface(m_view.data());
}

RowCell::RowCell(RowListView *view, int row) : TableLeaf(view), m_model(view->model()), m_row(row)
{
}

bool RowCell::isValid() const
{
    return m_view && m_model && m_view->model() == m_model &&
           m_row < m_model->rowCount(m_view->rootIndex());
}

QString RowCell::text(QAccessible::Text t) const
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

QRect RowCell::rect() const
{
    const QModelIndex at = index();
    return at.isValid() ? onScreen(m_view->viewport(), m_view->visualRect(at)) : QRect();
}

QAccessible::Role RowCell::role() const
{
    return hasCheckBox(index()) ? QAccessible::CheckBox : QAccessible::Cell;
}

QAccessible::State RowCell::state() const
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

void *RowCell::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TableCellInterface)
        return static_cast<QAccessibleTableCellInterface *>(this);
    if (t == QAccessible::ActionInterface && checkable())
        return static_cast<QAccessibleActionInterface *>(this);
    return nullptr;
}

QList<QAccessibleInterface *> RowCell::columnHeaderCells() const
{
    if (!m_view || m_view->isHeaderHidden())
        return {};
    const auto *table = dynamic_cast<const RowListAccessible *>(parent());
    return table ? QList<QAccessibleInterface *>{table->headerCell()}
                 : QList<QAccessibleInterface *>();
}

QStringList RowCell::actionNames() const
{
    return checkable() ? QStringList{toggleAction()} : QStringList();
}

void RowCell::doAction(const QString &name)
{
    if (name != toggleAction() || !checkable())
        return;
    const QModelIndex at = index();
    const bool checked = at.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
    m_model->setData(at, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
}

QModelIndex RowCell::index() const
{
    return isValid() ? m_model->index(m_row, 0, m_view->rootIndex()) : QModelIndex();
}

bool RowCell::hasCheckBox(const QModelIndex &at)
{
    return at.isValid() && (at.flags() & Qt::ItemIsUserCheckable) &&
           at.data(Qt::CheckStateRole).isValid();
}

bool RowCell::checkable() const
{
    const QModelIndex at = index();
    return hasCheckBox(at) && (at.flags() & Qt::ItemIsEnabled);
}

QString HeaderCell::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? headerText(m_view) : QString();
}

QRect HeaderCell::rect() const
{
    if (!m_view || m_view->isHeaderHidden())
        return {};
    const QHeaderView *header = m_view->header();
    return onScreen(header, QRect(header->sectionViewportPosition(0), 0, header->sectionSize(0),
                                  header->height()));
}

QAccessible::State HeaderCell::state() const
{
    QAccessible::State state;
    state.invisible = !m_view || m_view->isHeaderHidden();
    return state;
}

} // namespace RowListCells
