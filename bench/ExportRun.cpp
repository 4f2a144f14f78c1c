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

void BenchLines::append(const TextBlock &block, const std::vector<RowSpan> &spans)
{
    blocks.push_back(block);
    const auto *units = reinterpret_cast<const char16_t *>(block->constData());
    refs.reserve(refs.size() + qsizetype(spans.size()));
    for (const RowSpan &span : spans)
        refs.append(LineRef{units + span.offset, span.size, quint64(blocks.size() - 1)});
}

void BenchLines::append(const QStringList &texts)
{
    QString joined;
    std::vector<RowSpan> spans;
    for (const QString &text : texts) {
        spans.push_back(RowSpan{joined.size(), text.size()});
        joined.append(text);
    }
    append(std::make_shared<const QString>(std::move(joined)), spans);
}

QStringList BenchLines::texts() const
{
    QStringList texts;
    texts.reserve(refs.size());
    for (const LineRef &ref : refs)
        texts.append(QStringView(ref.units, ref.length).toString());
    return texts;
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
    CommandContext ctx{run.dialogs(),     status, pointer,      content, results, run.clipboard(),
                       run.spreadsheet(), {},     u"Tarnveil"_s};
    *exportMs = run.run(ctx);
    return run.finish();
}
