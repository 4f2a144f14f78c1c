#include "sort/SortKeySet.h"

#include "sort/BoundedPattern.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unicode/ucol.h>

#include <array>
#include <cmath>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

// The names JSON gives the enumerations, in their order.
constexpr std::array<std::pair<KeyPart, const char16_t *>, 4> PartNames{{
    {KeyPart::Line, u"line"},
    {KeyPart::Field, u"field"},
    {KeyPart::Characters, u"characters"},
    {KeyPart::Pattern, u"pattern"},
}};
constexpr std::array<std::pair<KeyCompare, const char16_t *>, 6> CompareNames{{
    {KeyCompare::Text, u"text"},
    {KeyCompare::IgnoringCase, u"ignoring-case"},
    {KeyCompare::Dictionary, u"dictionary"},
    {KeyCompare::Natural, u"natural"},
    {KeyCompare::Number, u"number"},
    {KeyCompare::Length, u"length"},
}};

template <typename Enum, std::size_t N>
QString nameOf(const std::array<std::pair<Enum, const char16_t *>, N> &names, Enum value)
{
    for (const auto &[item, name] : names) {
        if (item == value)
            return QString::fromUtf16(name);
    }
    return {};
}

template <typename Enum, std::size_t N>
std::optional<Enum> valueOf(const std::array<std::pair<Enum, const char16_t *>, N> &names,
                            const QString &text)
{
    for (const auto &[item, name] : names) {
        if (text == QStringView(name))
            return item;
    }
    return std::nullopt;
}

// A name the user gave, in double quotes, with control characters and line
// breaks written as \uXXXX: a NUL cuts no message short, a line feed breaks
// no line of them, and the terminal shows them.
QString quotedName(QStringView name)
{
    QString text = u"\""_s;
    for (const QChar c : name) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            text += u"\\u"_s + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
        else
            text += c;
    }
    return text + u'"';
}

// Reads a JSON object member by member; the first thing wrong stops it, with
// its reason.
class MemberReader
{
public:
    MemberReader(const QJsonObject &object, QString where, QString *error)
        : m_object(object), m_where(std::move(where)), m_error(error)
    {
    }

    bool ok() const { return m_ok; }

    // Fails on members that are not among known.
    void allowOnly(std::initializer_list<QLatin1StringView> known)
    {
        for (auto it = m_object.begin(); it != m_object.end(); ++it) {
            if (std::find(known.begin(), known.end(), it.key()) == known.end())
                fail(u"unknown member "_s + quotedName(it.key()));
        }
    }

    void read(QLatin1StringView name, bool &into)
    {
        const QJsonValue value = m_object.value(name);
        if (value.isUndefined())
            return;
        if (!value.isBool())
            return fail(u"\"%1\" must be true or false"_s.arg(name));
        into = value.toBool();
    }

    void read(QLatin1StringView name, int &into)
    {
        const QJsonValue value = m_object.value(name);
        if (value.isUndefined())
            return;
        const double number = value.toDouble(std::nan(""));
        if (!value.isDouble() || number != std::floor(number) || std::abs(number) > 1e9)
            return fail(u"\"%1\" must be a whole number"_s.arg(name));
        into = int(number);
    }

    void read(QLatin1StringView name, QString &into)
    {
        const QJsonValue value = m_object.value(name);
        if (value.isUndefined())
            return;
        if (!value.isString())
            return fail(u"\"%1\" must be a text"_s.arg(name));
        into = value.toString();
    }

    // A text out of choices.
    template <typename Enum, std::size_t N>
    void read(QLatin1StringView name, Enum &into,
              const std::array<std::pair<Enum, const char16_t *>, N> &names)
    {
        QString text;
        read(name, text);
        if (!m_ok || !m_object.contains(name))
            return;
        const std::optional<Enum> value = valueOf(names, text);
        if (!value)
            return fail(u"\"%1\" cannot be "_s.arg(name) + quotedName(text));
        into = *value;
    }

    void fail(const QString &reason)
    {
        if (m_ok && m_error)
            *m_error = m_where + reason;
        m_ok = false;
    }

private:
    const QJsonObject &m_object;
    QString m_where;
    QString *m_error;
    bool m_ok = true;
};

std::optional<ChosenKey> keyFromJson(const QJsonValue &value, int number, QString *error)
{
    const QString where = u"key %1: "_s.arg(number);
    if (!value.isObject()) {
        if (error)
            *error = where + u"must be an object"_s;
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    MemberReader reader(object, where, error);
    reader.allowOnly({"part"_L1, "field"_L1, "delimiter"_L1, "quotes"_L1, "from"_L1, "to"_L1,
                      "pattern"_L1, "group"_L1, "compare"_L1, "locale"_L1, "numbers"_L1,
                      "decimal"_L1, "descending"_L1, "missing"_L1});
    ChosenKey key;
    reader.read("part"_L1, key.part, PartNames);
    reader.read("field"_L1, key.field);
    reader.read("delimiter"_L1, key.delimiter);
    reader.read("quotes"_L1, key.quotes);
    reader.read("from"_L1, key.from);
    reader.read("to"_L1, key.to);
    reader.read("pattern"_L1, key.pattern);
    reader.read("group"_L1, key.group);
    reader.read("compare"_L1, key.compare, CompareNames);
    reader.read("locale"_L1, key.locale);
    reader.read("numbers"_L1, key.numbers);
    QString decimal = key.decimal;
    reader.read("decimal"_L1, decimal);
    if (reader.ok() && decimal != "."_L1 && decimal != ","_L1)
        reader.fail(u"\"decimal\" must be \".\" or \",\""_s);
    else if (reader.ok())
        key.decimal = decimal.front();
    reader.read("descending"_L1, key.descending);
    QString missing = u"last"_s;
    reader.read("missing"_L1, missing);
    if (reader.ok() && missing != "last"_L1 && missing != "first"_L1)
        reader.fail(u"\"missing\" must be \"last\" or \"first\""_s);
    key.missingFirst = missing == "first"_L1;
    if (!reader.ok())
        return std::nullopt;
    return key;
}

bool isFieldSpace(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Which members beside part, compare, descending and missingFirst a key
// reads: those of its part and of its comparison. The others change nothing,
// so the settings leave them out and the dialog keeps them at their defaults.
struct UsedMembers
{
    bool field;      // field, delimiter, quotes
    bool characters; // from, to
    bool pattern;    // pattern, group
    bool language;   // locale, numbers
    bool decimal;
};

UsedMembers usedMembers(const ChosenKey &key)
{
    return {key.part == KeyPart::Field, key.part == KeyPart::Characters,
            key.part == KeyPart::Pattern, key.compare == KeyCompare::Dictionary,
            key.compare == KeyCompare::Number};
}

} // namespace

QByteArray toJson(const ChosenKeySet &set)
{
    QJsonArray keys;
    for (const ChosenKey &key : set.keys) {
        QJsonObject object{
            {u"part"_s, nameOf(PartNames, key.part)},
            {u"compare"_s, nameOf(CompareNames, key.compare)},
            {u"descending"_s, key.descending},
            {u"missing"_s, key.missingFirst ? u"first"_s : u"last"_s},
        };
        const UsedMembers used = usedMembers(key);
        if (used.field) {
            object.insert(u"field"_s, key.field);
            object.insert(u"delimiter"_s, key.delimiter);
            object.insert(u"quotes"_s, key.quotes);
        }
        if (used.characters) {
            object.insert(u"from"_s, key.from);
            object.insert(u"to"_s, key.to);
        }
        if (used.pattern) {
            object.insert(u"pattern"_s, key.pattern);
            object.insert(u"group"_s, key.group);
        }
        if (used.language) {
            object.insert(u"locale"_s, key.locale);
            object.insert(u"numbers"_s, key.numbers);
        }
        if (used.decimal)
            object.insert(u"decimal"_s, QString(key.decimal));
        keys.append(object);
    }
    const QJsonObject root{{u"keys"_s, keys}, {u"header"_s, set.header}, {u"unique"_s, set.unique}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<ChosenKeySet> fromJson(const QByteArray &json, QString *error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (document.isNull()) {
        if (error)
            *error =
                u"not JSON: %1 at offset %2"_s.arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    if (!document.isObject()) {
        if (error)
            *error = u"the keys must be a JSON object"_s;
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    MemberReader reader(root, QString(), error);
    reader.allowOnly({"keys"_L1, "header"_L1, "unique"_L1});
    ChosenKeySet set;
    reader.read("header"_L1, set.header);
    reader.read("unique"_L1, set.unique);
    if (!reader.ok())
        return std::nullopt;
    const QJsonValue keys = root.value("keys"_L1);
    if (!keys.isUndefined()) {
        if (!keys.isArray() || keys.toArray().isEmpty()) {
            if (error)
                *error = u"\"keys\" must be a list of at least one key"_s;
            return std::nullopt;
        }
        set.keys.clear();
        int number = 0;
        for (const QJsonValue &value : keys.toArray()) {
            const std::optional<ChosenKey> key = keyFromJson(value, ++number, error);
            if (!key)
                return std::nullopt;
            set.keys.append(*key);
        }
    }
    return set;
}

ChosenKey withUnusedMembersCleared(const ChosenKey &key)
{
    const UsedMembers used = usedMembers(key);
    ChosenKey kept;
    kept.part = key.part;
    kept.compare = key.compare;
    kept.descending = key.descending;
    kept.missingFirst = key.missingFirst;
    if (used.field) {
        kept.field = key.field;
        kept.delimiter = key.delimiter;
        kept.quotes = key.quotes;
    }
    if (used.characters) {
        kept.from = key.from;
        kept.to = key.to;
    }
    if (used.pattern) {
        kept.pattern = key.pattern;
        kept.group = key.group;
    }
    if (used.language) {
        kept.locale = key.locale;
        kept.numbers = key.numbers;
    }
    if (used.decimal)
        kept.decimal = key.decimal;
    return kept;
}

QList<KeyProblem> keyProblems(const ChosenKey &key, const BoundedPattern *pattern)
{
    std::optional<BoundedPattern> compiled;
    if (key.part == KeyPart::Pattern && !pattern)
        pattern = &compiled.emplace(key.pattern);
    QList<KeyProblem> found;
    const auto add = [&](KeyMember member, const QString &reason) {
        found.append(KeyProblem{member, reason});
    };
    switch (key.part) {
    case KeyPart::Line:
        break;
    case KeyPart::Field:
        if (key.field < 1)
            add(KeyMember::Field, u"The field number must be 1 or more."_s);
        if (key.delimiter.isEmpty())
            add(KeyMember::Delimiter, u"The delimiter is empty."_s);
        else if (key.delimiter.size() > 1 && key.delimiter != SpacesDelimiter)
            add(KeyMember::Delimiter, u"The delimiter must be one character, or \"spaces\"."_s);
        break;
    case KeyPart::Characters:
        if (key.from < 1)
            add(KeyMember::From, u"The first character must be 1 or more."_s);
        if (key.to < 0)
            add(KeyMember::To, u"The last character must be 1 or more, or empty for the end."_s);
        else if (key.to != 0 && key.to < key.from)
            add(KeyMember::To, u"The last character comes before the first."_s);
        break;
    case KeyPart::Pattern: {
        if (!pattern->isValid()) {
            add(KeyMember::Pattern,
                u"The pattern does not compile: %1 (at character %2)."_s.arg(
                    pattern->errorString(), QString::number(pattern->errorOffset() + 1)));
        } else if (key.group < 0) {
            add(KeyMember::Group, u"The group must be 0 (the whole match) or more."_s);
        } else if (key.group > pattern->captureCount()) {
            add(KeyMember::Group, u"The pattern has no group %1."_s.arg(key.group));
        }
        break;
    }
    }
    if (key.compare == KeyCompare::Dictionary && !isDictionaryLanguage(key.locale))
        add(KeyMember::Locale, u"Unknown language: "_s + quotedName(key.locale) + u'.');
    if (key.compare == KeyCompare::Number && key.decimal != u'.' && key.decimal != u',')
        add(KeyMember::Decimal, u"The decimal separator must be \".\" or \",\"."_s);
    return found;
}

QStringList problems(const ChosenKey &key)
{
    QStringList reasons;
    for (const KeyProblem &problem : keyProblems(key))
        reasons << problem.reason;
    return reasons;
}

QString describeProblems(const ChosenKeySet &set)
{
    QStringList lines;
    if (set.keys.isEmpty())
        lines << u"There is no key."_s;
    for (qsizetype i = 0; i < set.keys.size(); ++i) {
        for (const QString &reason : problems(set.keys[i]))
            lines << u"Key %1: "_s.arg(i + 1) + reason;
    }
    return lines.join(u'\n');
}

bool isValid(const ChosenKeySet &set)
{
    if (set.keys.isEmpty())
        return false;
    for (const ChosenKey &key : set.keys) {
        if (!problems(key).isEmpty())
            return false;
    }
    return true;
}

struct PartFinder::Private
{
    ChosenKey key;
    std::unique_ptr<BoundedPattern> pattern;

    std::optional<PartSpan> field(QStringView line) const;
    std::optional<PartSpan> spacedField(QStringView line) const;
};

PartFinder::PartFinder(const ChosenKey &key) : d(new Private{key, {}})
{
    // A pattern of its own: finders on other threads share nothing.
    if (key.part == KeyPart::Pattern)
        d->pattern = std::make_unique<BoundedPattern>(key.pattern);
}

PartFinder::~PartFinder()
{
    delete d;
}

// Field `field` between single-character delimiters; with quotes, a field
// that starts with " runs to its closing quote ("" inside stands for one),
// and what follows up to the next delimiter is not part of it.
std::optional<PartSpan> PartFinder::Private::field(QStringView line) const
{
    const QChar delimiter = key.delimiter.front();
    const qsizetype size = line.size();
    qsizetype at = 0;
    for (int number = 1;; ++number) {
        PartSpan span{at, 0, false};
        qsizetype end = at;
        if (key.quotes && at < size && line[at] == u'"') {
            qsizetype k = at + 1;
            while (k < size && !(line[k] == u'"' && (k + 1 >= size || line[k + 1] != u'"')))
                k += line[k] == u'"' ? 2 : 1;
            span = PartSpan{at + 1, k - (at + 1), true};
            end = std::min(k + 1, size);
        }
        const qsizetype next = line.indexOf(delimiter, end);
        if (!span.quoted)
            span.length = (next < 0 ? size : next) - at;
        if (number == key.field)
            return span;
        if (next < 0)
            return std::nullopt;
        at = next + 1;
    }
}

// Field `field` where runs of spaces and tabs separate the fields, those at
// the start and end of the line skipped.
std::optional<PartSpan> PartFinder::Private::spacedField(QStringView line) const
{
    const qsizetype size = line.size();
    qsizetype at = 0;
    for (int number = 1;; ++number) {
        while (at < size && isFieldSpace(line[at]))
            ++at;
        if (at == size)
            return std::nullopt;
        PartSpan span{at, 0, false};
        qsizetype end = at;
        if (key.quotes && line[at] == u'"') {
            qsizetype k = at + 1;
            while (k < size && !(line[k] == u'"' && (k + 1 >= size || line[k + 1] != u'"')))
                k += line[k] == u'"' ? 2 : 1;
            span = PartSpan{at + 1, k - (at + 1), true};
            end = std::min(k + 1, size);
        }
        while (end < size && !isFieldSpace(line[end]))
            ++end;
        if (!span.quoted)
            span.length = end - at;
        if (number == key.field)
            return span;
        at = end;
    }
}

std::optional<PartSpan> PartFinder::find(QStringView line, bool *gaveUp) const
{
    if (gaveUp)
        *gaveUp = false;
    const ChosenKey &key = d->key;
    switch (key.part) {
    case KeyPart::Line:
        return PartSpan{0, line.size(), false};
    case KeyPart::Field:
        return key.delimiter == SpacesDelimiter ? d->spacedField(line) : d->field(line);
    case KeyPart::Characters: {
        const qsizetype from = key.from - 1;
        if (line.size() <= from)
            return std::nullopt;
        const qsizetype end = key.to == 0 ? line.size() : std::min<qsizetype>(key.to, line.size());
        return PartSpan{from, end - from, false};
    }
    case KeyPart::Pattern: {
        const BoundedPattern::Result result = d->pattern->match(line);
        if (gaveUp)
            *gaveUp = result == BoundedPattern::Result::GaveUp;
        const BoundedPattern::Capture group = d->pattern->captured(key.group);
        if (result != BoundedPattern::Result::Matched || group.start < 0)
            return std::nullopt;
        return PartSpan{group.start, group.length, false};
    }
    }
    return std::nullopt;
}

QString PartFinder::keyText(QStringView line, PartSpan span) const
{
    QString text = line.sliced(span.start, span.length).toString();
    if (span.quoted)
        text.replace(u"\"\""_s, u"\""_s);
    return text;
}

QStringList dictionaryLanguages()
{
    QStringList names;
    const int32_t count = ucol_countAvailable();
    names.reserve(count);
    for (int32_t i = 0; i < count; ++i)
        names << QString::fromLatin1(ucol_getAvailable(i));
    return names;
}

bool isDictionaryLanguage(const QString &name)
{
    static const QStringList languages = dictionaryLanguages();
    return name.isEmpty() || languages.contains(name);
}

QString userDictionaryLanguage()
{
    QString name;
    for (const char *variable : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            break;
    }
    // "de_DE.UTF-8@euro": the language and country only.
    name = name.section(u'.', 0, 0).section(u'@', 0, 0);
    if (name == "C"_L1 || name == "POSIX"_L1)
        return {};
    if (isDictionaryLanguage(name))
        return name;
    const QString language = name.section(u'_', 0, 0);
    return isDictionaryLanguage(language) ? language : QString();
}
