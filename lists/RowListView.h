#pragma once

#include <QTreeView>

class RowModel;

// The view of one list: a single column with a header, rows of uniform height,
// never sorted by the view.
class RowListView : public QTreeView
{
    Q_OBJECT

public:
    explicit RowListView(QWidget *parent = nullptr);

    void setRowModel(RowModel *model);
    RowModel *rowModel() const { return m_model; }

private:
    RowModel *m_model = nullptr;
};
