#include "sort/Sieve.h"

#include <string_view>

namespace {

QString filtered(QStringView text, Sieve::Filter filter)
{
    QString result(text.size(), Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(result.data());
    char16_t *out = start;
    for (const char16_t c : std::u16string_view(text.utf16(), std::size_t(text.size()))) {
        *out = c;
        out += Sieve::Keeps(filter, c); // write always, advance when kept
    }
    result.truncate(out - start);
    return result;
}

} // namespace

QString SieveCharacters(QStringView text, QStringView set, bool keepListed)
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

QString KeepLettersAndDigits(QStringView text)
{
    return filtered(text, Sieve::Filter::KeepLettersAndDigits);
}

QString RemoveLetters(QStringView text)
{
    return filtered(text, Sieve::Filter::RemoveLetters);
}

QString RemoveDigits(QStringView text)
{
    return filtered(text, Sieve::Filter::RemoveDigits);
}

QString RemoveLettersAndDigits(QStringView text)
{
    return filtered(text, Sieve::Filter::RemoveLettersAndDigits);
}
