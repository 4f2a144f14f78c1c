#pragma once

#include "core/Progress.h"
#include "sort/LineRefs.h"
#include "sort/LineText.h"

#include <QChar>
#include <QtGlobal>

// "Sort Content Alphabetically, Ignoring Case" and every text looked for
// with the case ignored: each character after simple case folding, as
// QChar::toCaseFolded folds it ("ß" stays "ß"), a surrogate pair as one
// character, a lone surrogate as it is.
namespace SortEngine {

// The folded character. A character folds within its plane or not at all,
// so folding keeps every character's length in UTF-16 units.
inline char32_t foldedCharacter(char32_t c)
{
    const char32_t folded = QChar::toCaseFolded(c);
    return QChar::requiresSurrogates(folded) == QChar::requiresSurrogates(c) ? folded : c;
}

// Writes the units of text after folding through out.put(unit): as many
// units as text has.
template <typename Out> void writeFolded(const char16_t *text, qsizetype size, Out &out)
{
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            out.put(unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit);
        } else if (!QChar::isSurrogate(unit)) {
            out.put(char16_t(foldedCharacter(unit)));
        } else if (QChar::isHighSurrogate(unit) && i + 1 < size &&
                   QChar::isLowSurrogate(text[i + 1])) {
            const char32_t folded = foldedCharacter(QChar::surrogateToUcs4(unit, text[i + 1]));
            out.put(QChar::highSurrogate(folded));
            out.put(QChar::lowSurrogate(folded));
            ++i;
        } else {
            out.put(unit);
        }
    }
}

// Folds units where they are: folding writes no unit before it has read it.
inline void foldInPlace(char16_t *units, qsizetype size)
{
    struct
    {
        char16_t *at;
        void put(char16_t unit) { *at++ = unit; }
    } out{units};
    writeFolded(units, size, out);
}

// Sorts stably by the folded lines, folded as they are compared (no key is
// stored). On UTF-8 lines it gives NeedsUnits when a line holds a lone
// surrogate or a character whose folded form is longer or shorter in UTF-8
// (the Kelvin sign folds to "k").
template <typename Line> SortOutcome sortByFoldedCase(LineList<Line> &lines, Progress *progress);

} // namespace SortEngine
