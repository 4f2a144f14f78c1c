#include "commands/CopyToClipboard.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "export/ClipboardText.h"

using namespace Qt::StringLiterals;

void copyResultsToClipboard(CommandContext &ctx)
{
    using Step = CopyToClipboardStep;
    ErrorTrap trap(ctx.dialogs, locationOf(Element::CopyButton));
    trap.run(Step::Copy, [&] { copyCheckedRows(ctx.results, ctx.clipboard, &ctx.status); });
    trap.run(Step::Confirm, [&] {
        ctx.dialogs.message(u"Results have been copied to the clipboard.\r\r"
                            u"Click a text area where you normally type and press Ctrl+V to "
                            u"paste the clipboard."_s,
                            ctx.shortTitle, UserDialogs::Icon::None);
    });
}
