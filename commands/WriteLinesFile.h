#pragma once

#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "export/LinesTextFile.h"

#include <QString>

#include <string_view>
#include <type_traits>

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
    //
    // Rows of UTF-8 bytes are gathered a few megabytes at a time and written
    // on two threads. A row that had left the list would be noticed at the
    // next row read (and nothing gathered is written then), so the texts
    // gathered are still there when they are written.
    constexpr bool Gathers = std::is_same_v<decltype(list.cell(0, 0)), std::string_view>;
    constexpr std::size_t GatherBytes = std::size_t(4) << 20;
    LineRefs gathered;
    std::size_t gatheredBytes = 0;
    const auto writeGathered = [&] {
        out.appendLines(gathered);
        gathered.truncate(0);
        gatheredBytes = 0;
    };
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
            if constexpr (Gathers) {
                const std::string_view bytes = list.cell(r, 0);
                if (qsizetype(bytes.size()) > LinesTextWriter::ChunkBytes) {
                    writeGathered();
                    out.appendLine(bytes); // yields between its pieces
                    return;
                }
                gathered.append(LineRef{bytes.data(), quint32(bytes.size()), 0});
                gatheredBytes += bytes.size() + 1;
                if (gatheredBytes >= GatherBytes)
                    writeGathered();
            } else {
                if (rows - r > LinesTextWriter::FetchAhead &&
                    list.has(r + LinesTextWriter::FetchAhead))
                    out.fetchAhead(list.cell(r + LinesTextWriter::FetchAhead, 0));
                out.appendLine(list.cell(r, 0));
            }
        });
        if (gone) {
            out.discard();
            break;
        }
        trap.run(Step::ShowRowProgress, [&] { status.showRow(r, list.rowCount()); });
    }

    if (gatheredBytes > 0 && !out.failed())
        trap.run(Step::WriteLine, writeGathered);
    trap.run(Step::ShowDone, [&] { status.showDone(); });
    // An earlier failure has been reported already; the old file stays.
    trap.run(Step::Commit, [&] { save.commit(out); });
    trap.run(Step::RestoreStatus, [&] { status.restore(); });
}
