#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <utility>

// One running spreadsheet application, driven by the few operations that the
// export needs. Rows and columns count from 1; every call may throw Failure.
class SpreadsheetApplication
{
public:
    // The rows of a sheet (1048576 in the xlsx format).
    static constexpr int SheetRows = 1 << 20;

    virtual ~SpreadsheetApplication() = default;

    // A new workbook; the cells go to its active sheet.
    virtual void addWorkbook() = 0;
    // Stores text as a text value, never as a number or formula.
    virtual void setCell(int row, int column, const QString &text) = 0;
    virtual void autoFitColumn(int column) = 0;
    virtual void autoFitAllColumns() = 0;
    // Shows the application with the workbook in front, unsaved.
    virtual void setVisible() = 0;

    virtual int sheetRows() const { return SheetRows; }
};

// The way to the spreadsheet application.
class SpreadsheetAutomation
{
public:
    virtual ~SpreadsheetAutomation() = default;

    // Starts the application; throws Failure when there is none.
    virtual std::unique_ptr<SpreadsheetApplication> createApplication() = 0;
};

// The desktop's spreadsheet application: the workbook is written as an xlsx
// file into a private temporary folder and opened as a new, untitled document
// in LibreOffice Calc, or else in the desktop's default application for xlsx.
std::unique_ptr<SpreadsheetAutomation> makeSystemSpreadsheet();

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
