#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"

#include <QByteArray>
#include <QString>

struct SortOption;

// Does the option's operation on the lines (see LineOperation): most sort
// stably by the option's key (see OptionKey); number is the answer to its
// number prompt, text to its text prompt, each used only when the option asks
// for it; an option that asks for a line filter takes text as a plain text
// whose case counts (filterLines() takes the whole filter), and one that asks
// for keys sorts by the whole line (sortByKeys() takes the keys). A separator
// does nothing. Removing duplicates and filtering leave fewer lines. Counting
// duplicates makes texts of its own into *madeTexts (see
// countDuplicateLines()); without madeTexts it fails with "Invalid procedure
// call or argument".
//
// Each pass starts with progress->yield() and the text "Sorting: " and the
// pass number (progress may be null); reversing and shuffling make one pass. A
// character position or word number below 1 fails with "Invalid procedure call
// or argument" once two lines would be compared. Failures throw Failure; the
// lines then keep the order reached: every line once, unless removing
// duplicates had already finished.
LineRefs &sortLines(LineRefs &lines, const SortOption &option, qint32 number, const QString &text,
                    Progress *progress, QByteArray *madeTexts = nullptr);
