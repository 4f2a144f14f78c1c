#include "sort/ValueKeys.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

#include <arpa/inet.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
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
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end())   ? -1
           : std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end()) ? 1
                                                                                  : 0;
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

// Checks every pair of values by their keys against their written order.
void checkPairs(Kind kind, const QList<Written> &values, QChar decimal)
{
    QList<std::vector<uchar>> keys;
    for (const Written &value : values) {
        const Key key = keyOf(kind, value.text, decimal);
        QVERIFY2(key && !key->empty(), qPrintable(value.text));
        keys.append(*key);
    }
    for (qsizetype i = 0; i < values.size(); ++i)
        for (qsizetype j = 0; j < values.size(); ++j)
            if (compareKeys(keys[i], keys[j]) != compareWritten(values[i], values[j]))
                QFAIL(qPrintable(values[i].text + u" vs "_s + values[j].text));
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
int characterWeight(char c)
{
    const uchar u = uchar(c);
    return u == '~' ? -1 : std::isalpha(u) && u < 0x80 ? u : u + 256;
}

int compareVersionRuns(QByteArrayView a, QByteArrayView b)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    while (!a.isEmpty() || !b.isEmpty()) {
        qsizetype x = 0, y = 0;
        while (x < a.size() && !isDigit(a[x]))
            ++x;
        while (y < b.size() && !isDigit(b[y]))
            ++y;
        for (qsizetype k = 0; k < std::max(x, y); ++k) {
            const int cx = k < x ? characterWeight(a[k]) : 0;
            const int cy = k < y ? characterWeight(b[k]) : 0;
            if (cx != cy)
                return sign(cx - cy);
        }
        a = a.sliced(x);
        b = b.sliced(y);
        for (x = 0; x < a.size() && isDigit(a[x]);)
            ++x;
        for (y = 0; y < b.size() && isDigit(b[y]);)
            ++y;
        QByteArray dx = a.first(x).toByteArray(), dy = b.first(y).toByteArray();
        while (dx.startsWith('0'))
            dx.remove(0, 1);
        while (dy.startsWith('0'))
            dy.remove(0, 1);
        if (dx.size() != dy.size())
            return sign(dx.size() - dy.size());
        if (dx != dy)
            return dx < dy ? -1 : 1;
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

// An address's order: IPv4 before IPv6, then the bits, then the prefix.
struct Address
{
    QString text;
    int family = AF_INET;
    std::array<uchar, 16> bits{};
    int prefix = -1;
};

int compareAddresses(const Address &a, const Address &b)
{
    if (a.family != b.family)
        return a.family == AF_INET ? -1 : 1;
    const int byBits = std::memcmp(a.bits.data(), b.bits.data(), a.family == AF_INET ? 4 : 16);
    return byBits ? sign(byBits) : sign(a.prefix - b.prefix);
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class tst_ValueKeys final : public QObject
{
    Q_OBJECT

private slots:
    void examples_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("order");
        const auto row = [](const char *name, Kind kind, const QString &a, const QString &b,
                            int order) { QTest::newRow(name) << kind << a << b << order; };
        row("size: 1023K before 1M", Kind::Size, u"1023K"_s, u"1M"_s, -1);
        row("size: 1M before 1.5M", Kind::Size, u"1M"_s, u"1.5M"_s, -1);
        row("size: 1.5M before 2M", Kind::Size, u"1.5M"_s, u"2M"_s, -1);
        row("size: 1.5 GB before 1.4 GiB", Kind::Size, u"1.5 GB"_s, u"1.4 GiB"_s, -1);
        row("size: 1K is 1024", Kind::Size, u"1K"_s, u"1024"_s, 0);
        row("size: 1024 is 1024B", Kind::Size, u"1024"_s, u"1024B"_s, 0);
        row("size: kB and KB are 1000", Kind::Size, u"1 kB"_s, u"1KB files"_s, 0);
        row("size: units in any case", Kind::Size, u"2kib"_s, u"2048"_s, 0);
        row("size: 1.5E is exact", Kind::Size, u"1.5E"_s, u"1729382256910270464"_s, 0);
        row("size: a tiny fraction of a TB", Kind::Size, u"0.000000001TB"_s, u"1000B"_s, 0);
        row("size: negative", Kind::Size, u"-1K"_s, u"-1000"_s, -1);
        row("general: 1e3 is 1000", Kind::General, u"1e3"_s, u"1000"_s, 0);
        row("general: 1,000 is 1000", Kind::General, u"1,000"_s, u"1000"_s, 0);
        row("general: 0x3E8 is 1000", Kind::General, u"0x3E8"_s, u"1000.000"_s, 0);
        row("general: -0 is 0", Kind::General, u"-0"_s, u"0e99"_s, 0);
        row("general: -inf before negatives", Kind::General, u"-inf"_s, u"-1e999999"_s, -1);
        row("general: inf after positives", Kind::General, u"1e999999"_s, u"Infinity"_s, -1);
        row("general: +INF is inf", Kind::General, u"+INF"_s, u"inf"_s, 0);
        row("general: groups only of three", Kind::General, u"1,0000"_s, u"1"_s, 0);
        row("general: groups and a fraction", Kind::General, u"1,000.5"_s, u"1000.5"_s, 0);
        row("general: exponent without digits", Kind::General, u"2e"_s, u"2"_s, 0);
        row("general: huge exponents by value", Kind::General, u"1e99999999999999999999"_s,
            u"1e100000000000000000000"_s, -1);
        row("general: huge exponent, shifted point", Kind::General, u"0.01e100000000000000000002"_s,
            u"1e100000000000000000000"_s, 0);
        row("general: tiny exponents by value", Kind::General, u"-1e-99999999999999999999"_s,
            u"1e-99999999999999999999"_s, -1);
        row("general: long hexadecimal", Kind::General, u"0x10000000000000000"_s,
            u"18446744073709551616"_s, 0);
        row("general: longer negative first", Kind::General, u"-1.25"_s, u"-1.2"_s, -1);
        row("version: rc before release", Kind::Version, u"1.0~rc1"_s, u"1.0"_s, -1);
        row("version: suffix cut", Kind::Version, u"hello-8.txt"_s, u"hello-8.2.txt"_s, -1);
        row("version: tar.gz suffix", Kind::Version, u"foo-1.tar.gz"_s, u"foo-1.2.tar.gz"_s, -1);
        row("version: tilde suffix", Kind::Version, u"a.~1"_s, u"a"_s, 1);
        row("version: dots first", Kind::Version, u".."_s, u".d3"_s, -1);
        row("version: hidden by number", Kind::Version, u".d3"_s, u".d20"_s, -1);
        row("version: letters before dots", Kind::Version, u"foo07.7z"_s, u"foo7a.7z"_s, 1);
        row("version: empty first", Kind::Version, QString(), u"."_s, -1);
        row("address: IPv4 before IPv6", Kind::Address, u"255.255.255.255"_s, u"::"_s, -1);
        row("address: by bits", Kind::Address, u"10.0.0.9"_s, u"10.0.0.10 host"_s, -1);
        row("address: without prefix first", Kind::Address, u"10.0.0.1"_s, u"10.0.0.1/0"_s, -1);
        row("address: IPv6 forms", Kind::Address, u"::FFFF:1.2.3.4"_s, u"0:0::ffff:102:304"_s, 0);
        row("address: sentence end", Kind::Address, u"fe80::1."_s, u"fe80::1%eth0"_s, 0);
    }

    void examples()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, order);
        const Key a = keyOf(kind, first), b = keyOf(kind, second);
        QVERIFY(a && b);
        QCOMPARE(compareKeys(*a, *b), order);
        QCOMPARE(compareKeys(*b, *a), -order);
    }

    void noKey_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("part");
        QTest::newRow("size: no number") << Kind::Size << u"MB"_s;
        QTest::newRow("size: a lone point") << Kind::Size << u". K"_s;
        QTest::newRow("general: nan") << Kind::General << u"nan"_s;
        QTest::newRow("general: a word") << Kind::General << u"x1"_s;
        QTest::newRow("general: signs only") << Kind::General << u"+-1"_s;
        QTest::newRow("address: part too large") << Kind::Address << u"10.0.0.256"_s;
        QTest::newRow("address: three parts") << Kind::Address << u"1.2.3"_s;
        QTest::newRow("address: five parts") << Kind::Address << u"1.2.3.4.5"_s;
        QTest::newRow("address: leading zero") << Kind::Address << u"10.01.0.1"_s;
        QTest::newRow("address: two compressions") << Kind::Address << u"1::2::3"_s;
        QTest::newRow("address: group too long") << Kind::Address << u"::12345"_s;
        QTest::newRow("address: IPv4 prefix too long") << Kind::Address << u"1.2.3.4/33"_s;
        QTest::newRow("address: IPv6 prefix too long") << Kind::Address << u"::1/129"_s;
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
            checkPairs(Kind::Size, values, decimal);
        }
    }

    void generalNumbersByValue()
    {
        QRandomGenerator random(21);
        for (const QChar decimal : {QChar(u'.'), QChar(u',')}) {
            const QChar separator = decimal == u'.' ? u',' : u'.';
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
                const int shift = random.bounded(4);
                if (notation == 0) {
                    value.infinity = negative ? -1 : 1;
                    value.text =
                        sign + randomCase(random.bounded(2) ? u"inf"_s : u"infinity"_s, random);
                } else if (notation < 4 && value.exponent >= 0 && value.exponent <= 9) {
                    quint64 whole = digits;
                    for (int e = 0; e < value.exponent; ++e)
                        whole *= 10;
                    value.text = sign + u"0x"_s + randomCase(QString::number(whole, 16), random);
                } else if (notation < 12) {
                    value.text = sign + digitsWithPoint(digits, shift, decimal, random) +
                                 (random.bounded(2) ? u"e"_s : u"E"_s) +
                                 QString::number(value.exponent + shift);
                } else if (value.exponent >= 0) {
                    QString whole = QString::number(digits) + QString(value.exponent, u'0');
                    const bool grouped = random.bounded(2);
                    for (qsizetype at = whole.size() - 3; at > 0 && grouped; at -= 3)
                        whole.insert(at, separator);
                    value.text =
                        sign + whole + (shift ? decimal + QString(shift, u'0') : QString());
                } else {
                    value.text = sign + digitsWithPoint(digits, -value.exponent, decimal, random);
                }
                value.text = QString(random.bounded(2), u' ') + value.text +
                             (random.bounded(2) ? u" kg"_s : QString());
                values.append(value);
            }
            checkPairs(Kind::General, values, decimal);
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
        QList<std::vector<uchar>> keys;
        for (const QString &part : parts)
            keys.append(keyOf(Kind::Version, part).value());
        for (qsizetype i = 0; i < parts.size(); ++i)
            for (qsizetype j = 0; j < parts.size(); ++j)
                if (compareKeys(keys[i], keys[j]) !=
                    referenceVersionCompare(parts[i].toUtf8(), parts[j].toUtf8()))
                    QFAIL(qPrintable(parts[i] + u" vs "_s + parts[j]));
    }

    void addressesByBits()
    {
        QRandomGenerator random(23);
        QList<Address> addresses;
        for (int n = 0; n < 600; ++n) {
            Address address;
            const auto byte = [&] {
                return uchar(random.bounded(4) ? random.bounded(3) : random.bounded(256));
            };
            if (random.bounded(2)) {
                for (int k = 0; k < 4; ++k)
                    address.text +=
                        (k ? u"."_s : QString()) + QString::number(address.bits[k] = byte());
            } else {
                address.family = AF_INET6;
                for (uchar &b : address.bits)
                    b = byte();
                char text[INET6_ADDRSTRLEN];
                inet_ntop(AF_INET6, address.bits.data(), text, sizeof text);
                address.text = QString::fromLatin1(text);
                if (random.bounded(2)) { // every group, with leading zeros
                    address.text.clear();
                    for (int k = 0; k < 8; ++k)
                        address.text +=
                            (k ? u":"_s : QString()) +
                            QString::number(address.bits[2 * k] * 256 + address.bits[2 * k + 1], 16)
                                .rightJustified(random.bounded(5), u'0');
                }
                address.text = randomCase(address.text, random);
                std::array<uchar, 16> read{};
                QVERIFY(inet_pton(AF_INET6, address.text.toLatin1().constData(), read.data()) == 1);
                QCOMPARE(read, address.bits);
            }
            if (random.bounded(2))
                address.text += u"/"_s + QString::number(address.prefix = random.bounded(
                                                             address.family == AF_INET ? 33 : 129));
            address.text += random.bounded(2) ? u" host"_s : QString();
            addresses.append(address);
        }
        QList<std::vector<uchar>> keys;
        for (const Address &address : addresses) {
            const Key key = keyOf(Kind::Address, address.text);
            QVERIFY2(key, qPrintable(address.text));
            keys.append(*key);
        }
        for (qsizetype i = 0; i < addresses.size(); ++i)
            for (qsizetype j = 0; j < addresses.size(); ++j)
                if (compareKeys(keys[i], keys[j]) != compareAddresses(addresses[i], addresses[j]))
                    QFAIL(qPrintable(addresses[i].text + u" vs "_s + addresses[j].text));
    }
};

QTEST_GUILESS_MAIN(tst_ValueKeys)
#include "tst_valuekeys.moc"
