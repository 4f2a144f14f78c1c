#pragma once

#include "core/Progress.h"
#include "sort/SortKeySet.h"
#include "sort/SortRoutines.h"

#include <QList>
#include <QStringList>

// The sorts by language and by the keys a user composes. Both sort stably,
// begin pass 1 as every sort does, yield while they build their keys, and
// keep every line in its place when the window is closed before the lines
// move.

// ICU collation for language (a name of dictionaryLanguages(); "" for the
// root rules): tertiary strength, normalization on, punctuation not ignored;
// with numbersByValue, digit runs compare by value. Lines that collate equal
// keep their input order.
LineRefs &sortInDictionaryOrder(LineRefs &lines, const QString &language, Progress *progress,
                                bool numbersByValue = false);

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
