#pragma once

#include "sort/AddressKey.h"
#include "sort/VersionKey.h"

#include <QChar>
#include <QStringView>
#include <QtGlobal>

#include <vector>

// Keys of the values a part of a line may hold, as bytes that compare byte by
// byte (a shorter run of bytes before a longer one it begins) as the values
// should sort. Each function appends the key of the value at the start of
// the part and gives true, or gives false and leaves out alone when the part
// holds no such value. Equal values give equal bytes.
namespace SortEngine {

// A size: after spaces and tabs a number as the number comparison reads it
// (a sign, digits, decimal and digits), then, after spaces and tabs, an
// optional unit: B, or K, M, G, T, P or E alone or followed by "iB" (powers
// of 1024) or followed by "B" (powers of 1000), in either case. The unit
// ends at its letters; what follows is not read. The key is the exact number
// of bytes, in the bytes of the number comparison: equal values give the
// same bytes there too.
bool appendSizeKey(QStringView part, QChar decimal, std::vector<uchar> &out);

// A number in any of the common notations, after spaces and tabs: a sign,
// digits with thousands separators (the separator that is not decimal) in
// groups of three after a first group of one to three digits, decimal and a
// fraction, an exponent ("e" or "E", a sign, digits); or a sign and a
// hexadecimal integer after "0x"; or "inf" and "infinity" in any case.
// Compared exactly by value, "-0" equal to "0"; "nan" has no key.
bool appendGeneralNumberKey(QStringView part, QChar decimal, std::vector<uchar> &out);

} // namespace SortEngine
