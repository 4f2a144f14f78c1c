#include "export/ExportCommands.h"

#include "app/CommandContext.h"
#include "app/ErrorDialog.h"
#include "app/UserDialogs.h"
#include "app/WindowPointer.h"
#include "export/ClipboardExport.h"
#include "export/SpreadsheetAutomation.h"
#include "export/SpreadsheetExport.h"
#include "export/TextFileExport.h"
#include "lists/RowModel.h"
#include "sort/Progress.h"

using namespace Qt::StringLiterals;

void PushButton4_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton4_Click"_s);
    QString path;
    trap.run(112, [&] {
        path = ctx.dialogs.saveFile(u"Save"_s, {u"Text Files (*.txt)"_s, u"All Files (*)"_s});
    });
    if (path.isEmpty())
        return;
    trap.run(118, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    trap.run(120, [&] { SaveListviewProperlySpaced(ctx.results, path, &ctx.status, ctx.dialogs); });
    trap.run(122, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
}

void PushButton5_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton5_Click"_s);
    trap.run(106, [&] { CopyListviewToClipboard(ctx.results, ctx.clipboard, &ctx.status); });
    trap.run(108, [&] {
        ctx.dialogs.message(u"Results have been copied to the clipboard.\r\r"
                            u"Click a text area where you normally type and press Ctrl+V to "
                            u"paste the clipboard."_s,
                            ctx.shortTitle, UserDialogs::Icon::None);
    });
}

bool SaveResultsAsExcelFileIsExcelInstalled(CommandContext &ctx)
{
    try {
        if (ctx.spreadsheet.createApplication())
            return true;
    } catch (const CommandAborted &) {
        throw;
    } catch (...) {
    }
    ctx.dialogs.message(u"Excel is not installed on this computer. You need to have it installed "
                        u"to use this software without error."_s,
                        ctx.shortTitle, UserDialogs::Icon::None);
    return false;
}

void PushButton13_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton13_Click"_s);
    const bool installed =
        trap.test(100, [&] { return SaveResultsAsExcelFileIsExcelInstalled(ctx); });
    if (!installed) {
        trap.run(172, [&] {
            ctx.dialogs.message(u"Excel is not installed on this computer. You need to have it "
                                u"installed to use this feature."_s,
                                ctx.shortTitle, UserDialogs::Icon::None);
        });
        return;
    }
    if (ctx.results.count() == 0)
        return;
    trap.run(110, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });

    std::unique_ptr<SpreadsheetApplication> app;
    trap.run(112, [&] { app = ctx.spreadsheet.createApplication(); });
    bool haveWorkbook = false;
    if (app) {
        trap.run(114, [&] {
            app->addWorkbook();
            haveWorkbook = true;
        });
    }
    // Without an application or a workbook every write would fail in turn.
    if (haveWorkbook) {
        WriteListToSheet(ctx.results, *app, trap, ctx.status);
        trap.run(166, [&] { app->autoFitAllColumns(); });
        trap.run(168, [&] { app->setVisible(); });
    }
    app.reset();
    trap.run(170, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
}
