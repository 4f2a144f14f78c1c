#include "sort/Failure.h"
#include "sort/SortOptions.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using Routine = SortOption::Routine;
using Input = SortOption::Input;

class tst_SortOptions : public QObject
{
    Q_OBJECT

private slots:
    void optionList_data();
    void optionList();
    void runSortRoutine_data();
    void runSortRoutine();
    void parseNumber_data();
    void parseNumber();
    void roundToInt32_data();
    void roundToInt32();
    void fileNameFromPath_data();
    void fileNameFromPath();
};

void tst_SortOptions::optionList_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Routine>("routine");
    QTest::addColumn<Input>("input");
    QTest::addColumn<QString>("prompt");

    const auto row = [](int index, const QString &caption, Routine routine,
                        Input input = Input::None, const QString &prompt = QString()) {
        QTest::addRow("row %d", index) << index << caption << routine << input << prompt;
    };
    row(0, u"Sort Content Alphabetically"_s, Routine::Alphabetically);
    row(1, u"Sort Content Alphabetically By Second Character Position"_s, Routine::SecondCharacter);
    row(2, u"Sort Content Alphabetically By Third Character Position"_s, Routine::ThirdCharacter);
    row(3, u"Sort Content Alphabetically By x Character Position"_s, Routine::CharacterPosition,
        Input::Number, u"Enter character position:"_s);
    row(4, u"-"_s, Routine::None);
    row(5, u"Sort Content Alphabetically By Second Word Position"_s, Routine::SecondWord);
    row(6, u"Sort Content Alphabetically By Third Word Position"_s, Routine::ThirdWord);
    row(7, u"Sort Content Alphabetically By x Word Position"_s, Routine::WordNumber, Input::Number,
        u"Enter word number x:"_s);
    row(8, u"-"_s, Routine::None);
    row(9, u"Sort Content Alphabetically After User-specified Character(s)"_s,
        Routine::AfterCharacters, Input::Text, u"Enter character(s):"_s);
    row(10, u"-"_s, Routine::None);
    row(11, u"Sort Content By Only Alpha Characters, Ignore Rest"_s, Routine::AlphaOnly);
    row(12, u"Sort Content By Only Numeric Characters, Ignore Rest"_s, Routine::NumericOnly);
    row(13, u"Sort Content By Only Alphanumeric Characters, Ignore Rest"_s,
        Routine::AlphanumericOnly);
    row(14, u"Sort Content By Only Non-alphanumeric Characters, Ignore Rest"_s,
        Routine::NonAlphanumericOnly);
    row(15, u"-"_s, Routine::None);
    row(16, u"Sort Content By Character Length"_s, Routine::Length);
}

void tst_SortOptions::optionList()
{
    QFETCH(int, row);
    QFETCH(QString, caption);
    QFETCH(Routine, routine);
    QFETCH(Input, input);
    QFETCH(QString, prompt);

    QCOMPARE(SortOptionList().size(), std::size_t(17));
    const SortOption &option = SortOptionList()[row];
    QCOMPARE(option.caption, caption);
    QCOMPARE(option.routine, routine);
    QCOMPARE(option.input, input);
    QCOMPARE(option.prompt, prompt);
}

void tst_SortOptions::runSortRoutine_data()
{
    QTest::addColumn<Routine>("routine");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    // One small set of lines for every routine; the named routine is checked
    // on more lines below.
    QTest::newRow("separator") << Routine::None << 0 << QString()
                               << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("alphabetically") << Routine::Alphabetically << 0 << QString()
                                    << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("second character") << Routine::SecondCharacter << 0 << QString()
                                      << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("third character") << Routine::ThirdCharacter << 0 << QString()
                                     << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("character 4") << Routine::CharacterPosition << 4 << QString()
                                 << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("second word") << Routine::SecondWord << 0 << QString()
                                 << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("third word") << Routine::ThirdWord << 0 << QString()
                                << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("word 2") << Routine::WordNumber << 2 << QString()
                            << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("after =") << Routine::AfterCharacters << 0 << u"="_s
                             << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("alpha only") << Routine::AlphaOnly << 0 << QString()
                                << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("numeric only") << Routine::NumericOnly << 0 << QString()
                                  << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("alphanumeric only") << Routine::AlphanumericOnly << 0 << QString()
                                       << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("non-alphanumeric only") << Routine::NonAlphanumericOnly << 0 << QString()
                                           << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("length") << Routine::Length << 0 << QString()
                            << QStringList{u"b1 zz"_s, u"c3= b"_s, u"a22 y x"_s};
}

void tst_SortOptions::runSortRoutine()
{
    QFETCH(Routine, routine);
    QFETCH(qint32, number);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    LineArray lines{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QCOMPARE(&RunSortRoutine(routine, lines, number, text, nullptr), &lines);
    QCOMPARE(lines, expected);

    // The option runs its own routine, not one that happens to agree above.
    LineArray many;
    QRandomGenerator random(3);
    const QString alphabet = u"aZ9 =-x"_s;
    for (int i = 0; i < 300; ++i) {
        QString line;
        for (int k = random.bounded(9); k > 0; --k)
            line += alphabet[random.bounded(int(alphabet.size()))];
        many << line;
    }
    LineArray direct = many;
    switch (routine) {
    case Routine::None:
        break;
    case Routine::Alphabetically:
        SortAlphabetically(direct, nullptr);
        break;
    case Routine::SecondCharacter:
        SortBySecondCharacter(direct, nullptr);
        break;
    case Routine::ThirdCharacter:
        SortByThirdCharacter(direct, nullptr);
        break;
    case Routine::CharacterPosition:
        SortByCharacterPosition(direct, number, nullptr);
        break;
    case Routine::SecondWord:
        SortBySecondWord(direct, nullptr);
        break;
    case Routine::ThirdWord:
        SortByThirdWord(direct, nullptr);
        break;
    case Routine::WordNumber:
        SortByWordNumber(direct, number, nullptr);
        break;
    case Routine::AfterCharacters:
        SortAfterCharacters(direct, text, nullptr);
        break;
    case Routine::AlphaOnly:
        SortByAlphaOnly(direct, nullptr);
        break;
    case Routine::NumericOnly:
        SortByNumericOnly(direct, nullptr);
        break;
    case Routine::AlphanumericOnly:
        SortByAlphanumericOnly(direct, nullptr);
        break;
    case Routine::NonAlphanumericOnly:
        SortByNonAlphanumericOnly(direct, nullptr);
        break;
    case Routine::Length:
        SortByLength(direct, nullptr);
        break;
    }
    RunSortRoutine(routine, many, number, text, nullptr);
    QCOMPARE(many, direct);
}

void tst_SortOptions::parseNumber_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");

    QTest::newRow("whole") << u"3"_s << true << 3.0;
    QTest::newRow("half") << u"2.5"_s << true << 2.5;
    QTest::newRow("blanks and sign") << u" -7 "_s << true << -7.0;
    QTest::newRow("tab and plus") << u"\t+12\t"_s << true << 12.0;
    QTest::newRow("exponent") << u"1e3"_s << true << 1000.0;
    QTest::newRow("negative exponent") << u"25E-1"_s << true << 2.5;
    QTest::newRow("leading point") << u".5"_s << true << 0.5;
    QTest::newRow("trailing point") << u"4."_s << true << 4.0;
    QTest::newRow("huge") << u"1e400"_s << true << qInf();
    QTest::newRow("tiny") << u"1e-400"_s << true << 0.0;
    QTest::newRow("letters") << u"abc"_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blanks only") << u"   "_s << false << 0.0;
    QTest::newRow("point only") << u"."_s << false << 0.0;
    QTest::newRow("sign only") << u"-"_s << false << 0.0;
    QTest::newRow("comma") << u"2,5"_s << false << 0.0;
    QTest::newRow("inner blank") << u"1 2"_s << false << 0.0;
    QTest::newRow("exponent without digits") << u"1e"_s << false << 0.0;
    QTest::newRow("trailing letters") << u"12abc"_s << false << 0.0;
    QTest::newRow("hexadecimal") << u"0x10"_s << false << 0.0;
    QTest::newRow("infinity word") << u"inf"_s << false << 0.0;
    QTest::newRow("fullwidth digit") << u"\uFF11"_s << false << 0.0;
}

void tst_SortOptions::parseNumber()
{
    QFETCH(QString, answer);
    QFETCH(bool, isNumber);
    QFETCH(double, value);

    const std::optional<double> number = ParseNumber(answer);
    QCOMPARE(number.has_value(), isNumber);
    if (number)
        QCOMPARE(*number, value);
}

void tst_SortOptions::roundToInt32_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<bool>("overflows");
    QTest::addColumn<qint32>("result");

    QTest::newRow("2.5 to even 2") << u"2.5"_s << false << 2;
    QTest::newRow("3.5 to even 4") << u"3.5"_s << false << 4;
    QTest::newRow("-2.5 to even -2") << u"-2.5"_s << false << -2;
    QTest::newRow("2.51 up") << u"2.51"_s << false << 3;
    QTest::newRow("-7") << u" -7 "_s << false << -7;
    QTest::newRow("1e3") << u"1e3"_s << false << 1000;
    QTest::newRow("largest, rounded down") << u"2147483647.4"_s << false << 2147483647;
    QTest::newRow("past the largest") << u"2147483647.5"_s << true << 0;
    QTest::newRow("2147483648") << u"2147483648"_s << true << 0;
    QTest::newRow("smallest") << u"-2147483648"_s << false << std::numeric_limits<qint32>::min();
    QTest::newRow("smallest half to even")
        << u"-2147483648.5"_s << false << std::numeric_limits<qint32>::min();
    QTest::newRow("below the smallest") << u"-2147483649"_s << true << 0;
    QTest::newRow("huge") << u"1e400"_s << true << 0;
}

void tst_SortOptions::roundToInt32()
{
    QFETCH(QString, answer);
    QFETCH(bool, overflows);
    QFETCH(qint32, result);

    const std::optional<double> number = ParseNumber(answer);
    QVERIFY(number);
    try {
        QCOMPARE(RoundToInt32(*number), result);
        QVERIFY(!overflows);
    } catch (const Failure &failure) {
        QVERIFY(overflows);
        QCOMPARE(failure.description(), u"Overflow"_s);
    }
}

void tst_SortOptions::fileNameFromPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");

    QTest::newRow("backslashes") << u"C:\\data\\notes.txt"_s << u"notes.txt"_s;
    QTest::newRow("slashes") << u"/home/ann/notes.txt"_s << u"notes.txt"_s;
    QTest::newRow("mixed, last wins") << u"a\\b/c.txt"_s << u"c.txt"_s;
    QTest::newRow("mixed, backslash last") << u"a/b\\c.txt"_s << u"c.txt"_s;
    QTest::newRow("no separator") << u"plain row text"_s << u"plain row text"_s;
    QTest::newRow("ends with backslash") << u"C:\\data\\"_s << QString();
    QTest::newRow("ends with slash") << u"/home/ann/"_s << QString();
    QTest::newRow("empty") << QString() << QString();
}

void tst_SortOptions::fileNameFromPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);

    QCOMPARE(FileNameFromPath(path), name);
}

QTEST_GUILESS_MAIN(tst_SortOptions)
#include "tst_sortoptions.moc"
