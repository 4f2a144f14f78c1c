#include "core/Utf8Text.h"

#include <QTest>

#include <vector>

using namespace Qt::StringLiterals;

// Texts of units against their UTF-8, lone surrogates as their three bytes.
class tst_Utf8Text : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
};

void tst_Utf8Text::roundTrip_data()
{
    QTest::addColumn<QString>("units");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("exported"); // lone surrogates as U+FFFD

    const auto unit = [](char16_t u) { return QString(QChar(u)); };
    QTest::newRow("ASCII and NUL") << u"a\u0000b"_s << "a\0b"_ba
                                   << "a\0b"_ba;
    QTest::newRow("the edges of two and three bytes")
        << u"\u007F\u0080\u07FF\u0800\uFFFF"_s << "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"_ba
        << "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF"_ba;
    QTest::newRow("a pair is four bytes")
        << u"\U00010000\U0010FFFF"_s << "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"_ba
        << "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"_ba;
    QTest::newRow("a lone high surrogate at the end") << u"x"_s + unit(0xD800) << "x\xED\xA0\x80"_ba
                                                      << "x\xEF\xBF\xBD"_ba;
    QTest::newRow("a lone low surrogate at the start")
        << unit(0xDFFF) + u"x"_s << "\xED\xBF\xBFx"_ba
        << "\xEF\xBF\xBDx"_ba;
    QTest::newRow("low before high is two lone ones")
        << unit(0xDC00) + unit(0xD800) << "\xED\xB0\x80\xED\xA0\x80"_ba
        << "\xEF\xBF\xBD\xEF\xBF\xBD"_ba;
    QTest::newRow("a high surrogate before a pair")
        << unit(0xD800) + u"\U0001F600"_s << "\xED\xA0\x80\xF0\x9F\x98\x80"_ba
        << "\xEF\xBF\xBD\xF0\x9F\x98\x80"_ba;
    // Rows of 16 bytes or more are copied in blocks of 16, the last block
    // overlapping the one before.
    const QString fifteen(15, u'a');
    QTest::newRow("a lone surrogate that only the last block holds")
        << fifteen + unit(0xDBFF) << "aaaaaaaaaaaaaaa\xED\xAF\xBF"_ba
        << "aaaaaaaaaaaaaaa\xEF\xBF\xBD"_ba;
    QTest::newRow("a lone surrogate in the second block")
        << fifteen + u"b"_s + fifteen + unit(0xDC00) + u"c"_s
        << "aaaaaaaaaaaaaaab" "aaaaaaaaaaaaaaa\xED\xB0\x80" "c"_ba
        << "aaaaaaaaaaaaaaab" "aaaaaaaaaaaaaaa\xEF\xBF\xBD" "c"_ba;
    QTest::newRow("long rows without surrogates") << fifteen + fifteen + u"\uD7FF"_s
                                                  << "aaaaaaaaaaaaaaa" "aaaaaaaaaaaaaaa\xED\x9F\xBF"_ba
                                                  << "aaaaaaaaaaaaaaa" "aaaaaaaaaaaaaaa\xED\x9F\xBF"_ba;
    QTest::newRow("U+D7FF is no surrogate") << u"\uD7FF"_s << "\xED\x9F\xBF"_ba
                                            << "\xED\x9F\xBF"_ba;
}

void tst_Utf8Text::roundTrip()
{
    QFETCH(QString, units);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, exported);

    const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
    QCOMPARE(Utf8::fromUtf16(units), bytes);
    QCOMPARE(Utf8::utf16Size(view), units.size());
    QCOMPARE(Utf8::toUtf16(view), units);
    std::vector<char16_t> written(std::size_t(bytes.size()));
    const char16_t *end = Utf8::writeUnits(view, written.data());
    QCOMPARE(QStringView(written.data(), end - written.data()), units);
    QCOMPARE(Utf8::holdsSurrogate(view), exported != bytes);
    QByteArray copy(bytes.size(), Qt::Uninitialized);
    QCOMPARE(Utf8::copyReplacingSurrogates(view, copy.data()) - copy.data(), bytes.size());
    QCOMPARE(copy, exported);
}

QTEST_APPLESS_MAIN(tst_Utf8Text)
#include "tst_utf8text.moc"
