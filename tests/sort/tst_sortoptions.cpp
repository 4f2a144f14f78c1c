#include "sort/SortLines.h"
#include "sort/SortOptions.h"
#include "support/TextSorting.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_SortOptions : public QObject
{
    Q_OBJECT

private slots:
    void optionList_data();
    void optionList();
    void sortLines_data();
    void sortLines();
};

void tst_SortOptions::optionList_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<OptionKey>("key");
    QTest::addColumn<int>("position");
    QTest::addColumn<CharacterFilter>("filter");
    QTest::addColumn<SortAnswer>("asks");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<LineOperation>("operation");

    const auto row = [](int index, const QString &caption, OptionKey key, int position = 0,
                        CharacterFilter filter = CharacterFilter::KeepEverything,
                        SortAnswer asks = SortAnswer::None, const QString &prompt = QString()) {
        QTest::addRow("row %d: %s", index, qPrintable(caption))
            << index << caption << key << position << filter << asks << prompt
            << (caption == u"-" ? LineOperation::None : LineOperation::Sort);
    };
    const auto operating = [](int index, const QString &caption, LineOperation operation,
                              OptionKey key) {
        QTest::addRow("row %d: %s", index, qPrintable(caption))
            << index << caption << key << 0 << CharacterFilter::KeepEverything << SortAnswer::None
            << QString() << operation;
    };
    const auto filtered = [&row](int index, const QString &caption, CharacterFilter filter) {
        row(index, caption, OptionKey::Filtered, 0, filter);
    };
    row(0, u"Sort Content Alphabetically"_s, OptionKey::WholeLine);
    row(1, u"Sort Content Alphabetically By Second Character Position"_s, OptionKey::FromCharacter,
        2);
    row(2, u"Sort Content Alphabetically By Third Character Position"_s, OptionKey::FromCharacter,
        3);
    row(3, u"Sort Content Alphabetically By x Character Position"_s, OptionKey::FromCharacter, 0,
        CharacterFilter::KeepEverything, SortAnswer::Number, u"Enter character position:"_s);
    row(4, u"-"_s, OptionKey::None);
    row(5, u"Sort Content Alphabetically By Second Word Position"_s, OptionKey::FromWord, 2);
    row(6, u"Sort Content Alphabetically By Third Word Position"_s, OptionKey::FromWord, 3);
    row(7, u"Sort Content Alphabetically By x Word Position"_s, OptionKey::FromWord, 0,
        CharacterFilter::KeepEverything, SortAnswer::Number, u"Enter word number x:"_s);
    row(8, u"-"_s, OptionKey::None);
    row(9, u"Sort Content Alphabetically After User-specified Character(s)"_s,
        OptionKey::AfterMarker, 0, CharacterFilter::KeepEverything, SortAnswer::Text,
        u"Enter character(s):"_s);
    row(10, u"-"_s, OptionKey::None);
    filtered(11, u"Sort Content By Only Alpha Characters, Ignore Rest"_s,
             CharacterFilter::RemoveDigits);
    filtered(12, u"Sort Content By Only Numeric Characters, Ignore Rest"_s,
             CharacterFilter::RemoveLetters);
    filtered(13, u"Sort Content By Only Alphanumeric Characters, Ignore Rest"_s,
             CharacterFilter::KeepLettersAndDigits);
    filtered(14, u"Sort Content By Only Non-alphanumeric Characters, Ignore Rest"_s,
             CharacterFilter::RemoveLettersAndDigits);
    row(15, u"-"_s, OptionKey::None);
    row(16, u"Sort Content By Character Length"_s, OptionKey::Length);
    row(17, u"-"_s, OptionKey::None);
    row(18, u"Sort Content Alphabetically, Descending (Z To A)"_s, OptionKey::WholeLineDescending);
    row(19, u"Sort Content Alphabetically, Ignoring Case"_s, OptionKey::FoldedCase);
    row(20, u"Sort Content Naturally (Numbers By Value)"_s, OptionKey::Natural);
    row(21, u"Sort Content By Leading Number"_s, OptionKey::LeadingNumber);
    operating(22, u"Sort Content Alphabetically, Removing Duplicates"_s,
              LineOperation::SortRemovingDuplicates, OptionKey::WholeLine);
    operating(23, u"Remove Duplicate Lines, Keeping Their Order"_s, LineOperation::RemoveDuplicates,
              OptionKey::WholeLine);
    operating(24, u"Reverse Content Order"_s, LineOperation::Reverse, OptionKey::None);
    operating(25, u"Shuffle Content (Random Order)"_s, LineOperation::Shuffle, OptionKey::None);
    row(26, u"-"_s, OptionKey::None);
    row(27, u"Sort Content In Dictionary Order"_s, OptionKey::Dictionary);
    row(28, u"Sort Content By Keys You Choose..."_s, OptionKey::ChosenKeys, 0,
        CharacterFilter::KeepEverything, SortAnswer::Keys);
    row(29, u"-"_s, OptionKey::None);
    const auto filtering = [](int index, const QString &caption, LineOperation operation) {
        QTest::addRow("row %d: %s", index, qPrintable(caption))
            << index << caption << OptionKey::None << 0 << CharacterFilter::KeepEverything
            << SortAnswer::Filter << QString() << operation;
    };
    filtering(30, u"Keep Lines Containing..."_s, LineOperation::KeepContaining);
    filtering(31, u"Remove Lines Containing..."_s, LineOperation::RemoveContaining);
    operating(32, u"Keep Only Duplicated Lines"_s, LineOperation::KeepDuplicated, OptionKey::None);
    operating(33, u"Keep Only Lines That Occur Once"_s, LineOperation::KeepOccurringOnce,
              OptionKey::None);
    operating(34, u"Count Duplicate Lines"_s, LineOperation::CountDuplicates, OptionKey::None);
}

void tst_SortOptions::optionList()
{
    QFETCH(int, row);
    QFETCH(QString, caption);
    QFETCH(OptionKey, key);
    QFETCH(int, position);
    QFETCH(CharacterFilter, filter);
    QFETCH(SortAnswer, asks);
    QFETCH(QString, prompt);
    QFETCH(LineOperation, operation);

    QCOMPARE(sortOptions().size(), std::size_t(35));
    const SortOption &option = sortOptions()[std::size_t(row)];
    QCOMPARE(option.caption, caption);
    QCOMPARE(option.key, key);
    QCOMPARE(option.position, position);
    QCOMPARE(option.filter, filter);
    QCOMPARE(option.asks, asks);
    QCOMPARE(option.prompt, prompt);
    QCOMPARE(option.operation, operation);
    QCOMPARE(option.isSeparator(), caption == u"-");
}

void tst_SortOptions::sortLines_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<qint32>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    // One small set of lines for every row; each key is checked on more
    // lines in tst_sortroutines.
    QTest::newRow("separator") << 4 << 0 << QString()
                               << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("alphabetically")
        << 0 << 0 << QString() << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("second character")
        << 1 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("third character")
        << 2 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("character 4") << 3 << 4 << QString()
                                 << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("second word") << 5 << 0 << QString()
                                 << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("third word") << 6 << 0 << QString()
                                << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("word 2") << 7 << 2 << QString()
                            << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("after =") << 9 << 0 << u"="_s
                             << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("alpha only") << 11 << 0 << QString()
                                << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("numeric only") << 12 << 0 << QString()
                                  << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("alphanumeric only")
        << 13 << 0 << QString() << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("non-alphanumeric only")
        << 14 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("length") << 16 << 0 << QString()
                            << QStringList{u"b1 zz"_s, u"c3= b"_s, u"a22 y x"_s};
    QTest::newRow("second separator")
        << 17 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("descending") << 18 << 0 << QString()
                                << QStringList{u"c3= b"_s, u"b1 zz"_s, u"a22 y x"_s};
    QTest::newRow("ignoring case")
        << 19 << 0 << QString() << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("naturally") << 20 << 0 << QString()
                               << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("no leading numbers")
        << 21 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("removing duplicates")
        << 22 << 0 << QString() << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
    QTest::newRow("duplicates kept in order")
        << 23 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("reversed") << 24 << 0 << QString()
                              << QStringList{u"c3= b"_s, u"a22 y x"_s, u"b1 zz"_s};
    QTest::newRow("third separator")
        << 29 << 0 << QString() << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    // An answer counts only for an option that asks for it.
    QTest::newRow("second character ignores a number")
        << 1 << 4 << u"="_s << QStringList{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    QTest::newRow("alphabetically ignores a text")
        << 0 << 0 << u"="_s << QStringList{u"a22 y x"_s, u"b1 zz"_s, u"c3= b"_s};
}

void tst_SortOptions::sortLines()
{
    QFETCH(int, row);
    QFETCH(qint32, number);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    // As the window sorts its rows: UTF-8 lines.
    const QStringList lines{u"b1 zz"_s, u"a22 y x"_s, u"c3= b"_s};
    Utf8Copies copies(lines);
    QCOMPARE(&::sortLines(copies.lines, sortOptions()[std::size_t(row)], number, text, nullptr),
             &copies.lines);
    QStringList sorted;
    for (const LineRef &line : copies.lines)
        sorted << lines[line.id];
    QCOMPARE(sorted, expected);
}

QTEST_GUILESS_MAIN(tst_SortOptions)
#include "tst_sortoptions.moc"
