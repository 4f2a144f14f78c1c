#include "export/ClipboardExport.h"

#include "export/Clipboard.h"
#include "export/ExportList.h"
#include "sort/Progress.h"

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int Attempts = 1000;

template <typename List> QString clipboardText(const List &list, Progress *events)
{
    ExportList::Yielder yield(events);

    const int columns = list.columnCount();
    const int rows = list.rowCount();
    std::vector<qsizetype> widths;
    qsizetype widest = 0;
    qsizetype lastColumnChars = 0;
    for (int c = 0; c < columns; ++c) {
        qsizetype w = 0;
        for (int r = 0; r < rows; ++r) {
            yield();
            const qsizetype length = list.cell(r, c).size();
            w = std::max(w, length);
            if (c + 1 == columns)
                lastColumnChars += length;
        }
        widths.push_back(w);
        widest = std::max(widest, w);
    }
    const QString spaces(widest, u' ');

    // Room for every row, so that the text is never moved while it grows.
    qsizetype perRow = 2;
    for (int c = 0; c + 1 < columns; ++c)
        perRow += widths[size_t(c)] + 1;
    QString text;
    text.reserve(perRow * rows + lastColumnChars);
    for (int r = 0; r < rows; ++r) {
        yield();
        if (!list.checked(r))
            continue;
        const qsizetype lineStart = text.size();
        for (int c = 0; c < columns; ++c) {
            yield();
            const auto &cell = list.cell(r, c);
            text.append(cell);
            // The last cell's padding and TAB would be removed again at once.
            if (c + 1 < columns) {
                const qsizetype width = widths[size_t(c)];
                if (width > cell.size())
                    text.append(QStringView(spaces).left(width - cell.size()));
                text.append(u'\t');
            }
        }
        qsizetype end = text.size();
        while (end > lineStart && text.at(end - 1) == u' ')
            --end;
        text.truncate(end);
        text.append(u"\r\n");
    }
    if (text.capacity() > 2 * text.size())
        text.squeeze();
    return text;
}

} // namespace

QString ClipboardTextOf(const QAbstractItemModel &list, Progress *events)
{
    return ExportList::visit(list,
                             [&](const auto &reader) { return clipboardText(reader, events); });
}

void CopyListviewToClipboard(const QAbstractItemModel &list, Clipboard &clipboard, Progress *events)
{
    if (list.rowCount() == 0)
        return;
    const QString text = ClipboardTextOf(list, events);
    ClipboardClear(clipboard);
    ClipboardSetText(clipboard, text);
}

void ClipboardClear(Clipboard &clipboard)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (clipboard.clear())
            return;
    }
}

bool ClipboardSetText(Clipboard &clipboard, const QString &text)
{
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        if (clipboard.setText(text))
            return true;
    }
    return false;
}
