#pragma once

#include <QByteArray>
#include <QStringView>

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

// Whether a row's UTF-8 bytes hold a text (a row: a line of the lists, or a
// line to sort), for the find bar and for "Keep Lines Containing..." and
// "Remove Lines Containing...": unit for unit, or, when the case does not
// count, after the simple case folding that "Sort Content Alphabetically,
// Ignoring Case" compares by (the Kelvin sign holds "k", "ß" does not hold
// "ss"). An empty text is in every row.
//
// Rows are searched on their bytes where the bytes tell what the units would:
// always when the case counts (unless the text holds a lone surrogate, which
// can match half of a character above U+FFFF); when it does not, with A-Z
// folded, for an ASCII text in rows without a character beyond ASCII that
// folds into it (as the Kelvin sign folds to "k"), and for other texts in
// ASCII rows. Other rows are folded as units, once their bytes show that they
// may hold the text. A matcher keeps room for one row's units: each thread
// needs one of its own.
class RowMatcher final
{
public:
    RowMatcher(QStringView text, bool matchCase);

    bool holds(std::string_view row);
    // A long row is read a piece at a time; stop is asked between pieces,
    // and a stopped search gives false.
    bool holds(std::string_view row, const std::atomic<bool> &stop);

    // Many rows at once: a stretch of text that holds them one after
    // another. Gives false when the stretch cannot be searched as bytes (it
    // holds characters that only units can tell, or the text is empty or
    // holds a lone surrogate): its rows are then asked one by one.
    bool takeStretch(std::string_view stretch);
    // Where the next match in the stretch taken begins, at or after from;
    // -1 for none. Each match is textBytes() long.
    qsizetype nextMatch(qsizetype from) const;
    qsizetype textBytes() const { return m_bytes.size(); }

private:
    void findFoldedCharacters();
    // False when the bytes of the piece show that it cannot hold the folded
    // text.
    bool mayHold(std::string_view piece) const;
    // A stretch of the row that begins and ends with whole characters.
    bool holdsInPiece(std::string_view piece);
    bool holdsAsUnits(std::string_view piece);

    std::u16string m_units; // the text, folded when the case does not count
    QByteArray m_bytes;     // m_units as UTF-8
    bool m_matchCase;
    bool m_onlyUnits = false; // the text holds a lone surrogate
    bool m_asciiText = true;  // the (folded) text is ASCII
    // The characters beyond ASCII that fold into an ASCII text, as UTF-8.
    std::vector<QByteArray> m_foldsToText;
    // Every row that holds another folded text holds one of each set.
    std::vector<std::vector<QByteArray>> m_clues;
    std::vector<char> m_folded; // a piece with A-Z folded
    std::string_view m_stretch; // the stretch taken, folded when need be
    std::vector<char16_t> m_pieceUnits;
};
