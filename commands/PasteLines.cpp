#include "commands/PasteLines.h"

#include "commands/BusyStatus.h"
#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"
#include "core/ErrorTrap.h"
#include "core/Yielding.h"
#include "export/Clipboard.h"
#include "lists/RowModel.h"
#include "lists/TextLoader.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace {

using Step = PasteLinesStep;

// Splits the text under the hourglass, with the window alive, and appends
// its rows once it is split whole.
void appendLines(CommandContext &ctx, ErrorTrap &trap, QString text, const QString &source)
{
    BusyStatus status(ctx);
    const YieldingRows yielding(ctx.content, &status);
    trap.run(Step::ShowHourglass, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    trap.run(Step::AppendLines, [&] {
        appendLoaded(ctx.content, loadText(std::move(text), source, &status));
    });
    trap.run(Step::RestorePointer, [&] {
        ctx.pointer.set(WindowPointer::Shape::Default);
        ctx.status.setPosition(0);
        ctx.status.setText(u"Progress Bar"_s);
    });
}

} // namespace

void pasteLines(CommandContext &ctx)
{
    if (ctx.pointer.busy())
        return;
    ErrorTrap trap(ctx.dialogs, locationOf(Element::PasteLines));
    std::optional<QString> text;
    trap.run(Step::ReadClipboard, [&] { text = ctx.clipboard.plainText(); });
    if (!text || text->isEmpty())
        return;
    appendLines(ctx, trap, std::move(*text), u"Clipboard"_s);
}

void appendDroppedText(CommandContext &ctx, const QString &text)
{
    if (ctx.pointer.busy() || text.isEmpty())
        return;
    ErrorTrap trap(ctx.dialogs, locationOf(Element::ContentList));
    appendLines(ctx, trap, text, u"Dropped text"_s);
}
