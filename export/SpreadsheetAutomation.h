#pragma once

#include <QString>

#include <memory>

// The spreadsheet application, reached through the few operations the export
// needs. (To be filled in with the spreadsheet export.)
class SpreadsheetAutomation
{
public:
    virtual ~SpreadsheetAutomation() = default;
};

// The desktop's spreadsheet application.
std::unique_ptr<SpreadsheetAutomation> makeSystemSpreadsheet();
