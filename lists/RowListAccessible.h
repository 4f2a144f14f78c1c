#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class QAbstractItemModel;
class RowListView;

// What assistive technology (a screen reader, through AT-SPI) sees of a
// RowListView: a table of one column under its header, every row a cell with
// its text and, in a checkable list, its check box. The header's cell comes
// first when the header is shown, then one cell per row.
//
// The cells are made when a client asks for them, never one per row up front:
// ten million rows cost nothing until some are read. A cell only names its
// row and reads the model each time; the cells asked for are kept by row and
// let go whenever rows come or go, so none answers for a row that moved.
class RowListAccessible final : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit RowListAccessible(RowListView *view);

    // Makes QAccessible::queryAccessibleInterface answer with this class for
    // every RowListView; the first call installs the factory, later ones do
    // nothing.
    static void installFactory();
    // The index among the table's children of a row's cell.
    static int childIndexOfRow(const RowListView *view, int row);

    RowListView *view() const;

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int columnCount() const override;
    int rowCount() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return selectedRowCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    // The header's cell, made when first asked for.
    QAccessibleInterface *headerCell() const;

private:
    ~RowListAccessible() override;

    QAccessibleInterface *cellOfRow(int row) const;
    void dropRowCells() const;

    // The ids of the cells asked for, by row, and the model they were made for.
    mutable QHash<int, QAccessible::Id> m_rowCells;
    mutable QPointer<QAbstractItemModel> m_cellModel;
    mutable QAccessible::Id m_headerCell = 0;
};
