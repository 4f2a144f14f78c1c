#pragma once

#include <QString>

class Clipboard;
class Progress;
class QAbstractItemModel;

// The checked rows of a list as clipboard text: cells padded with spaces to
// the width of their column's longest row text (headers do not count) and
// separated by TABs, the spaces at the end of each line removed, CR LF after
// every line, no header line. Yields through events (if given) between rows
// and cells; a row that vanished meanwhile throws.
QString ClipboardTextOf(const QAbstractItemModel &list, Progress *events);

// Puts ClipboardTextOf(list) on the clipboard. An empty list leaves the
// clipboard alone. Failures reach the caller before the clipboard is touched.
void CopyListviewToClipboard(const QAbstractItemModel &list, Clipboard &clipboard,
                             Progress *events);

// Empties the clipboard, trying up to 1000 times while another program holds it.
void ClipboardClear(Clipboard &clipboard);

// Places plain text on the clipboard, trying up to 1000 times; false when
// every attempt failed.
bool ClipboardSetText(Clipboard &clipboard, const QString &text);
