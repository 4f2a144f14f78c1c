#pragma once

#include "sort/SortRoutines.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// One entry of the sort-option list in Combo1.
struct SortOption
{
    enum class Routine {
        None, // a "-" separator
        Alphabetically,
        SecondCharacter,
        ThirdCharacter,
        CharacterPosition,
        SecondWord,
        ThirdWord,
        WordNumber,
        AfterCharacters,
        AlphaOnly,
        NumericOnly,
        AlphanumericOnly,
        NonAlphanumericOnly,
        Length,
    };
    enum class Input { None, Number, Text };

    QString caption;
    Routine routine;
    Input input;
    QString prompt; // empty when input is None
};

// The 17 entries of Combo1, separators included, in their order.
const std::array<SortOption, 17> &SortOptionList();

// Runs the routine of an option. number is the answer to a number prompt,
// text the answer to a text prompt; each is used only by the routines that
// take it. A separator sorts nothing.
LineArray &RunSortRoutine(SortOption::Routine routine, LineArray &lines, qint32 number,
                          const QString &text, Progress *progress);

// The numeric test of the number prompts: after trimming blanks, an optional
// sign, digits with an optional "." decimal part, and an optional exponent.
std::optional<double> ParseNumber(QStringView answer);
// Rounds to the nearest whole number, halves to the even neighbour; a result
// outside the 32-bit signed range throws the "Overflow" failure.
qint32 RoundToInt32(double value);

// The text after the last "\" or "/"; the whole text when there is neither.
QString FileNameFromPath(QStringView path);
