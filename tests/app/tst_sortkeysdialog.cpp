#include "app/DialogKeysChooser.h"
#include "app/SortKeyCaptions.h"
#include "app/SortKeysDialog.h"
#include "commands/ExternalNames.h"
#include "sort/ChosenKeyJson.h"
#include "sort/ChosenKeyOrder.h"
#include "sort/ChosenKeyProblems.h"
#include "support/KeySpecs.h"
#include "support/MemoryClipboard.h"
#include "support/WindowFixture.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(ChosenKeySet)
Q_DECLARE_METATYPE(SortKeyControl)

// Failed comparisons show the keys as JSON.
static char *toString(const ChosenKeySet &set)
{
    return qstrdup(toJson(set).constData());
}

namespace {

using Control = SortKeyControl;

template <typename Widget> Widget *find(const QWidget &dialog, Control control)
{
    return dialog.findChild<Widget *>(textsOf(control).objectName.toString());
}

QPushButton *okButton(const QWidget &dialog)
{
    return find<QDialogButtonBox>(dialog, Control::Buttons)->button(QDialogButtonBox::Ok);
}

// Plays keys as a user does, steps apart by "; ": "p=Fi" is Alt+P (a
// mnemonic) and then "Fi" typed into the control it reaches, "=x" types
// into the focused control, "Tab", "Up", "Down" and "Return" press the key.
void play(const QString &script)
{
    static const QHash<QString, Qt::Key> NamedKeys{{u"Tab"_s, Qt::Key_Tab},
                                                   {u"Up"_s, Qt::Key_Up},
                                                   {u"Down"_s, Qt::Key_Down},
                                                   {u"Return"_s, Qt::Key_Return}};
    for (const QString &step : script.split(u"; "_s, Qt::SkipEmptyParts)) {
        if (NamedKeys.contains(step)) {
            QTest::keyClick(QApplication::focusWidget(), NamedKeys[step]);
            continue;
        }
        if (!step.startsWith(u'=')) {
            const auto key = Qt::Key(Qt::Key_A + (step[0].toUpper().unicode() - u'A'));
            QWidget *window = QApplication::focusWidget()->window();
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            // A mnemonic clicks a button a moment after it presses it.
            for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
                QTRY_VERIFY(!button->isDown());
        }
        if (const qsizetype typed = step.indexOf(u'='); typed >= 0)
            QTest::keyClicks(QApplication::focusWidget(), step.mid(typed + 1));
    }
}

// The preview as "line index: text", each key's part in brackets with its
// number: "1: a,[1:10]  (no key 2)".
QStringList previewRows(const SortKeysDialog &dialog)
{
    const qsizetype keyCount = dialog.keys().keys.size();
    QStringList rows;
    const QTextEdit *preview = find<QTextEdit>(dialog, Control::Preview);
    for (QTextBlock block = preview->document()->begin(); block.isValid(); block = block.next()) {
        QString row = u"%1: "_s.arg(block.userState());
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            const QString text = fragment.fragment().text();
            qsizetype key = -1;
            for (qsizetype k = 0;
                 format.hasProperty(QTextFormat::BackgroundBrush) && key < 0 && k < keyCount; ++k) {
                if (format.background().color() == sortKeyColour(k))
                    key = k + 1;
            }
            row += key < 0 ? text : u"[%1:%2]"_s.arg(key).arg(text);
        }
        rows << row;
    }
    return rows;
}

QList<qsizetype> previewOrder(const SortKeysDialog &dialog)
{
    QList<qsizetype> order;
    for (const QString &row : previewRows(dialog))
        order << row.section(u':', 0, 0).toLongLong();
    return order;
}

const QStringList EntryLines{u"b,2,x"_s, u"a,10,y"_s, u"c"_s, u"d,3,y"_s};

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, u"Hallowmere"_s, u"Hallowmere"_s);
}

QVariant storedKeys()
{
    return settings().value(u"Tarnveil/"_s + sortKeysSettingsKey());
}

// Answers the "Sort Keys" dialog that is about to open: plays script on it,
// then presses Return or Escape; keeps the keys it opened with.
void answerDialog(const QString &script, bool accept, ChosenKeySet *opened)
{
    QTimer::singleShot(0, [=] {
        auto *dialog = qobject_cast<SortKeysDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        if (!QTest::qWaitForWindowActive(dialog)) {
            dialog->reject();
            QFAIL("the dialog never became active");
        }
        *opened = dialog->keys();
        play(script + (accept ? u"; k; Return"_s : QString()));
        if (!accept)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        if (dialog->isVisible())
            dialog->reject(); // so that a failed step cannot hold the test
    });
}

} // namespace

class tst_SortKeysDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { WindowFixture::useTemporarySettings(); }
    void init() { settings().remove(u"Tarnveil/"_s + sortKeysSettingsKey()); }

    void keyboardEntry_data();
    void keyboardEntry();
    void invalidEntries_data();
    void invalidEntries();
    void preview_data();
    void preview();
    void eachLineInItsDirection();
    void reasonsReadWithTheirControls_data();
    void reasonsReadWithTheirControls();
    void listTellsOnlyChangedItems_data();
    void listTellsOnlyChangedItems();
    void copyAsCommand_data();
    void copyAsCommand();
    void chooser_data();
    void chooser();
};

void tst_SortKeysDialog::keyboardEntry_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<ChosenKeySet>("expected");
    QTest::addColumn<QString>("summary"); // of the selected key

    ChosenKeySet second;
    ChosenKey byNumber = fieldKey(2, u","_s, KeyCompare::Number);
    byNumber.descending = true;
    second.keys = {ChosenKey{}, byNumber};
    QTest::newRow("second key: field 2 by comma, as number, descending")
        << u"a; p=Fi; f=2; m=Co; c=Num; d"_s << second << u"2. Field 2 (,) as number, descending"_s;

    ChosenKeySet characters;
    characters.keys = {charactersKey(3, 0)};
    characters.keys[0].compare = KeyCompare::IgnoringCase;
    characters.keys[0].missingFirst = true;
    characters.header = true;
    QTest::newRow("characters 3 to the end ignoring case, missing first, header")
        << u"p=Ch; o=3; c; Down; b; e"_s << characters
        << u"1. Characters 3 to the end ignoring case, lines without it first"_s;

    ChosenKeySet pattern;
    pattern.keys = {patternKey(u"(\\d+)-"_s, 1)};
    pattern.keys[0].compare = KeyCompare::Dictionary;
    pattern.keys[0].numbers = true;
    pattern.unique = true;
    QTest::newRow("pattern group in dictionary order by value, unique")
        << u"p=Pa; n=(\\d+)-; g=1; c=Dic; v; y"_s << pattern
        << u"1. Pattern \u201c(\\d+)-\u201d group 1 in dictionary order with numbers by value"_s;

    ChosenKeySet typedDelimiter;
    typedDelimiter.keys = {fieldKey(1, u":"_s), ChosenKey{}};
    typedDelimiter.keys[0].quotes = true;
    QTest::newRow("typed delimiter with quotes, moved up")
        << u"a; p=Fi; m=Oth; Tab; =:; q; u"_s << typedDelimiter
        << u"1. Field 1 (:, quoted) as text"_s;

    ChosenKeySet dates;
    dates.keys = {ChosenKey{}};
    dates.keys[0].compare = KeyCompare::Date;
    dates.keys[0].format = u"dd.MM.yyyy"_s;
    // The format's row shows for dates alone, after the language.
    QTest::newRow("dates in a format")
        << u"c=Dat; Tab; Tab; =dd.MM.yyyy"_s << dates << u"1. Whole line as date (dd.MM.yyyy)"_s;

    ChosenKeySet removed;
    removed.keys = {fieldKey(2, u";"_s)};
    QTest::newRow("added keys removed again")
        << u"p=Fi; m=Se; f=2; a; a; r; r"_s << removed << u"1. Field 2 (;) as text"_s;
}

void tst_SortKeysDialog::keyboardEntry()
{
    QFETCH(QString, script);
    QFETCH(ChosenKeySet, expected);
    QFETCH(QString, summary);

    SortKeysDialog dialog(ChosenKeySet{}, EntryLines, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QVERIFY(!find<QPushButton>(dialog, Control::RemoveKeyButton)->isEnabled());

    play(script);
    QCOMPARE(dialog.keys(), expected);
    QCOMPARE(find<QListView>(dialog, Control::KeyList)->currentIndex().data().toString(), summary);
    QCOMPARE(find<QPushButton>(dialog, Control::RemoveKeyButton)->isEnabled(),
             expected.keys.size() > 1);
    QTRY_COMPARE(previewOrder(dialog), orderByKeys(EntryLines, expected));

    play(u"k; Return"_s);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

void tst_SortKeysDialog::invalidEntries_data()
{
    QTest::addColumn<QString>("breaking");
    QTest::addColumn<QString>("fixing");

    QTest::newRow("field 0") << u"p=Fi; f=0"_s << u"f=3"_s;
    QTest::newRow("empty typed delimiter") << u"p=Fi; m=Oth"_s << u"m; Tab; =;"_s;
    QTest::newRow("end before the start") << u"p=Ch; o=5; t=3"_s << u"t=9"_s;
    QTest::newRow("pattern that does not compile") << u"p=Pa; n=("_s << u"n=(a)"_s;
    QTest::newRow("group the pattern does not have") << u"p=Pa; n=a(b); g=2"_s << u"g=1"_s;
    QTest::newRow("invalid key not the selected one") << u"p=Fi; f=0; a"_s << u"k; Up; f=1"_s;
}

void tst_SortKeysDialog::invalidEntries()
{
    QFETCH(QString, breaking);
    QFETCH(QString, fixing);

    SortKeysDialog dialog(ChosenKeySet{}, EntryLines, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    const auto *problemsLabel = find<QLabel>(dialog, Control::ProblemsLabel);
    const auto *keyList = find<QListView>(dialog, Control::KeyList);
    const auto checkShownReasons = [&] {
        const ChosenKeySet keys = dialog.keys();
        const QStringList selected = problems(keys.keys[keyList->currentIndex().row()]);
        QCOMPARE(problemsLabel->isVisible(), !selected.isEmpty());
        QCOMPARE(problemsLabel->text(), selected.join(u'\n'));
        const QAbstractItemModel *items = keyList->model();
        for (int row = 0; row < items->rowCount(); ++row) {
            QCOMPARE(items->index(row, 0).data(Qt::ToolTipRole).toString(),
                     problems(keys.keys[row]).join(u'\n'));
        }
        QCOMPARE(okButton(dialog)->isEnabled(), isValid(keys));
    };

    play(breaking);
    QVERIFY(!isValid(dialog.keys()));
    checkShownReasons();
    play(u"k; Return"_s);
    QVERIFY(dialog.isVisible());

    play(fixing);
    QVERIFY(isValid(dialog.keys()));
    checkShownReasons();
}

void tst_SortKeysDialog::preview_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<ChosenKeySet>("keys");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("note");

    ChosenKeySet descending;
    descending.keys = {fieldKey(2, u","_s, KeyCompare::Number)};
    descending.keys[0].descending = true;
    QTest::newRow("numbers descending, a line without the field last")
        << QStringList{u"b,2"_s, u"a,10"_s, u"c"_s, u"d,3"_s} << descending
        << QStringList{u"1: a,[1:10]"_s, u"3: d,[1:3]"_s, u"0: b,[1:2]"_s, u"2: c  (no key 1)"_s}
        << u"4 lines, sorted by the keys as they stand."_s;

    ChosenKeySet header;
    header.keys = {fieldKey(2, u","_s, KeyCompare::Number)};
    header.keys[0].missingFirst = true;
    header.header = true;
    QTest::newRow("header first, then lines without the key")
        << QStringList{u"name,n"_s, u"x,2"_s, u"y"_s, u"z,1"_s} << header
        << QStringList{u"0: name,n  (header, stays first)"_s, u"2: y  (no key 1)"_s,
                       u"3: z,[1:1]"_s, u"1: x,[1:2]"_s}
        << u"4 lines, sorted by the keys as they stand."_s;

    ChosenKeySet overlapping;
    overlapping.keys = {charactersKey(1, 2), charactersKey(2, 0)};
    QTest::newRow("overlapping keys show the first one's colour")
        << QStringList{u"ab2"_s, u"ab1"_s, u"aa3"_s, u"b"_s} << overlapping
        << QStringList{u"2: [1:aa][2:3]"_s, u"1: [1:ab][2:1]"_s, u"0: [1:ab][2:2]"_s,
                       u"3: [1:b]  (no key 2)"_s}
        << u"4 lines, sorted by the keys as they stand."_s;

    ChosenKeySet unique;
    unique.keys = {fieldKey(2, u";"_s)};
    unique.unique = true;
    QTest::newRow("unique drops equal keys")
        << QStringList{u"x;1"_s, u"y;1"_s, u"z;2"_s} << unique
        << QStringList{u"0: x;[1:1]"_s, u"2: z;[1:2]"_s}
        << u"3 lines, sorted by the keys as they stand. 1 line removed: its keys "
           u"equal an earlier line's."_s;

    ChosenKeySet pattern;
    pattern.keys = {patternKey(u"id=(\\d*)"_s, 1)};
    QTest::newRow("empty and missing matches, control characters shown")
        << QStringList{u"id=7\r"_s, u"none"_s, u"id="_s} << pattern
        << QStringList{u"2: id=  (key 1 empty)"_s, u"0: id=[1:7]\u240d"_s, u"1: none  (no key 1)"_s}
        << u"3 lines, sorted by the keys as they stand."_s;

    const QString backtracking = QString(30, u'a') + u"b"_s; // (a+)+$ tries every split
    QTest::newRow("a pattern that gives up")
        << QStringList{backtracking, u"aa"_s} << ChosenKeySet{{patternKey(u"(a+)+$"_s, 0)}}
        << QStringList{u"1: [1:aa]"_s, u"0: "_s + backtracking + u"  (no key 1)"_s}
        << u"2 lines, sorted by the keys as they stand. 1 line gave up on a pattern and counts "
           u"as without the key."_s;

    ChosenKeySet field;
    field.keys = {fieldKey(2, u","_s, KeyCompare::Number)};
    QTest::newRow("a long line is cut, its key out of sight")
        << QStringList{QString(600, u'x') + u",1"_s, u"y,0"_s} << field
        << QStringList{u"1: y,[1:0]"_s, u"0: "_s + QString(500, u'x') + u"\u2026"_s}
        << u"2 lines, sorted by the keys as they stand."_s;
}

void tst_SortKeysDialog::preview()
{
    QFETCH(QStringList, lines);
    QFETCH(ChosenKeySet, keys);
    QFETCH(QStringList, rows);
    QFETCH(QString, note);

    SortKeysDialog dialog(keys, lines, nullptr);
    QTRY_COMPARE(previewRows(dialog), rows);
    QCOMPARE(previewOrder(dialog), orderByKeys(lines, keys));
    QCOMPARE(find<QLabel>(dialog, Control::PreviewNote)->text(), note);
}

// A Hebrew line reads from the right and an English one from the left in the
// same preview; neither its note nor a cut that leaves only digits in sight
// turns a line around. The note tells of lines given from their start only.
void tst_SortKeysDialog::eachLineInItsDirection()
{
    const QString hebrew = u"\u05e9\u05dc\u05d5\u05dd"_s;
    const QStringList lines{hebrew, u"hello"_s, QString(600, u'1') + hebrew, u"123"_s};
    SortKeysDialog dialog(ChosenKeySet{{fieldKey(2)}}, lines, nullptr, 2);
    QTRY_COMPARE(previewRows(dialog).last(), u"3: 123  (no key 1)"_s);
    QVERIFY(find<QLabel>(dialog, Control::PreviewNote)
                ->text()
                .endsWith(u" 2 lines are previewed from their start only; the sort takes them "
                          u"whole."_s));
    QList<Qt::LayoutDirection> directions;
    const QTextEdit *preview = find<QTextEdit>(dialog, Control::Preview);
    for (QTextBlock block = preview->document()->begin(); block.isValid(); block = block.next())
        directions << block.textDirection();
    QCOMPARE(directions, (QList<Qt::LayoutDirection>{Qt::RightToLeft, Qt::LeftToRight,
                                                     Qt::RightToLeft, Qt::LeftToRight}));
}

void tst_SortKeysDialog::reasonsReadWithTheirControls_data()
{
    QTest::addColumn<ChosenKey>("key");
    QTest::addColumn<Control>("control");
    QTest::addColumn<QString>("description"); // empty: the key is valid

    QTest::newRow("field 0") << fieldKey(0) << Control::FieldBox
                             << u"The field number must be 1 or more."_s;
    QTest::newRow("pattern that does not compile")
        << patternKey(u"(a"_s, 0) << Control::PatternEdit
        << u"The pattern does not compile: missing closing parenthesis (at character 3)."_s;
    QTest::newRow("group the pattern does not have")
        << patternKey(u"a(b)"_s, 2) << Control::PatternGroupBox << u"The pattern has no group 2."_s;
    QTest::newRow("valid pattern") << patternKey(u"a(b)"_s, 1) << Control::PatternEdit << QString();
}

// A screen reader finds the key list by its label's words, each reason as the
// description of the control it is about, and an invalid key's item says so.
void tst_SortKeysDialog::reasonsReadWithTheirControls()
{
    QFETCH(ChosenKey, key);
    QFETCH(Control, control);
    QFETCH(QString, description);

    SortKeysDialog dialog(ChosenKeySet{{key, ChosenKey{}}}, EntryLines, nullptr);
    QCOMPARE(find<QWidget>(dialog, control)->accessibleDescription(), description);
    QAccessibleInterface *list =
        QAccessible::queryAccessibleInterface(find<QListView>(dialog, Control::KeyList));
    QCOMPARE(list->text(QAccessible::Name), u"Keys, the first compared first"_s);
    QCOMPARE(list->child(0)->text(QAccessible::Description),
             description.isEmpty() ? QString() : u"Invalid: "_s + description);
    QCOMPARE(list->child(1)->text(QAccessible::Description), QString());
}

void tst_SortKeysDialog::listTellsOnlyChangedItems_data()
{
    QTest::addColumn<QString>("script"); // from the second of four keys
    QTest::addColumn<QList<int>>("changed");
    QTest::addColumn<QStringList>("items");

    const QStringList items{u"1. Field 1 (,) as text"_s, u"2. Field 2 (,) as text"_s,
                            u"3. Field 3 (,) as text"_s, u"4. Field 4 (,) as text"_s};
    QTest::newRow("an edit, its key only")
        << u"f=7"_s << QList<int>{1}
        << QStringList{items[0], u"2. Field 7 (,) as text"_s, items[2], items[3]};
    QTest::newRow("a move, both keys") << u"w"_s << QList<int>{1, 2}
                                       << QStringList{items[0], u"2. Field 3 (,) as text"_s,
                                                      u"3. Field 2 (,) as text"_s, items[3]};
    QTest::newRow("a removal, the keys after it renumbered")
        << u"r"_s << QList<int>{1, 2}
        << QStringList{items[0], u"2. Field 3 (,) as text"_s, u"3. Field 4 (,) as text"_s};
    QTest::newRow("the header choice, no key") << u"e"_s << QList<int>{} << items;
}

// The key list is told of the items that change, so that they are redrawn
// and read again, and of no others.
void tst_SortKeysDialog::listTellsOnlyChangedItems()
{
    QFETCH(QString, script);
    QFETCH(QList<int>, changed);
    QFETCH(QStringList, items);

    SortKeysDialog dialog(ChosenKeySet{{fieldKey(1), fieldKey(2), fieldKey(3), fieldKey(4)}},
                          EntryLines, nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    play(u"k; Down"_s);
    const QAbstractItemModel *model = find<QListView>(dialog, Control::KeyList)->model();
    QList<int> told;
    connect(model, &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex &first, const QModelIndex &last) {
                for (int row = first.row(); row <= last.row(); ++row) {
                    if (!told.contains(row))
                        told.append(row);
                }
            });
    play(script);
    std::sort(told.begin(), told.end());
    QCOMPARE(told, changed);
    QStringList shown;
    for (int row = 0; row < model->rowCount(); ++row)
        shown << model->index(row, 0).data().toString();
    QCOMPARE(shown, items);
}

void tst_SortKeysDialog::copyAsCommand_data()
{
    QTest::addColumn<ChosenKeySet>("keys");
    QTest::addColumn<int>("busyAttempts");
    QTest::addColumn<QString>("clipboard"); // null: the button cannot be pressed
    QTest::addColumn<QString>("note");

    ChosenKeySet quoted{{patternKey(u"it's (\\d+)"_s, 1)}};
    quoted.keys[0].compare = KeyCompare::Size;
    QTest::newRow("a quote in a pattern")
        << quoted << 0
        << uR"(tarnveil --sort 28 --keys '{"header":false,"keys":[{"compare":"size","decimal":".",)"
           uR"("descending":false,"group":1,"missing":"last","part":"pattern",)"
           uR"x("pattern":"it'\''s (\\d+)"}],"unique":false}')x"_s
        << u"The command is on the clipboard."_s;
    QTest::newRow("clipboard in use")
        << ChosenKeySet{} << 1 << QString() << u"The clipboard is in use by another program."_s;
    QTest::newRow("invalid keys") << ChosenKeySet{{fieldKey(0)}} << 0 << QString() << QString();
}

// "Copy As Command" puts the command for the keys as they stand on the
// clipboard, quoted for a POSIX shell, and says whether it got there.
void tst_SortKeysDialog::copyAsCommand()
{
    QFETCH(ChosenKeySet, keys);
    QFETCH(int, busyAttempts);
    QFETCH(QString, clipboard);
    QFETCH(QString, note);

    SortKeysDialog dialog(keys, EntryLines, nullptr);
    auto *button = find<QPushButton>(dialog, Control::CopyCommandButton);
    QVERIFY(button->isHidden());
    MemoryClipboard memory;
    memory.busyAttempts = busyAttempts;
    dialog.setClipboard(&memory);
    QVERIFY(!button->isHidden());
    QCOMPARE(button->isEnabled(), isValid(keys));
    button->click();
    QCOMPARE(memory.text.value_or(QString()), clipboard);
    QCOMPARE(find<QLabel>(dialog, Control::CopyNote)->text(), note);
}

void tst_SortKeysDialog::chooser_data()
{
    QTest::addColumn<QString>("stored"); // null: nothing stored
    QTest::addColumn<ChosenKeySet>("opened");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<ChosenKeySet>("chosen");

    ChosenKeySet descending;
    descending.keys[0].descending = true;
    ChosenKeySet invalid;
    invalid.keys = {fieldKey(0, u","_s)};
    ChosenKeySet sample;
    sample.keys = {fieldKey(3, u"\t"_s, KeyCompare::Natural), charactersKey(2, 4)};
    sample.unique = true;
    ChosenKeySet sampleWithHeader = sample;
    sampleWithHeader.header = true;

    QTest::newRow("nothing stored, Escape")
        << QString() << ChosenKeySet{} << u"d"_s << false << ChosenKeySet{};
    QTest::newRow("unreadable settings, OK")
        << u"{\"keys\": ["_s << ChosenKeySet{} << u"d"_s << true << descending;
    QTest::newRow("invalid stored keys, OK") << QString::fromUtf8(toJson(invalid)) << ChosenKeySet{}
                                             << QString() << true << ChosenKeySet{};
    QTest::newRow("stored keys, Escape")
        << QString::fromUtf8(toJson(sample)) << sample << u"e"_s << false << ChosenKeySet{};
    QTest::newRow("stored keys, OK")
        << QString::fromUtf8(toJson(sample)) << sample << u"e"_s << true << sampleWithHeader;
}

void tst_SortKeysDialog::chooser()
{
    QFETCH(QString, stored);
    QFETCH(ChosenKeySet, opened);
    QFETCH(QString, script);
    QFETCH(bool, accept);
    QFETCH(ChosenKeySet, chosen);

    if (!stored.isNull())
        settings().setValue(u"Tarnveil/"_s + sortKeysSettingsKey(), stored);
    MemoryClipboard clipboard;
    DialogKeysChooser chooser(clipboard);
    ChosenKeySet openedWith;
    answerDialog(script, accept, &openedWith);
    const std::optional<ChosenKeySet> answer = chooser.chooseKeys(EntryLines, 0);
    QCOMPARE(openedWith, opened);
    if (!accept) {
        QVERIFY(!answer);
        QCOMPARE(storedKeys(), stored.isNull() ? QVariant() : QVariant(stored));
        return;
    }
    QVERIFY(answer);
    QCOMPARE(*answer, chosen);
    QCOMPARE(storedKeys().toString(), QString::fromUtf8(toJson(chosen)));

    // The next dialog starts from them.
    answerDialog(QString(), false, &openedWith);
    QVERIFY(!DialogKeysChooser(clipboard).chooseKeys(EntryLines, 0));
    QCOMPARE(openedWith, chosen);
}

QTEST_MAIN(tst_SortKeysDialog)
#include "tst_sortkeysdialog.moc"
