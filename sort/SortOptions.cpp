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

// The row under the short name the command line takes.
SortOption named(const QString &name, SortOption option)
{
    option.name = name;
    return option;
}

} // namespace

const std::array<SortOption, 35> &sortOptions()
{
    static const std::array<SortOption, 35> options{{
        named(u"alphabetical"_s, fixed(u"Sort Content Alphabetically"_s, OptionKey::WholeLine)),
        named(u"from-second-character"_s,
              fixed(u"Sort Content Alphabetically By Second Character Position"_s,
                    OptionKey::FromCharacter, 2)),
        named(u"from-third-character"_s,
              fixed(u"Sort Content Alphabetically By Third Character Position"_s,
                    OptionKey::FromCharacter, 3)),
        named(u"from-character"_s,
              asking(u"Sort Content Alphabetically By x Character Position"_s,
                     OptionKey::FromCharacter, SortAnswer::Number, u"Enter character position:"_s)),
        separator(),
        named(u"from-second-word"_s, fixed(u"Sort Content Alphabetically By Second Word Position"_s,
                                           OptionKey::FromWord, 2)),
        named(u"from-third-word"_s, fixed(u"Sort Content Alphabetically By Third Word Position"_s,
                                          OptionKey::FromWord, 3)),
        named(u"from-word"_s,
              asking(u"Sort Content Alphabetically By x Word Position"_s, OptionKey::FromWord,
                     SortAnswer::Number, u"Enter word number x:"_s)),
        separator(),
        named(u"after-characters"_s,
              asking(u"Sort Content Alphabetically After User-specified Character(s)"_s,
                     OptionKey::AfterMarker, SortAnswer::Text, u"Enter character(s):"_s)),
        separator(),
        named(u"without-digits"_s, filtered(u"Sort Content By Only Alpha Characters, Ignore Rest"_s,
                                            CharacterFilter::RemoveDigits)),
        named(u"without-letters"_s,
              filtered(u"Sort Content By Only Numeric Characters, Ignore Rest"_s,
                       CharacterFilter::RemoveLetters)),
        named(u"letters-and-digits-only"_s,
              filtered(u"Sort Content By Only Alphanumeric Characters, Ignore Rest"_s,
                       CharacterFilter::KeepLettersAndDigits)),
        named(u"other-characters-only"_s,
              filtered(u"Sort Content By Only Non-alphanumeric Characters, Ignore Rest"_s,
                       CharacterFilter::RemoveLettersAndDigits)),
        separator(),
        named(u"length"_s, fixed(u"Sort Content By Character Length"_s, OptionKey::Length)),
        separator(),
        named(u"descending"_s, fixed(u"Sort Content Alphabetically, Descending (Z To A)"_s,
                                     OptionKey::WholeLineDescending)),
        named(u"ignoring-case"_s,
              fixed(u"Sort Content Alphabetically, Ignoring Case"_s, OptionKey::FoldedCase)),
        named(u"natural"_s,
              fixed(u"Sort Content Naturally (Numbers By Value)"_s, OptionKey::Natural)),
        named(u"leading-number"_s,
              fixed(u"Sort Content By Leading Number"_s, OptionKey::LeadingNumber)),
        named(u"unique"_s, operating(u"Sort Content Alphabetically, Removing Duplicates"_s,
                                     LineOperation::SortRemovingDuplicates, OptionKey::WholeLine)),
        named(u"remove-duplicates"_s,
              operating(u"Remove Duplicate Lines, Keeping Their Order"_s,
                        LineOperation::RemoveDuplicates, OptionKey::WholeLine)),
        named(u"reverse"_s,
              operating(u"Reverse Content Order"_s, LineOperation::Reverse, OptionKey::None)),
        named(u"shuffle"_s, operating(u"Shuffle Content (Random Order)"_s, LineOperation::Shuffle,
                                      OptionKey::None)),
        separator(),
        named(u"dictionary"_s, fixed(u"Sort Content In Dictionary Order"_s, OptionKey::Dictionary)),
        named(u"keys"_s, asking(u"Sort Content By Keys You Choose..."_s, OptionKey::ChosenKeys,
                                SortAnswer::Keys, QString())),
        separator(),
        named(u"keep-containing"_s,
              filtering(u"Keep Lines Containing..."_s, LineOperation::KeepContaining)),
        named(u"remove-containing"_s,
              filtering(u"Remove Lines Containing..."_s, LineOperation::RemoveContaining)),
        named(u"duplicated"_s, operating(u"Keep Only Duplicated Lines"_s,
                                         LineOperation::KeepDuplicated, OptionKey::None)),
        named(u"occurring-once"_s, operating(u"Keep Only Lines That Occur Once"_s,
                                             LineOperation::KeepOccurringOnce, OptionKey::None)),
        named(u"count"_s, operating(u"Count Duplicate Lines"_s, LineOperation::CountDuplicates,
                                    OptionKey::None)),
    }};
    return options;
}
