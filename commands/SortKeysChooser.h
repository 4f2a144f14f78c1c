#pragma once

#include "sort/SortKeySet.h"

#include <QStringList>

#include <optional>

// Where Start Sorting asks for the keys of "Sort Content By Keys You
// Choose...": the window shows the "Sort Keys" dialog, tests script the
// answers.
class SortKeysChooser
{
public:
    virtual ~SortKeysChooser() = default;

    // Asks for the keys, starting from the last ones chosen, with a preview of
    // previewLines (the first content lines) sorted by the keys as they stand.
    // Gives the keys on OK (and remembers them), nothing on Cancel.
    virtual std::optional<SortKeySet> chooseKeys(const QStringList &previewLines) = 0;
};
