#include "sort/SortOptions.h"

using namespace Qt::StringLiterals;

namespace {

SortOption separator()
{
    return SortOption{
        u"-"_s,    OptionKey::None,    0, CharacterFilter::KeepEverything, SortAnswer::None,
        QString(), LineOperation::None};
}

// An option that sorts by key, from a fixed position where the key has one.
SortOption fixed(const QString &caption, OptionKey key, int position = 0)
{
    return SortOption{caption,          key,      position, CharacterFilter::KeepEverything,
                      SortAnswer::None, QString()};
}

SortOption filtered(const QString &caption, CharacterFilter filter)
{
    return SortOption{caption, OptionKey::Filtered, 0, filter, SortAnswer::None, QString()};
}

// An option that asks for its position or its marker before it sorts.
SortOption asking(const QString &caption, OptionKey key, SortAnswer asks, const QString &prompt)
{
    return SortOption{caption, key, 0, CharacterFilter::KeepEverything, asks, prompt};
}

// An option that does more than sort, or something else.
SortOption operating(const QString &caption, LineOperation operation, OptionKey key)
{
    return SortOption{caption,          key,       0,        CharacterFilter::KeepEverything,
                      SortAnswer::None, QString(), operation};
}

// An option that keeps or drops lines by what the line filter dialog asks for.
SortOption filtering(const QString &caption, LineOperation operation)
{
    return SortOption{
        caption,   OptionKey::None, 0, CharacterFilter::KeepEverything, SortAnswer::Filter,
        QString(), operation};
}

} // namespace

const std::array<SortOption, 35> &sortOptions()
{
    static const std::array<SortOption, 35> options{{
        fixed(u"Sort Content Alphabetically"_s, OptionKey::WholeLine),
        fixed(u"Sort Content Alphabetically By Second Character Position"_s,
              OptionKey::FromCharacter, 2),
        fixed(u"Sort Content Alphabetically By Third Character Position"_s,
              OptionKey::FromCharacter, 3),
        asking(u"Sort Content Alphabetically By x Character Position"_s, OptionKey::FromCharacter,
               SortAnswer::Number, u"Enter character position:"_s),
        separator(),
        fixed(u"Sort Content Alphabetically By Second Word Position"_s, OptionKey::FromWord, 2),
        fixed(u"Sort Content Alphabetically By Third Word Position"_s, OptionKey::FromWord, 3),
        asking(u"Sort Content Alphabetically By x Word Position"_s, OptionKey::FromWord,
               SortAnswer::Number, u"Enter word number x:"_s),
        separator(),
        asking(u"Sort Content Alphabetically After User-specified Character(s)"_s,
               OptionKey::AfterMarker, SortAnswer::Text, u"Enter character(s):"_s),
        separator(),
        filtered(u"Sort Content By Only Alpha Characters, Ignore Rest"_s,
                 CharacterFilter::RemoveDigits),
        filtered(u"Sort Content By Only Numeric Characters, Ignore Rest"_s,
                 CharacterFilter::RemoveLetters),
        filtered(u"Sort Content By Only Alphanumeric Characters, Ignore Rest"_s,
                 CharacterFilter::KeepLettersAndDigits),
        filtered(u"Sort Content By Only Non-alphanumeric Characters, Ignore Rest"_s,
                 CharacterFilter::RemoveLettersAndDigits),
        separator(),
        fixed(u"Sort Content By Character Length"_s, OptionKey::Length),
        separator(),
        fixed(u"Sort Content Alphabetically, Descending (Z To A)"_s,
              OptionKey::WholeLineDescending),
        fixed(u"Sort Content Alphabetically, Ignoring Case"_s, OptionKey::FoldedCase),
        fixed(u"Sort Content Naturally (Numbers By Value)"_s, OptionKey::Natural),
        fixed(u"Sort Content By Leading Number"_s, OptionKey::LeadingNumber),
        operating(u"Sort Content Alphabetically, Removing Duplicates"_s,
                  LineOperation::SortRemovingDuplicates, OptionKey::WholeLine),
        operating(u"Remove Duplicate Lines, Keeping Their Order"_s, LineOperation::RemoveDuplicates,
                  OptionKey::WholeLine),
        operating(u"Reverse Content Order"_s, LineOperation::Reverse, OptionKey::None),
        operating(u"Shuffle Content (Random Order)"_s, LineOperation::Shuffle, OptionKey::None),
        separator(),
        fixed(u"Sort Content In Dictionary Order"_s, OptionKey::Dictionary),
        asking(u"Sort Content By Keys You Choose..."_s, OptionKey::ChosenKeys, SortAnswer::Keys,
               QString()),
        separator(),
        filtering(u"Keep Lines Containing..."_s, LineOperation::KeepContaining),
        filtering(u"Remove Lines Containing..."_s, LineOperation::RemoveContaining),
        operating(u"Keep Only Duplicated Lines"_s, LineOperation::KeepDuplicated, OptionKey::None),
        operating(u"Keep Only Lines That Occur Once"_s, LineOperation::KeepOccurringOnce,
                  OptionKey::None),
        operating(u"Count Duplicate Lines"_s, LineOperation::CountDuplicates, OptionKey::None),
    }};
    return options;
}
