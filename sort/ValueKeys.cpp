#include "sort/ValueKeys.h"

#include "sort/LeadingNumber.h"
#include "sort/LineText.h"

#include <QVarLengthArray>

#include <algorithm>

using namespace SortEngine;

namespace {

// Digits as values 0 to 9, the least significant first, so that a product
// grows at the end.
using Digits = QVarLengthArray<uchar, 64>;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(QStringView text, qsizetype i)
{
    while (i < text.size() && isBlank(text[i]))
        ++i;
    return i;
}

bool isDigit(QStringView text, qsizetype i)
{
    return i < text.size() && isAsciiDigit(text[i].unicode());
}

char16_t lower(QChar c)
{
    const char16_t u = c.unicode();
    return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
}

// A count of digits, order-preserving: one byte below 0xFF, else 0xFF and
// eight bytes.
void appendCount(quint64 count, uchar flip, std::vector<uchar> &out)
{
    if (count < 0xFF) {
        out.push_back(uchar(count ^ flip));
        return;
    }
    out.push_back(0xFF ^ flip);
    for (int shift = 56; shift >= 0; shift -= 8)
        out.push_back(uchar((count >> shift) ^ flip));
}

// --- size ---

void multiply(Digits &digits, quint32 factor)
{
    quint64 carry = 0;
    for (uchar &d : digits) {
        carry += quint64(d) * factor;
        d = uchar(carry % 10);
        carry /= 10;
    }
    for (; carry; carry /= 10)
        digits.append(uchar(carry % 10));
}

// The unit after a size's number: the power of 1024 or 1000 it stands for.
struct Unit
{
    int power = 0;
    bool decimal = false;
};

Unit readUnit(QStringView text, qsizetype i)
{
    i = skipBlanks(text, i);
    if (i >= text.size())
        return {};
    static constexpr char16_t Letters[] = u"kmgtpe";
    const char16_t *letter = std::find(Letters, Letters + 6, lower(text[i]));
    if (letter == Letters + 6)
        return {}; // "B" or no unit: bytes
    const Unit unit{int(letter - Letters) + 1, false};
    if (i + 2 < text.size() && lower(text[i + 1]) == u'i' && lower(text[i + 2]) == u'b')
        return unit;
    if (i + 1 < text.size() && lower(text[i + 1]) == u'b')
        return Unit{unit.power, true};
    return unit;
}

// A number exactly as digits scaled by 10^-scale, in the bytes of the number
// comparison: its class, the count of its integer digits, those digits
// without leading zeros and the fraction without trailing zeros, a negative
// number's bytes taken from 0xFF and closed by 0xFF.
void appendScaled(bool negative, const Digits &digits, qsizetype scale, std::vector<uchar> &out)
{
    using Key = LeadingNumberKey;
    qsizetype top = digits.size();
    while (top > 0 && digits[top - 1] == 0)
        --top;
    qsizetype bottom = 0;
    while (bottom < top && digits[bottom] == 0)
        ++bottom;
    if (top == bottom) {
        out.push_back(uchar(Key::Zero));
        return;
    }
    out.push_back(uchar(negative ? Key::Negative : Key::Positive));
    const uchar flip = negative ? 0xFF : 0;
    // Positions below 0 and from top up are zeros.
    const auto digitAt = [&](qsizetype p) { return p >= 0 && p < top ? digits[p] : uchar(0); };
    appendCount(quint64(std::max<qsizetype>(0, top - scale)), flip, out);
    for (qsizetype p = top - 1; p >= scale; --p)
        out.push_back(uchar(('0' + digitAt(p)) ^ flip));
    for (qsizetype p = scale - 1; p >= bottom; --p)
        out.push_back(uchar(('0' + digitAt(p)) ^ flip));
    if (negative)
        out.push_back(0xFF);
}

// --- general number ---

// A decimal integer, sign and digits (most significant first, without
// leading zeros).
struct BigInteger
{
    bool negative = false;
    QVarLengthArray<char, 24> digits;
};

BigInteger fromInt(qint64 value)
{
    BigInteger result;
    result.negative = value < 0;
    quint64 magnitude = value < 0 ? 0 - quint64(value) : quint64(value);
    char reversed[20];
    int count = 0;
    for (; magnitude; magnitude /= 10)
        reversed[count++] = char('0' + magnitude % 10);
    while (count > 0)
        result.digits.append(reversed[--count]);
    return result;
}

// magnitude + amount or magnitude - amount, where the magnitude is larger.
void addToMagnitude(QVarLengthArray<char, 24> &digits, quint64 amount, bool subtract)
{
    for (qsizetype k = digits.size() - 1; k >= 0 && amount; --k) {
        const int d = digits[k] - '0';
        const int step = int(amount % 10);
        amount /= 10;
        int next = subtract ? d - step : d + step;
        if (next < 0) {
            next += 10;
            ++amount; // the borrow
        } else if (next > 9) {
            next -= 10;
            ++amount; // the carry
        }
        digits[k] = char('0' + next);
    }
    for (; amount; amount /= 10)
        digits.insert(digits.cbegin(), char('0' + amount % 10));
    qsizetype zeros = 0;
    while (zeros < digits.size() && digits[zeros] == '0')
        ++zeros;
    digits.remove(0, zeros);
}

// written + offset, where written is the exponent as written (its sign and
// digits without leading zeros).
BigInteger exponentOf(bool negative, QStringView digits, qint64 offset)
{
    if (digits.size() <= 18) {
        qint64 value = 0;
        for (const QChar c : digits)
            value = value * 10 + (c.unicode() - u'0');
        return fromInt((negative ? -value : value) + offset);
    }
    // Beyond 10^18 the offset never changes the sign.
    BigInteger result;
    result.negative = negative;
    for (const QChar c : digits)
        result.digits.append(char(c.unicode()));
    const quint64 amount = offset < 0 ? 0 - quint64(offset) : quint64(offset);
    addToMagnitude(result.digits, amount, (offset < 0) != negative);
    return result;
}

// A signed integer, order-preserving: its class, then the count of its
// digits and the digits, a negative one's taken from 0xFF.
void appendInteger(const BigInteger &value, uchar flip, std::vector<uchar> &out)
{
    if (value.digits.isEmpty()) {
        out.push_back(2 ^ flip);
        return;
    }
    out.push_back((value.negative ? 1 : 3) ^ flip);
    const uchar inner = value.negative ? uchar(flip ^ 0xFF) : flip;
    appendCount(quint64(value.digits.size()), inner, out);
    for (const char c : value.digits)
        out.push_back(uchar(c) ^ inner);
}

bool isHexDigit(QChar c)
{
    const char16_t u = lower(c);
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
}

quint64 hexValue(QChar c)
{
    const char16_t u = lower(c);
    return u <= u'9' ? u - u'0' : u - u'a' + 10;
}

// Hexadecimal digits (without leading zeros) as decimal ones, most
// significant first.
QVarLengthArray<char, 64> decimalOfHex(QStringView hex)
{
    // Limbs of nine decimal digits, the least significant first; seven
    // hexadecimal digits at a time keep every product within 64 bits.
    QVarLengthArray<quint32, 16> limbs;
    for (qsizetype at = 0; at < hex.size(); at += 7) {
        const qsizetype count = std::min<qsizetype>(7, hex.size() - at);
        quint64 carry = 0;
        for (qsizetype k = at; k < at + count; ++k)
            carry = carry * 16 + hexValue(hex[k]);
        const quint64 factor = quint64(1) << (4 * count);
        for (quint32 &limb : limbs) {
            carry += quint64(limb) * factor;
            limb = quint32(carry % 1000000000);
            carry /= 1000000000;
        }
        for (; carry; carry /= 1000000000)
            limbs.append(quint32(carry % 1000000000));
    }
    QVarLengthArray<char, 64> digits;
    for (qsizetype k = limbs.size() - 1; k >= 0; --k) {
        char nine[9];
        quint32 limb = limbs[k];
        for (int d = 8; d >= 0; --d, limb /= 10)
            nine[d] = char('0' + limb % 10);
        int from = 0;
        while (k == limbs.size() - 1 && from < 8 && nine[from] == '0')
            ++from;
        digits.append(nine + from, 9 - from);
    }
    return digits;
}

enum GeneralClass : uchar { MinusInfinity = 1, Negative, Zero, Positive, PlusInfinity };

// A non-zero number 0.digits * 10^exponent: its class, the exponent, the
// digits without trailing zeros, a negative number's bytes taken from 0xFF
// and closed by 0xFF.
void appendNormalized(bool negative, const BigInteger &exponent, const char *digits, qsizetype size,
                      std::vector<uchar> &out)
{
    while (size > 0 && digits[size - 1] == '0')
        --size;
    out.push_back(negative ? Negative : Positive);
    const uchar flip = negative ? 0xFF : 0;
    appendInteger(exponent, flip, out);
    for (qsizetype k = 0; k < size; ++k)
        out.push_back(uchar(digits[k]) ^ flip);
    if (negative)
        out.push_back(0xFF);
}

} // namespace

bool SortEngine::appendSizeKey(QStringView part, QChar decimal, std::vector<uchar> &out)
{
    using Key = LeadingNumberKey;
    const auto *units = reinterpret_cast<const char16_t *>(part.utf16());
    const Key::Parts parts = Key::parse(units, part.size(), decimal.unicode());
    if (parts.kind == Key::NoNumber)
        return false;
    qsizetype end = parts.integerEnd;
    if (end < part.size() && part[end] == decimal)
        for (++end; isDigit(part, end); ++end) {
        }
    const Unit unit = readUnit(part, end);
    Digits digits;
    for (qsizetype k = parts.fractionEnd - 1; k >= parts.fraction; --k)
        digits.append(uchar(units[k] - u'0'));
    for (qsizetype k = parts.integerEnd - 1; k >= parts.integer; --k)
        digits.append(uchar(units[k] - u'0'));
    qsizetype scale = parts.fractionEnd - parts.fraction;
    if (unit.decimal)
        scale -= 3 * unit.power; // a power of 1000 moves the point
    else
        for (int k = 0; k < unit.power; ++k)
            multiply(digits, 1024);
    appendScaled(parts.kind == Key::Negative, digits, scale, out);
    return true;
}

bool SortEngine::appendGeneralNumberKey(QStringView part, QChar decimal, std::vector<uchar> &out)
{
    qsizetype i = skipBlanks(part, 0);
    bool negative = false;
    if (i < part.size() && (part[i] == u'+' || part[i] == u'-'))
        negative = part[i++] == u'-';
    const QStringView rest = part.sliced(i);
    if (rest.size() > 2 && rest[0] == u'0' && lower(rest[1]) == u'x' && isHexDigit(rest[2])) {
        qsizetype from = 2, to = 2;
        while (to < rest.size() && isHexDigit(rest[to]))
            ++to;
        while (from < to && rest[from] == u'0')
            ++from;
        if (from == to) {
            out.push_back(Zero);
            return true;
        }
        const QVarLengthArray<char, 64> digits = decimalOfHex(rest.sliced(from, to - from));
        appendNormalized(negative, fromInt(digits.size()), digits.data(), digits.size(), out);
        return true;
    }
    if (rest.startsWith(u"inf", Qt::CaseInsensitive)) {
        out.push_back(negative ? MinusInfinity : PlusInfinity);
        return true;
    }
    const QChar separator = decimal == u',' ? u'.' : u',';
    QVarLengthArray<char, 64> digits;
    qsizetype j = 0;
    for (; isDigit(rest, j); ++j)
        digits.append(char(rest[j].unicode()));
    // A separator counts only before exactly three digits.
    if (!digits.isEmpty() && digits.size() <= 3) {
        while (j < rest.size() && rest[j] == separator && isDigit(rest, j + 1) &&
               isDigit(rest, j + 2) && isDigit(rest, j + 3) && !isDigit(rest, j + 4)) {
            for (qsizetype k = j + 1; k <= j + 3; ++k)
                digits.append(char(rest[k].unicode()));
            j += 4;
        }
    }
    const qsizetype integerDigits = digits.size();
    if (j < rest.size() && rest[j] == decimal)
        for (++j; isDigit(rest, j); ++j)
            digits.append(char(rest[j].unicode()));
    if (digits.isEmpty())
        return false; // "nan", words, a lone separator
    bool exponentNegative = false;
    QStringView exponentDigits;
    if (j < rest.size() && lower(rest[j]) == u'e') {
        qsizetype k = j + 1;
        const bool sign = k < rest.size() && (rest[k] == u'+' || rest[k] == u'-');
        if (sign)
            exponentNegative = rest[k++] == u'-';
        qsizetype from = k;
        while (isDigit(rest, k))
            ++k;
        if (k > from) {
            while (from < k - 1 && rest[from] == u'0')
                ++from;
            exponentDigits = rest.sliced(from, k - from);
        }
    }
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == '0')
        ++first;
    if (first == digits.size()) {
        out.push_back(Zero);
        return true;
    }
    const BigInteger exponent =
        exponentOf(exponentNegative, exponentDigits, qint64(integerDigits) - qint64(first));
    appendNormalized(negative, exponent, digits.data() + first, digits.size() - first, out);
    return true;
}
