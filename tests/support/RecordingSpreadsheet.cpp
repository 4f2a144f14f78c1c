#include "support/RecordingSpreadsheet.h"

#include "core/Failure.h"

using namespace Qt::StringLiterals;

namespace {

class RecordedApplication final : public SpreadsheetApplication
{
public:
    explicit RecordedApplication(RecordingSpreadsheet &owner) : m_owner(owner) {}
    ~RecordedApplication() override { m_owner.calls.append(u"release"_s); }

    void addWorkbook() override
    {
        m_owner.calls.append(u"addWorkbook"_s);
        m_owner.cells.clear();
    }
    void setCell(int row, int column, const QString &text) override
    {
        m_owner.calls.append(u"setCell %1 %2"_s.arg(row).arg(column));
        if (m_owner.beforeSetCell)
            m_owner.beforeSetCell(row, column, text);
        m_owner.cells[{row, column}] = text;
    }
    void autoFitColumn(int column) override
    {
        m_owner.calls.append(u"autoFitColumn %1"_s.arg(column));
    }
    void autoFitAllColumns() override { m_owner.calls.append(u"autoFitAllColumns"_s); }
    void setVisible() override { m_owner.calls.append(u"setVisible"_s); }
    int sheetRows() const override { return m_owner.sheetRows; }

private:
    RecordingSpreadsheet &m_owner;
};

} // namespace

std::unique_ptr<SpreadsheetApplication> RecordingSpreadsheet::createApplication()
{
    calls.append(u"createApplication"_s);
    if (!installed)
        throw Failure(u"ActiveX component can't create object"_s);
    return std::make_unique<RecordedApplication>(*this);
}
