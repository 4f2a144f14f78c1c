#include "commands/SaveTextFile.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "commands/WriteLinesFile.h"
#include "commands/WritePaddedTextFile.h"
#include "core/ErrorTrap.h"

using namespace Qt::StringLiterals;

void saveResultsAsTextFile(CommandContext &ctx)
{
    using Step = SaveTextFileStep;
    ErrorTrap trap(ctx.dialogs, locationOf(Element::SaveTextFileButton));
    UserDialogs::SaveChoice choice;
    trap.run(Step::AskForFile, [&] {
        // In the order of TextFileType.
        choice = ctx.dialogs.saveFile(
            u"Save"_s, {u"Text Files (*.txt)"_s, u"All Files (*)"_s, u"Lines only (*.txt)"_s});
    });
    if (choice.path.isEmpty())
        return;
    trap.run(Step::ShowHourglass, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    trap.run(Step::WriteFile, [&] {
        if (choice.filter == int(TextFileType::LinesOnly))
            writeLinesFile(ctx.results, choice.path, &ctx.status, ctx.dialogs);
        else
            writePaddedTextFile(ctx.results, choice.path, &ctx.status, ctx.dialogs);
    });
    trap.run(Step::RestorePointer, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
}
