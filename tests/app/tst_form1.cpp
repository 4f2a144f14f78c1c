#include "app/CommandContext.h"
#include "app/ErrorDialog.h"
#include "app/Form1.h"
#include "app/StatusLine.h"
#include "app/UserDialogs.h"
#include "lists/RowModel.h"
#include "sort/SortOptions.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageWriter>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <memory>

using namespace Qt::StringLiterals;

using Answers = QList<std::optional<QString>>;

namespace {

// Lines that each character position orders differently:
// from 1 A B C, from 2 B C A, from 3 C A B, from 4 B A C.
const QString A = u"1cb2"_s;
const QString B = u"2ac1"_s;
const QString C = u"3ba3"_s;

QString settingsGroup()
{
    return u"Tarnveil"_s;
}

std::unique_ptr<QSettings> openSettings()
{
    auto settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                u"Hallowmere"_s, u"Hallowmere"_s);
    settings->beginGroup(settingsGroup());
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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class tst_Form1 : public QObject
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
    void comboEntries();

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

private:
    std::unique_ptr<Form1> makeWindow(ScriptedDialogs &dialogs, const QString &folder = {});
    void click(Form1 &window, const QString &button);

    QTemporaryDir m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_programFolder;
};

void tst_Form1::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_Form1::init()
{
    openSettings()->remove(QString());
    m_programFolder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_programFolder->isValid());
}

std::unique_ptr<Form1> tst_Form1::makeWindow(ScriptedDialogs &dialogs, const QString &folder)
{
    Form1Services services;
    services.dialogs = &dialogs;
    services.programFolder = folder.isEmpty() ? m_programFolder->path() : folder;
    return std::make_unique<Form1>(services);
}

void tst_Form1::click(Form1 &window, const QString &button)
{
    auto *pushButton = window.findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    pushButton->click();
}

void tst_Form1::startUpRestoresTheOption_data()
{
    QTest::addColumn<std::optional<QString>>("stored");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("failure"); // empty: no error box
    QTest::addColumn<QString>("storedAfter");

    QTest::newRow("absent") << std::optional<QString>() << 0 << QString() << u"0"_s;
    QTest::newRow("0") << std::optional(u"0"_s) << 0 << QString() << u"0"_s;
    QTest::newRow("5, counting separators")
        << std::optional(u"5"_s) << 5 << QString() << u"5"_s;
    QTest::newRow("16, the last entry") << std::optional(u"16"_s) << 16 << QString() << u"16"_s;
    QTest::newRow("2.5 rounds to even") << std::optional(u" 2.5 "_s) << 2 << QString() << u"2"_s;
    QTest::newRow("17, past the end")
        << std::optional(u"17"_s) << -1 << u"Invalid property value"_s << u"17"_s;
    QTest::newRow("-2") << std::optional(u"-2"_s) << -1 << u"Invalid property value"_s << u"-2"_s;
    QTest::newRow("-1, no entry")
        << std::optional(u"-1"_s) << -1 << u"Invalid property value"_s << u"-1"_s;
    QTest::newRow("abc") << std::optional(u"abc"_s) << -1 << u"Type mismatch"_s << u"abc"_s;
    QTest::newRow("too big for a whole number")
        << std::optional(u"1e12"_s) << -1 << u"Overflow"_s << u"1e12"_s;
}

void tst_Form1::startUpRestoresTheOption()
{
    QFETCH(std::optional<QString>, stored);
    QFETCH(int, selected);
    QFETCH(QString, failure);
    QFETCH(QString, storedAfter);

    if (stored)
        openSettings()->setValue(u"Combo1"_s, *stored);

    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);

    QCOMPARE(window->combo()->currentIndex(), selected);
    if (failure.isEmpty()) {
        QVERIFY(dialogs.shown.empty());
    } else {
        QCOMPARE(dialogs.shown.size(), size_t(1));
        QCOMPARE(dialogs.shown.front().caption, u"Application Error"_s);
        QCOMPARE(dialogs.shown.front().text,
                 errorDialogText(failure, u"Form1"_s, u"Form_Load"_s, 170));
    }
    QCOMPARE(openSettings()->value(u"Combo1"_s).toString(), storedAfter);
}

void tst_Form1::startUpErrorText()
{
    openSettings()->setValue(u"Combo1"_s, u"abc"_s);
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);

    QCOMPARE(dialogs.shown.size(), size_t(1));
    const ScriptedDialogs::Shown &box = dialogs.shown.front();
    QCOMPARE(box.kind, ScriptedDialogs::Shown::Kind::Message);
    QCOMPARE(box.caption, u"Application Error"_s);
    QCOMPARE(box.icon, UserDialogs::Icon::Warning);
    QCOMPARE(box.text.toUtf8(),
             QByteArray("Type mismatch\r\nin Tarnveil2021/08/31.Form1.Form_Load at line 170\r\r"
                        "Please email screenshot of this message to support@hallowmere.example"));
}

void tst_Form1::selectionIsStored_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("entry 13") << 13;
    QTest::newRow("separator 4") << 4;
    QTest::newRow("first entry again") << 0;
}

void tst_Form1::selectionIsStored()
{
    QFETCH(int, index);
    openSettings()->setValue(u"Combo1"_s, u"16"_s);
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);

    window->combo()->setCurrentIndex(index);
    QCOMPARE(openSettings()->value(u"Combo1"_s).toString(), QString::number(index));

    // The next start selects it again.
    ScriptedDialogs again;
    auto next = makeWindow(again);
    QCOMPARE(next->combo()->currentIndex(), index);
}

void tst_Form1::layout_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips"); // left, top, width, height

    QTest::newRow("ListView1") << u"ListView1"_s << QString() << QRect(120, 120, 7800, 1815);
    QTest::newRow("PushButton3")
        << u"PushButton3"_s << u"Load Text From File"_s << QRect(120, 2020, 3840, 400);
    QTest::newRow("PushButton1")
        << u"PushButton1"_s << u"Clear List"_s << QRect(4080, 2020, 3840, 405);
    QTest::newRow("PushButton6") << u"PushButton6"_s << u"Help"_s << QRect(120, 2530, 3840, 405);
    QTest::newRow("PushButton7")
        << u"PushButton7"_s << u"Load Sample/Example Text"_s << QRect(4080, 2530, 3840, 405);
    QTest::newRow("Frame1") << u"Frame1"_s << u"Sort Options"_s << QRect(120, 3015, 7800, 800);
    QTest::newRow("Combo1 in the frame") << u"Combo1"_s << QString() << QRect(240, 300, 7320, 345);
    QTest::newRow("PushButton17")
        << u"PushButton17"_s << u"Start Sorting"_s << QRect(120, 3915, 7800, 405);
    QTest::newRow("ListView2") << u"ListView2"_s << QString() << QRect(120, 4425, 7800, 1815);
    QTest::newRow("PushButton4")
        << u"PushButton4"_s << u"Save Results As Text File"_s << QRect(120, 6330, 3840, 405);
    QTest::newRow("PushButton13")
        << u"PushButton13"_s << u"Save Results As Excel File"_s << QRect(4080, 6330, 3840, 405);
    QTest::newRow("PushButton5")
        << u"PushButton5"_s << u"Copy Results To Clipboard"_s << QRect(120, 6840, 3840, 405);
    QTest::newRow("PushButton2")
        << u"PushButton2"_s << u"Clear List"_s << QRect(4080, 6840, 3840, 405);
    QTest::newRow("ProgressBar1")
        << u"ProgressBar1"_s << u"Progress Bar"_s << QRect(120, 7350, 7800, 405);
}

void tst_Form1::layout()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);

    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    auto *widget = window->findChild<QWidget *>(control);
    QVERIFY(widget);

    const auto pixels = [](int t) { return qRound(t / 15.0); };
    QCOMPARE(widget->geometry(), QRect(pixels(twips.x()), pixels(twips.y()),
                                       pixels(twips.width()), pixels(twips.height())));

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

void tst_Form1::window()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    QCOMPARE(window->windowTitle(), u"Tarnveil"_s);
    QCOMPARE(window->size(), QSize(536, 525));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QVERIFY(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!window->windowIcon().isNull());
    QCOMPARE(window->font().family(), u"Arial"_s);
    QCOMPARE(window->font().pointSizeF(), 9.0);
    QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(window->focusWidget(), window->findChild<QWidget *>(u"ListView1"_s));
    QCOMPARE(window->context().shortTitle, u"Tarnveil"_s);
    QVERIFY(dialogs.shown.empty());

    // Centred on the screen.
    const QRect screen = window->screen()->availableGeometry();
    QVERIFY(qAbs(window->geometry().center().x() - screen.center().x()) <= 1);
}

void tst_Form1::lists()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    const QList<std::pair<QString, QString>> lists = {
        {u"ListView1"_s, u"Content To Sort"_s}, {u"ListView2"_s, u"Sorted Content (Results)"_s}};
    for (const auto &[name, header] : lists) {
        auto *view = window->findChild<QTreeView *>(name);
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

void tst_Form1::tabOrder()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    const QStringList expected = {u"ListView1"_s,    u"ListView2"_s,   u"PushButton3"_s,
                                  u"PushButton1"_s,  u"PushButton17"_s, u"PushButton4"_s,
                                  u"PushButton2"_s,  u"Combo1"_s,      u"PushButton13"_s,
                                  u"PushButton5"_s,  u"PushButton6"_s, u"PushButton7"_s};
    QStringList order;
    QWidget *w = window->findChild<QWidget *>(expected.front());
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty())
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w->objectName() != expected.front() && order.size() < 50);
    QCOMPARE(order, expected);
}

void tst_Form1::comboEntries()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    QComboBox *combo = window->combo();
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->count(), int(SortOptionList().size()));
    for (int i = 0; i < combo->count(); ++i)
        QCOMPARE(combo->itemText(i), SortOptionList()[size_t(i)].caption);
}

void tst_Form1::skin_data()
{
    QTest::addColumn<bool>("asFile");
    QTest::addColumn<bool>("applies");
    QTest::newRow("file") << true << true;
    QTest::newRow("folder of that name") << false << false;
}

void tst_Form1::skin()
{
    QFETCH(bool, asFile);
    QFETCH(bool, applies);

    const QString path = m_programFolder->filePath(u"x/o.cjs"_s);
    const QByteArray sheet = "QPushButton { color: rgb(1, 2, 3); }";
    if (asFile)
        writeFile(path, sheet);
    else
        QVERIFY(QDir().mkpath(path));

    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    auto *frame = window->findChild<QWidget *>(u"Frame1"_s);
    const QColor expected = applies ? QApplication::palette().color(QPalette::Button)
                                    : QColor(Qt::white);
    QCOMPARE(window->palette().color(QPalette::Window), expected);
    QCOMPARE(frame->palette().color(QPalette::Window), expected);
    QCOMPARE(window->styleSheet(), applies ? QString::fromUtf8(sheet) : QString());
    QVERIFY(dialogs.shown.empty());
}

void tst_Form1::handCursor_data()
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

void tst_Form1::handCursor()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, loads);
    QFETCH(QPoint, hotSpot);
    QFETCH(QString, failure);

    if (!file.isEmpty())
        writeFile(m_programFolder->filePath(u"HAND-M.CUR"_s), file);
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);

    QCOMPARE(window->handCursor().has_value(), loads);
    if (failure.isEmpty())
        QVERIFY(dialogs.shown.empty());
    else
        QCOMPARE(dialogs.messages(),
                 QStringList{errorDialogText(failure, u"Form1"_s, u"Form_Load"_s, 108)});

    window->pointer().set(WindowPointer::Shape::Custom);
    if (loads) {
        QCOMPARE(window->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window->cursor().hotSpot(), hotSpot);
    } else {
        QCOMPARE(window->cursor().shape(), Qt::ArrowCursor);
    }
}

void tst_Form1::sortThroughTheWindow_data()
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

    QTest::newRow("0 alphabetically") << 0 << acb << Answers{} << QString() << QStringList{A, B, C}
                                      << QString() << 0;
    QTest::newRow("1 second character")
        << 1 << acb << Answers{} << QString() << QStringList{B, C, A} << QString() << 0;
    QTest::newRow("2 third character")
        << 2 << acb << Answers{} << QString() << QStringList{C, A, B} << QString() << 0;
    QTest::newRow("3 position 3") << 3 << acb << Answers{u"3"_s} << position
                                  << QStringList{C, A, B} << QString() << 0;
    QTest::newRow("3 position 2.5 rounds to 2") << 3 << acb << Answers{u"2.5"_s} << position
                                                << QStringList{B, C, A} << QString() << 0;
    QTest::newRow("3 position 3.5 rounds to 4") << 3 << acb << Answers{u" 3.5 "_s} << position
                                                << QStringList{B, A, C} << QString() << 0;
    QTest::newRow("3 position as exponent") << 3 << acb << Answers{u"2e0"_s} << position
                                            << QStringList{B, C, A} << QString() << 0;
    QTest::newRow("3 cancelled") << 3 << acb << Answers{std::nullopt} << position << acb
                                 << QString() << 0;
    QTest::newRow("3 letters") << 3 << acb << Answers{u"two"_s} << position << acb << QString()
                               << 0;
    QTest::newRow("3 empty answer") << 3 << acb << Answers{QString()} << position << acb
                                    << QString() << 0;
    QTest::newRow("3 out of range") << 3 << acb << Answers{u"2147483648"_s} << position << acb
                                    << u"Overflow"_s << 136;
    QTest::newRow("3 position 0") << 3 << acb << Answers{u"0"_s} << position << acb
                                  << u"Invalid procedure call or argument"_s << 136;
    QTest::newRow("4 separator") << 4 << acb << Answers{} << QString() << acb << QString() << 0;
    QTest::newRow("5 second word")
        << 5 << words << Answers{} << QString() << byWord << QString() << 0;
    QTest::newRow("6 third word")
        << 6 << QStringList{u"a b z"_s, u"c d y"_s, u"e"_s} << Answers{} << QString()
        << QStringList{u"c d y"_s, u"a b z"_s, u"e"_s} << QString() << 0;
    QTest::newRow("7 word 2") << 7 << words << Answers{u"2"_s} << wordNumber << byWord
                              << QString() << 0;
    QTest::newRow("7 word 2.5 rounds to 2") << 7 << words << Answers{u"2.5"_s} << wordNumber
                                            << byWord << QString() << 0;
    QTest::newRow("7 cancelled") << 7 << words << Answers{std::nullopt} << wordNumber << words
                                 << QString() << 0;
    QTest::newRow("7 letters") << 7 << words << Answers{u"second"_s} << wordNumber << words
                               << QString() << 0;
    QTest::newRow("7 out of range") << 7 << words << Answers{u"-3e9"_s} << wordNumber << words
                                    << u"Overflow"_s << 152;
    QTest::newRow("9 marker")
        << 9 << QStringList{u"c=0"_s, u"b=2"_s, u"a=1"_s} << Answers{u"="_s}
        << u"Enter character(s):"_s << QStringList{u"c=0"_s, u"a=1"_s, u"b=2"_s} << QString()
        << 0;
    QTest::newRow("9 cancelled sorts whole lines")
        << 9 << QStringList{u"c=0"_s, u"b=2"_s, u"a=1"_s} << Answers{std::nullopt}
        << u"Enter character(s):"_s << QStringList{u"a=1"_s, u"b=2"_s, u"c=0"_s} << QString()
        << 0;
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
                               << QString() << QStringList{u"a"_s, u"bb"_s, u"cc"_s}
                               << QString() << 0;
    QTest::newRow("one row") << 0 << QStringList{u"only"_s} << Answers{} << QString()
                             << QStringList{u"only"_s} << QString() << 0;
}

void tst_Form1::sortThroughTheWindow()
{
    QFETCH(int, option);
    QFETCH(QStringList, content);
    QFETCH(Answers, answers);
    QFETCH(QString, prompt);
    QFETCH(QStringList, expected);
    QFETCH(QString, failure);
    QFETCH(int, failureLine);

    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->combo()->setCurrentIndex(option);
    window->content().append(content);
    for (const auto &answer : answers)
        dialogs.inputAnswers.push_back(answer);

    click(*window, u"PushButton17"_s);

    std::vector<ScriptedDialogs::Shown> boxes;
    using Kind = ScriptedDialogs::Shown::Kind;
    if (!prompt.isEmpty())
        boxes.push_back({Kind::Input, prompt, u"Tarnveil"_s, UserDialogs::Icon::None, {}});
    if (!failure.isEmpty())
        boxes.push_back({Kind::Message,
                         errorDialogText(failure, u"Form1"_s, u"PushButton17_Click"_s, failureLine),
                         u"Application Error"_s, UserDialogs::Icon::Warning, {}});
    boxes.push_back({Kind::Message, u"Done."_s, u"Tarnveil"_s, UserDialogs::Icon::None, {}});
    QCOMPARE(dialogs.shown, boxes);

    QStringList results;
    for (int i = 0; i < window->results().count(); ++i)
        results << window->results().text(i);
    QCOMPARE(results, expected);
    // The content list stays as it was.
    QCOMPARE(window->content().count(), int(content.size()));
    QCOMPARE(window->pointer().shape(), WindowPointer::Shape::Default);
    QCOMPARE(window->statusLine().position(), 0.0);
    QCOMPARE(window->statusLine().text(), u"Progress Bar"_s);
}

void tst_Form1::emptyListChangesNothing()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->pointer().set(WindowPointer::Shape::Custom);
    QSignalSpy texts(&window->statusLine(), &StatusLine::textSet);

    click(*window, u"PushButton17"_s);

    QCOMPARE(dialogs.shown, (std::vector<ScriptedDialogs::Shown>{
                                {ScriptedDialogs::Shown::Kind::Message, u"List is empty."_s,
                                 u"Tarnveil"_s, UserDialogs::Icon::None, {}}}));
    QCOMPARE(window->pointer().shape(), WindowPointer::Shape::Custom);
    QCOMPARE(texts.count(), 0);
    QCOMPARE(window->results().count(), 0);
}

void tst_Form1::statusTexts()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->combo()->setCurrentIndex(16);
    window->content().append(
        QStringList{u"C:\\data\\notes.txt"_s, u"plain row"_s, u"ends with\\"_s});
    QSignalSpy texts(&window->statusLine(), &StatusLine::textSet);
    QList<WindowPointer::Shape> pointerWhileReading;
    connect(&window->statusLine(), &StatusLine::textSet, this,
            [&] { pointerWhileReading << window->pointer().shape(); });
    dialogs.onShown = [&](const ScriptedDialogs::Shown &) {
        // The bar is back at rest before "Done." shows.
        QCOMPARE(window->statusLine().text(), u"Progress Bar"_s);
        QCOMPARE(window->statusLine().position(), 0.0);
        QCOMPARE(window->pointer().shape(), WindowPointer::Shape::Default);
    };

    click(*window, u"PushButton17"_s);

    QStringList shown;
    for (const QList<QVariant> &args : texts)
        shown << args.at(0).toString();
    QVERIFY(shown.size() >= 5);
    QCOMPARE(shown.mid(0, 3), (QStringList{u"Processing: notes.txt"_s,
                                           u"Processing: plain row"_s, u"Processing: "_s}));
    QCOMPARE(shown.mid(3, 1), QStringList{u"Sorting: 1"_s});
    for (const QString &text : shown.mid(4, shown.size() - 5))
        QVERIFY2(text.startsWith(u"Sorting: "_s), qPrintable(text));
    QCOMPARE(shown.last(), u"Progress Bar"_s);
    QStringList results;
    for (int i = 0; i < window->results().count(); ++i)
        results << window->results().text(i);
    QCOMPARE(results, (QStringList{u"plain row"_s, u"ends with\\"_s, u"C:\\data\\notes.txt"_s}));
    QCOMPARE(pointerWhileReading.first(), WindowPointer::Shape::Hourglass);
    QCOMPARE(dialogs.messages(), QStringList{u"Done."_s});
    // The bar learns of the last status at the next pass of the event loop.
    QTRY_COMPARE(window->findChild<QProgressBar *>(u"ProgressBar1"_s)->text(), u"Progress Bar"_s);
    QCOMPARE(window->findChild<QProgressBar *>(u"ProgressBar1"_s)->value(), 0);
}

void tst_Form1::secondRunDoublesTheResults()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->content().append(QStringList{B, A});
    window->results().append(u"kept"_s);

    click(*window, u"PushButton17"_s);
    click(*window, u"PushButton17"_s);

    QStringList results;
    for (int i = 0; i < window->results().count(); ++i)
        results << window->results().text(i);
    QCOMPARE(results, (QStringList{u"kept"_s, A, B, A, B}));
    QCOMPARE(dialogs.messages(), (QStringList{u"Done."_s, u"Done."_s}));
    QCOMPARE(window->content().count(), 2);
}

void tst_Form1::clickDuringAYieldRunsANestedSort()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->content().append(QStringList{C, B, A});
    QSignalSpy texts(&window->statusLine(), &StatusLine::textSet);

    QTimer::singleShot(0, window.get(), [&] { click(*window, u"PushButton17"_s); });
    // Let the first row's yield reach the event loop.
    QThread::msleep(2 * StatusLine::SliceMs);
    click(*window, u"PushButton17"_s);

    QStringList results;
    for (int i = 0; i < window->results().count(); ++i)
        results << window->results().text(i);
    QCOMPARE(results, (QStringList{A, B, C, A, B, C}));
    QCOMPARE(dialogs.messages(), (QStringList{u"Done."_s, u"Done."_s}));
    QCOMPARE(window->pointer().shape(), WindowPointer::Shape::Default);
    QCOMPARE(window->statusLine().text(), u"Progress Bar"_s);
    // The nested run started while the first one was reading its first row.
    QCOMPARE(texts.at(0).at(0).toString(), u"Processing: "_s + C);
    QCOMPARE(texts.at(1).at(0).toString(), u"Processing: "_s + C);
}

void tst_Form1::closingDuringASortEndsIt()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->content().append(QStringList{C, B, A});

    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QThread::msleep(2 * StatusLine::SliceMs);
    click(*window, u"PushButton17"_s);

    QVERIFY(window->statusLine().aborted());
    QVERIFY(!window->isVisible());
    QCOMPARE(window->results().count(), 0);
    QVERIFY(dialogs.shown.empty());
}

void tst_Form1::contentChangesDuringTheRun_data()
{
    QTest::addColumn<bool>("added"); // rows added, or else all rows removed
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("failures");

    QTest::newRow("rows added wait for the next run")
        << true << QStringList{A, B, C} << QStringList();
    QTest::newRow("rows removed end the reading")
        << false << QStringList{C}
        << QStringList{errorDialogText(u"Index out of bounds"_s, u"Form1"_s,
                                       u"PushButton17_Click"_s, 110)};
}

void tst_Form1::contentChangesDuringTheRun()
{
    QFETCH(bool, added);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, failures);

    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->content().append(QStringList{C, B, A});

    // Something that does not respect the busy state changes the content
    // list while the first row's yield runs the event loop.
    QTimer::singleShot(0, window.get(), [&] {
        if (added)
            window->content().append(QStringList(5000, u"added"_s));
        else
            window->content().clear();
    });
    QThread::msleep(2 * StatusLine::SliceMs);
    click(*window, u"PushButton17"_s);

    QStringList results;
    for (int i = 0; i < window->results().count(); ++i)
        results << window->results().text(i);
    QCOMPARE(results, expected);
    QCOMPARE(dialogs.messages(), failures + QStringList{u"Done."_s});
    QCOMPARE(window->pointer().shape(), WindowPointer::Shape::Default);
}

void tst_Form1::pointerRules_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("viewport");
    QTest::addColumn<WindowPointer::Shape>("before");
    QTest::addColumn<WindowPointer::Shape>("after");

    using S = WindowPointer::Shape;
    const QStringList buttons = {u"PushButton1"_s, u"PushButton2"_s,  u"PushButton3"_s,
                                 u"PushButton4"_s, u"PushButton5"_s,  u"PushButton6"_s,
                                 u"PushButton7"_s, u"PushButton13"_s, u"PushButton17"_s};
    for (const QString &button : buttons)
        QTest::addRow("%s shows the hand", qPrintable(button)) << button << false << S::Default
                                                               << S::Custom;
    QTest::newRow("button while busy") << u"PushButton17"_s << false << S::Hourglass
                                       << S::Hourglass;
    QTest::newRow("background") << u"Form1"_s << false << S::Custom << S::Default;
    QTest::newRow("background while busy") << u"Form1"_s << false << S::Hourglass
                                           << S::Hourglass;
    QTest::newRow("frame") << u"Frame1"_s << false << S::Custom << S::Default;
    QTest::newRow("content list") << u"ListView1"_s << true << S::Custom << S::Default;
    QTest::newRow("results list") << u"ListView2"_s << true << S::Custom << S::Default;
    QTest::newRow("list while busy") << u"ListView1"_s << true << S::Hourglass << S::Hourglass;
    QTest::newRow("drop-down list keeps the hand") << u"Combo1"_s << false << S::Custom
                                                   << S::Custom;
    QTest::newRow("progress bar keeps the hand") << u"ProgressBar1"_s << false << S::Custom
                                                 << S::Custom;
}

void tst_Form1::pointerRules()
{
    QFETCH(QString, control);
    QFETCH(bool, viewport);
    QFETCH(WindowPointer::Shape, before);
    QFETCH(WindowPointer::Shape, after);

    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QWidget *widget = control == window->objectName() ? window.get()
                                                       : window->findChild<QWidget *>(control);
    QVERIFY(widget);
    if (viewport)
        widget = static_cast<QTreeView *>(widget)->viewport();
    window->pointer().set(before);

    // A point of the control that no child covers.
    QPoint at(2, 2);
    if (widget == window.get())
        at = QPoint(window->width() - 2, window->height() - 2);
    else if (widget->objectName() == u"Frame1"_s)
        at = QPoint(widget->width() - 3, widget->height() - 3);
    QVERIFY(!widget->childAt(at));
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);

    QCOMPARE(window->pointer().shape(), after);
    const Qt::CursorShape shown = after == WindowPointer::Shape::Hourglass ? Qt::WaitCursor
                                                                           : Qt::ArrowCursor;
    QCOMPARE(window->cursor().shape(), shown);
}

void tst_Form1::busyPointerSurvivesMovesDuringAPrompt()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    window->combo()->setCurrentIndex(3);
    window->content().append(QStringList{B, A});
    dialogs.inputAnswers.push_back(u"1"_s);

    QList<WindowPointer::Shape> during;
    dialogs.onShown = [&](const ScriptedDialogs::Shown &box) {
        if (box.kind != ScriptedDialogs::Shown::Kind::Input)
            return;
        for (const QString &name : {u"PushButton6"_s, u"ListView1"_s}) {
            QWidget *w = window->findChild<QWidget *>(name);
            if (auto *view = qobject_cast<QTreeView *>(w))
                w = view->viewport();
            QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(w, &move);
            during << window->pointer().shape();
        }
        QCOMPARE(window->cursor().shape(), Qt::WaitCursor);
    };

    click(*window, u"PushButton17"_s);

    QCOMPARE(during, (QList<WindowPointer::Shape>{WindowPointer::Shape::Hourglass,
                                                  WindowPointer::Shape::Hourglass}));
    QCOMPARE(window->pointer().shape(), WindowPointer::Shape::Default);
}

void tst_Form1::help()
{
    ScriptedDialogs dialogs;
    auto window = makeWindow(dialogs);
    window->content().append(u"untouched"_s);

    click(*window, u"PushButton6"_s);

    QCOMPARE(dialogs.shown,
             (std::vector<ScriptedDialogs::Shown>{
                 {ScriptedDialogs::Shown::Kind::Message,
                  u"Questions? Please contact Team Hallowmere at https://hallowmere.example/contact"_s,
                  u"Tarnveil"_s, UserDialogs::Icon::None, {}}}));
    QCOMPARE(window->content().count(), 1);
    QCOMPARE(window->results().count(), 0);
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
