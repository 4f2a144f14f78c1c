#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

// The keys a user composes in the "Sort Keys" dialog: which part of each line
// a key takes, how the parts compare, and what the whole sort does with a
// header and with duplicates. Kept as JSON in the settings (see
// ChosenKeyJson.h); the benchmark takes the same JSON.

enum class KeyPart {
    Line,       // the whole line
    Field,      // field `field` between delimiters
    Characters, // UTF-16 code units `from` to `to` (1-based; `to` 0 for the end)
    Pattern,    // the first match of `pattern`, whole or its capture group `group`
};

enum class KeyCompare {
    Text,         // by UTF-16 code unit
    IgnoringCase, // after simple case folding
    Dictionary,   // ICU collation for `locale`, optionally numbers by value
    Natural,      // digit runs by value
    Number,       // the part's leading number, with `decimal` as separator
    Length,       // the part's length in UTF-16 code units
    Size,         // a number and a unit (K, KiB, kB...), by its value in bytes
    General,      // a number in any common notation (exponents, hex, inf), exactly
    Version,      // version order: digit runs by value, "~" before anything
    Month,        // a month's name or abbreviation in `locale`
    Date,         // a date and time, ISO 8601 or as `format` says
    Address,      // an IPv4 or IPv6 address with an optional prefix length
};

struct ChosenKey
{
    KeyPart part = KeyPart::Line;
    int field = 1;
    QString delimiter = QStringLiteral(","); // one character, or "spaces"
    bool quotes = false;
    int from = 1;
    int to = 0;
    QString pattern;
    int group = 0;
    KeyCompare compare = KeyCompare::Text;
    QString locale; // for Dictionary, Month and Date; empty: the user's language
    bool numbers = false;
    QChar decimal = u'.';
    QString format; // for Date, in Unicode's date-field letters; empty: ISO 8601
    bool descending = false;
    bool missingFirst = false;

    bool operator==(const ChosenKey &) const = default;
};

struct ChosenKeySet
{
    QList<ChosenKey> keys{ChosenKey{}};
    bool header = false;
    bool unique = false;

    bool operator==(const ChosenKeySet &) const = default;
};

// The delimiter that means runs of spaces and tabs, as awk splits fields.
inline constexpr QStringView SpacesDelimiter = u"spaces";

// Which members beside part, compare, descending and missingFirst a key
// reads: those of its part and of its comparison. The others change nothing,
// so the settings leave them out and the dialog keeps them at their defaults.
struct UsedMembers
{
    bool field;      // field, delimiter, quotes
    bool characters; // from, to
    bool pattern;    // pattern, group
    bool language;   // locale
    bool numbers;
    bool decimal;
    bool format;
};

UsedMembers usedMembers(const ChosenKey &key);

// The key with the members that its part and comparison do not use at their
// defaults, so that equal choices give equal keys.
ChosenKey withUnusedMembersCleared(const ChosenKey &key);

// A name the user gave, as the messages about the keys show it: in double
// quotes, with control characters and line breaks written as \uXXXX, so that
// a NUL cuts no message short, a line feed breaks no line of them, and the
// terminal shows them.
QString quotedName(QStringView name);
