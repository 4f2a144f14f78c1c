#pragma once

#include "export/SpreadsheetAutomation.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <utility>

// A spreadsheet application that records the calls made to it, for tests.
class RecordingSpreadsheet final : public SpreadsheetAutomation
{
public:
    bool installed = true;
    int sheetRows = SpreadsheetApplication::SheetRows;
    // Called before a cell is stored; may throw to refuse the write.
    std::function<void(int row, int column, const QString &text)> beforeSetCell;

    // "createApplication", "addWorkbook", "setCell 2 1", "autoFitColumn 1",
    // "autoFitAllColumns", "setVisible", "release" in the order they came.
    QStringList calls;
    // (row, column) -> text of the last workbook.
    std::map<std::pair<int, int>, QString> cells;

    std::unique_ptr<SpreadsheetApplication> createApplication() override;
};
