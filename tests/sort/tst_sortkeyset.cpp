#include "sort/ChosenKeyJson.h"
#include "sort/ChosenKeyOrder.h"
#include "sort/ChosenKeyProblems.h"
#include "sort/DictionaryOrder.h"
#include "sort/PartFinder.h"
#include "sort/SortOptions.h"
#include "support/KeySpecs.h"
#include "support/ReferenceOrders.h"
#include "support/TextSorting.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <numeric>

using namespace Qt::StringLiterals;

namespace {

ChosenKey comparing(ChosenKey key, KeyCompare compare, bool descending = false)
{
    key.compare = compare;
    key.descending = descending;
    return key;
}

// The rules for a number, written out plainly: after spaces and tabs a sign,
// digits, the separator and digits, one side possibly empty; compared by
// value. Small numbers only, as the tests make them.
std::optional<double> referenceNumber(const QString &part, QChar decimal)
{
    static const QRegularExpression dot(u"^[ \\t]*([+-]?)(\\d*)(?:\\.(\\d*))?"_s);
    static const QRegularExpression comma(u"^[ \\t]*([+-]?)(\\d*)(?:,(\\d*))?"_s);
    const QRegularExpressionMatch match = (decimal == u'.' ? dot : comma).match(part);
    if (match.captured(2).isEmpty() && match.captured(3).isEmpty())
        return std::nullopt;
    const double value = (match.captured(2) + u'.' + match.captured(3) + u'0').toDouble();
    return match.captured(1) == u"-" ? -value : value;
}

// -1, 0 or 1 as a comes before, with or after b by one key's part, both
// present.
int comparePresent(const ChosenKey &key, const QString &a, const QString &b)
{
    const auto order = [](bool less, bool greater) { return less ? -1 : greater ? 1 : 0; };
    switch (key.compare) {
    case KeyCompare::Text:
        return order(a < b, b < a);
    case KeyCompare::IgnoringCase:
        return order(wholeLineKeyLess(OptionKey::FoldedCase, a, b),
                     wholeLineKeyLess(OptionKey::FoldedCase, b, a));
    case KeyCompare::Natural:
        return order(wholeLineKeyLess(OptionKey::Natural, a, b),
                     wholeLineKeyLess(OptionKey::Natural, b, a));
    case KeyCompare::Dictionary: {
        QCollator collator{QLocale(key.locale)};
        collator.setNumericMode(key.numbers);
        const int result = collator.compare(a, b);
        return order(result<0, result> 0);
    }
    case KeyCompare::Number: {
        const double x = *referenceNumber(a, key.decimal);
        const double y = *referenceNumber(b, key.decimal);
        return order(x < y, y < x);
    }
    case KeyCompare::Length:
        return order(a.size() < b.size(), b.size() < a.size());
    default: // the value keys: their own tests hold their plain references
        break;
    }
    return 0;
}

// A plain comparison of two lines by the keys, key after key.
int referenceCompare(const ChosenKeySet &set, const QString &a, const QString &b)
{
    for (const ChosenKey &key : set.keys) {
        const PartFinder finder(key);
        const auto part = [&](const QString &line) -> std::optional<QString> {
            const std::optional<PartSpan> span = finder.find(line);
            if (!span)
                return std::nullopt;
            const QString text = finder.keyText(line, *span);
            if (key.compare == KeyCompare::Number && !referenceNumber(text, key.decimal))
                return std::nullopt;
            return text;
        };
        const std::optional<QString> x = part(a);
        const std::optional<QString> y = part(b);
        int result = 0;
        if (x && y)
            result = key.descending ? -comparePresent(key, *x, *y) : comparePresent(key, *x, *y);
        else if (x || y)
            result = (x ? -1 : 1) * (key.missingFirst ? -1 : 1);
        if (result != 0)
            return result;
    }
    return 0;
}

QList<qsizetype> referenceOrder(const ChosenKeySet &set, const QStringList &lines)
{
    QList<qsizetype> order(lines.size());
    std::iota(order.begin(), order.end(), 0);
    const auto first = order.begin() + (set.header && !lines.isEmpty() ? 1 : 0);
    std::stable_sort(first, order.end(), [&](qsizetype a, qsizetype b) {
        return referenceCompare(set, lines[a], lines[b]) < 0;
    });
    if (set.unique) {
        const auto end = std::unique(first, order.end(), [&](qsizetype a, qsizetype b) {
            return referenceCompare(set, lines[a], lines[b]) == 0;
        });
        order.erase(end, order.end());
    }
    return order;
}

} // namespace

class tst_SortKeySet : public QObject
{
    Q_OBJECT

private slots:
    void json_data();
    void json();
    void unusedMembersCleared_data();
    void unusedMembersCleared();
    void problemsShown_data();
    void problemsShown();
    void problemsDescribed_data();
    void problemsDescribed();
    void findsParts_data();
    void findsParts();
    void sortsByKeys_data();
    void sortsByKeys();
    void agreesWithPlainComparison();
    void longKeysSharingTheirStart();
    void linesThatGaveUpCounted_data();
    void linesThatGaveUpCounted();
    void dictionaryOrder_data();
    void dictionaryOrder();
};

void tst_SortKeySet::json_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("defaults") << "{}"_ba << true;
    QTest::newRow("every member")
        << R"json({"keys":[{"part":"field","field":3,"delimiter":";","quotes":true,)json"
           R"json("compare":"number","decimal":",","descending":true,"missing":"first"},)json"
           R"json({"part":"pattern","pattern":"(\\d+)","group":1,"compare":"dictionary",)json"
           R"json("locale":"de","numbers":true}],"header":true,"unique":true})json"_ba
        << true;
    QTest::newRow("the values' members")
        << R"json({"keys":[{"compare":"date","format":"d MMM yyyy","locale":"fr"},)json"
           R"json({"compare":"size","decimal":","},{"compare":"month","locale":"de"}]})json"_ba
        << true;
    QTest::newRow("a format as a number")
        << R"({"keys":[{"compare":"date","format":1}]})"_ba << false;
    QTest::newRow("not JSON") << "{keys"_ba << false;
    QTest::newRow("a list at the top") << "[]"_ba << false;
    QTest::newRow("no key") << R"({"keys":[]})"_ba << false;
    QTest::newRow("unknown member") << R"({"keys":[{"colour":"red"}]})"_ba << false;
    QTest::newRow("unknown part") << R"({"keys":[{"part":"column"}]})"_ba << false;
    QTest::newRow("a field as text") << R"({"keys":[{"part":"field","field":"2"}]})"_ba << false;
    QTest::newRow("a fraction of a field") << R"({"keys":[{"field":1.5}]})"_ba << false;
    QTest::newRow("another separator") << R"({"keys":[{"decimal":";"}]})"_ba << false;
    QTest::newRow("missing in the middle") << R"({"keys":[{"missing":"middle"}]})"_ba << false;
    QTest::newRow("header as a number") << R"({"header":1})"_ba << false;
}

// What fromJson() takes comes back unchanged through toJson().
void tst_SortKeySet::json()
{
    QFETCH(QByteArray, json);
    QFETCH(bool, accepted);

    QString error;
    const std::optional<ChosenKeySet> set = fromJson(json, &error);
    QCOMPARE(set.has_value(), accepted);
    QCOMPARE(error.isEmpty(), accepted);
    if (set)
        QCOMPARE(fromJson(toJson(*set)), set);
}

void tst_SortKeySet::unusedMembersCleared_data()
{
    QTest::addColumn<ChosenKey>("key");

    const std::pair<KeyPart, const char *> parts[] = {{KeyPart::Line, "line"},
                                                      {KeyPart::Field, "field"},
                                                      {KeyPart::Characters, "characters"},
                                                      {KeyPart::Pattern, "pattern"}};
    const std::pair<KeyCompare, const char *> compares[] = {
        {KeyCompare::Text, "text"},
        {KeyCompare::IgnoringCase, "ignoring case"},
        {KeyCompare::Dictionary, "dictionary"},
        {KeyCompare::Natural, "natural"},
        {KeyCompare::Number, "number"},
        {KeyCompare::Length, "length"},
        {KeyCompare::Size, "size"},
        {KeyCompare::General, "general"},
        {KeyCompare::Version, "version"},
        {KeyCompare::Month, "month"},
        {KeyCompare::Date, "date"},
        {KeyCompare::Address, "address"}};
    for (const auto &[part, partName] : parts) {
        for (const auto &[compare, compareName] : compares) {
            // Every member away from its default.
            const ChosenKey key{.part = part,
                                .field = 3,
                                .delimiter = u";"_s,
                                .quotes = true,
                                .from = 2,
                                .to = 5,
                                .pattern = u"(a)"_s,
                                .group = 1,
                                .compare = compare,
                                .locale = u"de"_s,
                                .numbers = true,
                                .decimal = u',',
                                .format = u"dd.MM.yyyy"_s,
                                .descending = true,
                                .missingFirst = true};
            QTest::addRow("%s by %s", partName, compareName) << key;
        }
    }
}

// What the settings keep of a key is what the dialog keeps of it: the members
// its part and comparison read, the others at their defaults.
void tst_SortKeySet::unusedMembersCleared()
{
    QFETCH(ChosenKey, key);

    const ChosenKey cleared = withUnusedMembersCleared(key);
    QCOMPARE(toJson(ChosenKeySet{{cleared}}), toJson(ChosenKeySet{{key}}));
    const std::optional<ChosenKeySet> stored = fromJson(toJson(ChosenKeySet{{key}}));
    QVERIFY(stored);
    QVERIFY(stored->keys.front() == cleared);
    QVERIFY(withUnusedMembersCleared(cleared) == cleared);
    QCOMPARE(cleared.descending, key.descending);
    QCOMPARE(cleared.missingFirst, key.missingFirst);
}

void tst_SortKeySet::problemsShown_data()
{
    QTest::addColumn<ChosenKey>("key");
    QTest::addColumn<QString>("reason"); // a part of it; empty for a valid key

    ChosenKey german;
    german.compare = KeyCompare::Dictionary;
    german.locale = u"de"_s;
    ChosenKey unknown = german;
    unknown.locale = u"xx_QQ"_s;
    ChosenKey dates = comparing(ChosenKey{}, KeyCompare::Date);
    dates.format = u"dd.MM.yyyy HH:mm"_s;
    ChosenKey noYear = dates;
    noYear.format = u"dd.MM"_s;
    ChosenKey months = comparing(ChosenKey{}, KeyCompare::Month);
    months.locale = u"xx_QQ"_s;
    QTest::newRow("a date format") << dates << QString();
    QTest::newRow("a date format without a year") << noYear << u"year"_s;
    QTest::newRow("months of an unknown language") << months << u"Unknown language"_s;
    QTest::newRow("whole line") << ChosenKey{} << QString();
    QTest::newRow("German") << german << QString();
    QTest::newRow("unknown language") << unknown << u"Unknown language"_s;
    QTest::newRow("field 0") << fieldKey(0) << u"field number"_s;
    QTest::newRow("no delimiter") << fieldKey(1, QString()) << u"delimiter is empty"_s;
    QTest::newRow("two characters") << fieldKey(1, u"ab"_s) << u"one character"_s;
    QTest::newRow("spaces") << fieldKey(2, u"spaces"_s) << QString();
    QTest::newRow("from 0") << charactersKey(0, 0) << u"first character"_s;
    QTest::newRow("to before from") << charactersKey(3, 2) << u"comes before"_s;
    QTest::newRow("to the end") << charactersKey(3, 0) << QString();
    QTest::newRow("does not compile") << patternKey(u"(a"_s, 0) << u"does not compile"_s;
    QTest::newRow("no such group") << patternKey(u"(a)"_s, 2) << u"no group 2"_s;
}

void tst_SortKeySet::problemsShown()
{
    QFETCH(ChosenKey, key);
    QFETCH(QString, reason);

    const QStringList reasons = problems(key);
    QCOMPARE(reasons.isEmpty(), reason.isEmpty());
    if (!reason.isEmpty())
        QVERIFY2(reasons.join(u' ').contains(reason), qPrintable(reasons.join(u' ')));
    QCOMPARE(isValid(ChosenKeySet{{key}}), reason.isEmpty());
}

void tst_SortKeySet::problemsDescribed_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("description"); // of fromJson() or describeProblems()

    QTest::newRow("valid keys") << R"({"keys":[{"part":"field","field":2},{}]})"_ba << QString();
    QTest::newRow("two invalid keys")
        << R"({"keys":[{"part":"field","field":0},{"part":"characters","from":0}]})"_ba
        << u"Key 1: The field number must be 1 or more.\n"
           u"Key 2: The first character must be 1 or more."_s;
    QTest::newRow("a NUL in a language")
        << R"({"keys":[{},{"compare":"dictionary","locale":"de\u0000x\n"}]})"_ba
        << u"Key 2: Unknown language: \"de\\u0000x\\u000A\"."_s;
    QTest::newRow("an escape in a member's name")
        << R"({"keys":[{"\u001b[2J":1}]})"_ba << u"key 1: unknown member \"\\u001B[2J\""_s;
}

// Each problem on a line of its own, after its key's number; a name the user
// gave shows its control characters, so that a NUL cuts no reason short and
// a line feed starts no line of its own.
void tst_SortKeySet::problemsDescribed()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, description);

    QString error;
    const std::optional<ChosenKeySet> set = fromJson(json, &error);
    QCOMPARE(set ? describeProblems(*set) : error, description);
}

void tst_SortKeySet::findsParts_data()
{
    QTest::addColumn<ChosenKey>("key");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("part"); // null: no key

    QTest::newRow("field 2") << fieldKey(2) << u"a,b,c"_s << u"b"_s;
    QTest::newRow("the last field") << fieldKey(3) << u"a,b,c"_s << u"c"_s;
    QTest::newRow("an empty field") << fieldKey(2) << u"a,,c"_s << u""_s;
    QTest::newRow("too few fields") << fieldKey(4) << u"a,b,c"_s << QString();
    QTest::newRow("tab") << fieldKey(2, u"\t"_s) << u"a b\tc d"_s << u"c d"_s;
    QTest::newRow("spaces, runs and ends skipped")
        << fieldKey(2, u"spaces"_s) << u" \t a  \tb c "_s << u"b"_s;
    QTest::newRow("spaces, too few") << fieldKey(2, u"spaces"_s) << u"  a   "_s << QString();
    QTest::newRow("quotes hold the delimiter")
        << fieldKey(2, u","_s, KeyCompare::Text, true) << u"x,\"a, b\",c"_s << u"a, b"_s;
    QTest::newRow("doubled quotes") << fieldKey(1, u","_s, KeyCompare::Text, true)
                                    << u"\"say \"\"hi\"\"\",2"_s << u"say \"hi\""_s;
    QTest::newRow("quotes after the quoted field")
        << fieldKey(2, u","_s, KeyCompare::Text, true) << u"\"a,b\",c"_s << u"c"_s;
    QTest::newRow("quotes not honoured") << fieldKey(2) << u"\"a,b\",c"_s << u"b\""_s;
    QTest::newRow("characters 2 to 3") << charactersKey(2, 3) << u"abcd"_s << u"bc"_s;
    QTest::newRow("characters beyond the end") << charactersKey(3, 9) << u"abcd"_s << u"cd"_s;
    QTest::newRow("a line shorter than the start") << charactersKey(5, 0) << u"abcd"_s << QString();
    QTest::newRow("characters count units")
        << charactersKey(2, 3) << u"\U0001F600x"_s << QString(QChar(0xDE00)) + u"x"_s;
    QTest::newRow("pattern") << patternKey(u"\\d+"_s, 0) << u"at 10:42"_s << u"10"_s;
    QTest::newRow("group") << patternKey(u"(\\d+):(\\d+)"_s, 2) << u"at 10:42"_s << u"42"_s;
    QTest::newRow("no match") << patternKey(u"\\d+"_s, 0) << u"none"_s << QString();
    QTest::newRow("a match that gives up")
        << patternKey(u"^(a|a)+b"_s, 0) << QString(40, u'a') + u"xb"_s << QString();
    QTest::newRow("a group that takes no part") << patternKey(u"a|(b)"_s, 1) << u"a"_s << QString();
}

void tst_SortKeySet::findsParts()
{
    QFETCH(ChosenKey, key);
    QFETCH(QString, line);
    QFETCH(QString, part);

    const PartFinder finder(key);
    const std::optional<PartSpan> span = finder.find(line);
    QCOMPARE(span.has_value(), !part.isNull());
    if (span)
        QCOMPARE(finder.keyText(line, *span), part);
}

void tst_SortKeySet::sortsByKeys_data()
{
    QTest::addColumn<ChosenKeySet>("set");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("expected");

    const QStringList staff{u"name,dept,salary"_s, u"Ann,B,50"_s, u"Bob,A,70"_s,
                            u"Cid,B,90"_s,         u"Dee,A,70"_s, u"Eve,,x"_s};
    ChosenKeySet byDepartment{{fieldKey(2), comparing(fieldKey(3), KeyCompare::Number, true)},
                              true};
    QTest::newRow("by department, then salary, highest first")
        << byDepartment << staff
        << QStringList{u"name,dept,salary"_s, u"Eve,,x"_s,   u"Bob,A,70"_s,
                       u"Dee,A,70"_s,         u"Cid,B,90"_s, u"Ann,B,50"_s};
    ChosenKeySet unique = byDepartment;
    unique.unique = true;
    QTest::newRow("unique by the keys") << unique << staff
                                        << QStringList{u"name,dept,salary"_s, u"Eve,,x"_s,
                                                       u"Bob,A,70"_s, u"Cid,B,90"_s, u"Ann,B,50"_s};
    ChosenKey missingFirst = comparing(fieldKey(2), KeyCompare::Number);
    missingFirst.missingFirst = true;
    QTest::newRow("lines without the key first")
        << ChosenKeySet{{missingFirst}} << QStringList{u"a,2"_s, u"b"_s, u"c,-1.5"_s, u"d,x"_s}
        << QStringList{u"b"_s, u"d,x"_s, u"c,-1.5"_s, u"a,2"_s};
    QTest::newRow("descending keeps equal keys in input order")
        << ChosenKeySet{{comparing(ChosenKey{}, KeyCompare::Length, true)}}
        << QStringList{u"bb"_s, u"a"_s, u"cc"_s, u"ddd"_s}
        << QStringList{u"ddd"_s, u"bb"_s, u"cc"_s, u"a"_s};
    ChosenKey comma = comparing(fieldKey(1, u";"_s), KeyCompare::Number);
    comma.decimal = u',';
    QTest::newRow("decimal comma, exact")
        << ChosenKeySet{{comma}}
        << QStringList{u"1,5;a"_s, u"1,25;b"_s, u"+1,50;c"_s, u",5;d"_s, u"-0;e"_s}
        << QStringList{u"-0;e"_s, u",5;d"_s, u"1,25;b"_s, u"1,5;a"_s, u"+1,50;c"_s};
    QTest::newRow("ignoring case, unique")
        << ChosenKeySet{{comparing(ChosenKey{}, KeyCompare::IgnoringCase)}, false, true}
        << QStringList{u"b"_s, u"A"_s, u"a"_s, u"B"_s} << QStringList{u"A"_s, u"b"_s};
    QTest::newRow("a key with a zero byte")
        << ChosenKeySet{{fieldKey(1), fieldKey(2)}}
        << QStringList{u"a\u0000,2"_s, u"a,1"_s, u"a\u0000,1"_s}
        << QStringList{u"a,1"_s, u"a\u0000,1"_s, u"a\u0000,2"_s};
    // The value keys, each reading the part its key takes.
    const auto second = [](KeyCompare compare) {
        return ChosenKeySet{{comparing(fieldKey(2, u"spaces"_s), compare)}};
    };
    QTest::newRow("sizes") << ChosenKeySet{{comparing(charactersKey(3, 0), KeyCompare::Size)}}
                           << QStringList{u"a 2M"_s, u"b 1023K"_s,   u"c 1.5 GB"_s,
                                          u"d -"_s,  u"e 1.4 GiB"_s, u"f 1.5M"_s}
                           << QStringList{u"b 1023K"_s,  u"f 1.5M"_s,    u"a 2M"_s,
                                          u"c 1.5 GB"_s, u"e 1.4 GiB"_s, u"d -"_s};
    QTest::newRow("versions") << second(KeyCompare::Version)
                              << QStringList{u"a 1.10"_s, u"b 1.0"_s, u"c 1.9"_s, u"d 1.0~rc1"_s}
                              << QStringList{u"d 1.0~rc1"_s, u"b 1.0"_s, u"c 1.9"_s, u"a 1.10"_s};
    ChosenKeySet dates{{comparing(fieldKey(2, u";"_s), KeyCompare::Date)}};
    dates.keys[0].format = u"dd.MM.yyyy"_s;
    QTest::newRow("dates in a format, one that does not exist")
        << dates << QStringList{u"a;31.04.2024"_s, u"b;01.05.2024"_s, u"c;30.04.2024"_s}
        << QStringList{u"c;30.04.2024"_s, u"b;01.05.2024"_s, u"a;31.04.2024"_s};
}

void tst_SortKeySet::sortsByKeys()
{
    QFETCH(ChosenKeySet, set);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, expected);

    QStringList sorted;
    for (const qsizetype i : orderByKeys(lines, set))
        sorted << lines[i];
    QCOMPARE(sorted, expected);
    // The value keys have their plain references in their own tests.
    if (std::all_of(set.keys.begin(), set.keys.end(),
                    [](const ChosenKey &key) { return key.compare <= KeyCompare::Length; }))
        QCOMPARE(orderByKeys(lines, set), referenceOrder(set, lines));
}

// Random keys on random lines: the order the engine's key bytes give is the
// order of a plain comparison key by key.
void tst_SortKeySet::agreesWithPlainComparison()
{
    QRandomGenerator random(18);
    const QStringList words{u"apple"_s,   u"Äpfel"_s, u"x10"_s, u"x9"_s, u"-2.5"_s, u" 7"_s,
                            u"\"q,r\""_s, u""_s,      u"B"_s,   u"b"_s,  u"3,25"_s, u"\u00e9"_s};
    const QList<KeyCompare> compares{KeyCompare::Text,    KeyCompare::IgnoringCase,
                                     KeyCompare::Natural, KeyCompare::Number,
                                     KeyCompare::Length,  KeyCompare::Dictionary};
    for (int round = 0; round < 60; ++round) {
        QStringList lines;
        for (int i = 0; i < 40; ++i) {
            QStringList fields;
            for (int f = int(random.bounded(4)); f >= 0; --f)
                fields << words[random.bounded(int(words.size()))];
            lines << fields.join(u',');
        }
        ChosenKeySet set;
        set.keys.clear();
        for (int k = int(random.bounded(3)); k >= 0; --k) {
            ChosenKey key = random.bounded(3) == 0
                                ? ChosenKey{}
                                : fieldKey(int(random.bounded(1, 4)), u","_s, KeyCompare::Text,
                                           random.bounded(2) == 0);
            key.compare = compares[random.bounded(int(compares.size()))];
            key.locale = u"de"_s;
            key.decimal = random.bounded(2) == 0 ? u'.' : u',';
            key.descending = random.bounded(2) == 0;
            key.missingFirst = random.bounded(2) == 0;
            set.keys << key;
        }
        set.header = random.bounded(4) == 0;
        set.unique = random.bounded(3) == 0;
        QCOMPARE(orderByKeys(lines, set), referenceOrder(set, lines));
    }
}

// Keys longer than the bytes first built for tied lines, sharing them: the
// lines that tie on those are ordered by their whole keys.
void tst_SortKeySet::longKeysSharingTheirStart()
{
    QRandomGenerator random(26);
    const QString start = u"Kommunikationswissenschaftlerinnen und "_s;
    const QStringList ends{u"a"_s, u"b"_s, u"\u00e4"_s, u"A"_s, u""_s, u"b, 2"_s, u"a, 10"_s};
    for (int round = 0; round < 20; ++round) {
        QStringList lines;
        for (int i = 0; i < 60; ++i) {
            const QString head = random.bounded(4) == 0 ? start.toUpper() : start;
            lines << head.left(int(random.bounded(30, int(head.size()) + 1))) +
                         ends[random.bounded(int(ends.size()))];
        }
        ChosenKey key;
        key.compare = random.bounded(2) == 0 ? KeyCompare::Dictionary : KeyCompare::IgnoringCase;
        key.locale = u"de"_s;
        key.descending = random.bounded(2) == 0;
        ChosenKeySet set;
        set.keys = {fieldKey(2, u","_s, KeyCompare::Number, false), key};
        set.unique = random.bounded(2) == 0;
        QCOMPARE(orderByKeys(lines, set), referenceOrder(set, lines));
    }
}

void tst_SortKeySet::linesThatGaveUpCounted_data()
{
    QTest::addColumn<ChosenKeySet>("set");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<qsizetype>("gaveUp");

    // Thirty a's, a b and digits make (a+)+$ try every split of the a's.
    const QString b = QString(30, u'a') + u"b42"_s;
    const ChosenKey nested = patternKey(u"(a+)+$"_s, 0);
    QTest::newRow("lines that tie without the key")
        << ChosenKeySet{{nested}} << QStringList{b, u"aaa"_s, b, u"a"_s, b} << qsizetype(3);
    QTest::newRow("a line whose head settles it")
        << ChosenKeySet{{nested}} << QStringList{u"aaa"_s, b, u"aa"_s} << qsizetype(1);
    QTest::newRow("only lines the first key leaves tied")
        << ChosenKeySet{{charactersKey(1, 4), nested}}
        << QStringList{u"abcd"_s + b, u"wxyz"_s + b, u"abcd"_s + b} << qsizetype(2);
}

// A line whose pattern gave up counts once; lines whose order an earlier key
// settles never run the pattern.
void tst_SortKeySet::linesThatGaveUpCounted()
{
    QFETCH(ChosenKeySet, set);
    QFETCH(QStringList, lines);
    QFETCH(qsizetype, gaveUp);

    Utf8Copies copies(lines);
    qsizetype counted = -1;
    sortByKeys(copies.lines, set, nullptr, &counted);
    QCOMPARE(counted, gaveUp);
}

void tst_SortKeySet::dictionaryOrder_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("German: Ö with O")
        << u"de"_s << QStringList{u"Emile"_s, u"Émile"_s, u"Öl"_s, u"Oz"_s, u"zebra"_s, u"Zebra"_s};
    QTest::newRow("Swedish: Ö after Z")
        << u"sv"_s << QStringList{u"Emile"_s, u"Émile"_s, u"Oz"_s, u"zebra"_s, u"Zebra"_s, u"Öl"_s};
    QTest::newRow("the root rules") << QString() << QStringList{u"Emile"_s, u"Émile"_s, u"Öl"_s,
                                                                u"Oz"_s,    u"zebra"_s, u"Zebra"_s};
}

// Lines that collate alike keep their input order; the decomposed É is the
// precomposed one.
void tst_SortKeySet::dictionaryOrder()
{
    QFETCH(QString, language);
    QFETCH(QStringList, expected);

    const QStringList lines{u"Zebra"_s, u"E\u0301mile"_s, u"Oz"_s, u"zebra"_s, u"Öl"_s, u"Emile"_s};
    std::vector<QByteArray> bytes;
    LineRefs refs;
    for (const QString &line : lines)
        bytes.push_back(line.toUtf8());
    for (std::size_t i = 0; i < bytes.size(); ++i)
        refs.append(LineRef{bytes[i].constData(), quint32(bytes[i].size()), quint32(i)});
    sortInDictionaryOrder(refs, language, nullptr);
    QStringList sorted;
    for (const LineRef &ref : refs)
        sorted << QString::fromUtf8(ref.bytes, ref.size()).normalized(QString::NormalizationForm_C);
    QCOMPARE(sorted, expected);
}

QTEST_APPLESS_MAIN(tst_SortKeySet)
#include "tst_sortkeyset.moc"
