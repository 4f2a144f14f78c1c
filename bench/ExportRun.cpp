#include "bench/ExportRun.h"

#include "commands/CommandContext.h"
#include "commands/WindowPointer.h"
#include "lists/RowModel.h"

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

bool exportRows(const LineArray &rows, Format format, const QString &out, double *exportMs)
{
    ExportRun run(format, out);
    SilentProgress status;
    WindowPointer pointer;
    RowModel content(false);
    RowModel results(true);
    results.setHeader(u"Sorted Content (Results)"_s);
    results.append(rows);
    CommandContext ctx{run.dialogs(),     status, pointer,      content, results, run.clipboard(),
                       run.spreadsheet(), {},     u"Tarnveil"_s};
    *exportMs = run.run(ctx);
    return run.finish();
}
