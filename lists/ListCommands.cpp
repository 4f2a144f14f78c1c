#include "lists/ListCommands.h"

#include "app/CommandContext.h"
#include "app/ErrorDialog.h"
#include "app/WindowPointer.h"
#include "lists/RowModel.h"
#include "lists/TextFileLoader.h"

using namespace Qt::StringLiterals;

namespace {

// Loads the chosen files into the content list under the hourglass. Loading
// does not yield to the event loop, so the window stays frozen until the last
// file is in.
void loadChosenFiles(CommandContext &ctx, ErrorTrap &trap, const QStringList &paths)
{
    const auto load = [&](const QString &path) {
        LoadTextFileIntoListview(ctx.content, path, ctx.dialogs, ctx.shortTitle);
    };

    // A load started while a sort yields must not end the busy state that
    // the sort still relies on.
    const bool wasBusy = ctx.pointer.busy();
    trap.run(114, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    if (paths.size() == 1) {
        trap.run(120, [&] { load(paths.front()); });
    } else {
        for (const QString &path : paths)
            trap.run(134, [&] { load(path); });
    }
    trap.run(138, [&] {
        if (!wasBusy)
            ctx.pointer.set(WindowPointer::Shape::Default);
    });
}

} // namespace

void PushButton1_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton1_Click"_s);
    trap.run(100, [&] {
        if (!ctx.pointer.busy())
            ctx.content.clear();
    });
}

void PushButton2_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton2_Click"_s);
    trap.run(100, [&] { ctx.results.clear(); });
}

void PushButton3_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton3_Click"_s);
    QStringList paths;
    trap.run(108, [&] {
        paths = ctx.dialogs.openFiles(u"Load List(s) - Hold Ctrl to select multiple list files"_s,
                                      {u"Text Files (*.txt)"_s, u"All Files (*)"_s});
    });
    if (paths.isEmpty())
        return; // cancelled: the pointer stays as it is
    loadChosenFiles(ctx, trap, paths);
}

void ListView1_OLEDragDrop(CommandContext &ctx, const QStringList &paths)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"ListView1_OLEDragDrop"_s);
    if (paths.isEmpty())
        return;
    loadChosenFiles(ctx, trap, paths);
}
