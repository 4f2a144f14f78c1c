#include "commands/SaveSpreadsheet.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "commands/WriteListToSheet.h"
#include "core/ErrorTrap.h"
#include "export/ListReader.h"
#include "export/SpreadsheetAutomation.h"
#include "lists/RowModel.h"

using namespace Qt::StringLiterals;

bool spreadsheetInstalled(CommandContext &ctx)
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

void saveResultsAsSpreadsheet(CommandContext &ctx)
{
    using Step = SaveSpreadsheetStep;
    ErrorTrap trap(ctx.dialogs, locationOf(Element::SaveSpreadsheetButton));
    const bool installed =
        trap.test(Step::CheckInstalled, [&] { return spreadsheetInstalled(ctx); });
    if (!installed) {
        trap.run(Step::ShowNotInstalled, [&] {
            ctx.dialogs.message(u"Excel is not installed on this computer. You need to have it "
                                u"installed to use this feature."_s,
                                ctx.shortTitle, UserDialogs::Icon::None);
        });
        return;
    }
    if (ctx.results.count() == 0)
        return;
    trap.run(Step::ShowHourglass, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });

    std::unique_ptr<SpreadsheetApplication> app;
    trap.run(Step::StartApplication, [&] { app = ctx.spreadsheet.createApplication(); });
    bool haveWorkbook = false;
    if (app) {
        trap.run(Step::AddWorkbook, [&] {
            app->addWorkbook();
            haveWorkbook = true;
        });
    }
    // Without an application or a workbook every write would fail in turn.
    if (haveWorkbook) {
        writeListToSheet(ListReader::RowModelReader(ctx.results), *app, trap, ctx.status);
        trap.run(Step::FitAllColumns, [&] { app->autoFitAllColumns(); });
        trap.run(Step::ShowApplication, [&] { app->setVisible(); });
    }
    app.reset();
    trap.run(Step::RestorePointer, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
}
