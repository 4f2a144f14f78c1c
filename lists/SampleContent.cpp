#include "lists/SampleContent.h"

#include "app/CommandContext.h"
#include "app/ErrorDialog.h"
#include "lists/ListCommands.h"
#include "lists/RowModel.h"

using namespace Qt::StringLiterals;

QStringList SampleContentRows()
{
    return {
        u"Watch your cash."_s,
        u"Pick founders carefully."_s,
        u"Hire generalists early."_s,
        u"Hire specialists later."_s,
        u"Invest in culture."_s,
        u"Avoid tempting distractions."_s,
        u"Support customers maniacally."_s,
        u"Avoid business plans."_s,
        u"Write a blog."_s,
        u"Never fudge numbers."_s,
        u"Encourage diverse thinking."_s,
        u"Guard your time."_s,
    };
}

// Each row is its own statement (100, 102, ... 122): a row that fails to go in
// is reported and the others still follow.
void PushButton7_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton7_Click"_s);
    int line = 100;
    for (const QString &row : SampleContentRows()) {
        trap.run(line, [&] { ctx.content.append(row); });
        line += 2;
    }
}
