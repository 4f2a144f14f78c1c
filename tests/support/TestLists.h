#pragma once

#include <QStandardItemModel>
#include <QStringList>

#include <memory>
#include <vector>

class RowModel;

// Every row's text in row order, each a text of its own, to compare with.
QStringList rowTexts(const RowModel &list);

// Lists as the export tests write them: a row whose text starts with "-"
// (which is then dropped) is unchecked.

// Appends the rows to a list, in order.
void appendMarkedRows(RowModel &list, const QStringList &rows);

// A table of several columns, for ItemModelReader: the headers, and rows of
// cells whose first cell carries the check mark.
std::unique_ptr<QStandardItemModel> makeTable(const QStringList &headers,
                                              const std::vector<QStringList> &rows);
