#pragma once

#include <QString>

class Progress;
class QAbstractItemModel;
class UserDialogs;

// Writes a list to a text file: a line of the column headers, then one line
// per checked row, every cell padded with spaces to the width of its column's
// longest text (header included) and followed by a TAB; CR LF after every
// line; UTF-8 without a byte-order mark. Lengths count UTF-16 code units.
//
// The file is saved through QSaveFile: an existing file is replaced only by a
// complete new one. Failures are shown in the "Application Error" box (module
// "Main"), a failed creation, write or commit once. When bar is given, the
// progress shows "Writing file: " and the file name, and the routine yields to
// the event loop between rows and cells.
void SaveListviewProperlySpaced(const QAbstractItemModel &list, const QString &path, Progress *bar,
                                UserDialogs &dialogs);
