#pragma once

#include "core/Yielding.h"
#include "export/ListReader.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <vector>

class Clipboard;
class Progress;
class RowModel;

// The checked rows of a list as clipboard text: cells padded with spaces to
// the width of their column's longest row text (headers do not count) and
// separated by TABs, the spaces at the end of each line removed, CR LF after
// every line, no header line. Yields through events (if given) between rows
// and cells; a row that vanished meanwhile throws. List is a list reader
// (export/ListReader.h).
template <typename List> QString clipboardTextOf(const List &list, Progress *events)
{
    YieldPacer yield(events, YieldPacer::ExportCells);

    const int columns = list.columnCount();
    const int rows = list.rowCount();
    std::vector<qsizetype> widths;
    qsizetype widest = 0;
    qsizetype lastColumnChars = 0;
    for (int c = 0; c < columns; ++c) {
        qsizetype w = 0;
        for (int r = 0; r < rows; ++r) {
            yield();
            const qsizetype length = ListReader::unitCount(list.cell(r, c));
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
            const QString cell = ListReader::textOf(list.cell(r, c));
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

QString clipboardTextOf(const RowModel &list, Progress *events);

// Puts the checked rows' clipboard text on the clipboard. An empty list
// leaves the clipboard alone. Failures reach the caller before the clipboard
// is touched.
void copyCheckedRows(const RowModel &list, Clipboard &clipboard, Progress *events);

// Empties the clipboard, trying up to 1000 times while another program holds it.
void clearClipboard(Clipboard &clipboard);

// Places plain text on the clipboard, trying up to 1000 times; false when
// every attempt failed.
bool placeOnClipboard(Clipboard &clipboard, const QString &text);
