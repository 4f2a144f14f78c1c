#include "export/SpreadsheetAutomation.h"

namespace {
class NoSpreadsheet final : public SpreadsheetAutomation
{
};
} // namespace

std::unique_ptr<SpreadsheetAutomation> makeSystemSpreadsheet()
{
    return std::make_unique<NoSpreadsheet>();
}
