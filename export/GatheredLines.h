#pragma once

#include "sort/LineRefs.h"

#include <cstddef>
#include <functional>

// Hands write() the lines in order, each as it is but for a lone surrogate
// (U+FFFD in its place) and followed by LF, in blocks of a few megabytes.
// Sorted lines lie anywhere in their texts, so each block is gathered by two
// threads, each fetching its lines' texts ahead. A line longer than a block
// goes in pieces cut between characters. What write() throws is passed on.
void writeGatheredLines(const LineRefs &lines,
                        const std::function<void(const char *, std::size_t)> &write);
