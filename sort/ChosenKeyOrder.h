#pragma once

#include "core/Progress.h"
#include "sort/ChosenKey.h"
#include "sort/LineRefs.h"

#include <QList>
#include <QStringList>

// "Sort Content By Keys You Choose...": the keys a user composes (see
// ChosenKey.h), a sort of built keys (see BuiltKeySort.h).

// By every key in turn, each ascending or descending, lines without a key
// before or after the others and equal on it; with set.header the first line
// stays first and takes no part; with set.unique only the first of each run
// of lines whose keys all compare equal is kept. The keys must be valid
// (isValid()). A pattern that gives up on a line (see BoundedPattern) leaves
// the line without that key; *linesGaveUp, when given, counts such lines.
LineRefs &sortByKeys(LineRefs &lines, const ChosenKeySet &set, Progress *progress,
                     qsizetype *linesGaveUp = nullptr);

// The same for texts of their own, for the dialog's preview: the indexes of
// lines in the order sortByKeys() gives them, only the kept ones.
QList<qsizetype> orderByKeys(const QStringList &lines, const ChosenKeySet &set);
