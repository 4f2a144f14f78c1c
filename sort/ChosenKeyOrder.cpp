#include "sort/ChosenKeyOrder.h"

#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "sort/BuiltKeySort.h"
#include "sort/CalendarKeys.h"
#include "sort/ChosenKeyProblems.h"
#include "sort/Collation.h"
#include "sort/FoldedCase.h"
#include "sort/LeadingNumber.h"
#include "sort/NaturalOrder.h"
#include "sort/PartFinder.h"
#include "sort/ValueKeys.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

using namespace SortEngine;

// A line's key is bytes that compare, byte by byte, as the lines should sort:
// each key's bytes in turn (see sortByBuiltKeys()).

namespace {

// Writes units into bytes, most significant first.
struct UnitBytes
{
    std::vector<uchar> &out;

    void put(char16_t unit)
    {
        out.push_back(uchar(unit >> 8));
        out.push_back(uchar(unit));
    }
};

// The number at the start of a part as LeadingNumberKey reads it, with
// decimal as its separator, in bytes: the class, the count of integer digits,
// the digits without leading zeros, the fraction without trailing zeros; a
// negative number's bytes taken from 0xFF and closed by 0xFF. Gives false for
// a part without a number.
bool appendNumber(QStringView text, QChar decimal, std::vector<uchar> &out)
{
    const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
    using Key = LeadingNumberKey;
    const Key::Parts parts = Key::parse(units, text.size(), decimal.unicode());
    if (parts.kind == Key::NoNumber)
        return false;
    out.push_back(uchar(parts.kind));
    if (parts.kind == Key::Zero)
        return true;
    const uchar flip = parts.kind == Key::Negative ? 0xFF : 0;
    // The count in one byte below 0xFF, else 0xFF and eight bytes.
    const quint64 digits = quint64(parts.integerEnd - parts.integer);
    if (digits < 0xFF) {
        out.push_back(uchar(digits ^ flip));
    } else {
        out.push_back(0xFF ^ flip);
        for (int shift = 56; shift >= 0; shift -= 8)
            out.push_back(uchar((digits >> shift) ^ flip));
    }
    for (qsizetype k = parts.integer; k < parts.integerEnd; ++k)
        out.push_back(uchar(units[k] ^ flip));
    for (qsizetype k = parts.fraction; k < parts.fractionEnd; ++k)
        out.push_back(uchar(units[k] ^ flip));
    if (flip)
        out.push_back(0xFF);
    return true;
}

// Builds the keys of several: each key's part is found by a finder of its
// own and compared as its comparison says (dictionary keys by a collator of
// their own, months and dates by readers of their own).
class ChosenKeyBuilder final : public KeyBuilder
{
public:
    explicit ChosenKeyBuilder(const ChosenKeySet &keys) : m_set(keys)
    {
        for (const ChosenKey &key : m_set.keys) {
            m_finders.push_back(std::make_unique<PartFinder>(key));
            m_collations.push_back(key.compare == KeyCompare::Dictionary
                                       ? std::make_unique<Collation>(key.locale, key.numbers)
                                       : nullptr);
            m_months.push_back(key.compare == KeyCompare::Month
                                   ? std::make_unique<MonthNames>(key.locale)
                                   : nullptr);
            m_dates.push_back(key.compare == KeyCompare::Date
                                  ? std::make_unique<DateReader>(key.format, key.locale)
                                  : nullptr);
        }
    }

    // Each key: a byte for present or missing (missing ones sort before or
    // after), then for a present one its bytes with
    // every 0 written as 0 FF and closed by 0 0, so that no key's bytes are
    // a prefix of another's; a descending key's bytes are taken from 0xFF.
    // A pattern that gives up leaves its key missing; gaveUp marks it: bit k
    // for key k below 31, bit 31 for the others. A key marked already (by the
    // head's build) is not matched again.
    void appendKey(const LineRef &ref, std::vector<uchar> &out, std::size_t limit,
                   GaveUpMask &gaveUp) override
    {
        m_units.resize(std::size_t(ref.size()));
        const QStringView line(m_units.data(),
                               Utf8::writeUnits(ref.text(), m_units.data()) - m_units.data());
        for (std::size_t k = 0; k < m_finders.size() && out.size() < limit; ++k) {
            const ChosenKey &key = m_set.keys[qsizetype(k)];
            const uchar missing = key.missingFirst ? 1 : 2;
            const uchar present = key.missingFirst ? 2 : 1;
            const GaveUpMask bit = GaveUpMask(1) << std::min<std::size_t>(k, 31);
            bool gaveUpNow = false;
            const std::optional<PartSpan> span =
                k < 31 && (gaveUp & bit) ? std::nullopt : m_finders[k]->find(line, &gaveUpNow);
            if (gaveUpNow)
                gaveUp |= bit;
            m_part.clear();
            // Only a quoted field's text differs from its span.
            if (span && span->quoted)
                m_quoted = m_finders[k]->keyText(line, *span);
            const QStringView text = !span          ? QStringView()
                                     : span->quoted ? QStringView(m_quoted)
                                                    : line.sliced(span->start, span->length);
            if (!span || !appendPart(k, text, limit - out.size())) {
                out.push_back(missing);
                continue;
            }
            out.push_back(present);
            // A part cut short at the limit ends beyond the limit too: its
            // close never reaches the bytes asked for.
            const uchar flip = key.descending ? 0xFF : 0;
            for (const uchar b : m_part) {
                out.push_back(b ^ flip);
                if (b == 0)
                    out.push_back(0xFF ^ flip);
            }
            out.push_back(flip);
            out.push_back(flip);
        }
    }

    bool keysAreShort() const override
    {
        return std::all_of(m_set.keys.begin(), m_set.keys.end(), [](const ChosenKey &key) {
            switch (key.compare) {
            case KeyCompare::Number:
            case KeyCompare::Length:
            case KeyCompare::Size:
            case KeyCompare::General:
            case KeyCompare::Month:
            case KeyCompare::Date:
            case KeyCompare::Address:
                return true;
            default: // texts and their keys grow with the line
                return false;
            }
        });
    }

private:
    // Appends the bytes of one key's part, at least limit of them where the
    // key is longer: false when the part has no such key (a number key
    // without a number).
    bool appendPart(std::size_t k, QStringView text, std::size_t limit)
    {
        const ChosenKey &key = m_set.keys[qsizetype(k)];
        const auto *units = reinterpret_cast<const char16_t *>(text.utf16());
        UnitBytes bytes{m_part};
        switch (key.compare) {
        case KeyCompare::Text:
            for (const QChar c : text)
                bytes.put(c.unicode());
            return true;
        case KeyCompare::IgnoringCase:
            writeFolded(units, text.size(), bytes);
            return true;
        case KeyCompare::Dictionary:
            m_collations[k]->appendKey(text, m_part, limit);
            return true;
        case KeyCompare::Natural:
            NaturalKey<char16_t>::write(units, text.size(), bytes);
            return true;
        case KeyCompare::Number:
            return appendNumber(text, key.decimal, m_part);
        case KeyCompare::Length:
            for (int shift = 56; shift >= 0; shift -= 8)
                m_part.push_back(uchar(quint64(text.size()) >> shift));
            return true;
        case KeyCompare::Size:
            return appendSizeKey(text, key.decimal, m_part);
        case KeyCompare::General:
            return appendGeneralNumberKey(text, key.decimal, m_part);
        case KeyCompare::Version:
            return appendVersionKey(text, m_part);
        case KeyCompare::Month:
            return m_months[k]->appendKey(text, m_part);
        case KeyCompare::Date:
            return m_dates[k]->appendKey(text, m_part);
        case KeyCompare::Address:
            return appendAddressKey(text, m_part);
        }
        return true;
    }

    const ChosenKeySet &m_set;
    std::vector<std::unique_ptr<PartFinder>> m_finders;
    std::vector<std::unique_ptr<Collation>> m_collations;
    std::vector<std::unique_ptr<MonthNames>> m_months;
    std::vector<std::unique_ptr<DateReader>> m_dates;
    std::vector<uchar> m_part;     // one key's bytes, before escaping
    std::vector<char16_t> m_units; // the line's
    QString m_quoted;              // a quoted field's text
};

} // namespace

LineRefs &sortByKeys(LineRefs &lines, const ChosenKeySet &set, Progress *progress,
                     qsizetype *linesGaveUp)
{
    if (!isValid(set))
        throw Failure::invalidArgument();
    return sortByBuiltKeys(
        lines, set.header, set.unique, progress,
        [&] { return std::make_unique<ChosenKeyBuilder>(set); }, linesGaveUp);
}

QList<qsizetype> orderByKeys(const QStringList &lines, const ChosenKeySet &set)
{
    std::vector<QByteArray> bytes;
    bytes.reserve(std::size_t(lines.size()));
    LineRefs refs;
    refs.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bytes.push_back(Utf8::fromUtf16(lines.at(i)));
        if (bytes.back().size() > MaxIndex || i > MaxIndex)
            throw Failure::outOfMemory();
        refs.append(LineRef{bytes.back().constData(), quint32(bytes.back().size()), quint32(i)});
    }
    sortByKeys(refs, set, nullptr);
    QList<qsizetype> order;
    order.reserve(refs.size());
    for (const LineRef &ref : refs)
        order.append(qsizetype(ref.id));
    return order;
}
