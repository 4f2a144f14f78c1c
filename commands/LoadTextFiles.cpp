#include "commands/LoadTextFiles.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "core/ErrorTrap.h"
#include "lists/TextFileLoader.h"

using namespace Qt::StringLiterals;

namespace {

using Step = LoadTextFilesStep;

// Loads the chosen files into the content list under the hourglass. Loading
// does not yield to the event loop, so the window stays frozen until the last
// file is in.
void loadChosenFiles(CommandContext &ctx, ErrorTrap &trap, const QStringList &paths)
{
    const auto load = [&](const QString &path) {
        appendTextFile(ctx.content, path, ctx.dialogs, ctx.shortTitle);
    };

    // A load started while a sort yields must not end the busy state that
    // the sort still relies on.
    const bool wasBusy = ctx.pointer.busy();
    trap.run(Step::ShowHourglass, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    if (paths.size() == 1) {
        trap.run(Step::LoadOneFile, [&] { load(paths.front()); });
    } else {
        for (const QString &path : paths)
            trap.run(Step::LoadEachFile, [&] { load(path); });
    }
    trap.run(Step::RestorePointer, [&] {
        if (!wasBusy)
            ctx.pointer.set(WindowPointer::Shape::Default);
    });
}

} // namespace

void loadTextFiles(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::LoadFilesButton));
    QStringList paths;
    trap.run(Step::AskForFiles, [&] {
        paths = ctx.dialogs.openFiles(u"Load List(s) - Hold Ctrl to select multiple list files"_s,
                                      {u"Text Files (*.txt)"_s, u"All Files (*)"_s});
    });
    if (paths.isEmpty())
        return; // cancelled: the pointer stays as it is
    loadChosenFiles(ctx, trap, paths);
}

void loadGivenFiles(CommandContext &ctx, const QStringList &paths)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::LoadFilesButton));
    if (paths.isEmpty())
        return;
    loadChosenFiles(ctx, trap, paths);
}

void loadDroppedFiles(CommandContext &ctx, const QStringList &paths)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::ContentList));
    if (paths.isEmpty())
        return;
    loadChosenFiles(ctx, trap, paths);
}
