// How a RowListView shows its rows: the row under the mouse is followed as
// the mouse or the rows move, and only the rows in the damaged area are
// painted.
#include "lists/RowListView.h"

#include <QCursor>
#include <QHeaderView>
#include <QHoverEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>

void RowListView::updateRow(int row)
{
    if (row >= 0)
        viewport()->update(QRect(0, rowTop(row), viewport()->width(), rowHeight()));
}

void RowListView::hoverAt(const QPoint &pos)
{
    const QModelIndex index = viewport()->rect().contains(pos) ? indexAt(pos) : QModelIndex();
    const int row = index.isValid() ? index.row() : -1;
    if (row == m_hoverRow)
        return;
    updateRow(m_hoverRow);
    m_hoverRow = row;
    updateRow(m_hoverRow);
}

void RowListView::verticalScrollbarValueChanged(int value)
{
    QAbstractItemView::verticalScrollbarValueChanged(value);
    if (viewport()->underMouse())
        hoverAt(viewport()->mapFromGlobal(QCursor::pos()));
}

void RowListView::horizontalScrollbarValueChanged(int value)
{
    QAbstractItemView::horizontalScrollbarValueChanged(value);
    if (viewport()->underMouse())
        hoverAt(viewport()->mapFromGlobal(QCursor::pos()));
}

bool RowListView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        hoverAt(static_cast<QHoverEvent *>(event)->position().toPoint());
        break;
    case QEvent::HoverLeave:
        hoverAt(QPoint(-1, -1));
        break;
    default:
        break;
    }
    return QAbstractItemView::viewportEvent(event);
}

// Paints the rows in the damaged area as a tree view paints its rows: the row
// panel of the style, then the item delegate (text, check box, selection, focus).
void RowListView::paintEvent(QPaintEvent *event)
{
    const int rows = rowCount();
    const int sections = m_header->count();
    if (rows == 0 || sections == 0)
        return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    // Whole rows are selected, so the selection covers the check box too.
    option.showDecorationSelected = true;
    const QStyle::State state = option.state;
    const bool enabled = state & QStyle::State_Enabled;
    const bool focus = hasFocus();
    const QModelIndex current = currentIndex();
    const QItemSelectionModel *selection = selectionModel();
    const QAbstractItemModel *model = this->model();

    const QRect area = event->rect();
    const int height = rowHeight();
    const int firstRow = firstShownRow();
    const int from = std::max(firstRow + std::max(area.top(), 0) / height, 0);
    const int to = static_cast<int>(
        std::min<qint64>(rows - 1, qint64(firstRow) + std::max(area.bottom(), 0) / height));
    int left = m_header->visualIndexAt(area.left());
    int right = m_header->visualIndexAt(area.right());
    if (left < 0)
        left = 0;
    if (right < 0)
        right = sections - 1;
    if (isRightToLeft())
        std::swap(left, right);
    int shownSections = 0;
    for (int visual = 0; visual < sections; ++visual)
        shownSections += m_header->isSectionHidden(m_header->logicalIndex(visual)) ? 0 : 1;

    for (int row = from; row <= to; ++row) {
        int position = 0;
        for (int visual = 0; visual < sections; ++visual) {
            const int column = m_header->logicalIndex(visual);
            if (m_header->isSectionHidden(column))
                continue;
            ++position;
            if (visual < left || visual > right)
                continue;
            const QModelIndex index = model->index(row, column, rootIndex());
            QStyleOptionViewItem cell = option;
            cell.rect = QRect(m_header->sectionViewportPosition(column), rowTop(row),
                              m_header->sectionSize(column), height);
            if (shownSections == 1)
                cell.viewItemPosition = QStyleOptionViewItem::OnlyOne;
            else if (position == 1)
                cell.viewItemPosition = QStyleOptionViewItem::Beginning;
            else if (position == shownSections)
                cell.viewItemPosition = QStyleOptionViewItem::End;
            else
                cell.viewItemPosition = QStyleOptionViewItem::Middle;
            if (selection && selection->isSelected(index))
                cell.state |= QStyle::State_Selected;
            if (focus && index == current)
                cell.state |= QStyle::State_HasFocus;
            cell.state.setFlag(QStyle::State_MouseOver, row == m_hoverRow);
            if (enabled) {
                QPalette::ColorGroup group = QPalette::Inactive;
                if (!(model->flags(index) & Qt::ItemIsEnabled)) {
                    cell.state &= ~QStyle::State_Enabled;
                    group = QPalette::Disabled;
                } else if (cell.state & QStyle::State_Active) {
                    group = QPalette::Active;
                }
                cell.palette.setCurrentColorGroup(group);
            }
            if (alternatingRowColors())
                cell.features.setFlag(QStyleOptionViewItem::Alternate, row & 1);

            // The row's own background (alternating colours) under the item; the
            // delegate paints the selection with the item.
            QStyleOptionViewItem panel = cell;
            panel.state &= ~QStyle::State_Selected;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &panel, &painter, this);
            itemDelegateForIndex(index)->paint(&painter, cell, index);
        }
    }
}
