#include "export/GatheredLines.h"

#include "core/Utf8Text.h"
#include "export/LinesTextFile.h"
#include "sort/TwoThreads.h"

#include <optional>
#include <vector>

namespace {

constexpr std::size_t BlockBytes = std::size_t(4) << 20;

// Copies lines [from, to) into out, each followed by LF. The copy of a line
// is as long as the line: U+FFFD takes the surrogate's three bytes.
void gather(const LineRef *from, const LineRef *to, char *out)
{
    constexpr qsizetype Ahead = LinesTextWriter::FetchAhead;
    for (const LineRef *line = from; line != to; ++line) {
        if (to - line > Ahead)
            LinesTextWriter::fetchAhead(line[Ahead].text());
        out = Utf8::copyReplacingSurrogates(line->text(), out);
        *out++ = '\n';
    }
}

void writeLongLine(std::string_view bytes, char *block,
                   const std::function<void(const char *, std::size_t)> &write)
{
    while (bytes.size() >= BlockBytes) {
        std::size_t cut = BlockBytes / 2;
        while (cut > 1 && Utf8::isContinuation(static_cast<unsigned char>(bytes[cut])))
            --cut;
        write(block, std::size_t(Utf8::copyReplacingSurrogates(bytes.substr(0, cut), block) - block));
        bytes.remove_prefix(cut);
    }
    char *const end = Utf8::copyReplacingSurrogates(bytes, block);
    *end = '\n';
    write(block, std::size_t(end + 1 - block));
}

// The lines that fill a block from begin on, and the block's halves by bytes,
// so that each thread copies about as much.
struct Batch
{
    qsizetype begin = 0, middle = 0, end = 0;
    std::size_t firstBytes = 0, total = 0;
};

Batch batchFrom(const LineRef *refs, qsizetype count, qsizetype begin)
{
    Batch batch{begin, begin, begin, 0, 0};
    while (batch.end < count && batch.total + refs[batch.end].size() + 1 <= BlockBytes) {
        batch.total += std::size_t(refs[batch.end].size()) + 1;
        ++batch.end;
    }
    while (batch.middle < batch.end && batch.firstBytes < batch.total / 2) {
        batch.firstBytes += std::size_t(refs[batch.middle].size()) + 1;
        ++batch.middle;
    }
    return batch;
}

} // namespace

void writeGatheredLines(const LineRefs &lines,
                        const std::function<void(const char *, std::size_t)> &write)
{
    // One block is written while the next is gathered: the first half by
    // the helper thread, the second by this one once its write is done.
    std::vector<char> blocks[2] = {std::vector<char>(BlockBytes), std::vector<char>(BlockBytes)};
    const LineRef *const refs = lines.constData();
    const qsizetype count = lines.size();
    std::optional<Batch> written; // gathered, in the other block
    int gathering = 0;
    qsizetype next = 0;
    for (;;) {
        std::optional<Batch> batch;
        if (next < count) {
            batch = batchFrom(refs, count, next);
            if (batch->end == next) { // a line longer than a block
                if (written)
                    write(blocks[1 - gathering].data(), written->total);
                written.reset();
                writeLongLine(refs[next].text(), blocks[gathering].data(), write);
                ++next;
                continue;
            }
            next = batch->end;
        }
        if (!batch && !written)
            return;
        char *const into = blocks[gathering].data();
        SortEngine::inTwoHalves(batch ? batch->end - batch->begin : 0, nullptr,
                                [&](int half, Progress *) {
                                    if (half == 1) {
                                        if (batch)
                                            gather(refs + batch->begin, refs + batch->middle, into);
                                        return;
                                    }
                                    if (written)
                                        write(blocks[1 - gathering].data(), written->total);
                                    if (batch)
                                        gather(refs + batch->middle, refs + batch->end,
                                               into + batch->firstBytes);
                                });
        written = batch;
        gathering = 1 - gathering;
    }
}
