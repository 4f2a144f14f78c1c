#pragma once

#include "sort/Progress.h"

#include <QString>
#include <QStringList>
#include <QStringView>

// The line array that Start Sorting builds from the content list: zero-based,
// one text per row. Every routine reorders it in place and returns it.
//
// All routines sort ascending and stable by a key derived from each line; text
// keys compare ordinally by UTF-16 code unit, case-sensitively. Each pass
// starts with progress->yield() and the text "Sorting: " and the pass number
// (progress may be null). Failures throw Failure; the lines then keep the
// order reached.
using LineArray = QStringList;

LineArray &SortAlphabetically(LineArray &lines, Progress *progress);
LineArray &SortBySecondCharacter(LineArray &lines, Progress *progress);
LineArray &SortByThirdCharacter(LineArray &lines, Progress *progress);
LineArray &SortByCharacterPosition(LineArray &lines, qint32 position, Progress *progress);
LineArray &SortBySecondWord(LineArray &lines, Progress *progress);
LineArray &SortByThirdWord(LineArray &lines, Progress *progress);
LineArray &SortByWordNumber(LineArray &lines, qint32 wordNumber, Progress *progress);
LineArray &SortAfterCharacters(LineArray &lines, const QString &marker, Progress *progress);
LineArray &SortByAlphaOnly(LineArray &lines, Progress *progress);
LineArray &SortByNumericOnly(LineArray &lines, Progress *progress);
LineArray &SortByAlphanumericOnly(LineArray &lines, Progress *progress);
LineArray &SortByNonAlphanumericOnly(LineArray &lines, Progress *progress);
LineArray &SortByLength(LineArray &lines, Progress *progress);

// 1-based position of the n-th occurrence of delimiter in text; -1 when there
// are fewer, 0 when n is below 1.
qsizetype WordStartPosition(QStringView text, QStringView delimiter, qsizetype n);
