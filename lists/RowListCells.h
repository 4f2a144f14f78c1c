#pragma once

#include <QAccessible>
#include <QModelIndex>
#include <QPointer>
#include <QStringList>

class QAbstractItemModel;
class RowListView;

// The children of a RowListView's table (RowListAccessible): a cell for each
// row asked for and one for the header. They have no QObject of their own and
// no children.
namespace RowListCells {

// The list's header, as its table and the header's cell name it.
QString headerText(const RowListView *view);

// A child of the table without children of its own, and without a QObject:
// a row's cell or the header's.
class TableLeaf : public QAccessibleInterface
{
public:
    explicit TableLeaf(RowListView *view) : m_view(view) {}

    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override;
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
    RowCell(RowListView *view, int row);

    const RowListView *view() const { return m_view; }
    int row() const { return m_row; }

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    // A row with a check box is read as a check box, so that an unticked one
    // is heard as "not checked" (Qt 6.4 tells AT-SPI of checked, never of
    // checkable); the table still knows it as its cell.
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QStringList actionNames() const override;
    void doAction(const QString &name) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QModelIndex index() const;
    static bool hasCheckBox(const QModelIndex &at);
    bool checkable() const;

    QPointer<QAbstractItemModel> m_model;
    int m_row;
};

// The header's one section, which names the column.
class HeaderCell final : public TableLeaf
{
public:
    using TableLeaf::TableLeaf;

    bool isValid() const override { return m_view; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override;
};

} // namespace RowListCells
