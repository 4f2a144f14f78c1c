// Feeds arbitrary lines and option arguments through every sort routine and
// checks that the result is a permutation of the input, ordered by the
// routine's key, with lines that lack enough spaces left where they stood.
#include "sort/Failure.h"
#include "sort/SortOptions.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

using Routine = SortOption::Routine;

[[noreturn]] void fail(const char *why)
{
    fprintf(stderr, "fuzz_sort: %s\n", why);
    std::abort();
}

// 1-based position of the n-th space, -1 when there are fewer, 0 for n < 1.
qsizetype nthSpace(const QString &line, qsizetype n)
{
    if (n < 1)
        return 0;
    qsizetype found = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == u' ' && ++found == n)
            return i + 1;
    }
    return -1;
}

QString sieve(const QString &line, bool letters, bool digits, bool keep)
{
    QString out;
    for (QChar c : line) {
        const char16_t u = c.unicode();
        const bool isLetter = (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
        const bool isDigit = u >= u'0' && u <= u'9';
        const bool inSet = (letters && isLetter) || (digits && isDigit);
        if (inSet == keep)
            out.append(c);
    }
    return out;
}

// The key of a line, or no key for lines that a word routine leaves in place.
std::optional<QString> keyOf(Routine routine, const QString &line, qint32 number,
                             const QString &marker)
{
    const auto fromPosition = [&](qsizetype p) { return p > line.size() ? QString() : line.mid(p - 1); };
    const auto fromSpace = [&](qsizetype n) -> std::optional<QString> {
        if (n < 1)
            return line;
        const qsizetype s = nthSpace(line, n);
        if (s < 0)
            return std::nullopt;
        return line.mid(s - 1);
    };
    switch (routine) {
    case Routine::Alphabetically: return line;
    case Routine::SecondCharacter: return fromPosition(2);
    case Routine::ThirdCharacter: return fromPosition(3);
    case Routine::CharacterPosition: return fromPosition(number);
    case Routine::SecondWord: return fromSpace(1);
    case Routine::ThirdWord: return fromSpace(2);
    case Routine::WordNumber: return fromSpace(qsizetype(number) - 1);
    case Routine::AfterCharacters: {
        const qsizetype f = marker.isEmpty() ? 0 : line.indexOf(marker);
        return f < 0 ? line : line.mid(f);
    }
    case Routine::AlphaOnly: return sieve(line, false, true, false);
    case Routine::NumericOnly: return sieve(line, true, false, false);
    case Routine::AlphanumericOnly: return sieve(line, true, true, true);
    case Routine::NonAlphanumericOnly: return sieve(line, true, true, false);
    case Routine::Length: return QString(); // compared by length below
    case Routine::None: return line;
    }
    return line;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    const auto &options = SortOptionList();
    const SortOption &option = options[data[0] % options.size()];
    qint32 number;
    std::memcpy(&number, data + 1, sizeof number);
    // Mostly small numbers, so that positions and word numbers hit real lines.
    if (data[5] & 1)
        number = number % 12;
    data += 6;
    size -= 6;

    // Lines are separated by 0xFFFF code units; the marker is the first line.
    QString all(reinterpret_cast<const QChar *>(data), qsizetype(size / 2));
    QStringList lines = all.split(QChar(0xFFFF));
    const QString marker = lines.takeFirst();

    const QStringList before = lines;
    bool failed = false;
    try {
        RunSortRoutine(option.routine, lines, number, marker, nullptr);
    } catch (const Failure &) {
        failed = true;
    }

    QStringList a = before, b = lines;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b)
        fail("the result is not a permutation of the input");
    const bool badArgument = (option.routine == Routine::CharacterPosition && number < 1) ||
                             (option.routine == Routine::WordNumber && number < 1);
    if (badArgument && before.size() >= 2 && !failed)
        fail("an invalid position or word number was accepted");
    if (failed) {
        if (!badArgument || before.size() < 2 || lines != before)
            fail("unexpected failure, or lines moved before it");
        return 0;
    }
    if (option.routine == Routine::None) {
        if (lines != before)
            fail("a separator reordered the lines");
        return 0;
    }
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto key = keyOf(option.routine, lines[i], number, marker);
        if (!key && lines[i] != before[i])
            fail("a line without enough spaces moved");
    }
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const auto k1 = keyOf(option.routine, lines[i], number, marker);
        const auto k2 = keyOf(option.routine, lines[i + 1], number, marker);
        if (!k1 || !k2)
            continue;
        const bool ordered = option.routine == Routine::Length
                                 ? lines[i].size() <= lines[i + 1].size()
                                 : QStringView(*k1).compare(QStringView(*k2)) <= 0;
        if (!ordered)
            fail("neighbours out of order");
    }
    return 0;
}
