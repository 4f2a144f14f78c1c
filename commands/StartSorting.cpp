#include "commands/StartSorting.h"

#include "commands/BusyStatus.h"
#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "commands/LineFilterChooser.h"
#include "commands/SortKeysChooser.h"
#include "commands/WindowPointer.h"
#include "core/ErrorTrap.h"
#include "core/Failure.h"
#include "core/Files.h"
#include "core/NumberText.h"
#include "core/Utf8Text.h"
#include "core/Yielding.h"
#include "lists/RowModel.h"
#include "sort/ChosenKeyOrder.h"
#include "sort/LineFilters.h"
#include "sort/SortLines.h"
#include "sort/SortOptions.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

using namespace Qt::StringLiterals;

namespace {

using Step = StartSortingStep;

// The steps of each row of the sort option table; a separator has none.
struct OptionSteps
{
    Step sort;
    Step ask;   // the prompt, for an option that asks
    Step check; // the numeric test of a number answer
};

// An option that asks for nothing sorts on its one step.
constexpr OptionSteps sortsOn(Step sort)
{
    return {sort, sort, sort};
}

// clang-format off
constexpr std::array<std::optional<OptionSteps>, 35> StepsByRow = {{
    sortsOn(Step::SortWholeLine),
    sortsOn(Step::SortSecondCharacter),
    sortsOn(Step::SortThirdCharacter),
    OptionSteps{Step::SortCharacterPosition, Step::AskCharacterPosition, Step::CheckCharacterPosition},
    std::nullopt,
    sortsOn(Step::SortSecondWord),
    sortsOn(Step::SortThirdWord),
    OptionSteps{Step::SortWordNumber, Step::AskWordNumber, Step::CheckWordNumber},
    std::nullopt,
    OptionSteps{Step::SortAfterCharacters, Step::AskCharacters, Step::AskCharacters},
    std::nullopt,
    sortsOn(Step::SortAlphaOnly),
    sortsOn(Step::SortNumericOnly),
    sortsOn(Step::SortAlphanumericOnly),
    sortsOn(Step::SortNonAlphanumericOnly),
    std::nullopt,
    sortsOn(Step::SortLength),
    std::nullopt,
    sortsOn(Step::SortDescending),
    sortsOn(Step::SortIgnoringCase),
    sortsOn(Step::SortNaturally),
    sortsOn(Step::SortByLeadingNumber),
    sortsOn(Step::SortRemovingDuplicates),
    sortsOn(Step::RemoveDuplicates),
    sortsOn(Step::ReverseOrder),
    sortsOn(Step::Shuffle),
    std::nullopt,
    sortsOn(Step::SortInDictionaryOrder),
    OptionSteps{Step::SortByChosenKeys, Step::AskSortKeys, Step::AskSortKeys},
    std::nullopt,
    OptionSteps{Step::KeepLinesContaining, Step::AskLinesToKeep, Step::AskLinesToKeep},
    OptionSteps{Step::RemoveLinesContaining, Step::AskLinesToRemove, Step::AskLinesToRemove},
    sortsOn(Step::KeepDuplicatedLines),
    sortsOn(Step::KeepLinesOccurringOnce),
    sortsOn(Step::CountDuplicateLines),
}};
static_assert(StepsByRow.size() == std::tuple_size_v<std::remove_cvref_t<decltype(sortOptions())>>,
              "one entry per row of the sort option list");
// clang-format on

// How many content lines the "Sort Keys" dialog previews.
constexpr qsizetype PreviewLines = 200;
// How much of a row the status line reads for "Processing: ": a row of any
// length costs no more than this.
constexpr qsizetype StatusRowUnits = 300;

// The first bytes of UTF-8 text that hold at most units UTF-16 units, never
// splitting a character.
std::string_view leadingUnits(std::string_view bytes, qsizetype units)
{
    std::size_t end = 0;
    for (qsizetype count = 0; end < bytes.size();) {
        count += uchar(bytes[end]) >= 0xF0 ? 2 : 1; // four bytes stand for a pair
        if (count > units)
            break;
        ++end;
        while (end < bytes.size() && Utf8::isContinuation(uchar(bytes[end])))
            ++end;
    }
    return bytes.substr(0, end);
}

constexpr QStringView AtRest = u"Progress Bar";

// What the status line says after a sort by keys: at rest, or how many
// lines a pattern gave up on.
QString restingText(qsizetype linesGaveUp)
{
    if (linesGaveUp == 0)
        return AtRest.toString();
    if (linesGaveUp == 1)
        return u"1 line gave up on a pattern and counts as without the key"_s;
    return u"%1 lines gave up on a pattern and count as without the key"_s.arg(linesGaveUp);
}

// The same after keeping or removing lines by a pattern.
QString restingTextAfterFilter(qsizetype linesGaveUp)
{
    if (linesGaveUp == 0)
        return AtRest.toString();
    if (linesGaveUp == 1)
        return u"1 line gave up on the pattern and counts as not matching"_s;
    return u"%1 lines gave up on the pattern and count as not matching"_s.arg(linesGaveUp);
}

// The content rows to sort: references into the content's text blocks, and
// the blocks, held so that the texts stay while commands that run during the
// sort's yields change the list.
struct ContentLines
{
    std::vector<TextBlock> blocks;
    LineRefs lines;
};

// Reads the content rows. The count is taken once: rows added meanwhile wait
// for the next run.
ContentLines readContent(ErrorTrap &trap, CommandContext &ctx)
{
    ContentLines content;
    int rowCount = 0;
    trap.run(Step::CountRows, [&] { rowCount = ctx.content.count(); });
    trap.run(Step::CountRows, [&] {
        content.blocks = ctx.content.blocks();
        content.lines.reserve(rowCount);
    });
    // The status line keeps the text it was given last; the next one is
    // written into the other buffer, so a row's status costs no allocation.
    std::array<QString, 2> status;
    // Until the status line is due to show, a row's position, text, yield
    // and pointer would all be overwritten by the next row's: rows are read
    // a run at a time then, and the bar takes the run's last row. A row the
    // bar would show at once is read alone.
    constexpr int RunRows = 1024;
    std::array<LineRef, RunRows> run;
    for (int i = 1; i <= rowCount;) {
        int read = 0;
        trap.run(Step::ReadRow, [&] {
            // Rows cannot leave while the window is busy, but a nested run
            // ends the busy state early; rows that are gone end the reading
            // instead of repeating the last text.
            const int there = ctx.content.count() - (i - 1);
            if (there <= 0)
                throw Failure::indexOutOfBounds();
            const int wanted = ctx.status.showsTextNow()
                                   ? 1
                                   : std::min({RunRows, rowCount - i + 1, there});
            ctx.content.lineRefs(i - 1, wanted, run.data());
            for (int k = 0; k < wanted; ++k) {
                // A block that came in meanwhile is held too.
                LineRef &line = run[std::size_t(k)];
                const auto slot = std::size_t(line.id);
                if (slot >= content.blocks.size() ||
                    content.blocks[slot].get() != ctx.content.blockText(quint32(slot))) {
                    content.blocks.push_back(ctx.content.blocks()[slot]);
                    line.id = quint32(content.blocks.size() - 1);
                }
            }
            read = wanted;
        });
        if (read == 0)
            break;
        trap.run(Step::CopyRow, [&] {
            for (int k = 0; k < read; ++k)
                content.lines.append(run[std::size_t(k)]);
        });
        const LineRef &line = run[std::size_t(read - 1)];
        i += read;
        if (i <= rowCount && read > 1)
            continue;
        const int shown = i - 1;
        trap.run(Step::ShowRowStatus, [&] {
            ctx.status.setPosition(static_cast<double>(shown) / ctx.content.count() * 100);
            // Most rows' texts would be overwritten before the bar shows them.
            if (ctx.status.showsTextNow()) {
                QString &next = status[size_t(shown % 2)];
                next.resize(0);
                next.append(u"Processing: ");
                next.append(
                    fileNameFromPath(Utf8::toUtf16(leadingUnits(line.text(), StatusRowUnits))));
                ctx.status.setText(next);
            }
            ctx.status.yield();
            ctx.pointer.set(WindowPointer::Shape::Hourglass);
        });
    }
    return content;
}

// Texts that the sort made of its own (the counts' lines) join the content's
// blocks, and the lines that point into them name that block.
void holdMadeTexts(ContentLines &content, QByteArray &made)
{
    if (made.isEmpty())
        return;
    content.blocks.push_back(std::make_shared<const QByteArray>(std::move(made)));
    const auto slot = quint32(content.blocks.size() - 1);
    LineRef *const lines = content.lines.data();
    for (qsizetype i = 0; i < content.lines.size(); ++i)
        lines[i].id = slot;
}

// Asks what the option needs and sorts the lines by it. Gives what the status
// line says afterwards: at rest, or how many lines a pattern gave up on.
QString sortByOption(ErrorTrap &trap, CommandContext &ctx, const SortOption &option,
                     const OptionSteps &steps, ContentLines &content)
{
    LineRefs &lines = content.lines;
    qsizetype linesGaveUp = 0;
    const auto sort = [&](qint32 number, const QString &text) {
        QByteArray made;
        sortLines(lines, option, number, text, &ctx.status, &made);
        holdMadeTexts(content, made);
    };
    switch (option.asks) {
    case SortAnswer::None:
        trap.run(steps.sort, [&] { sort(0, {}); });
        break;
    case SortAnswer::Number: {
        std::optional<QString> answer;
        trap.run(steps.ask, [&] { answer = ctx.dialogs.input(option.prompt, ctx.shortTitle); });
        std::optional<double> number;
        if (trap.test(steps.check, [&] {
                number = answer ? parseNumber(*answer) : std::nullopt;
                return number.has_value();
            }))
            trap.run(steps.sort, [&] {
                // A failed test lets the sort run too; it then has no number.
                if (!number)
                    throw Failure::typeMismatch();
                sort(roundToInt32(*number), {});
            });
        break;
    }
    case SortAnswer::Text: {
        std::optional<QString> answer;
        trap.run(steps.ask, [&] { answer = ctx.dialogs.input(option.prompt, ctx.shortTitle); });
        trap.run(steps.sort, [&] { sort(0, answer.value_or(QString())); });
        break;
    }
    case SortAnswer::Keys: {
        // The dialog previews the first lines, each from its start only; Cancel
        // leaves them unsorted, as a cancelled number prompt does.
        std::optional<ChosenKeySet> keys;
        trap.run(steps.ask, [&] {
            QStringList preview;
            qsizetype shortened = 0;
            for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), PreviewLines); ++i) {
                const std::string_view text = lines[i].text();
                const std::string_view start = leadingUnits(text, PreviewLineUnits);
                preview << Utf8::toUtf16(start);
                shortened += start.size() < text.size() ? 1 : 0;
            }
            keys = ctx.keysChooser.chooseKeys(preview, shortened);
        });
        if (keys)
            trap.run(steps.sort, [&] { sortByKeys(lines, *keys, &ctx.status, &linesGaveUp); });
        return restingText(linesGaveUp);
    }
    case SortAnswer::Filter: {
        // Cancel leaves the lines as they came.
        std::optional<LineFilter> filter;
        trap.run(steps.ask, [&] { filter = ctx.filterChooser.chooseFilter(option.caption); });
        const FilterMode mode = option.operation == LineOperation::KeepContaining
                                    ? FilterMode::Keep
                                    : FilterMode::Remove;
        if (filter)
            trap.run(steps.sort,
                     [&] { filterLines(lines, *filter, mode, &ctx.status, &linesGaveUp); });
        return restingTextAfterFilter(linesGaveUp);
    }
    }
    return AtRest.toString();
}

} // namespace

void startSorting(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::StartSortingButton));

    ContentLines content;
    trap.run(Step::NewLineArray, [&] { content = ContentLines(); });
    if (trap.test(Step::CheckEmpty, [&] { return ctx.content.count() == 0; })) {
        trap.run(Step::ShowEmpty, [&] {
            ctx.dialogs.message(u"List is empty."_s, ctx.shortTitle, UserDialogs::Icon::None);
        });
        return;
    }
    trap.run(Step::ShowHourglass, [&] { ctx.pointer.set(WindowPointer::Shape::Hourglass); });
    content = readContent(trap, ctx);
    const LineRefs &lines = content.lines;

    int row = -1;
    trap.run(Step::ReadOption, [&] { row = ctx.selectedOptionRow(); });
    QString resting = AtRest.toString();
    if (row >= 0 && size_t(row) < StepsByRow.size() && StepsByRow[size_t(row)])
        resting =
            sortByOption(trap, ctx, sortOptions()[size_t(row)], *StepsByRow[size_t(row)], content);

    // Appending K lines of N rows ends at position (K - 1) / N (fewer lines
    // when duplicates were removed); one insertion shows them all.
    trap.run(Step::ShowLastPosition, [&] {
        if (lines.size() > 0 && ctx.content.count() > 0)
            ctx.status.setPosition(static_cast<double>(lines.size() - 1) / ctx.content.count() *
                                   100);
    });
    trap.run(Step::AppendResults, [&] {
        BusyStatus busy(ctx);
        const YieldingRows yielding(ctx.results, &busy);
        ctx.results.append(content.blocks, lines);
    });
    // Ten million line references take a while to give back.
    if (lines.size() >= RowModel::RowsFreedAside)
        dropInBackground(std::move(content));

    trap.run(Step::RestorePointer, [&] { ctx.pointer.set(WindowPointer::Shape::Default); });
    trap.run(Step::RestorePosition, [&] { ctx.status.setPosition(0); });
    trap.run(Step::RestoreStatusText, [&] { ctx.status.setText(resting); });
    trap.run(Step::ShowDone,
             [&] { ctx.dialogs.message(u"Done."_s, ctx.shortTitle, UserDialogs::Icon::None); });
}
