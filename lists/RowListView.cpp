#include "lists/RowListView.h"

#include "lists/RowItemDelegate.h"
#include "lists/RowListAccessible.h"
#include "lists/RowModel.h"

#include <QAccessible>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

// Tells assistive technology about the cell of one row.
void tellAboutRow(RowListView *view, QAccessible::Event type, int row)
{
    QAccessibleEvent event(view, type);
    event.setChild(RowListAccessible::childIndexOfRow(view, row));
    QAccessible::updateAccessibility(&event);
}

} // namespace

RowListView::RowListView(QWidget *parent)
    : QAbstractItemView(parent), m_header(new QHeaderView(Qt::Horizontal, this))
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Vertically the view always moves by whole rows; sideways by pixels.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAttribute(Qt::WA_MacShowFocusRect);
    setItemDelegate(new RowItemDelegate(this));
    RowListAccessible::installFactory();

    // The header looks and behaves as a tree view's: left-aligned text, the last
    // section stretched until told otherwise, and no sorting.
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_header->setStretchLastSection(true);
    m_header->setSectionsClickable(false);
    m_header->setSortIndicatorShown(false);
    connect(m_header, &QHeaderView::sectionResized, this, [this] { scheduleDelayedItemsLayout(); });
    connect(m_header, &QHeaderView::sectionCountChanged, this,
            [this] { scheduleDelayedItemsLayout(); });
    connect(m_header, &QHeaderView::sectionHandleDoubleClicked, this,
            &RowListView::resizeColumnToContents);
    connect(m_header, &QHeaderView::geometriesChanged, this, &RowListView::updateGeometries);
}

RowListView::~RowListView()
{
    // The header hides with the view and would tell a view that is half gone.
    m_header->disconnect(this);
}

void RowListView::setRowModel(RowModel *model)
{
    setModel(model);
}

RowModel *RowListView::rowModel() const
{
    return m_model;
}

void RowListView::setModel(QAbstractItemModel *model)
{
    if (model == this->model())
        return;
    disconnect(m_rowsRemoved);
    m_model = qobject_cast<RowModel *>(model);
    m_rowHeight = 0;
    m_hoverRow = -1;
    m_header->setModel(model);
    QAbstractItemView::setModel(model);
    if (model) {
        m_rowsRemoved = connect(model, &QAbstractItemModel::rowsRemoved, this,
                                &RowListView::rowsRemovedFromModel);
    }
}

int RowListView::columnWidth(int column) const
{
    return m_header->sectionSize(column);
}

void RowListView::setColumnWidth(int column, int width)
{
    m_header->resizeSection(column, width);
}

bool RowListView::isHeaderHidden() const
{
    return m_header->isHidden();
}

void RowListView::setHeaderHidden(bool hide)
{
    m_header->setHidden(hide);
    updateGeometries();
}

void RowListView::setAcceptFileDrops(bool accept)
{
    m_acceptFileDrops = accept;
    acceptDropsAsSet();
}

void RowListView::setAcceptTextDrops(bool accept)
{
    m_acceptTextDrops = accept;
    acceptDropsAsSet();
}

void RowListView::acceptDropsAsSet()
{
    setAcceptDrops(m_acceptFileDrops || m_acceptTextDrops);
    viewport()->setAcceptDrops(m_acceptFileDrops || m_acceptTextDrops);
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

// --- Geometry: every row is rowHeight() high, the scroll bar's value is the
// first row shown.

void RowListView::reset()
{
    m_rowHeight = 0;
    m_hoverRow = -1;
    QAbstractItemView::reset();
}

void RowListView::doItemsLayout()
{
    m_rowHeight = 0;
    m_header->doItemsLayout();
    QAbstractItemView::doItemsLayout();
    if (viewport()->underMouse())
        hoverAt(viewport()->mapFromGlobal(QCursor::pos()));
    else
        m_hoverRow = -1;
}

void RowListView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    if (parent == rootIndex()) {
        if (start == 0)
            m_rowHeight = 0;
        scheduleDelayedItemsLayout();
    }
    QAbstractItemView::rowsInserted(parent, start, end);
}

void RowListView::rowsRemovedFromModel(const QModelIndex &parent, int first, int)
{
    if (parent != rootIndex())
        return;
    if (first == 0)
        m_rowHeight = 0;
    scheduleDelayedItemsLayout();
}

void RowListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                              const QList<int> &roles)
{
    if (!topLeft.isValid() || topLeft.parent() != rootIndex())
        return;
    if (topLeft.row() == 0 && m_rowHeight > 0) {
        const int before = m_rowHeight;
        m_rowHeight = 0;
        if (rowHeight() != before)
            scheduleDelayedItemsLayout();
    }
    if (topLeft == bottomRight) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        // A ticked or cleared check box is read out; a block of them (all
        // rows at once) is not told row by row.
        if (QAccessible::isActive() && (topLeft.flags() & Qt::ItemIsUserCheckable) &&
            (roles.isEmpty() || roles.contains(Qt::CheckStateRole))) {
            QAccessible::State changed;
            changed.checked = true;
            QAccessibleStateChangeEvent event(this, changed);
            event.setChild(RowListAccessible::childIndexOfRow(this, topLeft.row()));
            QAccessible::updateAccessibility(&event);
        }
        return;
    }
    // A block of rows: repaint it if any of it is in sight (the base class
    // would measure every row of the block).
    const int firstRow = firstShownRow();
    if (bottomRight.row() >= firstRow && topLeft.row() <= firstRow + rowsPerPage())
        viewport()->update();
}

// --- Assistive technology: where the focus and the selection go, told as the
// cell of a row (see RowListAccessible), and only while a client listens.

void RowListView::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    if (QAccessible::isActive() && hasFocus() && current.isValid() &&
        current.parent() == rootIndex())
        tellAboutRow(this, QAccessible::Focus, current.row());
}

void RowListView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive())
        return;
    // The first row of each range stands for it, so that selecting a million
    // rows is one event; the table lists the rest.
    for (const QItemSelectionRange &range : deselected) {
        if (range.isValid() && range.parent() == rootIndex())
            tellAboutRow(this, QAccessible::SelectionRemove, range.top());
    }
    QAccessible::Event type =
        selectionMode() == SingleSelection ? QAccessible::Selection : QAccessible::SelectionAdd;
    for (const QItemSelectionRange &range : selected) {
        if (range.isValid() && range.parent() == rootIndex()) {
            tellAboutRow(this, type, range.top());
            type = QAccessible::SelectionAdd;
        }
    }
}

void RowListView::focusInEvent(QFocusEvent *event)
{
    QAbstractItemView::focusInEvent(event);
    if (!QAccessible::isActive())
        return;
    // The widget itself is told to have the focus after this returns; the
    // current row's cell is told later, so that it is what a screen reader
    // reads.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QModelIndex current = currentIndex();
            if (QAccessible::isActive() && hasFocus() && current.isValid())
                tellAboutRow(this, QAccessible::Focus, current.row());
        },
        Qt::QueuedConnection);
}

// --- Removing rows, drops

void RowListView::removeRow(int row)
{
    if (!m_model || busy() || m_model->count() == 0 || row < 0)
        return;
    // A step of its own in the window's history, even while a command runs.
    const RecordedStep step(m_model->recorder(), u"Remove Row"_s);
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
    QAbstractItemView::keyPressEvent(event);
}

bool RowListView::onCheckBox(const QModelIndex &index, const QPoint &pos) const
{
    if (!(index.flags() & Qt::ItemIsUserCheckable) || !index.data(Qt::CheckStateRole).isValid())
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
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        QAbstractItemView::mouseDoubleClickEvent(event);
        return;
    }
    if (onCheckBox(index, pos)) {
        // Each click of a double-click on a check box toggles it, as two single
        // clicks would: the second press is handled like the first.
        QMouseEvent press(QEvent::MouseButtonPress, event->position(), event->scenePosition(),
                          event->globalPosition(), event->button(), event->buttons(),
                          event->modifiers(), event->pointingDevice());
        mousePressEvent(&press);
        event->setAccepted(press.isAccepted());
        return;
    }
    removeRow(index.row());
    event->accept();
}

// The list copies what is dropped on it and takes nothing away: a drag
// that the other program would end as a move (deleting the text it
// dragged) is answered as a copy.
void RowListView::acceptAsCopy(QDropEvent *event)
{
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

bool RowListView::takesDrop(const QMimeData *mime) const
{
    if (m_acceptFileDrops && !localFilePaths(mime).isEmpty())
        return true;
    return m_acceptTextDrops && mime && mime->hasText() && localFilePaths(mime).isEmpty() &&
           !busy();
}

void RowListView::dragEnterEvent(QDragEnterEvent *event)
{
    if (takesDrop(event->mimeData())) {
        acceptAsCopy(event);
        return;
    }
    QAbstractItemView::dragEnterEvent(event);
}

void RowListView::dragMoveEvent(QDragMoveEvent *event)
{
    if (takesDrop(event->mimeData())) {
        acceptAsCopy(event);
        return;
    }
    QAbstractItemView::dragMoveEvent(event);
}

void RowListView::dropEvent(QDropEvent *event)
{
    const QMimeData *mime = event->mimeData();
    if (!takesDrop(mime)) {
        QAbstractItemView::dropEvent(event);
        return;
    }
    acceptAsCopy(event);
    // Loading may show message boxes; the drop finishes first, so the program
    // the files or the text came from is not held up by them.
    const QStringList paths = m_acceptFileDrops ? localFilePaths(mime) : QStringList();
    if (!paths.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, paths] { emit filesDropped(paths); }, Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, text = mime->text()] { emit textDropped(text); }, Qt::QueuedConnection);
}
