#include "commands/SaveTextFile.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "commands/WritePaddedTextFile.h"
#include "core/ErrorTrap.h"

using namespace Qt::StringLiterals;

void saveResultsAsTextFile(CommandContext &ctx)
{
    using Step = SaveTextFileStep;
    ErrorTrap trap(ctx.dialogs, locationOf(Element::SaveTextFileButton));
    QString path;
    trap.run(Step::AskForFile, [&] {
        path = ctx.dialogs.saveFile(u"Save"_s, {u"Text Files (*.txt)"_s, u"All Files (*)"_s});
    });
    if (path.isEmpty())
        return;
    trap.run(Step::ShowHourglass, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    trap.run(Step::WriteFile,
             [&] { writePaddedTextFile(ctx.results, path, &ctx.status, ctx.dialogs); });
    trap.run(Step::RestorePointer, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
}
