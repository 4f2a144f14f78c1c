// Feeds arbitrary bytes through decoding, line splitting and row appending.
// Checks that the one-pass loader agrees with decoding and splitting done
// separately by the reference loader of the test support, and with the
// rows of the decoded text as a paste or a drop gives it, that no byte is
// lost in decoding, and that every row is a real line: no line break inside,
// not blank.
#include "core/Utf8Text.h"
#include "lists/RowModel.h"
#include "lists/TextDecoding.h"
#include "lists/TextLoader.h"
#include "support/LoaderRows.h"
#include "support/ReferenceLoader.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *why)
{
    fprintf(stderr, "fuzz_loader: %s\n", why);
    std::abort();
}

void checkDecoding(QByteArrayView bytes, const QString &text)
{
    if (bytes.isEmpty()) {
        if (!text.isEmpty())
            fail("text from no bytes");
        return;
    }
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (first == 0xFF || first == 0xFE) {
        const bool mark = bytes.size() >= 2 && ((first == 0xFF && uchar(bytes[1]) == 0xFE) ||
                                                (first == 0xFE && uchar(bytes[1]) == 0xFF));
        const qsizetype units = (bytes.size() - (mark ? 2 : 0) + 1) / 2;
        if (text.size() != units)
            fail("16-bit text of the wrong length");
        return;
    }
    // Either the whole file was UTF-8 and round-trips, or every byte became
    // exactly one character.
    QByteArrayView body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body = body.sliced(3);
    const bool utf8 = text.toUtf8() == body;
    if (!utf8 && text.size() != bytes.size())
        fail("bytes lost or invented in decoding");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = textFromFileBytes(bytes);
    checkDecoding(bytes, text);

    const QStringList rows = rowsFromBytes(bytes);
    if (rows != rowsFromText(text))
        fail("the one-pass loader disagrees with decoding and splitting");
    // Bytes found to be UTF-8 while read (up to a character's start) are
    // not checked again: the rows stay the same.
    const auto *start = reinterpret_cast<const uchar *>(data);
    qsizetype known = TextDecoding::endOfUtf8(start, start + size) - start;
    if (size > 0 && (data[0] & 1))
        known /= 2;
    while (known > 0 && known < qsizetype(size) && TextDecoding::isContinuation(data[known]))
        --known;
    if (rowsFromBytes(bytes, known) != rows)
        fail("rows differ once the bytes were found to be UTF-8 while read");
    const LoadedText pasted = loadText(text, QStringLiteral("Clipboard"));
    if (qsizetype(pasted.spans.size()) != rows.size())
        fail("a paste of the decoded text gives another number of rows");
    for (size_t i = 0; i < pasted.spans.size(); ++i) {
        const RowSpan &span = pasted.spans[i];
        const std::string_view row(pasted.block->constData() + span.offset, size_t(span.size));
        if (Utf8::toUtf16(row) != rows[qsizetype(i)])
            fail("a paste of the decoded text gives other rows");
    }
    for (const QString &row : rows) {
        if (row.contains(u'\n') || row.contains(u'\r'))
            fail("a line break inside a row");
        if (row.trimmed().isEmpty() && !row.contains(u'\t') && row.count(u' ') == row.size())
            fail("a blank row");
    }

    RowModel list(true);
    list.append(rows);
    list.append(rows);
    if (list.count() != 2 * rows.size())
        fail("rows lost when appended");
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (list.text(int(i)) != rows[i] || list.text(int(i + rows.size())) != rows[i])
            fail("a row changed when appended");
    }
    return 0;
}
