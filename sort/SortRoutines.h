#pragma once

#include "core/Progress.h"

#include <QString>
#include <QStringList>
#include <QStringView>

struct SortOption;

// The line array that Start Sorting builds from the content list: zero-based,
// one text per row. Sorting reorders it in place and returns it.
using LineArray = QStringList;

// Sorts lines ascending and stable by the option's key (see SortKey); number
// is the answer to its number prompt, text to its text prompt, each used only
// when the option asks for it. A separator sorts nothing.
//
// Each pass starts with progress->yield() and the text "Sorting: " and the
// pass number (progress may be null). A character position or word number
// below 1 fails with "Invalid procedure call or argument" once two lines would
// be compared. Failures throw Failure; the lines then keep the order reached.
LineArray &sortLines(LineArray &lines, const SortOption &option, qint32 number, const QString &text,
                     Progress *progress);

// 1-based position of the n-th occurrence of delimiter in text; -1 when there
// are fewer, 0 when n is below 1.
qsizetype wordStartPosition(QStringView text, QStringView delimiter, qsizetype n);
