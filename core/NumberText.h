#pragma once

#include <QStringView>

#include <optional>

// The numeric test of the number prompts and of the stored sort option: after
// trimming blanks, an optional sign, digits with an optional "." decimal
// part, and an optional exponent.
std::optional<double> parseNumber(QStringView answer);

// Rounds to the nearest whole number, halves to the even neighbour; a result
// outside the 32-bit signed range throws the "Overflow" failure.
qint32 roundToInt32(double value);
