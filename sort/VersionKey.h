#pragma once

#include <QStringView>
#include <QtGlobal>

#include <vector>

namespace SortEngine {

// Version order on the part's UTF-8 bytes: the empty part first, then ".",
// then "..", then the others starting with ".", then the rest. Within the
// last two, the parts compare without their file name suffix (the longest
// run of "." followed by a letter or "~" and then letters, digits and "~"
// that ends the part and leaves something before it) and, where that ties,
// whole. Strings compare as runs without digits and runs of digits in turn:
// in the former "~" first, then the end of the run, then letters by code,
// then every other byte by code; runs of digits by value, a missing one as
// 0. Every part has a key, so this always gives true.
bool appendVersionKey(QStringView part, std::vector<uchar> &out);

} // namespace SortEngine
