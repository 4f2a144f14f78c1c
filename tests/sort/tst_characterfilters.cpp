#include "sort/CharacterFilters.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_CharacterFilters : public QObject
{
    Q_OBJECT

private slots:
    void filters_data();
    void filters();
    void sieveCharacters_data();
    void sieveCharacters();
    void filtersAgreeWithTheirSets_data();
    void filtersAgreeWithTheirSets();
};

void tst_CharacterFilters::filters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lettersAndDigits");
    QTest::addColumn<QString>("withoutLetters");
    QTest::addColumn<QString>("withoutDigits");
    QTest::addColumn<QString>("withoutLettersAndDigits");

    QTest::newRow("mixed") << u"Ab-1 2!"_s << u"Ab12"_s << u"-1 2!"_s << u"Ab- !"_s << u"- !"_s;
    QTest::newRow("room") << u"Room 101, floor 3"_s << u"Room101floor3"_s << u" 101,  3"_s
                          << u"Room , floor "_s << u" ,  "_s;
    QTest::newRow("item") << u"Item #42 (new)"_s << u"Item42new"_s << u" #42 ()"_s
                          << u"Item # (new)"_s << u" # ()"_s;
    QTest::newRow("non-ASCII letters") << u"\u00DCr\u00FCn 7"_s << u"rn7"_s << u"\u00DC\u00FC 7"_s
                                       << u"\u00DCr\u00FCn "_s << u"\u00DC\u00FC "_s;
    QTest::newRow("case kept") << u"aBc"_s << u"aBc"_s << QString() << u"aBc"_s << QString();
    QTest::newRow("empty") << QString() << QString() << QString() << QString() << QString();
    QTest::newRow("nothing passes") << u"---"_s << QString() << u"---"_s << u"---"_s << u"---"_s;
    QTest::newRow("tabs, fullwidth and surrogates")
        << u"\ta\uFF21\U0001F6009"_s << u"a9"_s << u"\t\uFF21\U0001F6009"_s
        << u"\ta\uFF21\U0001F600"_s << u"\t\uFF21\U0001F600"_s;
    QTest::newRow("ASCII neighbours of the sets")
        << u"/0:@A[`az{"_s << u"0Aaz"_s << u"/0:@[`{"_s << u"/:@A[`az{"_s << u"/:@[`{"_s;
}

void tst_CharacterFilters::filters()
{
    QFETCH(QString, text);
    QFETCH(QString, lettersAndDigits);
    QFETCH(QString, withoutLetters);
    QFETCH(QString, withoutDigits);
    QFETCH(QString, withoutLettersAndDigits);

    QCOMPARE(keepLettersAndDigits(text), lettersAndDigits);
    QCOMPARE(removeLetters(text), withoutLetters);
    QCOMPARE(removeDigits(text), withoutDigits);
    QCOMPARE(removeLettersAndDigits(text), withoutLettersAndDigits);
}

void tst_CharacterFilters::sieveCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("set");
    QTest::addColumn<bool>("keepListed");
    QTest::addColumn<QString>("result");

    QTest::newRow("keep listed") << u"a-b-c"_s << u"-c"_s << true << u"--c"_s;
    QTest::newRow("drop listed") << u"a-b-c"_s << u"-c"_s << false << u"ab"_s;
    QTest::newRow("empty set keeps nothing") << u"abc"_s << QString() << true << QString();
    QTest::newRow("empty set drops nothing") << u"abc"_s << QString() << false << u"abc"_s;
    QTest::newRow("case-sensitive") << u"aAaA"_s << u"a"_s << true << u"aa"_s;
    QTest::newRow("units on their own")
        << u"\U0001F600x"_s << u"\U0001F601"_s << true << u"\xD83D"_s;
}

void tst_CharacterFilters::sieveCharacters()
{
    QFETCH(QString, text);
    QFETCH(QString, set);
    QFETCH(bool, keepListed);
    QFETCH(QString, result);

    const QString before = text;
    QCOMPARE(::sieveCharacters(text, set, keepListed), result);
    QCOMPARE(text, before);
}

void tst_CharacterFilters::filtersAgreeWithTheirSets_data()
{
    QTest::addColumn<int>("seed");
    for (int seed = 1; seed <= 5; ++seed)
        QTest::addRow("seed %d", seed) << seed;
}

// Every code unit below 0x200 and a few beyond, through each named filter
// and through sieveCharacters() with the set written out.
void tst_CharacterFilters::filtersAgreeWithTheirSets()
{
    QFETCH(int, seed);
    QRandomGenerator random(seed);
    const QString letters = QString::fromUtf16(CharacterSets::Letters);
    const QString digits = QString::fromUtf16(CharacterSets::Digits);
    const QString both = QString::fromUtf16(CharacterSets::LettersAndDigits);
    QCOMPARE(letters.size(), 52);
    QCOMPARE(digits.size(), 10);
    QCOMPARE(both, letters + digits);

    QString text;
    for (int i = 0; i < 4000; ++i) {
        const char16_t unit = random.bounded(10) == 0 ? char16_t(random.bounded(0x10000))
                                                      : char16_t(random.bounded(0x200));
        text.append(QChar(unit));
    }
    QCOMPARE(keepLettersAndDigits(text), ::sieveCharacters(text, both, true));
    QCOMPARE(removeLetters(text), ::sieveCharacters(text, letters, false));
    QCOMPARE(removeDigits(text), ::sieveCharacters(text, digits, false));
    QCOMPARE(removeLettersAndDigits(text), ::sieveCharacters(text, both, false));
}

QTEST_GUILESS_MAIN(tst_CharacterFilters)
#include "tst_characterfilters.moc"
