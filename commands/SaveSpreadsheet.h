#pragma once

struct CommandContext;

// The statements of "Save Results As Excel File", as its error box numbers
// them.
enum class SaveSpreadsheetStep {
    CheckInstalled = 100,
    ShowHourglass = 110,
    StartApplication = 112,
    AddWorkbook = 114,
    CountColumns = 118,
    YieldBeforeHeader = 120,
    WriteFirstHeader = 124,
    WriteOtherHeader = 128,
    FitColumn = 132,
    CountRows = 138,
    YieldBeforeRow = 140,
    ReadCheckMark = 142,
    YieldBeforeCell = 148,
    WriteFirstCell = 152,
    WriteOtherCell = 156,
    FitAllColumns = 166,
    ShowApplication = 168,
    RestorePointer = 170,
    ShowNotInstalled = 172,
};

// "Save Results As Excel File": opens the checked results rows as a new
// workbook in the spreadsheet application.
void saveResultsAsSpreadsheet(CommandContext &ctx);

// Whether a spreadsheet application can be started; tells the user when not.
bool spreadsheetInstalled(CommandContext &ctx);
