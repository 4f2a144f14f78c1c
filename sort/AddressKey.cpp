#include "sort/AddressKey.h"

#include "sort/LineText.h"

#include <arpa/inet.h>

#include <array>
#include <optional>

using namespace SortEngine;

namespace {

// Every IPv4 address before every IPv6 one.
enum AddressClass : uchar { Version4 = 4, Version6 = 6 };

bool isDigit(QStringView text, qsizetype i)
{
    return i < text.size() && isAsciiDigit(text[i].unicode());
}

bool isHexDigit(char16_t u)
{
    return isAsciiDigit(u) || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

// Four decimal parts 0 to 255 between dots, none with a leading zero before
// other digits (as inet_pton reads them); gives where the address ends. A
// dot and a digit after the fourth part would make a longer address.
std::optional<qsizetype> readVersion4(QStringView text, qsizetype i, std::vector<uchar> &bytes)
{
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && !(i < text.size() && text[i++] == u'.'))
            return std::nullopt;
        const qsizetype from = i;
        int value = 0;
        while (isDigit(text, i) && i - from < 4)
            value = value * 10 + (text[i++].unicode() - u'0');
        const qsizetype digits = i - from;
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[from] == u'0'))
            return std::nullopt;
        bytes.push_back(uchar(value));
    }
    if (i + 1 < text.size() && text[i] == u'.' && isDigit(text, i + 1))
        return std::nullopt;
    return i;
}

// The hexadecimal digits, colons and dots of an IPv6 address in any of its
// forms, read by inet_pton; a dot that ends them (at the end of a sentence)
// is not part of it. Gives where the address ends.
std::optional<qsizetype> readVersion6(QStringView text, qsizetype i, std::vector<uchar> &bytes)
{
    qsizetype end = i;
    bool colon = false;
    while (end < text.size() &&
           (isHexDigit(text[end].unicode()) || text[end] == u':' || text[end] == u'.')) {
        colon = colon || text[end] == u':';
        ++end;
    }
    if (!colon)
        return std::nullopt;
    if (text[end - 1] == u'.')
        --end; // no address ends with a dot
    // The longest form: six groups and an IPv4 tail, 45 characters.
    constexpr qsizetype Longest = 45;
    if (end - i > Longest)
        return std::nullopt;
    std::array<char, Longest + 1> token{};
    for (qsizetype k = i; k < end; ++k)
        token[std::size_t(k - i)] = char(text[k].unicode());
    std::array<uchar, 16> address{};
    if (inet_pton(AF_INET6, token.data(), address.data()) != 1)
        return std::nullopt;
    bytes.insert(bytes.end(), address.begin(), address.end());
    return end;
}

} // namespace

bool SortEngine::appendAddressKey(QStringView part, std::vector<uchar> &out)
{
    qsizetype i = 0;
    while (i < part.size() && (part[i] == u' ' || part[i] == u'\t'))
        ++i;
    const std::size_t start = out.size();
    out.push_back(Version4);
    std::optional<qsizetype> end = readVersion4(part, i, out);
    if (!end) {
        out.resize(start);
        out.push_back(Version6);
        end = readVersion6(part, i, out);
    }
    if (!end) {
        out.resize(start);
        return false;
    }
    // The prefix, after the address: none before any.
    i = *end;
    if (i + 1 < part.size() && part[i] == u'/' && isDigit(part, i + 1)) {
        int prefix = 0;
        for (++i; isDigit(part, i); ++i)
            prefix = std::min(prefix * 10 + (part[i].unicode() - u'0'), 1000);
        if (prefix > (out[start] == Version4 ? 32 : 128)) {
            out.resize(start);
            return false;
        }
        out.push_back(uchar(prefix));
    }
    return true;
}
