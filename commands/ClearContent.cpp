#include "commands/ClearContent.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "core/ErrorTrap.h"
#include "lists/RowModel.h"

void clearContent(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::ClearContentButton));
    trap.run(ClearContentStep::Clear, [&] {
        if (!ctx.pointer.busy())
            ctx.content.clear();
    });
}
