#pragma once

#include <QString>

#include <string_view>

// What the lists show of a row: its start, at most MaxUnits UTF-16 units.
// Painting, measuring, eliding and what a screen reader hears work on this
// (type-ahead reads a row only as far as the typed text reaches), so a row of
// any length costs what a screenful costs; the row itself stays whole for the
// sort and the exports.
namespace ShownText {

// About two thousand characters: some 14,000 pixels at the lists' font,
// wider than any screen, and short enough to lay out at once.
inline constexpr qsizetype MaxUnits = 2048;
// Ends a row that is cut; it is counted in MaxUnits.
inline constexpr char16_t Ellipsis = u'\u2026';

// The row's UTF-8 bytes as shown: whole when they fit, else cut between two
// characters (never inside a UTF-8 sequence or a surrogate pair) and ended
// with the ellipsis. Reads the bytes only as far as what is shown.
QString fromUtf8(std::string_view bytes);

} // namespace ShownText
