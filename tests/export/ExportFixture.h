#pragma once

#include "app/CommandContext.h"
#include "app/UserDialogs.h"
#include "app/WindowPointer.h"
#include "export/Clipboard.h"
#include "export/SpreadsheetAutomation.h"
#include "lists/RowModel.h"
#include "sort/Progress.h"

#include <QStandardItemModel>
#include <QStringList>

#include <functional>
#include <vector>

// A progress bar that remembers every change, and lets a test act on the
// n-th yield as if the user did something while the command yielded.
class RecordingProgress final : public Progress
{
public:
    std::vector<double> positions;
    QStringList texts;
    int yields = 0;
    std::function<void(int yieldNumber)> onYield;

    void setPosition(double percent) override { positions.push_back(percent); }
    void setText(const QString &text) override { texts.append(text); }
    void yield() override
    {
        ++yields;
        if (onYield)
            onYield(yields);
    }
};

// Everything a command works on, with stand-ins for the window's parts.
struct ExportFixture
{
    ScriptedDialogs dialogs;
    RecordingProgress status;
    WindowPointer pointer;
    RowModel content{false};
    RowModel results{true};
    MemoryClipboard clipboard;
    RecordingSpreadsheet spreadsheet;
    std::vector<WindowPointer::Shape> pointerShapes;

    ExportFixture() : ExportFixture(spreadsheet) {}

    explicit ExportFixture(SpreadsheetAutomation &automation)
        : ctx{dialogs,    status,  pointer,
              content,    results, clipboard,
              automation, {},      QStringLiteral("Tarnveil")}
    {
        results.setHeader(QStringLiteral("Sorted Content (Results)"));
        pointer.onChange = [this](WindowPointer::Shape s) { pointerShapes.push_back(s); };
    }

    // Appends rows; a row whose text starts with "-" (then dropped) starts unchecked.
    void addResults(const QStringList &rows)
    {
        for (const QString &row : rows) {
            const bool unchecked = row.startsWith(QLatin1Char('-'));
            results.append(unchecked ? row.mid(1) : row);
            if (unchecked)
                results.setChecked(results.count() - 1, false);
        }
    }

    CommandContext ctx;
};

// A table of several columns: rows of cells, the first cell of a row that
// starts with "-" (then dropped) is unchecked.
inline std::unique_ptr<QStandardItemModel> makeTable(const QStringList &headers,
                                                     const std::vector<QStringList> &rows)
{
    auto model = std::make_unique<QStandardItemModel>(int(rows.size()), int(headers.size()));
    model->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c < int(headers.size()); ++c) {
            QString text = rows[size_t(r)].value(c);
            bool unchecked = false;
            if (c == 0 && text.startsWith(QLatin1Char('-'))) {
                unchecked = true;
                text = text.mid(1);
            }
            auto *item = new QStandardItem(text);
            if (c == 0) {
                item->setCheckable(true);
                item->setCheckState(unchecked ? Qt::Unchecked : Qt::Checked);
            }
            model->setItem(r, c, item);
        }
    }
    return model;
}
