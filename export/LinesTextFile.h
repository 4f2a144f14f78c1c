#pragma once

#include "core/Utf8Text.h"
#include "export/GatheredLines.h"
#include "export/PaddedTextFile.h"

#include <QStringView>

#include <string_view>

// The lines of a lines-only text file: each text in UTF-8 followed by LF, as
// it is; no header, no byte-order mark, no padding.
class LinesTextWriter final : public ChunkedTextWriter
{
public:
    // How many lines ahead of the one appended the next text is fetched.
    static constexpr int FetchAhead = 64;

    using ChunkedTextWriter::ChunkedTextWriter;

    // The text of a line to be appended FetchAhead lines from now: the
    // memory fetches it meanwhile. Sorted rows lie anywhere in their text
    // blocks, and waiting for each row's text took about a third of the time.
    static void fetchAhead(QStringView text)
    {
#if defined(__GNUC__)
        __builtin_prefetch(text.data());
#else
        Q_UNUSED(text);
#endif
    }

    static void fetchAhead(std::string_view bytes)
    {
#if defined(__GNUC__)
        __builtin_prefetch(bytes.data());
#else
        Q_UNUSED(bytes);
#endif
    }

    // A row's UTF-8 bytes, as they are but for a lone surrogate, which
    // becomes U+FFFD.
    void appendLine(std::string_view bytes)
    {
        appendBytes(bytes);
        char *out = room(1);
        *out++ = '\n';
        filledTo(out);
        flushWhenFull();
    }

    // Rows' UTF-8 bytes, each as appendLine writes it, gathered on two
    // threads. The texts must stay while this runs; it does not yield, so
    // rows longer than a chunk go to appendLine.
    void appendLines(const LineRefs &lines)
    {
        writeGatheredLines(lines, [this](const char *bytes, std::size_t size) {
            writeThrough(bytes, qsizetype(size));
        });
    }

    void appendLine(QStringView text)
    {
        char *out = room(m_encoder.requiredSpace(text.size()) + 1);
        out = m_encoder.appendToBuffer(out, text);
        *out++ = '\n';
        filledTo(out);
        flushWhenFull();
    }
};
