#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "commands/CommandContext.h"
#include "commands/ExternalNames.h"
#include "core/ErrorTrap.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "sort/SortOptions.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImageWriter>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

using Answers = QList<std::optional<QString>>;

namespace {

// Lines that each character position orders differently:
// from 1 A B C, from 2 B C A, from 3 C A B, from 4 B A C.
const QString A = u"1cb2"_s;
const QString B = u"2ac1"_s;
const QString C = u"3ba3"_s;

// Where the window keeps the chosen sort option: users' settings files hold
// this section and key.
const QString SettingsGroup = u"Tarnveil"_s;
const QString StoredOptionKey = u"Combo1"_s;

// The procedures as the "Application Error" box names them.
const Location StartUp{u"Form1"_s, u"Form_Load"_s};
const Location Sorting{u"Form1"_s, u"PushButton17_Click"_s};

std::unique_ptr<QSettings> openSettings()
{
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                u"Hallowmere"_s, u"Hallowmere"_s);
    settings->beginGroup(SettingsGroup);
    return settings;
}

// A .cur file: an .ico whose type word says cursor and whose first entry
// carries the hot spot.
QByteArray cursorFile(QPoint hotSpot)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        return {};
    bytes[2] = 2;
    bytes[6 + 4] = char(hotSpot.x());
    bytes[6 + 5] = 0;
    bytes[6 + 6] = char(hotSpot.y());
    bytes[6 + 7] = 0;
    return bytes;
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void startUpRestoresTheOption_data();
    void startUpRestoresTheOption();
    void startUpErrorText();
    void selectionIsStored_data();
    void selectionIsStored();

    void layout_data();
    void layout();
    void window();
    void lists();
    void tabOrder();
    void sortOptionEntries();

    void skin_data();
    void skin();
    void handCursor_data();
    void handCursor();

    void sortThroughTheWindow_data();
    void sortThroughTheWindow();
    void emptyListChangesNothing();
    void statusTexts();
    void secondRunDoublesTheResults();
    void clickDuringAYieldRunsANestedSort();
    void closingDuringASortEndsIt();
    void contentChangesDuringTheRun_data();
    void contentChangesDuringTheRun();

    void pointerRules_data();
    void pointerRules();
    void busyPointerSurvivesMovesDuringAPrompt();
    void help();
};

void tst_MainWindow::initTestCase()
{
    WindowFixture::useTemporarySettings();
}

void tst_MainWindow::init()
{
    openSettings()->remove(QString());
}

void tst_MainWindow::startUpRestoresTheOption_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("failure"); // empty: no error box
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("absent") << std::optional<QString>() << 0 << QString() << u"0"_s;
    QTest::newRow("0") << std::optional(u"0"_s) << 0 << QString() << u"0"_s;
    QTest::newRow("5, counting separators") << std::optional(u"5"_s) << 5 << QString() << u"5"_s;
    QTest::newRow("34, the last entry") << std::optional(u"34"_s) << 34 << QString() << u"34"_s;
    // A value that names no row chooses the first, without a box, and is
    // replaced by that choice.
    for (const QString &noRow :
         {u"35"_s, u"-1"_s, u"99999"_s, u"abc"_s, u"28.6"_s, u""_s, u"1e12"_s})
        QTest::newRow(qPrintable(u"no row: \"%1\""_s.arg(noRow)))
            << std::optional(noRow) << 0 << QString() << u"0"_s;
}

void tst_MainWindow::startUpRestoresTheOption()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(int, selected);
    QFETCH(QString, failure);
    QFETCH(QString, storedAfter);

    if (stored)
        openSettings()->setValue(StoredOptionKey, *stored);

    WindowFixture f;
    MainWindow &window = f.makeWindow();

    QCOMPARE(window.sortOptionList()->currentIndex(), selected);
    if (failure.isEmpty()) {
        QVERIFY(f.dialogs.shown.empty());
    } else {
        QCOMPARE(f.dialogs.shown.size(), size_t(1));
        QCOMPARE(f.dialogs.shown.front().caption, u"Application Error"_s);
        QCOMPARE(f.dialogs.shown.front().text, errorDialogText(failure, StartUp, 170));
    }
    QCOMPARE(openSettings()->value(StoredOptionKey).toString(), storedAfter);
}

void tst_MainWindow::startUpErrorText()
{
    WindowFixture f;
    QVERIFY(writeFile(QDir(f.programFolder()).filePath(u"HAND-M.CUR"_s), "not a picture"));
    f.makeWindow();

    QCOMPARE(f.dialogs.shown.size(), size_t(1));
    const ScriptedDialogs::Shown &box = f.dialogs.shown.front();
    QCOMPARE(box.kind, ScriptedDialogs::Shown::Kind::Message);
    QCOMPARE(box.caption, u"Application Error"_s);
    QCOMPARE(box.icon, UserDialogs::Icon::Warning);
    QCOMPARE(box.text.toUtf8(),
             QByteArray("Invalid picture\r\nin Tarnveil2021/08/31.Form1.Form_Load at line 108\r\r"
                        "Please email screenshot of this message to support@hallowmere.example"));
}

void tst_MainWindow::selectionIsStored_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("entry 13") << 13;
    QTest::newRow("separator 4") << 4;
    QTest::newRow("first entry again") << 0;
}

void tst_MainWindow::selectionIsStored()
{
    QFETCH(int, index);
    openSettings()->setValue(StoredOptionKey, u"16"_s);
    WindowFixture f;
    MainWindow &window = f.makeWindow();

    window.sortOptionList()->setCurrentIndex(index);
    QCOMPARE(openSettings()->value(StoredOptionKey).toString(), QString::number(index));

    // The next start selects it again.
    WindowFixture again;
    QCOMPARE(again.makeWindow().sortOptionList()->currentIndex(), index);
}

void tst_MainWindow::layout_data()
{
    QTest::addColumn<Element>("element");
    QTest::addColumn<QString>("objectName"); // what a skin's style sheet selects
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips"); // left, top, width, height

    QTest::newRow("content list") << Element::ContentList << u"ListView1"_s << QString()
                                  << QRect(120, 120, 7800, 1815);
    QTest::newRow("load files button") << Element::LoadFilesButton << u"PushButton3"_s
                                       << u"Load Text From File"_s << QRect(120, 2020, 3840, 400);
    QTest::newRow("clear content button") << Element::ClearContentButton << u"PushButton1"_s
                                          << u"Clear List"_s << QRect(4080, 2020, 3840, 405);
    QTest::newRow("help button") << Element::HelpButton << u"PushButton6"_s << u"Help"_s
                                 << QRect(120, 2530, 3840, 405);
    QTest::newRow("sample button") << Element::SampleButton << u"PushButton7"_s
                                   << u"Load Sample/Example Text"_s << QRect(4080, 2530, 3840, 405);
    QTest::newRow("sort options frame") << Element::SortOptionsFrame << u"Frame1"_s
                                        << u"Sort Options"_s << QRect(120, 3015, 7800, 800);
    QTest::newRow("sort option list in the frame")
        << Element::SortOptionList << u"Combo1"_s << QString() << QRect(240, 300, 7320, 345);
    QTest::newRow("start sorting button") << Element::StartSortingButton << u"PushButton17"_s
                                          << u"Start Sorting"_s << QRect(120, 3915, 7800, 405);
    QTest::newRow("results list") << Element::ResultsList << u"ListView2"_s << QString()
                                  << QRect(120, 4425, 7800, 1815);
    QTest::newRow("save text file button")
        << Element::SaveTextFileButton << u"PushButton4"_s << u"Save Results As Text File"_s
        << QRect(120, 6330, 3840, 405);
    QTest::newRow("save spreadsheet button")
        << Element::SaveSpreadsheetButton << u"PushButton13"_s << u"Save Results As Excel File"_s
        << QRect(4080, 6330, 3840, 405);
    QTest::newRow("copy button") << Element::CopyButton << u"PushButton5"_s
                                 << u"Copy Results To Clipboard"_s << QRect(120, 6840, 3840, 405);
    QTest::newRow("clear results button") << Element::ClearResultsButton << u"PushButton2"_s
                                          << u"Clear List"_s << QRect(4080, 6840, 3840, 405);
    QTest::newRow("status bar") << Element::StatusBar << u"ProgressBar1"_s << u"Progress Bar"_s
                                << QRect(120, 7350, 7800, 405);
}

void tst_MainWindow::layout()
{
    QFETCH(Element, element);
    QFETCH(QString, objectName);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    WindowFixture f;
    MainWindow &window = f.makeWindow();
    auto *widget = window.findChild<QWidget *>(objectName);
    QVERIFY(widget);
    QCOMPARE(control(window, element), widget);

    const auto pixels = [](int t) { return qRound(t / 15.0); };
    QCOMPARE(widget->geometry(), QRect(pixels(twips.x()), pixels(twips.y()), pixels(twips.width()),
                                       pixels(twips.height())));

    if (auto *button = qobject_cast<QPushButton *>(widget)) {
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->font().family(), u"Arial"_s);
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QVERIFY(button->font().bold());
        QVERIFY(button->toolTip().isEmpty());
    } else if (auto *frame = qobject_cast<QGroupBox *>(widget)) {
        QCOMPARE(frame->title(), caption);
        QCOMPARE(frame->font().pointSizeF(), 9.0);
        QVERIFY(frame->font().bold());
    } else if (auto *bar = qobject_cast<QProgressBar *>(widget)) {
        QCOMPARE(bar->text(), caption);
        QCOMPARE(bar->value(), 0);
    }
}

void tst_MainWindow::window()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(window.windowTitle(), u"Tarnveil"_s);
    QCOMPARE(window.size(), QSize(536, 525));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    QVERIFY(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!window.windowIcon().pixmap(48, 48).isNull());
    QVERIFY(window.windowIcon().availableSizes().contains(QSize(256, 256)));
    QCOMPARE(window.font().family(), u"Arial"_s);
    QCOMPARE(window.font().pointSizeF(), 9.0);
    QCOMPARE(window.palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(window.objectName(), u"Form1"_s);
    QCOMPARE(window.focusWidget(), control(window, Element::ContentList));
    QCOMPARE(window.context().shortTitle, u"Tarnveil"_s);
    QVERIFY(f.dialogs.shown.empty());

    // Centred on the screen.
    const QRect screen = window.screen()->availableGeometry();
    QVERIFY(qAbs(window.geometry().center().x() - screen.center().x()) <= 1);
}

void tst_MainWindow::lists()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    const QList<std::pair<Element, QString>> lists = {
        {Element::ContentList, u"Content To Sort"_s},
        {Element::ResultsList, u"Sorted Content (Results)"_s}};
    for (const auto &[element, header] : lists) {
        auto *view = control<RowListView>(window, element);
        QVERIFY(view);
        QCOMPARE(view->model()->columnCount(), 1);
        QCOMPARE(view->model()->headerData(0, Qt::Horizontal).toString(), header);
        QVERIFY(!view->isHeaderHidden());
        QCOMPARE(view->columnWidth(0), qRound(7000 / 15.0));
        QCOMPARE(view->model()->rowCount(), 0);
        QCOMPARE(view->toolTip(), u"Double-click item to remove it. Move | line to right and "
                                  u"out of window to reveal full names."_s);
        QCOMPARE(view->font().family(), u"Arial"_s);
        QCOMPARE(view->font().pointSizeF(), 9.0);
        QVERIFY(view->font().bold());
    }
}

void tst_MainWindow::tabOrder()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    QStringList expected;
    for (const Element element :
         {Element::ContentList, Element::ResultsList, Element::LoadFilesButton,
          Element::ClearContentButton, Element::StartSortingButton, Element::SaveTextFileButton,
          Element::ClearResultsButton, Element::SortOptionList, Element::SaveSpreadsheetButton,
          Element::CopyButton, Element::HelpButton, Element::SampleButton})
        expected << objectNameOf(element);
    QStringList order;
    QWidget *w = window.findChild<QWidget *>(expected.front());
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty())
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w->objectName() != expected.front() && order.size() < 50);
    QCOMPARE(order, expected);
}

void tst_MainWindow::sortOptionEntries()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    QComboBox *list = window.sortOptionList();
    QVERIFY(!list->isEditable());
    QCOMPARE(list->count(), int(sortOptions().size()));
    for (int i = 0; i < list->count(); ++i)
        QCOMPARE(list->itemText(i), sortOptions()[size_t(i)].caption);
}

void tst_MainWindow::skin_data()
{
    QTest::addColumn<bool>("asFile");
    QTest::addColumn<bool>("applies");
    QTest::newRow("file") << true << true;
    QTest::newRow("folder of that name") << false << false;
}

void tst_MainWindow::skin()
{
    QFETCH(bool, asFile);
    QFETCH(bool, applies);

    WindowFixture f;
    const QString path = QDir(f.programFolder()).filePath(u"x/o.cjs"_s);
    const QByteArray sheet = "QPushButton { color: rgb(1, 2, 3); }";
    if (asFile)
        QVERIFY(writeFile(path, sheet));
    else
        QVERIFY(QDir().mkpath(path));

    MainWindow &window = f.makeWindow();
    auto *frame = control(window, Element::SortOptionsFrame);
    QVERIFY(frame);
    const QColor expected =
        applies ? QApplication::palette().color(QPalette::Button) : QColor(Qt::white);
    QCOMPARE(window.palette().color(QPalette::Window), expected);
    QCOMPARE(frame->palette().color(QPalette::Window), expected);
    QCOMPARE(window.styleSheet(), applies ? QString::fromUtf8(sheet) : QString());
    QVERIFY(f.dialogs.shown.empty());
}

void tst_MainWindow::handCursor_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QPoint>("hotSpot");
    QTest::addColumn<QString>("failure");

    QTest::newRow("no file") << QByteArray() << false << QPoint() << QString();
    QTest::newRow("cursor") << cursorFile(QPoint(5, 3)) << true << QPoint(5, 3) << QString();
    QTest::newRow("no image") << QByteArray("not a cursor at all") << false << QPoint()
                              << u"Invalid picture"_s;
}

void tst_MainWindow::handCursor()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, loads);
    QFETCH(QPoint, hotSpot);
    QFETCH(QString, failure);

    WindowFixture f;
    if (!file.isEmpty())
        QVERIFY(writeFile(QDir(f.programFolder()).filePath(u"HAND-M.CUR"_s), file));
    MainWindow &window = f.makeWindow();

    QCOMPARE(window.handCursor().has_value(), loads);
    if (failure.isEmpty())
        QVERIFY(f.dialogs.shown.empty());
    else
        QCOMPARE(f.dialogs.messages(), QStringList{errorDialogText(failure, StartUp, 108)});

    window.pointer().set(WindowPointer::Shape::Custom);
    if (loads) {
        QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window.cursor().hotSpot(), hotSpot);
    } else {
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }
}

void tst_MainWindow::sortThroughTheWindow_data()
{
    QTest::addColumn<int>("option");
    QTest::addColumn<QStringList>("content");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<QString>("prompt"); // empty: no input box
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("failure"); // description and line, empty for none
    QTest::addColumn<int>("failureLine");

    const QStringList acb = {A, C, B};
    const QString position = u"Enter character position:"_s;
    const QString wordNumber = u"Enter word number x:"_s;
    const QStringList words = {u"Tom Smith"_s, u"Ann Jones"_s, u"Bob"_s};
    const QStringList byWord = {u"Ann Jones"_s, u"Tom Smith"_s, u"Bob"_s};

    QTest::newRow("0 alphabetically")
        << 0 << acb << Answers{} << QString() << QStringList{A, B, C} << QString() << 0;
    QTest::newRow("1 second character")
        << 1 << acb << Answers{} << QString() << QStringList{B, C, A} << QString() << 0;
    QTest::newRow("2 third character")
        << 2 << acb << Answers{} << QString() << QStringList{C, A, B} << QString() << 0;
    QTest::newRow("3 position 3") << 3 << acb << Answers{u"3"_s} << position << QStringList{C, A, B}
                                  << QString() << 0;
    QTest::newRow("3 position 2.5 rounds to 2")
        << 3 << acb << Answers{u"2.5"_s} << position << QStringList{B, C, A} << QString() << 0;
    QTest::newRow("3 position 3.5 rounds to 4")
        << 3 << acb << Answers{u" 3.5 "_s} << position << QStringList{B, A, C} << QString() << 0;
    QTest::newRow("3 position as exponent")
        << 3 << acb << Answers{u"2e0"_s} << position << QStringList{B, C, A} << QString() << 0;
    QTest::newRow("3 cancelled") << 3 << acb << Answers{std::nullopt} << position << acb
                                 << QString() << 0;
    QTest::newRow("3 letters") << 3 << acb << Answers{u"two"_s} << position << acb << QString()
                               << 0;
    QTest::newRow("3 empty answer")
        << 3 << acb << Answers{QString()} << position << acb << QString() << 0;
    QTest::newRow("3 out of range")
        << 3 << acb << Answers{u"2147483648"_s} << position << acb << u"Overflow"_s << 136;
    QTest::newRow("3 position 0") << 3 << acb << Answers{u"0"_s} << position << acb
                                  << u"Invalid procedure call or argument"_s << 136;
    QTest::newRow("4 separator") << 4 << acb << Answers{} << QString() << acb << QString() << 0;
    QTest::newRow("5 second word")
        << 5 << words << Answers{} << QString() << byWord << QString() << 0;
    QTest::newRow("6 third word") << 6 << QStringList{u"a b z"_s, u"c d y"_s, u"e"_s} << Answers{}
                                  << QString() << QStringList{u"c d y"_s, u"a b z"_s, u"e"_s}
                                  << QString() << 0;
    QTest::newRow("7 word 2") << 7 << words << Answers{u"2"_s} << wordNumber << byWord << QString()
                              << 0;
    QTest::newRow("7 word 2.5 rounds to 2")
        << 7 << words << Answers{u"2.5"_s} << wordNumber << byWord << QString() << 0;
    QTest::newRow("7 cancelled") << 7 << words << Answers{std::nullopt} << wordNumber << words
                                 << QString() << 0;
    QTest::newRow("7 letters") << 7 << words << Answers{u"second"_s} << wordNumber << words
                               << QString() << 0;
    QTest::newRow("7 out of range")
        << 7 << words << Answers{u"-3e9"_s} << wordNumber << words << u"Overflow"_s << 152;
    QTest::newRow("9 marker") << 9 << QStringList{u"c=0"_s, u"b=2"_s, u"a=1"_s} << Answers{u"="_s}
                              << u"Enter character(s):"_s
                              << QStringList{u"c=0"_s, u"a=1"_s, u"b=2"_s} << QString() << 0;
    QTest::newRow("9 cancelled sorts whole lines")
        << 9 << QStringList{u"c=0"_s, u"b=2"_s, u"a=1"_s} << Answers{std::nullopt}
        << u"Enter character(s):"_s << QStringList{u"a=1"_s, u"b=2"_s, u"c=0"_s} << QString() << 0;
    QTest::newRow("11 alpha only")
        << 11 << QStringList{u"b2"_s, u"a 1"_s, u"c0"_s} << Answers{} << QString()
        << QStringList{u"a 1"_s, u"b2"_s, u"c0"_s} << QString() << 0;
    QTest::newRow("12 numeric only")
        << 12 << QStringList{u"x9"_s, u"y10"_s} << Answers{} << QString()
        << QStringList{u"y10"_s, u"x9"_s} << QString() << 0;
    QTest::newRow("13 alphanumeric only")
        << 13 << QStringList{u"b-1"_s, u"a+2"_s} << Answers{} << QString()
        << QStringList{u"a+2"_s, u"b-1"_s} << QString() << 0;
    QTest::newRow("14 non-alphanumeric only")
        << 14 << QStringList{u"a!"_s, u"b "_s} << Answers{} << QString()
        << QStringList{u"b "_s, u"a!"_s} << QString() << 0;
    QTest::newRow("16 length") << 16 << QStringList{u"bb"_s, u"a"_s, u"cc"_s} << Answers{}
                               << QString() << QStringList{u"a"_s, u"bb"_s, u"cc"_s} << QString()
                               << 0;
    // The counts' texts are the results' own; the content keeps its rows.
    QTest::newRow("34 counted") << 34 << QStringList{B, A, B} << Answers{} << QString()
                                << QStringList{u"2\t"_s + B, u"1\t"_s + A} << QString() << 0;
    QTest::newRow("one row") << 0 << QStringList{u"only"_s} << Answers{} << QString()
                             << QStringList{u"only"_s} << QString() << 0;
}

void tst_MainWindow::sortThroughTheWindow()
{
    QFETCH(int, option);
    QFETCH(QStringList, content);
    QFETCH(Answers, answers);
    QFETCH(QString, prompt);
    QFETCH(QStringList, expected);
    QFETCH(QString, failure);
    QFETCH(int, failureLine);

    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.sortOptionList()->setCurrentIndex(option);
    window.content().append(content);
    for (const auto &answer : answers)
        f.dialogs.inputAnswers.push_back(answer);

    click(window, Element::StartSortingButton);

    std::vector<ScriptedDialogs::Shown> boxes;
    using Kind = ScriptedDialogs::Shown::Kind;
    if (!prompt.isEmpty())
        boxes.push_back({Kind::Input, prompt, u"Tarnveil"_s, UserDialogs::Icon::None, {}});
    if (!failure.isEmpty())
        boxes.push_back({Kind::Message,
                         errorDialogText(failure, Sorting, failureLine),
                         u"Application Error"_s,
                         UserDialogs::Icon::Warning,
                         {}});
    boxes.push_back({Kind::Message, u"Done."_s, u"Tarnveil"_s, UserDialogs::Icon::None, {}});
    QCOMPARE(f.dialogs.shown, boxes);

    QCOMPARE(rowTexts(window.results()), expected);
    // The content list stays as it was.
    QCOMPARE(window.content().count(), int(content.size()));
    QCOMPARE(window.pointer().shape(), WindowPointer::Shape::Default);
    QCOMPARE(window.statusLine().position(), 0.0);
    QCOMPARE(window.statusLine().text(), u"Progress Bar"_s);
}

void tst_MainWindow::emptyListChangesNothing()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.pointer().set(WindowPointer::Shape::Custom);
    QSignalSpy texts(&window.statusLine(), &StatusLine::textSet);

    click(window, Element::StartSortingButton);

    QCOMPARE(f.dialogs.shown,
             (std::vector<ScriptedDialogs::Shown>{{ScriptedDialogs::Shown::Kind::Message,
                                                   u"List is empty."_s,
                                                   u"Tarnveil"_s,
                                                   UserDialogs::Icon::None,
                                                   {}}}));
    QCOMPARE(window.pointer().shape(), WindowPointer::Shape::Custom);
    QCOMPARE(texts.count(), 0);
    QCOMPARE(window.results().count(), 0);
}

void tst_MainWindow::statusTexts()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.sortOptionList()->setCurrentIndex(16);
    window.content().append(
        QStringList{u"C:\\data\\notes.txt"_s, u"plain row"_s, u"ends with\\"_s});
    QSignalSpy texts(&window.statusLine(), &StatusLine::textSet);
    QList<WindowPointer::Shape> pointerWhileReading;
    connect(&window.statusLine(), &StatusLine::textSet, this,
            [&] { pointerWhileReading << window.pointer().shape(); });
    f.dialogs.onShown = [&](const ScriptedDialogs::Shown &) {
        // The bar is back at rest before "Done." shows.
        QCOMPARE(window.statusLine().text(), u"Progress Bar"_s);
        QCOMPARE(window.statusLine().position(), 0.0);
        QCOMPARE(window.pointer().shape(), WindowPointer::Shape::Default);
    };

    // The first row's text is due: the time slice has passed.
    waitForTimeSlice(window.statusLine());
    click(window, Element::StartSortingButton);

    QStringList shown;
    for (const QList<QVariant> &args : texts)
        shown << args.at(0).toString();
    // The rows' texts that the bar shows, in row order; the others are never
    // built.
    const qsizetype sorting = shown.indexOf(u"Sorting: 1"_s);
    QVERIFY(sorting >= 1);
    QCOMPARE(shown.first(), u"Processing: notes.txt"_s);
    const QStringList rows{u"Processing: notes.txt"_s, u"Processing: plain row"_s,
                           u"Processing: "_s};
    qsizetype next = 1;
    for (const QString &text : shown.mid(1, sorting - 1)) {
        const qsizetype at = rows.indexOf(text, next);
        QVERIFY2(at >= next, qPrintable(text));
        next = at + 1;
    }
    QVERIFY(shown.size() >= sorting + 2);
    for (const QString &text : shown.mid(sorting + 1, shown.size() - sorting - 2))
        QVERIFY2(text.startsWith(u"Sorting: "_s), qPrintable(text));
    QCOMPARE(shown.last(), u"Progress Bar"_s);
    QCOMPARE(rowTexts(window.results()),
             (QStringList{u"plain row"_s, u"ends with\\"_s, u"C:\\data\\notes.txt"_s}));
    QCOMPARE(pointerWhileReading.first(), WindowPointer::Shape::Hourglass);
    QCOMPARE(f.dialogs.messages(), QStringList{u"Done."_s});
    // The bar learns of the last status at the next pass of the event loop.
    auto *bar = control<QProgressBar>(window, Element::StatusBar);
    QVERIFY(bar);
    QTRY_COMPARE(bar->text(), u"Progress Bar"_s);
    QCOMPARE(bar->value(), 0);
}

void tst_MainWindow::secondRunDoublesTheResults()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.content().append(QStringList{B, A});
    window.results().append(u"kept"_s);

    click(window, Element::StartSortingButton);
    click(window, Element::StartSortingButton);

    QCOMPARE(rowTexts(window.results()), (QStringList{u"kept"_s, A, B, A, B}));
    QCOMPARE(f.dialogs.messages(), (QStringList{u"Done."_s, u"Done."_s}));
    QCOMPARE(window.content().count(), 2);
}

void tst_MainWindow::clickDuringAYieldRunsANestedSort()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.content().append(QStringList{C, B, A});
    QSignalSpy texts(&window.statusLine(), &StatusLine::textSet);

    QTimer::singleShot(0, &window, [&] { click(window, Element::StartSortingButton); });
    // Let the first row's yield reach the event loop.
    waitForTimeSlice(window.statusLine());
    click(window, Element::StartSortingButton);

    QCOMPARE(rowTexts(window.results()), (QStringList{A, B, C, A, B, C}));
    QCOMPARE(f.dialogs.messages(), (QStringList{u"Done."_s, u"Done."_s}));
    QCOMPARE(window.pointer().shape(), WindowPointer::Shape::Default);
    QCOMPARE(window.statusLine().text(), u"Progress Bar"_s);
    // The nested run started while the first one was reading its first row.
    QCOMPARE(texts.at(0).at(0).toString(), u"Processing: "_s + C);
    QCOMPARE(texts.at(1).at(0).toString(), u"Processing: "_s + C);
}

void tst_MainWindow::closingDuringASortEndsIt()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.content().append(QStringList{C, B, A});

    QTimer::singleShot(0, &window, [&] { window.close(); });
    waitForTimeSlice(window.statusLine());
    click(window, Element::StartSortingButton);

    QVERIFY(window.statusLine().aborted());
    QVERIFY(!window.isVisible());
    QCOMPARE(window.results().count(), 0);
    QVERIFY(f.dialogs.shown.empty());
}

void tst_MainWindow::contentChangesDuringTheRun_data()
{
    QTest::addColumn<bool>("added"); // rows added, or else all rows removed
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("failures");

    QTest::newRow("rows added wait for the next run")
        << true << QStringList{A, B, C} << QStringList();
    QTest::newRow("rows removed end the reading")
        << false << QStringList{C}
        << QStringList{errorDialogText(u"Index out of bounds"_s, Sorting, 110)};
}

void tst_MainWindow::contentChangesDuringTheRun()
{
    QFETCH(bool, added);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, failures);

    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.content().append(QStringList{C, B, A});

    // Something that does not respect the busy state changes the content
    // list while the first row's yield runs the event loop.
    QTimer::singleShot(0, &window, [&] {
        if (added)
            window.content().append(QStringList(5000, u"added"_s));
        else
            window.content().clear();
    });
    waitForTimeSlice(window.statusLine());
    click(window, Element::StartSortingButton);

    QCOMPARE(rowTexts(window.results()), expected);
    QCOMPARE(f.dialogs.messages(), failures + QStringList{u"Done."_s});
    QCOMPARE(window.pointer().shape(), WindowPointer::Shape::Default);
}

void tst_MainWindow::pointerRules_data()
{
    QTest::addColumn<Element>("element");
    QTest::addColumn<bool>("viewport");
    QTest::addColumn<WindowPointer::Shape>("before");
    QTest::addColumn<WindowPointer::Shape>("after");

    using S = WindowPointer::Shape;
    const std::pair<const char *, Element> buttons[] = {
        {"clear content button", Element::ClearContentButton},
        {"clear results button", Element::ClearResultsButton},
        {"load files button", Element::LoadFilesButton},
        {"save text file button", Element::SaveTextFileButton},
        {"copy button", Element::CopyButton},
        {"help button", Element::HelpButton},
        {"sample button", Element::SampleButton},
        {"save spreadsheet button", Element::SaveSpreadsheetButton},
        {"start sorting button", Element::StartSortingButton}};
    for (const auto &[name, button] : buttons)
        QTest::addRow("%s shows the hand", name) << button << false << S::Default << S::Custom;
    QTest::newRow("button while busy")
        << Element::StartSortingButton << false << S::Hourglass << S::Hourglass;
    QTest::newRow("background") << Element::Window << false << S::Custom << S::Default;
    QTest::newRow("background while busy")
        << Element::Window << false << S::Hourglass << S::Hourglass;
    QTest::newRow("frame") << Element::SortOptionsFrame << false << S::Custom << S::Default;
    QTest::newRow("content list") << Element::ContentList << true << S::Custom << S::Default;
    QTest::newRow("results list") << Element::ResultsList << true << S::Custom << S::Default;
    QTest::newRow("list while busy")
        << Element::ContentList << true << S::Hourglass << S::Hourglass;
    QTest::newRow("drop-down list keeps the hand")
        << Element::SortOptionList << false << S::Custom << S::Custom;
    QTest::newRow("progress bar keeps the hand")
        << Element::StatusBar << false << S::Custom << S::Custom;
}

void tst_MainWindow::pointerRules()
{
    QFETCH(Element, element);
    QFETCH(bool, viewport);
    QFETCH(WindowPointer::Shape, before);
    QFETCH(WindowPointer::Shape, after);

    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWidget *widget = element == Element::Window ? &window : control(window, element);
    QVERIFY(widget);
    if (viewport)
        widget = static_cast<RowListView *>(widget)->viewport();
    window.pointer().set(before);

    // A point of the control that no child covers.
    QPoint at(2, 2);
    if (widget == &window)
        at = QPoint(window.width() - 2, window.height() - 2);
    else if (element == Element::SortOptionsFrame)
        at = QPoint(widget->width() - 3, widget->height() - 3);
    QVERIFY(!widget->childAt(at));
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);

    QCOMPARE(window.pointer().shape(), after);
    const Qt::CursorShape shown =
        after == WindowPointer::Shape::Hourglass ? Qt::WaitCursor : Qt::ArrowCursor;
    QCOMPARE(window.cursor().shape(), shown);
}

void tst_MainWindow::busyPointerSurvivesMovesDuringAPrompt()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.sortOptionList()->setCurrentIndex(3);
    window.content().append(QStringList{B, A});
    f.dialogs.inputAnswers.push_back(u"1"_s);

    QList<WindowPointer::Shape> during;
    f.dialogs.onShown = [&](const ScriptedDialogs::Shown &box) {
        if (box.kind != ScriptedDialogs::Shown::Kind::Input)
            return;
        for (const Element element : {Element::HelpButton, Element::ContentList}) {
            QWidget *w = control(window, element);
            if (auto *view = qobject_cast<RowListView *>(w))
                w = view->viewport();
            QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &move);
            during << window.pointer().shape();
        }
        QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    };

    click(window, Element::StartSortingButton);

    QCOMPARE(during, (QList<WindowPointer::Shape>{WindowPointer::Shape::Hourglass,
                                                  WindowPointer::Shape::Hourglass}));
    QCOMPARE(window.pointer().shape(), WindowPointer::Shape::Default);
}

void tst_MainWindow::help()
{
    WindowFixture f;
    MainWindow &window = f.makeWindow();
    window.content().append(u"untouched"_s);

    click(window, Element::HelpButton);

    QCOMPARE(
        f.dialogs.shown,
        (std::vector<ScriptedDialogs::Shown>{
            {ScriptedDialogs::Shown::Kind::Message,
             u"Questions? Please contact Team Hallowmere at https://hallowmere.example/contact"_s,
             u"Tarnveil"_s,
             UserDialogs::Icon::None,
             {}}}));
    QCOMPARE(window.content().count(), 1);
    QCOMPARE(window.results().count(), 0);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
