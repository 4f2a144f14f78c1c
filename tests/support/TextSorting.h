#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct SortOption;

// Texts of their own as UTF-8 lines, as the lists hold their rows (a lone
// surrogate as its three bytes), each line's id its index.
struct Utf8Copies
{
    std::vector<QByteArray> bytes;
    LineRefs lines;

    explicit Utf8Copies(const QStringList &texts);
};

// Sorts texts of their own the way the window sorts its rows: as UTF-8 lines
// through sortLines(). The texts take the order the lines reached, also when
// the sort failed (then rethrown), only the kept ones once lines are dropped;
// counted lines become texts of their own.
QStringList &sortTexts(QStringList &texts, const SortOption &option, qint32 number,
                       const QString &text, Progress *progress);

// The same with the texts sorted as UTF-16 units (sortUnitLines()), for the
// options whose keys the units have; the others as sortTexts() sorts them.
// The reference that the UTF-8 order is held against.
QStringList &sortTextsAsUnits(QStringList &texts, const SortOption &option, qint32 number,
                              const QString &text, Progress *progress);
