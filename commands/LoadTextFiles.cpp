#include "commands/LoadTextFiles.h"

#include "commands/BusyStatus.h"
#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "core/ErrorTrap.h"
#include "core/Progress.h"
#include "core/Yielding.h"
#include "lists/RowModel.h"
#include "lists/TextLoader.h"

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Step = LoadTextFilesStep;

// Loads the chosen files into the content list under the hourglass. Each file
// shows "Loading: " and its name while it is read, decoded and split, with
// the window alive; its rows arrive in one batch when it is done.
void loadChosenFiles(CommandContext &ctx, ErrorTrap &trap, const QStringList &paths)
{
    BusyStatus status(ctx);
    const YieldingRows yielding(ctx.content, &status);
    const auto load = [&](const QString &path) {
        if (path == standardInputArgument()) {
            appendLoaded(ctx.content, loadStream(STDIN_FILENO, u"standard input"_s, &status));
            return;
        }
        appendTextFile(ctx.content, path, ctx.dialogs, ctx.shortTitle, &status);
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
        if (wasBusy)
            return;
        ctx.pointer.set(WindowPointer::Shape::Default);
        ctx.status.setPosition(0);
        ctx.status.setText(u"Progress Bar"_s);
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

QString standardInputArgument()
{
    return u"-"_s;
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
