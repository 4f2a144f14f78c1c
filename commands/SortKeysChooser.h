#pragma once

#include "sort/ChosenKey.h"

#include <QStringList>

#include <optional>

// How much of each line the "Sort Keys" dialog gets to preview, in UTF-16
// units: a line of any length costs no more than a screenful there.
inline constexpr qsizetype PreviewLineUnits = 4096;

// Where Start Sorting asks for the keys of "Sort Content By Keys You
// Choose...": the window shows the "Sort Keys" dialog, tests script the
// answers.
class SortKeysChooser
{
public:
    virtual ~SortKeysChooser() = default;

    // Asks for the keys, starting from the last ones chosen, with a preview of
    // previewLines (the first content lines, each at most PreviewLineUnits;
    // shortenedLines of them were longer) sorted by the keys as they stand.
    // Gives the keys on OK (and remembers them), nothing on Cancel.
    virtual std::optional<ChosenKeySet> chooseKeys(const QStringList &previewLines,
                                                   qsizetype shortenedLines) = 0;
};
