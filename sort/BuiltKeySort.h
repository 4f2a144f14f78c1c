#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

// The sorts whose keys are built as bytes that compare, byte by byte, as the
// lines should sort: dictionary order (ICU's sort keys) and the keys a user
// chooses (each key's bytes in turn). Both sort stably, begin pass 1 as every
// sort does, yield while they build their keys, and keep every line in its
// place when the window is closed before the lines move.
namespace SortEngine {

// The keys whose patterns gave up on a line, a bit each.
using GaveUpMask = quint32;

// Builds the lines' keys; each thread that builds keys has one of its own.
class KeyBuilder
{
public:
    virtual ~KeyBuilder() = default;

    // Appends the key of line to out, at least its first limit bytes (all of
    // it when shorter). Marks in gaveUp the keys whose pattern gave up on
    // the line, and matches no key that is marked already.
    virtual void appendKey(const LineRef &line, std::vector<uchar> &out, std::size_t limit,
                           GaveUpMask &gaveUp) = 0;

    // Keys that are short next to their lines (numbers, sizes, dates): most
    // lines would tie on their heads and build their keys a second time, so
    // they are built whole at once.
    virtual bool keysAreShort() const { return false; }
};

using KeyBuilderMaker = std::function<std::unique_ptr<KeyBuilder>()>;

// Sorts the lines by the keys that the builders makeBuilder() makes build:
// every line's entry holds the first eight bytes of its key, which settle
// most comparisons; lines whose heads tie get their first 32 bytes, and only
// those that tie on 32 get their whole key, by which those groups are
// ordered; the keys are built on threads of their own (see
// inBackgroundHalves). With header the first line stays first and
// takes no part; with unique, only the first of each run of equal keys is
// kept. *linesGaveUp, when given, counts the lines with a mark.
LineRefs &sortByBuiltKeys(LineRefs &lines, bool header, bool unique, Progress *progress,
                          const KeyBuilderMaker &makeBuilder, qsizetype *linesGaveUp = nullptr);

} // namespace SortEngine
