#include "commands/ResultsMenu.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "core/ErrorTrap.h"
#include "core/Failure.h"
#include "export/ClipboardText.h"
#include "lists/RowModel.h"

using namespace Qt::StringLiterals;

namespace {

using Step = ResultsMenuStep;

void changeResults(CommandContext &ctx, Step step, void (*change)(CommandContext &))
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::ResultsMenu));
    trap.run(step, [&] {
        if (!ctx.pointer.busy())
            change(ctx);
    });
}

} // namespace

void checkAllResults(CommandContext &ctx)
{
    changeResults(ctx, Step::CheckAll, [](CommandContext &c) { c.results.setAllChecked(true); });
}

void uncheckAllResults(CommandContext &ctx)
{
    changeResults(ctx, Step::UncheckAll, [](CommandContext &c) { c.results.setAllChecked(false); });
}

void invertResultChecks(CommandContext &ctx)
{
    changeResults(ctx, Step::InvertChecks, [](CommandContext &c) { c.results.invertChecks(); });
}

void appendCheckedToContent(CommandContext &ctx)
{
    changeResults(ctx, Step::AppendCheckedToContent,
                  [](CommandContext &c) { c.content.appendChecked(c.results); });
}

void copyLine(CommandContext &ctx, const RowModel &list, int row)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::CopyLine));
    trap.run(CopyLineStep::Copy, [&] {
        if (row < 0 || row >= list.count())
            return;
        if (!placeOnClipboard(ctx.clipboard, list.text(row)))
            throw Failure(u"Can't open clipboard"_s);
    });
}
