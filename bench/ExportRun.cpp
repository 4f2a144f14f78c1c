#include "bench/ExportRun.h"

#include "commands/CommandContext.h"
#include "commands/WindowPointer.h"
#include "core/Utf8Text.h"
#include "lists/RowModel.h"
#include "support/ScriptedFilterChooser.h"
#include "support/ScriptedKeysChooser.h"

#include <sys/resource.h>

using namespace Qt::StringLiterals;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

qint64 settleWindow()
{
    constexpr qint64 MaxMs = 300;
    // Passes this short found nothing to do; this many in a row end the wait.
    constexpr qint64 IdlePassNs = 200'000;
    constexpr int IdlePasses = 20;
    QElapsedTimer waited;
    waited.start();
    qint64 longestNs = 0;
    int idle = 0;
    while (idle < IdlePasses && waited.elapsed() < MaxMs) {
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const qint64 ns = pass.nsecsElapsed();
        longestNs = std::max(longestNs, ns);
        idle = ns < IdlePassNs ? idle + 1 : 0;
    }
    return longestNs / 1'000'000;
}

void BenchLines::append(const TextBlock &block, const std::vector<RowSpan> &spans)
{
    // A file without rows (an empty one) has no block either.
    if (spans.empty())
        return;
    blocks.push_back(block);
    const char *bytes = block->constData();
    refs.reserve(refs.size() + qsizetype(spans.size()));
    for (const RowSpan &span : spans)
        refs.append(LineRef{bytes + span.offset, quint32(span.size), quint32(blocks.size() - 1)});
}

bool exportRows(const BenchLines &rows, Format format, const QString &out, double *exportMs)
{
    ExportRun run(format, out);
    SilentProgress status;
    WindowPointer pointer;
    RowModel content(false);
    RowModel results(true);
    results.setHeader(u"Sorted Content (Results)"_s);
    results.append(rows.blocks, rows.refs);
    ScriptedKeysChooser keysChooser; // no export asks for keys or a filter
    ScriptedFilterChooser filterChooser;
    CommandContext ctx{
        run.dialogs(),     status,      pointer,       content, results,      run.clipboard(),
        run.spreadsheet(), keysChooser, filterChooser, {},      u"Tarnveil"_s};
    *exportMs = run.run(ctx);
    return run.finish();
}
