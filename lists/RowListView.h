#pragma once

#include <QAbstractItemView>
#include <QPointer>
#include <QStringList>

#include <functional>

class QHeaderView;
class RowModel;

// The view of one list: the rows under a header, all of one height, never
// sorted by the view. Showing rows, scrolling, painting and following a removal
// or a clear cost the same for ten rows or ten million: the view keeps nothing
// per row, scrolls by whole rows and paints only the rows in sight. Typing the
// first letters of a row searches the model's texts row by row, without
// copying them (RowModel::match).
// The Delete key (with any modifiers) and a double-click remove a row unless
// the window is busy. A view may accept files dropped on it and hand their
// paths on, and text dropped on it (a drop without files) and hand it on.
// Assistive technology reads it as a table (RowListAccessible) and is told
// where the focus and the selection go.
class RowListView final : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit RowListView(QWidget *parent = nullptr);
    ~RowListView() override;

    void setRowModel(RowModel *model);
    RowModel *rowModel() const;
    // Any list model can be shown; only a RowModel's rows can be removed.
    void setModel(QAbstractItemModel *model) override;

    // The header above the columns. Its sections set the columns' widths, and
    // the user may drag one wider than the list.
    QHeaderView *header() const { return m_header; }
    int columnWidth(int column) const;
    void setColumnWidth(int column, int width);
    bool isHeaderHidden() const;
    void setHeaderHidden(bool hide);

    // The height of every row: the first row's, as the item delegate sizes it.
    int rowHeight() const;

    // Asked before a row is removed; a busy window removes nothing.
    void setBusyTest(std::function<bool()> isBusy) { m_isBusy = std::move(isBusy); }

    void setAcceptFileDrops(bool accept);
    // Text is refused while the window is busy, as a paste is.
    void setAcceptTextDrops(bool accept);

    // The local files of a drop, in the order the drop lists them; empty when
    // the drop carries no local file.
    static QStringList localFilePaths(const QMimeData *mime);

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    // Measures the rows in sight and a bounded number around them
    // (QHeaderView::resizeContentsPrecision, and as many as 25 ms allow),
    // never every row; each by its shown start (ShownText).
    int sizeHintForColumn(int column) const override;

public slots:
    void reset() override;
    void doItemsLayout() override;
    // Widens or narrows the column to the rows measured by sizeHintForColumn
    // and the header's text; a double-click on the section's edge does this.
    void resizeColumnToContents(int column);

signals:
    // Emitted after the drop has finished, from the event loop.
    void filesDropped(const QStringList &paths);
    void textDropped(const QString &text);

protected slots:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void updateGeometries() override;
    void verticalScrollbarValueChanged(int value) override;
    void horizontalScrollbarValueChanged(int value) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &index) const override;
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;

    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    int rowCount() const;
    int firstShownRow() const;
    // The rows that fit wholly in the viewport, at least one.
    int rowsPerPage() const;
    // The row at a viewport y, or -1 where there is none.
    int rowAt(int y) const;
    int rowTop(int row) const;
    void rowsRemovedFromModel(const QModelIndex &parent, int first, int last);
    void updateScrollBars();
    void hoverAt(const QPoint &pos);
    void updateRow(int row);

    bool busy() const { return m_isBusy && m_isBusy(); }
    bool onCheckBox(const QModelIndex &index, const QPoint &pos) const;
    void removeRow(int row);
    // Whether the view takes what is dragged over it, files before text.
    bool takesDrop(const QMimeData *mime) const;
    static void acceptAsCopy(QDropEvent *event);
    void acceptDropsAsSet();

    QHeaderView *m_header = nullptr;
    QPointer<RowModel> m_model;
    QMetaObject::Connection m_rowsRemoved;
    // Measured from the first row when first needed; 0 until then.
    mutable int m_rowHeight = 0;
    int m_hoverRow = -1;
    bool m_placingHeader = false;
    std::function<bool()> m_isBusy;
    bool m_acceptFileDrops = false;
    bool m_acceptTextDrops = false;
};
