// Where the rows of a RowListView are: every row has one height, so a row's
// place follows from its number and the first row shown, and nothing is kept
// per row.
#include "lists/RowListView.h"

#include "lists/RowModel.h"

#include <QDeadlineTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>
#include <chrono>
#include <limits>

namespace {

// Viewport coordinates of rows far out of sight stay well inside int, so that
// a rectangle built on them cannot overflow.
constexpr qint64 FarCoordinate = std::numeric_limits<int>::max() / 4;

// How long measuring the rows out of sight for a column's width may take.
constexpr std::chrono::milliseconds MeasuringTime{25};

int clampedCoordinate(qint64 value)
{
    return static_cast<int>(std::clamp(value, -FarCoordinate, FarCoordinate));
}

// Rounds towards minus infinity, so that the pixels just above the first row
// belong to the row before it.
qint64 floorDivide(qint64 value, qint64 divisor)
{
    const qint64 quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

} // namespace

int RowListView::rowCount() const
{
    const QAbstractItemModel *model = this->model();
    return model ? model->rowCount(rootIndex()) : 0;
}

int RowListView::rowHeight() const
{
    if (m_rowHeight > 0)
        return m_rowHeight;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect.setWidth(-1); // no wrapping to measure
    int height = 0;
    const QAbstractItemModel *model = this->model();
    if (model && rowCount() > 0) {
        const int columns = std::max(m_header->count(), 1);
        for (int column = 0; column < columns; ++column) {
            if (m_header->isSectionHidden(column))
                continue;
            const QModelIndex index = model->index(0, column, rootIndex());
            if (const QAbstractItemDelegate *delegate = itemDelegateForIndex(index))
                height = std::max(height, delegate->sizeHint(option, index).height());
        }
        if (height > 0) {
            m_rowHeight = height;
            return height;
        }
    }
    // No row to measure yet: the height an empty row would have.
    if (const QAbstractItemDelegate *delegate = itemDelegate())
        height = delegate->sizeHint(option, QModelIndex()).height();
    return std::max(height, 1);
}

int RowListView::firstShownRow() const
{
    return verticalScrollBar()->value();
}

int RowListView::rowsPerPage() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int RowListView::rowAt(int y) const
{
    const qint64 row = firstShownRow() + floorDivide(y, rowHeight());
    return row >= 0 && row < rowCount() ? static_cast<int>(row) : -1;
}

int RowListView::rowTop(int row) const
{
    return clampedCoordinate((qint64(row) - firstShownRow()) * rowHeight());
}

QRect RowListView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        isIndexHidden(index))
        return {};
    const int column = index.column();
    return QRect(m_header->sectionViewportPosition(column), rowTop(index.row()),
                 m_header->sectionSize(column), rowHeight());
}

QModelIndex RowListView::indexAt(const QPoint &point) const
{
    const int row = rowAt(point.y());
    const int column = m_header->logicalIndexAt(point.x());
    if (row < 0 || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

bool RowListView::isIndexHidden(const QModelIndex &index) const
{
    return m_header->isSectionHidden(index.column());
}

int RowListView::horizontalOffset() const
{
    return m_header->offset();
}

int RowListView::verticalOffset() const
{
    return clampedCoordinate(qint64(firstShownRow()) * rowHeight());
}

void RowListView::updateGeometries()
{
    // Placing the header and setting the ranges can come back here; once is enough.
    if (m_placingHeader)
        return;
    m_placingHeader = true;
    int height = 0;
    if (!m_header->isHidden()) {
        height = std::max(m_header->minimumHeight(), m_header->sizeHint().height());
        height = std::min(height, m_header->maximumHeight());
    }
    setViewportMargins(0, height, 0, 0);
    const QRect port = viewport()->geometry();
    m_header->setGeometry(port.left(), port.top() - height, port.width(), height);
    QMetaObject::invokeMethod(m_header, "updateGeometries");
    updateScrollBars();
    m_placingHeader = false;
    QAbstractItemView::updateGeometries();
}

void RowListView::updateScrollBars()
{
    const int perPage = rowsPerPage();
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, rowCount() - perPage));
    vertical->setPageStep(perPage);
    vertical->setSingleStep(1);

    // Sideways the view scrolls over the header's length; a step is a part of
    // the viewport's width as wide as a tree view's.
    QSize size = viewport()->size();
    const int length = m_header->length();
    const QSize largest = maximumViewportSize();
    if (largest.width() >= length && vertical->maximum() <= 0)
        size = largest;
    int sectionsInSight = 0;
    for (int width = 0, visual = m_header->count() - 1; visual >= 0; --visual) {
        width += m_header->sectionSize(m_header->logicalIndex(visual));
        if (width > size.width())
            break;
        ++sectionsInSight;
    }
    if (m_header->count() > 0)
        sectionsInSight = std::max(sectionsInSight, 1);
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setPageStep(size.width());
    horizontal->setRange(0, std::max(0, length - size.width()));
    horizontal->setSingleStep(std::max(size.width() / (sectionsInSight + 1), 2));
}

void RowListView::scrollContentsBy(int dx, int /*dy*/)
{
    if (dx) {
        const QScrollBar *horizontal = horizontalScrollBar();
        m_header->setOffset(isRightToLeft() ? horizontal->maximum() - horizontal->value()
                                            : horizontal->value());
    }
    viewport()->update();
}

void RowListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex())
        return;
    executeDelayedItemsLayout();
    updateScrollBars();

    QScrollBar *vertical = verticalScrollBar();
    const int row = index.row();
    const int top = vertical->value();
    const bool inSight = row >= top && row < top + vertical->pageStep();
    if (hint == PositionAtTop || (hint == EnsureVisible && row < top)) {
        vertical->setValue(row);
    } else if (hint != EnsureVisible || !inSight) {
        // The rows that fit above it (to the bottom, or to the middle with a
        // preference for the upper row) come into sight with it.
        const int height = viewport()->height();
        const int space = hint == PositionAtCenter ? height / 2 + rowHeight() - 1 : height;
        vertical->setValue(std::max(0, row - std::max(0, space / rowHeight() - 1)));
    }

    const int width = viewport()->width();
    const int offset = m_header->offset();
    const int position = m_header->sectionPosition(index.column());
    const int cell = m_header->sectionSize(index.column());
    QScrollBar *horizontal = horizontalScrollBar();
    if (hint == PositionAtCenter) {
        horizontal->setValue(position - (width - cell) / 2);
    } else if (position - offset < 0 || cell > width) {
        horizontal->setValue(position);
    } else if (position - offset + cell > width) {
        horizontal->setValue(position - width + cell);
    }
}

QModelIndex RowListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int rows = rowCount();
    if (rows == 0 || m_header->count() == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        int visual = 0;
        while (visual < m_header->count() &&
               m_header->isSectionHidden(m_header->logicalIndex(visual)))
            ++visual;
        if (visual == m_header->count())
            return {};
        return model()->index(0, m_header->logicalIndex(visual), rootIndex());
    }

    if (isRightToLeft()) {
        if (cursorAction == MoveLeft)
            cursorAction = MoveRight;
        else if (cursorAction == MoveRight)
            cursorAction = MoveLeft;
    }
    const int row = current.row();
    const int height = viewport()->height();
    int target = row;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        target = std::max(row - 1, 0);
        break;
    case MoveDown:
    case MoveNext:
        target = std::min(row + 1, rows - 1);
        break;
    case MovePageUp:
        // The row a viewport's height above, or the first.
        target =
            static_cast<int>(std::max<qint64>(0, row + floorDivide(-qint64(height), rowHeight())));
        break;
    case MovePageDown:
        target = static_cast<int>(std::min<qint64>(rows - 1, qint64(row) + height / rowHeight()));
        break;
    case MoveHome:
        target = 0;
        break;
    case MoveEnd:
        target = rows - 1;
        break;
    case MoveLeft:
    case MoveRight: {
        // Whole rows are selected: left and right move the view sideways.
        QScrollBar *horizontal = horizontalScrollBar();
        const int step = horizontal->singleStep();
        horizontal->setValue(horizontal->value() + (cursorAction == MoveLeft ? -step : step));
        return current;
    }
    }
    return current.sibling(target, current.column());
}

void RowListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    QItemSelectionModel *selection = selectionModel();
    if (!selection || rect.isNull() || !model())
        return;
    const QRect area = rect.normalized();
    const QPoint topLeft(isRightToLeft() ? area.right() : area.left(), area.top());
    const QPoint bottomRight(isRightToLeft() ? area.left() : area.right(), area.bottom());
    QModelIndex first = indexAt(topLeft);
    QModelIndex last = indexAt(bottomRight);
    if (!first.isValid() && !last.isValid()) {
        if (command & QItemSelectionModel::Clear)
            selection->clear();
        return;
    }
    // A rectangle reaching past the rows takes the first or the last row.
    if (!first.isValid())
        first = model()->index(0, m_header->logicalIndex(0), rootIndex());
    if (!last.isValid()) {
        last = model()->index(rowCount() - 1, m_header->logicalIndex(m_header->count() - 1),
                              rootIndex());
    }
    if (!(first.flags() & Qt::ItemIsEnabled) || !(last.flags() & Qt::ItemIsEnabled))
        return;
    const QModelIndex top = model()->index(std::min(first.row(), last.row()),
                                           std::min(first.column(), last.column()), rootIndex());
    const QModelIndex bottom = model()->index(std::max(first.row(), last.row()),
                                              std::max(first.column(), last.column()), rootIndex());
    selection->select(QItemSelection(top, bottom), command);
}

QRegion RowListView::visualRegionForSelection(const QItemSelection &selection) const
{
    // Only the rows in sight count, however many are selected.
    const int firstRow = firstShownRow();
    const int lastRow = firstRow + viewport()->height() / rowHeight();
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        if (!range.isValid() || range.parent() != rootIndex())
            continue;
        const int top = std::max(range.top(), firstRow);
        const int bottom = std::min(range.bottom(), lastRow);
        if (top > bottom)
            continue;
        const QAbstractItemModel *model = range.model();
        for (int column = range.left(); column <= range.right(); ++column) {
            region += visualRect(model->index(top, column, rootIndex())) |
                      visualRect(model->index(bottom, column, rootIndex()));
        }
    }
    return region;
}

int RowListView::sizeHintForColumn(int column) const
{
    const int rows = rowCount();
    if (rows == 0)
        return -1;
    ensurePolished();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int precision = m_header->resizeContentsPrecision();
    int width = 0;
    int measured = 0;
    const auto measure = [&](int row) {
        const QModelIndex index = model()->index(row, column, rootIndex());
        if (const QAbstractItemDelegate *delegate = itemDelegateForIndex(index))
            width = std::max(width, delegate->sizeHint(option, index).width());
        ++measured;
    };
    // The rows in sight first, then alternately below and above them.
    const int first = std::clamp(firstShownRow(), 0, rows - 1);
    const int last = std::min(rows - 1, first + viewport()->height() / rowHeight());
    for (int row = first; row <= last && measured != precision; ++row)
        measure(row);
    int above = first - 1;
    int below = last + 1;
    // The rows out of sight only as long as the window can spare: a list of
    // long rows measures fewer of them.
    const QDeadlineTimer spare(MeasuringTime);
    while (precision != 0 && measured != precision && (above >= 0 || below < rows) &&
           !spare.hasExpired()) {
        if (below >= rows || (above >= 0 && (measured & 1)))
            measure(above--);
        else
            measure(below++);
    }
    return width;
}

void RowListView::resizeColumnToContents(int column)
{
    if (column < 0 || column >= m_header->count())
        return;
    const int contents = sizeHintForColumn(column);
    const int title = m_header->isHidden() ? 0 : m_header->sectionSizeHint(column);
    m_header->resizeSection(column, std::max(contents, title));
}

// --- Model changes: nothing here walks the rows; the layout that follows sets
// two scroll bar ranges and repaints what is in sight.
