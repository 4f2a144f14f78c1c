#pragma once

#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "export/LinesTextFile.h"

#include <QString>

class RowModel;
class UserDialogs;

// The statements of the lines-only file writer, as its error box numbers them.
enum class WriteLinesFileStep {
    ShowStarting = 100,
    OpenFile = 102,
    CountRows = 104,
    YieldBeforeRow = 106,
    ReadCheckMark = 108,
    WriteLine = 110,
    ShowRowProgress = 112,
    ShowDone = 114,
    Commit = 116,
    RestoreStatus = 118,
};

// Writes the checked rows of a list to a text file as plain lines: each row's
// text (its first column) in UTF-8 followed by LF; no header, no byte-order
// mark, no padding. A lone surrogate is written as U+FFFD in its place. An
// empty list, or one without a checked row, gives an empty file.
//
// The file is saved as the padded text file is (TextFileSave): an existing
// file is replaced only by a complete new one, and failures are shown once in
// the "Application Error" box, under the writer's own location. When bar is
// given, it shows what WritingStatus says, and the writer yields to the
// event loop between rows.
void writeLinesFile(const RowModel &list, const QString &path, Progress *bar, UserDialogs &dialogs);

// The same for any list reader (export/ListReader.h).
template <typename List>
void writeLinesFile(const List &list, const QString &path, Progress *bar, UserDialogs &dialogs)
{
    using Step = WriteLinesFileStep;
    ErrorTrap trap(dialogs, locationOf(Element::LinesFileWriter));
    const WritingStatus status(bar, path);
    YieldPacer yield(bar, YieldPacer::ExportCells);

    trap.run(Step::ShowStarting, [&] { status.show(1); });

    TextFileSave save(path, bar);
    LinesTextWriter out(save.file(), bar);
    trap.run(Step::OpenFile, [&] { save.open(out); });

    // Rows that vanish while this yields end the save after one report: the
    // file would hold a list that was never there.
    int rows = 0;
    if (!out.failed())
        trap.run(Step::CountRows, [&] { rows = list.rowCount(); });
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
        trap.run(Step::WriteLine, [&] {
            gone = !list.has(r);
            if (rows - r > LinesTextWriter::FetchAhead && list.has(r + LinesTextWriter::FetchAhead))
                out.fetchAhead(list.cell(r + LinesTextWriter::FetchAhead, 0));
            out.appendLine(list.cell(r, 0));
        });
        if (gone) {
            out.discard();
            break;
        }
        trap.run(Step::ShowRowProgress, [&] { status.showRow(r, list.rowCount()); });
    }

    trap.run(Step::ShowDone, [&] { status.showDone(); });
    // An earlier failure has been reported already; the old file stays.
    trap.run(Step::Commit, [&] { save.commit(out); });
    trap.run(Step::RestoreStatus, [&] { status.restore(); });
}
