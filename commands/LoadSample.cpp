#include "commands/LoadSample.h"

#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "lists/RowModel.h"
#include "lists/SampleContent.h"

#include <array>

namespace {

using Step = LoadSampleStep;

constexpr std::array<Step, 12> StepByRow = {
    Step::AppendRow1, Step::AppendRow2,  Step::AppendRow3,  Step::AppendRow4,
    Step::AppendRow5, Step::AppendRow6,  Step::AppendRow7,  Step::AppendRow8,
    Step::AppendRow9, Step::AppendRow10, Step::AppendRow11, Step::AppendRow12,
};

} // namespace

void loadSample(CommandContext &ctx)
{
    ErrorTrap trap(ctx.dialogs, locationOf(Element::SampleButton));
    const QStringList rows = sampleContentRows();
    static_assert(StepByRow.size() == 12);
    for (qsizetype i = 0; i < rows.size() && size_t(i) < StepByRow.size(); ++i)
        trap.run(StepByRow[size_t(i)], [&] { ctx.content.append(rows[i]); });
}
