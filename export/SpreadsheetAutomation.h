#pragma once

#include <QString>

#include <memory>

// The spreadsheet application, reached through the few operations the export
// needs. (The export's own owner refines this interface.)
class SpreadsheetAutomation
{
public:
    virtual ~SpreadsheetAutomation() = default;
};
