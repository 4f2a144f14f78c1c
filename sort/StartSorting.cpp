#include "sort/StartSorting.h"

#include "app/CommandContext.h"
#include "app/ErrorDialog.h"
#include "app/UserDialogs.h"
#include "app/WindowPointer.h"
#include "lists/RowModel.h"
#include "sort/Failure.h"
#include "sort/SortOptions.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

// The statement that tests for each option, in the order of the option list
// without its separators. An option without input calls its routine on the
// next line; a number option asks, tests and calls on the three after it; the
// text option asks and calls on the two after it.
constexpr std::array<int, 13> OptionTestLines = {118, 122, 126, 130, 138, 142, 146,
                                                 154, 160, 164, 168, 172, 176};

const SortOption *findOption(ErrorTrap &trap, const CommandContext &ctx, int &testLine)
{
    QString caption;
    trap.run(118, [&] { caption = ctx.selectedOption(); });
    size_t tested = 0;
    for (const SortOption &option : SortOptionList()) {
        if (option.routine == SortOption::Routine::None)
            continue;
        testLine = OptionTestLines.at(tested++);
        if (trap.test(testLine, [&] { return caption == option.caption; }))
            return &option;
    }
    return nullptr;
}

void runOption(ErrorTrap &trap, CommandContext &ctx, const SortOption &option, int testLine,
               LineArray &lines)
{
    const auto sort = [&](qint32 number, const QString &text) {
        lines = RunSortRoutine(option.routine, lines, number, text, &ctx.status);
    };
    switch (option.input) {
    case SortOption::Input::None:
        trap.run(testLine + 2, [&] { sort(0, {}); });
        break;
    case SortOption::Input::Number: {
        std::optional<QString> answer;
        trap.run(testLine + 2, [&] { answer = ctx.dialogs.input(option.prompt, ctx.shortTitle); });
        std::optional<double> number;
        if (trap.test(testLine + 4, [&] {
                number = answer ? ParseNumber(*answer) : std::nullopt;
                return number.has_value();
            }))
            trap.run(testLine + 6, [&] {
                // A failed test lets the call run too; it then has no number.
                if (!number)
                    throw Failure(u"Type mismatch"_s);
                sort(RoundToInt32(*number), {});
            });
        break;
    }
    case SortOption::Input::Text: {
        std::optional<QString> answer;
        trap.run(testLine + 2, [&] { answer = ctx.dialogs.input(option.prompt, ctx.shortTitle); });
        trap.run(testLine + 4, [&] { sort(0, answer.value_or(QString())); });
        break;
    }
    }
}

} // namespace

void PushButton17_Click(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, u"Form1"_s, u"PushButton17_Click"_s);

    LineArray lines;
    trap.run(100, [&] { lines = LineArray(); });
    if (trap.test(102, [&] { return ctx.content.count() == 0; })) {
        trap.run(196, [&] {
            ctx.dialogs.message(u"List is empty."_s, ctx.shortTitle, UserDialogs::Icon::None);
        });
        return;
    }
    trap.run(104, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });

    // Copy the rows; the count is taken once, rows added meanwhile wait for
    // the next run.
    int rowCount = 0;
    trap.run(106, [&] { rowCount = ctx.content.count(); });
    trap.run(106, [&] { lines.reserve(rowCount); });
    for (int i = 1; i <= rowCount; ++i) {
        // The row's own text, used before the yield only: rows appended
        // meanwhile may move it.
        const QString *text = nullptr;
        trap.run(110, [&] {
            // Rows cannot leave while the window is busy, but a nested run
            // ends the busy state early; rows that are gone end the reading
            // instead of repeating the last text.
            if (i > ctx.content.count())
                throw Failure(u"Index out of bounds"_s);
            text = &ctx.content.text(i - 1);
        });
        if (!text)
            break;
        trap.run(112, [&] { lines.append(*text); });
        trap.run(108, [&] {
            ctx.status.setPosition(static_cast<double>(i) / ctx.content.count() * 100);
            ctx.status.setText(u"Processing: "_s + FileNameFromPath(*text));
            ctx.status.yield();
            ctx.pointer.set(WindowPointer::Shape::Hourglass);
        });
    }

    int testLine = 0;
    if (const SortOption *option = findOption(trap, ctx, testLine))
        runOption(trap, ctx, *option, testLine, lines);

    // The last position shown is (N - 1) / N; one insertion shows all rows.
    trap.run(180, [&] {
        if (!lines.isEmpty() && ctx.content.count() > 0)
            ctx.status.setPosition(static_cast<double>(lines.size() - 1) / ctx.content.count() *
                                   100);
    });
    trap.run(184, [&] { ctx.results.append(std::move(lines)); });

    trap.run(192, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
    trap.run(190, [&] { ctx.status.setPosition(0); });
    trap.run(188, [&] { ctx.status.setText(u"Progress Bar"_s); });
    trap.run(194, [&] { ctx.dialogs.message(u"Done."_s, ctx.shortTitle, UserDialogs::Icon::None); });
}
