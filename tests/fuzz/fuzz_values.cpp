// Feeds arbitrary text to the keys that read values (sizes, numbers in any
// notation, versions, addresses, months, dates) and to the date reader with a
// format taken from the input. Checks that a part without a key leaves the
// key's bytes untouched and that a key does not depend on what came before
// it in the buffer; the sanitizers check every read.
#include "sort/CalendarKeys.h"
#include "sort/ValueKeys.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace SortEngine;

namespace {

[[noreturn]] void fail(const char *why)
{
    fprintf(stderr, "fuzz_values: %s\n", why);
    std::abort();
}

// Builds a key twice, once after other bytes: the same bytes follow them.
template <typename Build> void checkKey(const char *name, Build build)
{
    std::vector<uchar> alone;
    const bool present = build(alone);
    std::vector<uchar> after{0xAB, 0xCD};
    if (build(after) != present)
        fail(name);
    if (!present && (!alone.empty() || after.size() != 2))
        fail(name);
    if (!std::equal(alone.begin(), alone.end(), after.begin() + 2, after.end()))
        fail(name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first line is a date format, the rest the part.
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype lineFeed = input.indexOf(u'\n');
    const QString format = lineFeed < 0 ? QString() : input.left(lineFeed);
    const QStringView part =
        lineFeed < 0 ? QStringView(input) : QStringView(input).sliced(lineFeed + 1);

    static const MonthNames english(QStringLiteral("en"));
    static const MonthNames german(QStringLiteral("de"));
    static const DateReader iso(QString(), QStringLiteral("en"));
    for (const QChar decimal : {QChar(u'.'), QChar(u',')}) {
        checkKey("size",
                 [&](std::vector<uchar> &out) { return appendSizeKey(part, decimal, out); });
        checkKey("general", [&](std::vector<uchar> &out) {
            return appendGeneralNumberKey(part, decimal, out);
        });
    }
    checkKey("version", [&](std::vector<uchar> &out) { return appendVersionKey(part, out); });
    checkKey("address", [&](std::vector<uchar> &out) { return appendAddressKey(part, out); });
    checkKey("month", [&](std::vector<uchar> &out) { return english.appendKey(part, out); });
    checkKey("German month", [&](std::vector<uchar> &out) { return german.appendKey(part, out); });
    checkKey("ISO date", [&](std::vector<uchar> &out) { return iso.appendKey(part, out); });
    if (format.size() <= 64) {
        const DateReader formatted(format, QStringLiteral("fr"));
        const bool readable = formatted.problem().isEmpty();
        std::vector<uchar> key;
        if (formatted.appendKey(part, key) && !readable)
            fail("a format with a problem read a date");
        checkKey("date", [&](std::vector<uchar> &out) { return formatted.appendKey(part, out); });
    }
    return 0;
}
