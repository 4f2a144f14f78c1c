#pragma once

#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "export/ListReader.h"
#include "export/PaddedTextFile.h"

#include <QString>

#include <algorithm>
#include <vector>

class RowModel;
class UserDialogs;

// The statements of the text-file writer, as its error box numbers them.
enum class WritePaddedTextFileStep {
    ShowStarting = 100,
    CountColumns = 110,
    MeasureHeader = 116,
    CountRowsToMeasure = 120,
    YieldBeforeMeasuring = 122,
    MeasureCell = 124,
    ShowMeasured = 142,
    OpenFile = 156,
    WriteHeader = 158,
    EndHeaderLine = 170,
    ShowHeaderWritten = 172,
    CountRowsToWrite = 182,
    YieldBeforeRow = 184,
    ReadCheckMark = 188,
    YieldBeforeCell = 192,
    WriteFirstCell = 196,
    WriteOtherCell = 202,
    ShowRowProgress = 214,
    EndLine = 222,
    ShowDone = 226,
    Commit = 232,
    RestoreStatus = 238,
};

// Writes a list to a text file: a line of the column headers, then one line
// per checked row, every cell padded with spaces to the width of its column's
// longest text (header included) and followed by a TAB; CR LF after every
// line; UTF-8 without a byte-order mark. Lengths count UTF-16 code units.
//
// The file is saved through QSaveFile: an existing file is replaced only by a
// complete new one. Failures are shown in the "Application Error" box under
// the writer's own location, a failed creation, write or commit once. When
// bar is given, the progress shows "Writing file: " and the file name, and
// the writer yields to the event loop between rows and cells.
void writePaddedTextFile(const RowModel &list, const QString &path, Progress *bar,
                         UserDialogs &dialogs);

// The same for any list reader (export/ListReader.h).
template <typename List>
void writePaddedTextFile(const List &list, const QString &path, Progress *bar, UserDialogs &dialogs)
{
    using Step = WritePaddedTextFileStep;
    ErrorTrap trap(dialogs, locationOf(Element::TextFileWriter));
    const WritingStatus status(bar, path);
    YieldPacer yield(bar, YieldPacer::ExportCells);

    trap.run(Step::ShowStarting, [&] { status.show(1); });

    TextFileSave save(path, bar);
    PaddedTextWriter out(save.file(), bar);

    // Column widths: the longest text of each column, header and every row,
    // checked or not. Rows that vanish while this yields end the save after
    // one report: the file would hold a list that was never there.
    std::vector<qsizetype> widths;
    int columns = 0;
    trap.run(Step::CountColumns, [&] { columns = list.columnCount(); });
    for (int c = 0; c < columns; ++c) {
        qsizetype w = 0;
        trap.run(Step::MeasureHeader, [&] { w = std::max(w, list.header(c).size()); });
        int rows = 0;
        trap.run(Step::CountRowsToMeasure, [&] { rows = list.rowCount(); });
        for (int r = 0; r < rows; ++r) {
            trap.run(Step::YieldBeforeMeasuring, [&] { yield(); });
            bool gone = false;
            trap.run(Step::MeasureCell, [&] {
                gone = !list.has(r);
                w = std::max(w, ListReader::unitCount(list.cell(r, c)));
            });
            if (gone) {
                out.discard();
                break;
            }
        }
        widths.push_back(w);
        if (out.failed())
            break;
    }

    trap.run(Step::ShowMeasured, [&] { status.show(10); });

    if (!out.failed())
        trap.run(Step::OpenFile, [&] { save.open(out); });

    if (!out.failed()) {
        trap.run(Step::WriteHeader, [&] {
            for (int c = 0; c < columns; ++c) {
                yield();
                out.appendCell(list.header(c), widths[size_t(c)]);
            }
        });
        trap.run(Step::EndHeaderLine, [&] { out.endLine(); });
        trap.run(Step::ShowHeaderWritten, [&] { status.show(20); });

        int rows = 0;
        trap.run(Step::CountRowsToWrite, [&] { rows = list.rowCount(); });
        for (int r = 0; r < rows && !out.failed(); ++r) {
            trap.run(Step::YieldBeforeRow, [&] { yield(); });
            bool checked = false;
            bool gone = false;
            trap.run(Step::ReadCheckMark, [&] {
                gone = !list.has(r);
                checked = list.checked(r);
            });
            if (gone) {
                out.discard();
                break;
            }
            if (!checked)
                continue;
            for (int c = 0; c < columns; ++c) {
                trap.run(Step::YieldBeforeCell, [&] { yield(); });
                trap.run(c == 0 ? Step::WriteFirstCell : Step::WriteOtherCell, [&] {
                    gone = !list.has(r);
                    out.appendCell(list.cell(r, c), widths[size_t(c)]);
                });
                if (gone) {
                    out.discard();
                    break;
                }
            }
            if (gone)
                break;
            trap.run(Step::ShowRowProgress, [&] { status.showRow(r, list.rowCount()); });
            trap.run(Step::EndLine, [&] { out.endLine(); });
        }
    }

    trap.run(Step::ShowDone, [&] { status.showDone(); });
    // An earlier failure has been reported already; the old file stays.
    trap.run(Step::Commit, [&] { save.commit(out); });
    trap.run(Step::RestoreStatus, [&] { status.restore(); });
}
