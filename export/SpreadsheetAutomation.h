#pragma once

#include <QString>

#include <memory>

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
