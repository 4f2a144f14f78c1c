#pragma once

#include <QString>

// What "Keep Lines Containing..." and "Remove Lines Containing..." look for
// in each line: a text, or a regular expression (as the keys' patterns are
// read, each line's match bounded), with or without the case counting.
struct LineFilter
{
    QString text;
    bool matchCase = true;
    bool pattern = false;

    bool operator==(const LineFilter &) const = default;
};
