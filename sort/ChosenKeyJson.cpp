#include "sort/ChosenKeyJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cmath>
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
constexpr std::array<std::pair<KeyCompare, const char16_t *>, 12> CompareNames{{
    {KeyCompare::Text, u"text"},
    {KeyCompare::IgnoringCase, u"ignoring-case"},
    {KeyCompare::Dictionary, u"dictionary"},
    {KeyCompare::Natural, u"natural"},
    {KeyCompare::Number, u"number"},
    {KeyCompare::Length, u"length"},
    {KeyCompare::Size, u"size"},
    {KeyCompare::General, u"general"},
    {KeyCompare::Version, u"version"},
    {KeyCompare::Month, u"month"},
    {KeyCompare::Date, u"date"},
    {KeyCompare::Address, u"address"},
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
                      "decimal"_L1, "format"_L1, "descending"_L1, "missing"_L1});
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
    reader.read("format"_L1, key.format);
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
        if (used.language)
            object.insert(u"locale"_s, key.locale);
        if (used.numbers)
            object.insert(u"numbers"_s, key.numbers);
        if (used.decimal)
            object.insert(u"decimal"_s, QString(key.decimal));
        if (used.format)
            object.insert(u"format"_s, key.format);
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
