#include "app/Help.h"

#include "app/CommandContext.h"
#include "app/ErrorDialog.h"

using namespace Qt::StringLiterals;

void PushButton6_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton6_Click"_s);
    trap.run(100, [&] {
        ctx.dialogs.message(u"Questions? Please contact Team Hallowmere at "_s + Support::contactPage(),
                            ctx.shortTitle, UserDialogs::Icon::None);
    });
}
