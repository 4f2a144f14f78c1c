#include "sort/Sieve.h"

#include <array>
#include <string_view>

namespace {

enum CharClass : unsigned char { Other = 0, Letter = 1, Digit = 2 };

constexpr std::array<unsigned char, 128> makeAsciiClasses()
{
    std::array<unsigned char, 128> classes{};
    for (const char16_t c : std::u16string_view(Sieve::Letters))
        classes[c] = Letter;
    for (const char16_t c : std::u16string_view(Sieve::Digits))
        classes[c] = Digit;
    return classes;
}

constexpr auto AsciiClasses = makeAsciiClasses();

// Which classes a filter drops.
constexpr unsigned char droppedClasses(Sieve::Filter filter)
{
    switch (filter) {
    case Sieve::Filter::KeepLettersAndDigits:
        return Other;
    case Sieve::Filter::RemoveLetters:
        return Letter;
    case Sieve::Filter::RemoveDigits:
        return Digit;
    case Sieve::Filter::RemoveLettersAndDigits:
        return Letter | Digit;
    }
    return Other;
}

inline bool keeps(Sieve::Filter filter, char16_t c)
{
    const unsigned char cls = c < 128 ? AsciiClasses[c] : static_cast<unsigned char>(Other);
    if (filter == Sieve::Filter::KeepLettersAndDigits)
        return cls != Other;
    return (cls & droppedClasses(filter)) == 0;
}

QString filtered(QStringView text, Sieve::Filter filter)
{
    QString result(text.size(), Qt::Uninitialized);
    const qsizetype kept =
        Sieve::FilterInto(text, filter, reinterpret_cast<char16_t *>(result.data()));
    result.truncate(kept);
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

qsizetype Sieve::FilterInto(QStringView text, Filter filter, char16_t *out)
{
    char16_t *const start = out;
    const char16_t *const end = text.utf16() + text.size();
    for (const char16_t *c = text.utf16(); c != end; ++c) {
        *out = *c;
        out += keeps(filter, *c); // branch-free: write always, advance when kept
    }
    return out - start;
}
