#pragma once

#include <QString>
#include <QStringView>

// Character-class filters: they keep or drop each UTF-16 code unit of a text
// according to a fixed ASCII set, keeping the order of what stays. Only the
// ASCII letters A-Z, a-z and the digits 0-9 belong to any set.

// Keeps the code units of text that occur in set (keepListed) or that do not
// occur in it (!keepListed). Membership is exact and case-sensitive.
QString sieveCharacters(QStringView text, QStringView set, bool keepListed);

QString keepLettersAndDigits(QStringView text);
QString removeLetters(QStringView text);
QString removeDigits(QStringView text);
QString removeLettersAndDigits(QStringView text);

// The sets written out, as sieveCharacters() takes them.
namespace CharacterSets {

inline constexpr char16_t LettersAndDigits[] =
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
inline constexpr char16_t Letters[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline constexpr char16_t Digits[] = u"0123456789";

} // namespace CharacterSets

// The filters by name, as the sort keys use them; KeepEverything is the
// filter of the keys that filter nothing.
enum class CharacterFilter {
    KeepEverything,
    KeepLettersAndDigits,
    RemoveLetters,
    RemoveDigits,
    RemoveLettersAndDigits,
};

// Whether filter keeps the code unit c: the same answer as the named
// function, by table instead of by searching the set.
constexpr bool keepsCharacter(CharacterFilter filter, char16_t c)
{
    const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
    const bool digit = c >= u'0' && c <= u'9';
    switch (filter) {
    case CharacterFilter::KeepEverything:
        return true;
    case CharacterFilter::KeepLettersAndDigits:
        return letter || digit;
    case CharacterFilter::RemoveLetters:
        return !letter;
    case CharacterFilter::RemoveDigits:
        return !digit;
    case CharacterFilter::RemoveLettersAndDigits:
        return !letter && !digit;
    }
    return true;
}
