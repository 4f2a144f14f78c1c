#pragma once

#include <QByteArray>
#include <QStringView>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

// Whether a row's UTF-8 bytes hold a text: unit for unit, or, when the case
// does not count, after the simple case folding that "Sort Content
// Alphabetically, Ignoring Case" compares by (the Kelvin sign holds "k", "ß"
// does not hold "ss"). An empty text is in every row.
//
// Rows are searched on their bytes where the bytes tell what the units would:
// always when the case counts (unless the text holds a lone surrogate, which
// can match half of a character above U+FFFF), and for ASCII rows when it
// does not. Other rows are folded as units. A matcher keeps room for one
// row's units: each thread needs one of its own.
class RowMatcher final
{
public:
    RowMatcher(QStringView text, bool matchCase);

    bool holds(std::string_view row);
    // A long row is read a piece at a time; stop is asked between pieces,
    // and a stopped search gives false.
    bool holds(std::string_view row, const std::atomic<bool> &stop);

private:
    // A stretch of the row that begins and ends with whole characters.
    bool holdsInPiece(std::string_view piece);
    bool holdsAsUnits(std::string_view piece);

    std::u16string m_units; // the text, folded when the case does not count
    QByteArray m_bytes;     // m_units as UTF-8
    bool m_matchCase;
    bool m_onlyUnits = false;   // the text holds a lone surrogate
    bool m_asciiText = true;    // an ASCII row may hold the (folded) text
    std::vector<char> m_folded; // an ASCII piece with A-Z folded
    std::vector<char16_t> m_pieceUnits;
};
