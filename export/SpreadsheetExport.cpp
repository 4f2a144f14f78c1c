#include "export/SpreadsheetExport.h"

#include "app/ErrorDialog.h"
#include "export/ExportList.h"
#include "export/SpreadsheetAutomation.h"
#include "sort/Failure.h"
#include "sort/Progress.h"

using namespace Qt::StringLiterals;

namespace {

QString withoutEqualSigns(QString text)
{
    return text.remove(u'=');
}

template <typename List>
void writeToSheet(const List &list, SpreadsheetApplication &app, ErrorTrap &trap, Progress &status)
{
    int i = 1;
    int columns = 0;
    trap.run(118, [&] { columns = list.columnCount(); });
    for (int c = 0; c < columns; ++c) {
        trap.run(120, [&] { status.yield(); });
        trap.run(c == 0 ? 124 : 128, [&] { app.setCell(1, i, list.header(c)); });
        ++i;
        trap.run(132, [&] { app.autoFitColumn(c + 1); });
    }

    int j = 2;
    int rows = 0;
    trap.run(138, [&] { rows = list.rowCount(); });
    for (int r = 0; r < rows; ++r) {
        trap.run(140, [&] { status.yield(); });
        // Rows that vanished while this yielded, or a sheet that has no
        // more rows, end the pass after one report.
        bool stop = false;
        const bool checked = trap.test(142, [&] {
            stop = !list.has(r);
            return list.checked(r);
        });
        if (stop)
            break;
        if (checked) {
            trap.run(152, [&] {
                stop = j > app.sheetRows();
                if (stop)
                    throw Failure(
                        u"The sheet has no more rows (%1 at most)"_s.arg(app.sheetRows()));
            });
            if (stop)
                break;
            i = 1;
            for (int c = 0; c < columns; ++c) {
                trap.run(148, [&] { status.yield(); });
                if (c == 0)
                    trap.run(152, [&] { app.setCell(j, i, list.cell(r, c)); });
                else
                    trap.run(156, [&] { app.setCell(j, i, withoutEqualSigns(list.cell(r, c))); });
                ++i;
            }
        }
        ++j;
    }
}

} // namespace

void WriteListToSheet(const QAbstractItemModel &list, SpreadsheetApplication &app, ErrorTrap &trap,
                      Progress &status)
{
    ExportList::visit(list, [&](const auto &reader) { writeToSheet(reader, app, trap, status); });
}
