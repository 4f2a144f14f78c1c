#include "sort/CharacterFilters.h"

#include <string_view>

namespace {

QString filtered(QStringView text, CharacterFilter filter)
{
    QString result(text.size(), Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(result.data());
    char16_t *out = start;
    for (const char16_t c : std::u16string_view(text.utf16(), std::size_t(text.size()))) {
        *out = c;
        out += keepsCharacter(filter, c); // write always, advance when kept
    }
    result.truncate(out - start);
    return result;
}

} // namespace

QString sieveCharacters(QStringView text, QStringView set, bool keepListed)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        if (set.contains(c) == keepListed)
            result.append(c);
    }
    result.squeeze();
    return result;
}

QString keepLettersAndDigits(QStringView text)
{
    return filtered(text, CharacterFilter::KeepLettersAndDigits);
}

QString removeLetters(QStringView text)
{
    return filtered(text, CharacterFilter::RemoveLetters);
}

QString removeDigits(QStringView text)
{
    return filtered(text, CharacterFilter::RemoveDigits);
}

QString removeLettersAndDigits(QStringView text)
{
    return filtered(text, CharacterFilter::RemoveLettersAndDigits);
}
