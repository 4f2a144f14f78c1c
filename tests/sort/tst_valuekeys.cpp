#include "sort/ValueKeys.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

using namespace Qt::StringLiterals;
using namespace SortEngine;

namespace {

enum class Kind { Size, General, Version, Address };
using Key = std::optional<std::vector<uchar>>;
__extension__ typedef __int128 Wide; // exact products of the test's values

Key keyOf(Kind kind, const QString &part, QChar decimal = u'.')
{
    std::vector<uchar> out{0x55}; // bytes already there stay
    const bool present = kind == Kind::Size      ? appendSizeKey(part, decimal, out)
                         : kind == Kind::General ? appendGeneralNumberKey(part, decimal, out)
                         : kind == Kind::Version ? appendVersionKey(part, out)
                                                 : appendAddressKey(part, out);
    if (out.front() != 0x55 || (!present && out.size() != 1))
        return std::vector<uchar>{}; // never equal to a real key's bytes
    return present ? Key(std::vector<uchar>(out.begin() + 1, out.end())) : std::nullopt;
}

// -1, 0 or 1 as the keys' bytes compare, a shorter run before a longer one it
// begins.
int compareKeys(const std::vector<uchar> &a, const std::vector<uchar> &b)
{
    return a < b ? -1 : b < a ? 1 : 0;
}

template <typename T> int sign(T value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// A value written as text, with its exact order: class, then a scaled
// integer for the finite ones.
struct Written
{
    QString text;
    int infinity = 0; // -1, 0 or 1
    Wide value = 0;
    int exponent = 0; // value * 10^exponent
};

int compareWritten(const Written &a, const Written &b)
{
    if (a.infinity != b.infinity)
        return sign(a.infinity - b.infinity);
    if (a.infinity)
        return 0;
    Wide x = a.value, y = b.value;
    for (int e = a.exponent; e > b.exponent; --e)
        x *= 10;
    for (int e = b.exponent; e > a.exponent; --e)
        y *= 10;
    return x < y ? -1 : x > y ? 1 : 0;
}

// Checks every pair of texts: their keys' order is reference(i, j).
template <typename Reference>
void checkPairs(Kind kind, const QStringList &texts, QChar decimal, Reference reference)
{
    QList<std::vector<uchar>> keys;
    for (const QString &text : texts) {
        const Key key = keyOf(kind, text, decimal);
        if (!key || key->empty())
            QFAIL(qPrintable(text));
        keys.append(*key);
    }
    for (qsizetype i = 0; i < texts.size(); ++i)
        for (qsizetype j = 0; j < texts.size(); ++j)
            if (compareKeys(keys[i], keys[j]) != reference(i, j))
                QFAIL(qPrintable(texts[i] + u" vs "_s + texts[j]));
}

void checkWritten(Kind kind, const QList<Written> &values, QChar decimal)
{
    QStringList texts;
    for (const Written &value : values)
        texts.append(value.text);
    checkPairs(kind, texts, decimal,
               [&](qsizetype i, qsizetype j) { return compareWritten(values[i], values[j]); });
}

QString digitsWithPoint(quint64 digits, int fraction, QChar decimal, QRandomGenerator &random)
{
    QString text = QString::number(digits).rightJustified(fraction + 1, u'0');
    if (fraction > 0)
        text.insert(text.size() - fraction, decimal);
    if (text.startsWith(u"0"_s + decimal) && random.bounded(2))
        text.remove(0, 1); // ".5"
    return random.bounded(4) ? text : u"00"_s + text;
}

QString randomCase(QString text, QRandomGenerator &random)
{
    for (QChar &c : text)
        c = random.bounded(2) ? c.toUpper() : c.toLower();
    return text;
}

// The order of version sort, comparing as its rules are stated: runs without
// digits character by character, then runs of digits by value.
int compareVersionRuns(QByteArrayView a, QByteArrayView b)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto weight = [](uchar c) {
        return c == '~' ? -1 : std::isalpha(c) && c < 0x80 ? c : c + 256;
    };
    while (!a.isEmpty() || !b.isEmpty()) {
        qsizetype x = 0, y = 0;
        while (x < a.size() && !isDigit(a[x]))
            ++x;
        while (y < b.size() && !isDigit(b[y]))
            ++y;
        for (qsizetype k = 0; k < std::max(x, y); ++k) {
            const int cx = k < x ? weight(a[k]) : 0;
            const int cy = k < y ? weight(b[k]) : 0;
            if (cx != cy)
                return sign(cx - cy);
        }
        a = a.sliced(x);
        b = b.sliced(y);
        for (x = 0; x < a.size() && isDigit(a[x]);)
            ++x;
        for (y = 0; y < b.size() && isDigit(b[y]);)
            ++y;
        const auto number = [](QByteArrayView digits) {
            while (digits.startsWith('0'))
                digits = digits.sliced(1);
            return std::pair(digits.size(), digits);
        };
        if (number(a.first(x)) != number(b.first(y)))
            return number(a.first(x)) < number(b.first(y)) ? -1 : 1;
        a = a.sliced(x);
        b = b.sliced(y);
    }
    return 0;
}

int referenceVersionCompare(const QByteArray &a, const QByteArray &b)
{
    const auto rank = [](const QByteArray &s) {
        return s.isEmpty() ? 0 : s == "." ? 1 : s == ".." ? 2 : s.startsWith('.') ? 3 : 4;
    };
    if (rank(a) != rank(b) || rank(a) < 3)
        return sign(rank(a) - rank(b));
    static const QRegularExpression suffix(u"^(\\.[A-Za-z~][A-Za-z0-9~]*)*$"_s);
    const auto prefix = [](const QByteArray &s) {
        for (qsizetype p = 1; p < s.size(); ++p)
            if (suffix.match(QString::fromLatin1(s.sliced(p))).hasMatch())
                return s.first(p);
        return s;
    };
    const int byPrefix = compareVersionRuns(prefix(a), prefix(b));
    return byPrefix ? byPrefix : compareVersionRuns(a, b);
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_ValueKeys final : public QObject
{
    Q_OBJECT

private slots:
    // Chains of parts in their order: " < " between groups, " = " between
    // equal members of a group.
    void examples_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("chain");
        const auto row = [](const char *name, Kind kind, const char16_t *chain) {
            QTest::newRow(name) << kind << QString::fromUtf16(chain);
        };
        row("size: by value", Kind::Size, u"1023K < 1M < 1.5M < 2M < 1.5 GB < 1.4 GiB");
        row("size: equal counts", Kind::Size, u"1K = 1024 = 1024B = 1kib = 1.024 kB = 1.024KB x");
        row("size: tiny fractions", Kind::Size, u"0.000000001TB = 1000B < 1000.0001");
        row("size: negative", Kind::Size, u"-1K < -1000 < -0 = 0B < 1.5E = 1729382256910270464");
        row("general: thousand", Kind::General, u"1e3 = 1000 = 1,000 = 0x3E8 = 1000.00 = +1E+3");
        row("general: infinities and zero", Kind::General,
            u"-inf = -Infinity < -1e999999 < -1 < -0 = 0 = 0e99 = -0x0 < 1e999999 < inf = +INF");
        row("general: groups of three", Kind::General, u"1,0000 = 1,00 = 1 < 1,000.5 = 1000.5");
        row("general: exponent without digits", Kind::General, u"2e = 2E+ = 2");
        row("general: huge exponents", Kind::General,
            u"-1e-99999999999999999999 < 1e-99999999999999999999 < 1e99999999999999999999 "
            u"< 1e100000000000000000000 = 0.01e100000000000000000002");
        row("general: long hexadecimal", Kind::General,
            u"0xFFFFFFFFFFFFFFFF < 0x10000000000000000 = 18446744073709551616");
        row("version: dots first", Kind::Version, u" < . < .. < .d3 < .d20 < a < a.~1");
        row("version: release candidates", Kind::Version, u"1.0~rc1 < 1.0 < 1.0.1");
        row("version: suffixes cut", Kind::Version,
            u"foo-1.tar.gz < foo-1.2.tar.gz < hello-8.txt < hello-8.2.txt");
        row("version: letters before dots", Kind::Version, u"foo7a.7z < foo07.7z");
        row("address: by family, bits and prefix", Kind::Address,
            u"10.0.0.9 < 10.0.0.10 host < 10.0.0.10/8 < 10.0.0.10/9 < 255.255.255.255 < :: < ::1 "
            u"< ::ffff:1.2.3.4 = ::FFFF:102:304 = 0:0::ffff:1.2.3.4 < fe80::1. = fe80::1%eth0");
    }

    void examples()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, chain);
        std::optional<std::vector<uchar>> previous;
        for (const QString &group : chain.split(u" < "_s)) {
            const QStringList members = group.split(u" = "_s);
            const Key first = keyOf(kind, members.front());
            QVERIFY2(first, qPrintable(members.front()));
            if (previous)
                QVERIFY2(compareKeys(*previous, *first) < 0, qPrintable(group));
            for (const QString &member : members)
                QVERIFY2(keyOf(kind, member) == first, qPrintable(member));
            previous = first;
        }
    }

    void noKey_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("part");
        QTest::newRow("size: no number") << Kind::Size << u"MB"_s;
        QTest::newRow("general: nan") << Kind::General << u"nan"_s;
        QTest::newRow("general: signs only") << Kind::General << u"+-1"_s;
        QTest::newRow("address: part too large") << Kind::Address << u"10.0.0.256"_s;
        QTest::newRow("address: three parts") << Kind::Address << u"1.2.3"_s;
        QTest::newRow("address: five parts") << Kind::Address << u"1.2.3.4.5"_s;
        QTest::newRow("address: leading zero") << Kind::Address << u"10.01.0.1"_s;
        QTest::newRow("address: two compressions") << Kind::Address << u"1::2::3"_s;
        QTest::newRow("address: group too long") << Kind::Address << u"::12345"_s;
        QTest::newRow("address: IPv4 prefix too long") << Kind::Address << u"1.2.3.4/33"_s;
        QTest::newRow("address: later in the part") << Kind::Address << u"host 1.2.3.4"_s;
    }

    void noKey()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, part);
        QVERIFY(!keyOf(kind, part));
    }

    void sizesByValue()
    {
        static const QStringList units = {u""_s,    u"B"_s,   u"K"_s,  u"KiB"_s, u"kB"_s,
                                          u"M"_s,   u"MiB"_s, u"MB"_s, u"G"_s,   u"GB"_s,
                                          u"TiB"_s, u"PB"_s,  u"E"_s,  u"EiB"_s, u"EB"_s};
        QRandomGenerator random(20);
        for (const QChar decimal : {QChar(u'.'), QChar(u',')}) {
            QList<Written> values;
            for (int n = 0; n < 500; ++n) {
                const quint64 digits =
                    random.bounded(2) ? random.bounded(2000) : random.bounded(10000000);
                const int fraction = random.bounded(4);
                const QString unit = units[random.bounded(units.size())];
                const bool negative = random.bounded(5) == 0;
                Written value{(negative ? u"-"_s : QString()) +
                              digitsWithPoint(digits, fraction, decimal, random) +
                              QString(random.bounded(3), u' ') + randomCase(unit, random) +
                              (random.bounded(2) ? u" files"_s : QString())};
                const int power =
                    unit.isEmpty() ? 0 : QStringView(u"BKMGTPE").indexOf(unit[0].toUpper());
                Wide scale = 1;
                for (int k = 0; k < power; ++k)
                    scale *= unit.endsWith(u"iB") || unit.size() == 1 ? 1024 : 1000;
                value.value = (negative ? -1 : 1) * Wide(digits) * scale;
                value.exponent = -fraction;
                values.append(value);
            }
            checkWritten(Kind::Size, values, decimal);
        }
    }

    void generalNumbersByValue()
    {
        QRandomGenerator random(21);
        for (const QChar decimal : {QChar(u'.'), QChar(u',')}) {
            QList<Written> values;
            for (int n = 0; n < 600; ++n) {
                Written value;
                const quint64 digits =
                    random.bounded(3) ? random.bounded(3000) : random.bounded(1000000000);
                value.exponent = random.bounded(25) - 12;
                const bool negative = random.bounded(3) == 0;
                value.value = (negative ? -1 : 1) * Wide(digits);
                const QString sign = negative ? u"-"_s : random.bounded(4) ? QString() : u"+"_s;
                const int notation = random.bounded(20);
                if (notation == 0) {
                    value.infinity = negative ? -1 : 1;
                    value.text =
                        sign + randomCase(random.bounded(2) ? u"inf"_s : u"infinity"_s, random);
                } else if (notation < 4 && value.exponent >= 0 && value.exponent <= 9) {
                    quint64 whole = digits;
                    for (int e = 0; e < value.exponent; ++e)
                        whole *= 10;
                    value.text = sign + u"0x"_s + randomCase(QString::number(whole, 16), random);
                } else if (notation < 12 || value.exponent < 0) {
                    const int shift = notation < 12 ? random.bounded(4) : -value.exponent;
                    value.text = sign + digitsWithPoint(digits, shift, decimal, random);
                    if (value.exponent + shift != 0 || random.bounded(2))
                        value.text += (random.bounded(2) ? u"e"_s : u"E"_s) +
                                      QString::number(value.exponent + shift);
                } else {
                    QString whole = QString::number(digits) + QString(value.exponent, u'0');
                    const bool grouped = random.bounded(2);
                    for (qsizetype at = whole.size() - 3; at > 0 && grouped; at -= 3)
                        whole.insert(at, decimal == u'.' ? u',' : u'.');
                    const int zeros = random.bounded(3);
                    value.text =
                        sign + whole + (zeros ? decimal + QString(zeros, u'0') : QString());
                }
                value.text = QString(random.bounded(2), u' ') + value.text +
                             (random.bounded(2) ? u" kg"_s : QString());
                values.append(value);
            }
            checkWritten(Kind::General, values, decimal);
        }
    }

    void versionsByRules()
    {
        static const QStringList alphabet = {u"0"_s, u"1"_s, u"9"_s, u"a"_s, u"b"_s, u"Z"_s,
                                             u"~"_s, u"."_s, u"-"_s, u"_"_s, u"é"_s};
        QRandomGenerator random(22);
        QStringList parts = {u"foo.tar.gz"_s, u"foo.tar"_s, u"1.0~rc1"_s, u"1.0"_s, u"a.~1"_s};
        while (parts.size() < 700) {
            QString part;
            for (int n = random.bounded(9); n > 0; --n)
                part += alphabet[random.bounded(alphabet.size())];
            parts.append(part);
        }
        checkPairs(Kind::Version, parts, u'.', [&](qsizetype i, qsizetype j) {
            return referenceVersionCompare(parts[i].toUtf8(), parts[j].toUtf8());
        });
    }

    // The reference order of an address: its family, its bits by inet_pton,
    // then 1 + its prefix if it has one.
    void addressesByBits()
    {
        QRandomGenerator random(23);
        QStringList texts;
        QList<QByteArray> orders;
        const auto byte = [&] {
            return random.bounded(4) ? random.bounded(3) : random.bounded(256);
        };
        for (int n = 0; n < 600; ++n) {
            int family = AF_INET6;
            QString text;
            if (random.bounded(2)) {
                family = AF_INET;
                text = u"%1.%2.%3.%4"_s.arg(byte()).arg(byte()).arg(byte()).arg(byte());
            } else if (random.bounded(2)) {
                for (int k = 0; k < 8; ++k) // every group, with leading zeros
                    text += (k ? u":"_s : QString()) + QString::number(byte() * 256 + byte(), 16)
                                                           .rightJustified(random.bounded(5), u'0');
            } else {
                std::array<uchar, 16> bits;
                for (uchar &b : bits)
                    b = uchar(byte());
                char written[INET6_ADDRSTRLEN];
                text =
                    QString::fromLatin1(inet_ntop(AF_INET6, bits.data(), written, sizeof written));
            }
            text = randomCase(text, random);
            QByteArray order(family == AF_INET ? 5 : 17, family == AF_INET ? '4' : '6');
            QCOMPARE(inet_pton(family, text.toLatin1().constData(), order.data() + 1), 1);
            if (random.bounded(2)) {
                const int prefix = random.bounded(family == AF_INET ? 33 : 129);
                text += u"/"_s + QString::number(prefix);
                order += char(1 + prefix);
            }
            texts.append(text + (random.bounded(2) ? u" host"_s : QString()));
            orders.append(order);
        }
        checkPairs(Kind::Address, texts, u'.', [&](qsizetype i, qsizetype j) {
            return orders[i] < orders[j] ? -1 : orders[j] < orders[i] ? 1 : 0;
        });
    }
};

QTEST_GUILESS_MAIN(tst_ValueKeys)
#include "tst_valuekeys.moc"
