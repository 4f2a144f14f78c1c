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
    const auto yield = [events] {
        if (events)
            events->yield();
    };

    const int columns = list.columnCount();
    const int rows = list.rowCount();
    std::vector<qsizetype> widths;
    qsizetype widest = 0;
    qsizetype total = 0;
    for (int c = 0; c < columns; ++c) {
        qsizetype w = 0;
        for (int r = 0; r < rows; ++r) {
            yield();
            w = std::max(w, list.cell(r, c).size());
        }
        widths.push_back(w);
        widest = std::max(widest, w);
        total += w + 1;
    }
    const QString spaces(widest, u' ');

    QString text;
    for (int r = 0; r < rows; ++r) {
        yield();
        if (!list.checked(r))
            continue;
        if (text.capacity() - text.size() < total + 2)
            text.reserve(std::max(text.size() * 2, qsizetype(4096)) + total + 2);
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
