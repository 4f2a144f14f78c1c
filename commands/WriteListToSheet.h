#pragma once

#include "commands/SaveSpreadsheet.h"
#include "core/ErrorTrap.h"
#include "core/Failure.h"
#include "core/Progress.h"
#include "export/ListReader.h"
#include "export/SpreadsheetAutomation.h"

#include <QString>

// Writes a list into the active sheet of the application's new workbook: the
// column headers in row 1, list row r in sheet row r + 1 when it is checked
// (an unchecked row leaves its sheet row empty). The first column is handed
// over as it is, the others without their "=" characters; every value is a
// text value. Fits each column after the header row. Failures go to trap with
// the steps of "Save Results As Excel File"; yields through status. List is a
// list reader (export/ListReader.h).

inline QString withoutEqualSigns(QString text)
{
    return text.remove(u'=');
}

template <typename List>
void writeListToSheet(const List &list, SpreadsheetApplication &app, ErrorTrap &trap,
                      Progress &status)
{
    using Step = SaveSpreadsheetStep;
    using namespace Qt::StringLiterals;
    int i = 1;
    int columns = 0;
    trap.run(Step::CountColumns, [&] { columns = list.columnCount(); });
    for (int c = 0; c < columns; ++c) {
        trap.run(Step::YieldBeforeHeader, [&] { status.yield(); });
        trap.run(c == 0 ? Step::WriteFirstHeader : Step::WriteOtherHeader,
                 [&] { app.setCell(1, i, list.header(c)); });
        ++i;
        trap.run(Step::FitColumn, [&] { app.autoFitColumn(c + 1); });
    }

    int j = 2;
    int rows = 0;
    trap.run(Step::CountRows, [&] { rows = list.rowCount(); });
    for (int r = 0; r < rows; ++r) {
        trap.run(Step::YieldBeforeRow, [&] { status.yield(); });
        // Rows that vanished while this yielded, or a sheet that has no
        // more rows, end the pass after one report.
        bool stop = false;
        const bool checked = trap.test(Step::ReadCheckMark, [&] {
            stop = !list.has(r);
            return list.checked(r);
        });
        if (stop)
            break;
        if (checked) {
            trap.run(Step::WriteFirstCell, [&] {
                stop = j > app.sheetRows();
                if (stop)
                    throw Failure(
                        u"The sheet has no more rows (%1 at most)"_s.arg(app.sheetRows()));
            });
            if (stop)
                break;
            i = 1;
            for (int c = 0; c < columns; ++c) {
                trap.run(Step::YieldBeforeCell, [&] { status.yield(); });
                if (c == 0)
                    trap.run(Step::WriteFirstCell,
                             [&] { app.setCell(j, i, ListReader::textOf(list.cell(r, c))); });
                else
                    trap.run(Step::WriteOtherCell, [&] {
                        app.setCell(j, i, withoutEqualSigns(ListReader::textOf(list.cell(r, c))));
                    });
                ++i;
            }
        }
        ++j;
    }
}
