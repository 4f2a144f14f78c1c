#include "lists/RowListView.h"

#include "lists/RowModel.h"

RowListView::RowListView(QWidget *parent) : QTreeView(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void RowListView::setRowModel(RowModel *model)
{
    m_model = model;
    setModel(model);
}
