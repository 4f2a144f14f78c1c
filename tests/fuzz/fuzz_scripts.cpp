// Builds lines from a small alphabet of characters of many scripts (ASCII,
// Latin, Greek, Cyrillic, CJK, private use, U+FFxx, characters above U+FFFF,
// lone surrogates, U+0000, the Windows-1252 punctuation), often sharing long
// beginnings or repeated whole, and sorts them by a row of the sort option
// list twice: as UTF-8 line references and as texts of their own, which are
// sorted by UTF-16 code unit. Both must fail alike and leave the same lines
// in the same order; the references must still point at their own lines,
// identical lines must keep their input order, and the rows that compare
// whole lines, keep lines by how often they occur, or count them, must give
// what the plain reference of their rule gives.
#include "core/Failure.h"
#include "core/Utf8Text.h"
#include "sort/SortLines.h"
#include "sort/SortOptions.h"
#include "support/ReferenceOrders.h"
#include "support/TextSorting.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

[[noreturn]] void fail(int row, const char *why)
{
    fprintf(stderr, "fuzz_scripts: option row %d: %s\n", row, why);
    std::abort();
}

constexpr char16_t Windows1252[] = u"€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ";
constexpr char16_t LatinLetters[] =
    u"éèßÖöäÄÿÀàıŁłőſĀāŒœ\u00a0\u00ff\u0100\u017f\u024f\u212a\u023a\u1e9e";
constexpr char32_t Astral[] = {0x10000, 0x1F600, 0x1F4A9,  0x1F44D, 0x20000,
                               0x2A6D6, 0xE0001, 0x10FFFF, 0x1D11E, 0x10400};

// One character of the bucket that kind picks; which one, by index.
QString character(uint8_t kind, uint8_t index)
{
    switch (kind % 12) {
    case 0:
        return QString(QChar(char16_t(0x20 + index % 95)));
    case 1:
        return QString(QChar(LatinLetters[index % (std::size(LatinLetters) - 1)]));
    case 2:
        return QString(QChar(char16_t(0x391 + index % 0x39)));
    case 3:
        return QString(QChar(char16_t(0x400 + index)));
    case 4: // CJK, and the edges of the two- and three-byte ranges
        return index < 4
                   ? QString(QChar(std::array<char16_t, 4>{0x7FF, 0x800, 0xD7FF, 0x9FFF}[index]))
                   : QString(QChar(char16_t(0x4E00 + index)));
    case 5:
        return QString(QChar(char16_t(index & 1 ? 0xF8FF - index : 0xE000 + index)));
    case 6:
        return QString(QChar(char16_t(0xFF00 + index)));
    case 7: {
        const char32_t c = Astral[index % std::size(Astral)];
        return QString::fromUcs4(&c, 1);
    }
    case 8:
        return QString(QChar(char16_t(0xD800 + (index & 1 ? 0x3FF - index : index))));
    case 9:
        return QString(QChar(char16_t(0xDC00 + (index & 1 ? 0x3FF - index : index))));
    case 10:
        return QString(QChar(char16_t(index % 3 == 0 ? 0 : index % 3 == 1 ? 1 : 0x7F)));
    default:
        return QString(QChar(Windows1252[index % (std::size(Windows1252) - 1)]));
    }
}

constexpr qsizetype MaxLines = 48;
constexpr qsizetype MaxLineUnits = 96;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 5)
        return 0;
    const auto &options = sortOptions();
    const int row = data[0] % int(options.size());
    const SortOption &option = options[std::size_t(row)];
    // Mostly positions that fall in the lines, a few below 1.
    const qint32 number = qint32(data[1] % 40) - 4;
    const qsizetype alphabetSize = 1 + data[2] % 5;
    const uint8_t *p = data + 3;
    const uint8_t *const end = data + size;
    const auto next = [&]() -> uint8_t { return p < end ? *p++ : 0; };

    QStringList alphabet;
    for (qsizetype i = 0; i < alphabetSize; ++i) {
        const uint8_t kind = next();
        alphabet.append(character(kind, next()));
    }
    QString marker;
    for (int n = next() % 4; n > 0; --n)
        marker += alphabet[next() % alphabetSize];

    // Each byte adds a character, a space or the marker to the line, ends
    // it, starts the next with an earlier line, or repeats an earlier one.
    QStringList lines;
    QString line;
    while (p < end && lines.size() < MaxLines) {
        const uint8_t b = *p++;
        if (b < 0xA0 && line.size() < MaxLineUnits) {
            line += alphabet[b % alphabetSize];
        } else if (b < 0xB0) {
            line += u' ';
        } else if (b < 0xB8) {
            line += marker;
        } else if (b < 0xD0) {
            lines.append(std::exchange(line, QString()));
        } else if (b < 0xE8) {
            lines.append(line);
            line = lines[lines.size() - 1 - b % std::min<qsizetype>(lines.size(), 8)];
        } else if (!lines.isEmpty()) {
            lines.append(lines[lines.size() - 1 - b % std::min<qsizetype>(lines.size(), 8)]);
        }
    }
    if (!line.isEmpty() && lines.size() < MaxLines)
        lines.append(line);

    std::vector<QByteArray> bytes;
    bytes.reserve(std::size_t(lines.size()));
    for (const QString &l : lines)
        bytes.push_back(Utf8::fromUtf16(l));

    LineRefs refs;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray &text = bytes[std::size_t(i)];
        refs.append(LineRef{text.constData(), quint32(text.size()), quint32(i)});
    }
    QStringList units = lines;
    bool refsFailed = false;
    bool unitsFailed = false;
    QByteArray made; // the counts' texts
    try {
        sortLines(refs, option, number, marker, nullptr, &made);
    } catch (const Failure &) {
        refsFailed = true;
    }
    try {
        sortTextsAsUnits(units, option, number, marker, nullptr);
    } catch (const Failure &) {
        unitsFailed = true;
    }
    if (refsFailed != unitsFailed)
        fail(row, refsFailed ? "only the UTF-8 sort failed" : "only the unit sort failed");

    if (option.operation == LineOperation::CountDuplicates) {
        QStringList counted;
        for (const LineRef &ref : refs)
            counted.append(Utf8::toUtf16(ref.text()));
        if (counted != countedLines(lines) || units != counted)
            fail(row, "the counts are not those of the rule");
        return 0;
    }

    std::vector<bool> seen(std::size_t(lines.size()));
    for (const LineRef &ref : refs) {
        if (ref.id >= quint32(lines.size()) || seen[ref.id])
            fail(row, "a line reference is unknown or twice in the result");
        seen[ref.id] = true;
        const QByteArray &text = bytes[ref.id];
        if (ref.bytes != text.constData() || ref.length != quint32(text.size()))
            fail(row, "a line reference no longer points at its own line");
    }
    const bool dropsLines = option.operation == LineOperation::SortRemovingDuplicates ||
                            option.operation == LineOperation::RemoveDuplicates ||
                            option.operation == LineOperation::KeepDuplicated ||
                            option.operation == LineOperation::KeepOccurringOnce ||
                            option.asks == SortAnswer::Filter;
    if (!dropsLines && refs.size() != lines.size())
        fail(row, "the UTF-8 sort lost lines");

    if (option.operation == LineOperation::Shuffle) {
        QStringList a = lines, b = units;
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a != b)
            fail(row, "the unit shuffle is not a permutation");
        return 0;
    }

    if (refs.size() != units.size())
        fail(row, "the two sorts kept different numbers of lines");
    for (qsizetype i = 0; i < refs.size(); ++i) {
        if (lines[refs[i].id] != units[i]) {
            fprintf(stderr, "fuzz_scripts: first difference at result line %lld\n",
                    static_cast<long long>(i));
            fail(row, "the UTF-8 order differs from the unit order");
        }
    }

    if (hasReferenceArrangement(option) && !refsFailed) {
        const QList<qsizetype> expected = referenceArrangement(option, lines);
        if (expected.size() != refs.size())
            fail(row, "the UTF-8 sort kept other lines than the option's rule");
        for (qsizetype i = 0; i < refs.size(); ++i) {
            if (qsizetype(refs[i].id) != expected[i])
                fail(row, "the UTF-8 lines are not in the stable order of the rule");
        }
    } else if (option.operation != LineOperation::Reverse) {
        // Identical lines have identical keys, so a stable sort keeps them
        // in input order; so does a failure, which leaves lines in place.
        QHash<QString, quint32> lastId;
        for (const LineRef &ref : refs) {
            const auto found = lastId.constFind(lines[ref.id]);
            if (found != lastId.cend() && *found > ref.id)
                fail(row, "identical lines changed places");
            lastId.insert(lines[ref.id], ref.id);
        }
    }
    return 0;
}
