#pragma once

#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "core/Files.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "export/PaddedTextFile.h"

#include <QSaveFile>
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
    using namespace Qt::StringLiterals;
    ErrorTrap trap(dialogs, locationOf(Element::TextFileWriter));
    const QString fileName = fileNameFromPath(path);
    YieldPacer yield(bar, YieldPacer::ExportCells);
    const auto writingStatus = [&](double position) {
        if (!bar)
            return;
        bar->yield();
        bar->setPosition(position);
        bar->setText(u"Writing file: "_s + fileName);
        bar->yield();
    };

    trap.run(Step::ShowStarting, [&] { writingStatus(1); });

    const SaveOrder order(path);
    QSaveFile file(path);
    PaddedTextWriter out(file);

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
                w = std::max(w, list.cell(r, c).size());
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

    trap.run(Step::ShowMeasured, [&] { writingStatus(10); });

    if (!out.failed()) {
        trap.run(Step::OpenFile, [&] {
            // Buffered, a write that the disk refuses at the end would only
            // show in the commit, which does not report it.
            if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
                out.discard();
                throw Failure(file.errorString());
            }
        });
    }

    if (!out.failed()) {
        trap.run(Step::WriteHeader, [&] {
            for (int c = 0; c < columns; ++c) {
                yield();
                out.appendCell(list.header(c), widths[size_t(c)]);
            }
        });
        trap.run(Step::EndHeaderLine, [&] { out.endLine(); });
        trap.run(Step::ShowHeaderWritten, [&] { writingStatus(20); });

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
            if (bar) {
                trap.run(Step::ShowRowProgress, [&] {
                    const int now = std::max(list.rowCount(), 1);
                    bar->setPosition((double(r + 1) + now / 2000) / now * 100);
                    if ((r + 1) % 1000 == 0)
                        bar->setText(u"Writing file: "_s + fileName + u" ("_s +
                                     QString::number(r + 1) + u')');
                });
            }
            trap.run(Step::EndLine, [&] { out.endLine(); });
        }
    }

    if (bar) {
        trap.run(Step::ShowDone, [&] {
            bar->setPosition(100);
            bar->setText(u"Done."_s);
        });
    }

    // An earlier failure has been reported already; the old file stays.
    trap.run(Step::Commit, [&] {
        if (out.failed()) {
            if (file.isOpen())
                file.cancelWriting();
            return;
        }
        out.flush();
        syncWhileYielding(file, bar);
        if (order.overtaken()) {
            file.cancelWriting();
            return;
        }
        ReplacedFile replaced(path, bar);
        if (!file.commit())
            throw Failure(file.errorString());
        order.committed();
        replaced.letGoWhileYielding(bar);
    });

    if (bar) {
        trap.run(Step::RestoreStatus, [&] {
            bar->setPosition(0);
            bar->setText(u"Progress Bar"_s);
        });
    }
}
