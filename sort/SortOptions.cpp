#include "sort/SortOptions.h"

using namespace Qt::StringLiterals;

namespace {

SortOption separator()
{
    return SortOption{u"-"_s,           SortKey::None, 0, CharacterFilter::KeepEverything,
                      SortAnswer::None, QString()};
}

// An option that sorts by key, from a fixed position where the key has one.
SortOption fixed(const QString &caption, SortKey key, int position = 0)
{
    return SortOption{caption,          key,      position, CharacterFilter::KeepEverything,
                      SortAnswer::None, QString()};
}

SortOption filtered(const QString &caption, CharacterFilter filter)
{
    return SortOption{caption, SortKey::Filtered, 0, filter, SortAnswer::None, QString()};
}

// An option that asks for its position or its marker before it sorts.
SortOption asking(const QString &caption, SortKey key, SortAnswer asks, const QString &prompt)
{
    return SortOption{caption, key, 0, CharacterFilter::KeepEverything, asks, prompt};
}

} // namespace

const std::array<SortOption, 17> &sortOptions()
{
    static const std::array<SortOption, 17> options{{
        fixed(u"Sort Content Alphabetically"_s, SortKey::WholeLine),
        fixed(u"Sort Content Alphabetically By Second Character Position"_s, SortKey::FromCharacter,
              2),
        fixed(u"Sort Content Alphabetically By Third Character Position"_s, SortKey::FromCharacter,
              3),
        asking(u"Sort Content Alphabetically By x Character Position"_s, SortKey::FromCharacter,
               SortAnswer::Number, u"Enter character position:"_s),
        separator(),
        fixed(u"Sort Content Alphabetically By Second Word Position"_s, SortKey::FromWord, 2),
        fixed(u"Sort Content Alphabetically By Third Word Position"_s, SortKey::FromWord, 3),
        asking(u"Sort Content Alphabetically By x Word Position"_s, SortKey::FromWord,
               SortAnswer::Number, u"Enter word number x:"_s),
        separator(),
        asking(u"Sort Content Alphabetically After User-specified Character(s)"_s,
               SortKey::AfterMarker, SortAnswer::Text, u"Enter character(s):"_s),
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
        fixed(u"Sort Content By Character Length"_s, SortKey::Length),
    }};
    return options;
}
