#include "commands/ClearResults.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "lists/RowModel.h"

void clearResults(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::ClearResultsButton));
    trap.run(ClearResultsStep::Clear, [&] { ctx.results.clear(); });
}
