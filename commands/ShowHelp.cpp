#include "commands/ShowHelp.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"

using namespace Qt::StringLiterals;

void showHelp(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::HelpButton));
    trap.run(ShowHelpStep::ShowContact, [&] {
        ctx.dialogs.message(u"Questions? Please contact Team Hallowmere at "_s +
                                Support::contactPage(),
                            ctx.shortTitle, UserDialogs::Icon::None);
    });
}
