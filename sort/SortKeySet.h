#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

class BoundedPattern;

// The keys a user composes in the "Sort Keys" dialog: which part of each line
// a key takes, how the parts compare, and what the whole sort does with a
// header and with duplicates. Kept as JSON in the settings; the benchmark
// takes the same JSON.

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
    QString locale; // for Dictionary; empty: the user's language
    bool numbers = false;
    QChar decimal = u'.';
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

// The key with the members that its part and comparison do not use at their
// defaults, so that equal choices give equal keys.
ChosenKey withUnusedMembersCleared(const ChosenKey &key);

// The delimiter that means runs of spaces and tabs, as awk splits fields.
inline constexpr QStringView SpacesDelimiter = u"spaces";

// The JSON the settings keep and the benchmark takes:
//   {"keys": [{"part": ..., "field": N, ...}], "header": bool, "unique": bool}
// Members left out take their defaults. fromJson() gives nothing, and the
// reason in *error, for anything else (unknown members or values, wrong
// types); the keys it gives may still be invalid (see problems()).
QByteArray toJson(const ChosenKeySet &set);
std::optional<ChosenKeySet> fromJson(const QByteArray &json, QString *error = nullptr);

// What is wrong with a key, for the dialog to show beside it: a field or
// position below 1, an end before the start, an empty or longer delimiter, a
// pattern that does not compile or a group it does not have, an unknown
// language. Empty when the key is valid. A name the user gave shows in
// double quotes, its control characters as \uXXXX.
QStringList problems(const ChosenKey &key);

// The same, each with the member it is about, so that the dialog can tie
// the reason to the control that holds the member.
enum class KeyMember { Field, Delimiter, From, To, Pattern, Group, Locale, Decimal };
struct KeyProblem
{
    KeyMember member;
    QString reason;
};
// pattern, when given, is key.pattern compiled already: a caller that keeps
// it compiled checks the key without compiling it again.
QList<KeyProblem> keyProblems(const ChosenKey &key, const BoundedPattern *pattern = nullptr);

// Every problem of the keys on a line of its own, after its key's number
// ("Key 2: The field number must be 1 or more."); empty when all are valid.
QString describeProblems(const ChosenKeySet &set);
bool isValid(const ChosenKeySet &set);

// The part of line that key takes: where it starts and how many units it
// has, in UTF-16 code units of the line; nothing when the line has no such
// part. A field in quotes gives the span inside them; its "" pairs are
// unquoted by keyText().
struct PartSpan
{
    qsizetype start = 0;
    qsizetype length = 0;
    bool quoted = false; // a field in double quotes: its "" stand for one "
};

class PartFinder
{
public:
    explicit PartFinder(const ChosenKey &key);
    ~PartFinder();
    PartFinder(const PartFinder &) = delete;
    PartFinder &operator=(const PartFinder &) = delete;

    // *gaveUp, when given, tells whether a pattern gave up on the line (see
    // BoundedPattern), which gives no part.
    std::optional<PartSpan> find(QStringView line, bool *gaveUp = nullptr) const;
    // The key's text for a span find() gave: the span, with a quoted field's
    // doubled quotes made single.
    QString keyText(QStringView line, PartSpan span) const;

private:
    struct Private;
    Private *d;
};

// The languages that dictionary order offers (ICU's collation locales, such
// as "de", "sv", "en_US"), and the user's language from LC_ALL, LC_COLLATE
// or LANG ("" for the root rules when that is C or POSIX or not offered).
QStringList dictionaryLanguages();
QString userDictionaryLanguage();
bool isDictionaryLanguage(const QString &name);
