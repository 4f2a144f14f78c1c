#pragma once

#include "sort/LineFilter.h"

#include <QString>

#include <optional>

// Where Start Sorting asks what the lines are to contain ("Keep Lines
// Containing...", "Remove Lines Containing..."): the window shows a small
// dialog, tests script the answers.
class LineFilterChooser
{
public:
    virtual ~LineFilterChooser() = default;

    // Asks under the option's caption; nothing on Cancel.
    virtual std::optional<LineFilter> chooseFilter(const QString &caption) = 0;
};
