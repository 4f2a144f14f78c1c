#include "app/MainWindow.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Shape = WindowPointer::Shape;

const QString LocationOfLoad = u"in Tarnveil2021/08/31.Form1.PushButton3_Click at line "_s;

} // namespace

// The lists inside the main window: keys, clicks, buttons, the file dialog
// and drops, with the window's own busy state.
class tst_ListWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void deleteKey_data();
    void deleteKey();
    void doubleClick_data();
    void doubleClick();
    void clearButtonsWhileBusy();
    void sampleTwice();
    void loadFiles_data();
    void loadFiles();
    void drop_data();
    void drop();
    void checkBoxes();
    void clipboardKeys_data();
    void clipboardKeys();
    void contextMenus_data();
    void contextMenus();
    void windowShortcuts();

private:
    RowListView *list(Element element) const { return control<RowListView>(*m_window, element); }
    RowModel &model(Element element) const
    {
        return element == Element::ContentList ? m_window->content() : m_window->results();
    }
    QString path(const QString &name) const { return m_files.filePath(name); }

    QTemporaryDir m_files;
    std::unique_ptr<WindowFixture> m_fixture;
    ScriptedDialogs *m_dialogs = nullptr;
    MainWindow *m_window = nullptr;
};

void tst_ListWindow::initTestCase()
{
    QVERIFY(m_files.isValid());
    QVERIFY(writeFile(path(u"one.txt"_s), "1a\r\n1b\r\n"_ba));
    QVERIFY(writeFile(path(u"two.txt"_s), "\n2a\n   \n2b"_ba));
    QVERIFY(writeFile(path(u"three.txt"_s), "3a"_ba));
    QVERIFY(QDir(m_files.path()).mkdir(u"folder.txt"_s));
}

void tst_ListWindow::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_dialogs = &m_fixture->dialogs;
    m_window = &m_fixture->makeWindow();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(m_dialogs->shown.empty());
}

void tst_ListWindow::cleanup()
{
    m_window = nullptr;
    m_dialogs = nullptr;
    m_fixture.reset();
}

void tst_ListWindow::deleteKey_data()
{
    QTest::addColumn<Element>("listElement");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("removes");

    const Qt::KeyboardModifiers none;
    const std::pair<const char *, Element> lists[] = {{"content list", Element::ContentList},
                                                      {"results list", Element::ResultsList}};
    for (const auto &[name, list] : lists) {
        QTest::addRow("%s plain", name) << list << 3 << 1 << none << false << true;
        QTest::addRow("%s shift", name)
            << list << 3 << 2 << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << true;
        QTest::addRow("%s ctrl alt", name)
            << list << 3 << 0 << (Qt::ControlModifier | Qt::AltModifier) << false << true;
        QTest::addRow("%s nothing selected", name) << list << 3 << -1 << none << false << false;
        QTest::addRow("%s empty list", name) << list << 0 << -1 << none << false << false;
        QTest::addRow("%s busy", name) << list << 3 << 1 << none << true << false;
    }
}

void tst_ListWindow::deleteKey()
{
    QFETCH(Element, listElement);
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, busy);
    QFETCH(bool, removes);

    RowListView *view = list(listElement);
    RowModel &rowsOf = model(listElement);
    for (int i = 0; i < rows; ++i)
        rowsOf.append(u"row %1"_s.arg(i));
    view->setFocus();
    if (selected >= 0)
        view->setCurrentIndex(rowsOf.index(selected));
    if (busy)
        m_window->pointer().set(Shape::Hourglass);

    QStringList expected = rowTexts(rowsOf);
    if (removes)
        expected.removeAt(selected);
    QTest::keyClick(view, Qt::Key_Delete, modifiers);
    QCOMPARE(rowTexts(rowsOf), expected);
}

void tst_ListWindow::doubleClick_data()
{
    QTest::addColumn<Element>("listElement");
    QTest::addColumn<bool>("busy");
    QTest::newRow("content list") << Element::ContentList << false;
    QTest::newRow("results list") << Element::ResultsList << false;
    QTest::newRow("content list, busy") << Element::ContentList << true;
    QTest::newRow("results list, busy") << Element::ResultsList << true;
}

void tst_ListWindow::doubleClick()
{
    QFETCH(Element, listElement);
    QFETCH(bool, busy);

    RowListView *view = list(listElement);
    RowModel &rowsOf = model(listElement);
    rowsOf.append(QStringList{u"first"_s, u"second"_s, u"second"_s});
    if (busy)
        m_window->pointer().set(Shape::Hourglass);

    // Double-click on the text, right of any check box.
    QRect row = view->visualRect(rowsOf.index(2));
    const QPoint at(row.left() + row.width() / 2, row.center().y());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);

    QCOMPARE(rowTexts(rowsOf), busy ? (QStringList{u"first"_s, u"second"_s, u"second"_s})
                                    : (QStringList{u"first"_s, u"second"_s}));
}

// While a load shows "File not found" the window is busy: the content list's
// "Clear List" and the Delete key do nothing there, the results list's
// "Clear List" empties it.
void tst_ListWindow::clearButtonsWhileBusy()
{
    m_window->results().append(QStringList{u"r1"_s, u"r2"_s});
    m_dialogs->openAnswers.push_back({path(u"one.txt"_s), path(u"gone.txt"_s)});
    bool sawBusy = false;
    m_dialogs->onShown = [&](const ScriptedDialogs::Shown &shown) {
        if (!shown.text.startsWith(u"File not found"_s))
            return;
        sawBusy = m_window->pointer().busy();
        click(*m_window, Element::ClearContentButton);
        list(Element::ContentList)->setCurrentIndex(m_window->content().index(0));
        QTest::keyClick(list(Element::ContentList), Qt::Key_Delete);
        click(*m_window, Element::ClearResultsButton);
    };
    click(*m_window, Element::LoadFilesButton);

    QVERIFY(sawBusy);
    QCOMPARE(rowTexts(m_window->content()), (QStringList{u"1a"_s, u"1b"_s}));
    QCOMPARE(m_window->results().count(), 0);
    QCOMPARE(m_window->pointer().shape(), Shape::Default);

    // Not busy any more: the content list's button clears it.
    click(*m_window, Element::ClearContentButton);
    QCOMPARE(m_window->content().count(), 0);
}

void tst_ListWindow::sampleTwice()
{
    m_window->content().append(u"loaded before"_s);
    click(*m_window, Element::SampleButton);
    click(*m_window, Element::SampleButton);
    const QStringList rows = rowTexts(m_window->content());
    QCOMPARE(rows.size(), 25);
    QCOMPARE(rows.at(0), u"loaded before"_s);
    QCOMPARE(rows.at(1), u"Watch your cash."_s);
    QCOMPARE(rows.at(12), u"Guard your time."_s);
    QCOMPARE(rows.mid(13), rows.mid(1, 12));
    QCOMPARE(m_window->results().count(), 0);
}

void tst_ListWindow::loadFiles_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("boxes"); // "File not found" or an error box's line number

    QTest::newRow("three files in one go")
        << QStringList{u"two.txt"_s, u"three.txt"_s, u"one.txt"_s}
        << QStringList{u"2a"_s, u"2b"_s, u"3a"_s, u"1a"_s, u"1b"_s} << QStringList();
    QTest::newRow("a missing file among others")
        << QStringList{u"one.txt"_s, u"gone.txt"_s, u"three.txt"_s}
        << QStringList{u"1a"_s, u"1b"_s, u"3a"_s} << QStringList{u"File not found"_s};
    QTest::newRow("an unreadable file among others")
        << QStringList{u"folder.txt"_s, u"three.txt"_s} << QStringList{u"3a"_s}
        << QStringList{u"134"_s};
    QTest::newRow("one unreadable file")
        << QStringList{u"folder.txt"_s} << QStringList() << QStringList{u"120"_s};
}

void tst_ListWindow::loadFiles()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, boxes);

    QStringList paths;
    for (const QString &name : names)
        paths.append(path(name));
    m_dialogs->openAnswers.push_back(paths);
    m_window->results().append(u"result"_s);
    std::vector<bool> busyAtBox;
    m_dialogs->onShown = [&](const ScriptedDialogs::Shown &shown) {
        if (shown.kind == ScriptedDialogs::Shown::Kind::Message)
            busyAtBox.push_back(m_window->pointer().busy());
    };
    click(*m_window, Element::LoadFilesButton);

    QCOMPARE(rowTexts(m_window->content()), rows);
    QCOMPARE(rowTexts(m_window->results()), QStringList{u"result"_s});
    QCOMPARE(m_window->pointer().shape(), Shape::Default);
    QCOMPARE(busyAtBox, std::vector<bool>(size_t(boxes.size()), true));
    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), boxes.size());
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const ScriptedDialogs::Shown &box = m_dialogs->shown.at(size_t(i + 1));
        if (boxes.at(i) == u"File not found"_s) {
            // It names the file that is missing.
            QCOMPARE(box.text, u"File not found: "_s + path(u"gone.txt"_s));
            QCOMPARE(box.caption, u"Tarnveil"_s);
            QCOMPARE(box.icon, UserDialogs::Icon::None);
        } else {
            QCOMPARE(box.caption, u"Application Error"_s);
            QCOMPARE(box.icon, UserDialogs::Icon::Warning);
            QVERIFY2(messages.at(i).startsWith(u"Cannot read \""_s + path(u"folder.txt"_s)),
                     qPrintable(messages.at(i)));
            QVERIFY2(messages.at(i).contains(LocationOfLoad + boxes.at(i) + u"\r\r"_s),
                     qPrintable(messages.at(i)));
        }
    }
}

void tst_ListWindow::drop_data()
{
    QTest::addColumn<Element>("listElement");
    QTest::addColumn<bool>("files");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QStringList>("rows");
    const QStringList fileRows{u"3a"_s, u"1a"_s, u"1b"_s};
    const QString text = u"t1\r\n  \nt2"_s;
    QTest::newRow("files on the content list")
        << Element::ContentList << true << QString() << false << fileRows;
    QTest::newRow("files on the results list")
        << Element::ResultsList << true << QString() << false << QStringList();
    QTest::newRow("text on the content list")
        << Element::ContentList << false << text << false << QStringList{u"t1"_s, u"t2"_s};
    QTest::newRow("text on the results list")
        << Element::ResultsList << false << text << false << QStringList();
    QTest::newRow("files and their names as text")
        << Element::ContentList << true << text << false << fileRows;
    QTest::newRow("text while busy")
        << Element::ContentList << false << text << true << QStringList();
}

void tst_ListWindow::drop()
{
    QFETCH(Element, listElement);
    QFETCH(bool, files);
    QFETCH(QString, text);
    QFETCH(bool, busy);
    QFETCH(QStringList, rows);

    QMimeData mime;
    if (files) {
        mime.setUrls(
            {QUrl::fromLocalFile(path(u"three.txt"_s)), QUrl::fromLocalFile(path(u"one.txt"_s))});
    }
    if (!text.isEmpty())
        mime.setText(text);
    if (busy)
        m_window->pointer().set(Shape::Hourglass);
    QWidget *target = list(listElement)->viewport();
    const QPoint at = target->rect().center();
    // An editor offers to move the text it drags: the list only ever copies.
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, offered, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QCOMPARE(enter.isAccepted(), !rows.isEmpty());
    if (enter.isAccepted()) {
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(at), offered, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }
    QTRY_COMPARE(rowTexts(m_window->content()), rows);
    QCOMPARE(m_window->results().count(), 0);
    QCOMPARE(m_window->pointer().shape(), busy ? Shape::Hourglass : Shape::Default);
    QVERIFY(m_dialogs->shown.empty());
}

void tst_ListWindow::clipboardKeys_data()
{
    QTest::addColumn<Element>("listElement");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QStringList>("content");
    QTest::addColumn<QString>("clipboard");

    const QStringList pasted{u"c1"_s, u"p1"_s, u"p2"_s};
    const QString lines = u"p1\np2\n"_s;
    const QKeySequence paste(Qt::CTRL | Qt::Key_V);
    const QKeySequence copy(Qt::CTRL | Qt::Key_C);
    QTest::newRow("ctrl+v on the content list")
        << Element::ContentList << paste << false << pasted << lines;
    QTest::newRow("shift+insert on the content list")
        << Element::ContentList << QKeySequence(Qt::SHIFT | Qt::Key_Insert) << false << pasted
        << lines;
    QTest::newRow("ctrl+v on the results list")
        << Element::ResultsList << paste << false << QStringList{u"c1"_s} << lines;
    QTest::newRow("ctrl+c on the content list")
        << Element::ContentList << copy << false << QStringList{u"c1"_s} << u"c1"_s;
    QTest::newRow("ctrl+c on the results list, busy")
        << Element::ResultsList << copy << true << QStringList{u"c1"_s} << u"r2"_s;
}

void tst_ListWindow::clipboardKeys()
{
    QFETCH(Element, listElement);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, busy);
    QFETCH(QStringList, content);
    QFETCH(QString, clipboard);

    m_window->content().append(u"c1"_s);
    m_window->results().append(QStringList{u"r1"_s, u"r2"_s});
    m_fixture->clipboard.text = u"p1\np2\n"_s;
    RowListView *view = list(listElement);
    view->setFocus();
    view->setCurrentIndex(model(listElement).index(model(listElement).count() - 1));
    if (busy)
        m_window->pointer().set(Shape::Hourglass);

    QTest::keySequence(view, keys);
    QCOMPARE(rowTexts(m_window->content()), content);
    QCOMPARE(m_fixture->clipboard.text, clipboard);
    QVERIFY(m_dialogs->shown.empty());
}

void tst_ListWindow::contextMenus_data()
{
    QTest::addColumn<Element>("listElement");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QStringList>("enabledEntries");

    // Finding changes nothing: it is there also while the window is busy.
    const QStringList content{u"Paste Lines"_s, u"Copy Line"_s, u"Find..."_s};
    const QStringList results{u"Check All"_s,
                              u"Uncheck All"_s,
                              u"Invert Checks"_s,
                              u"Copy Line"_s,
                              u"Append Checked To Content"_s,
                              u"Find..."_s};
    QTest::newRow("content list, menu key")
        << Element::ContentList << QKeySequence(Qt::Key_Menu) << false << content;
    QTest::newRow("results list, shift+f10")
        << Element::ResultsList << QKeySequence(Qt::SHIFT | Qt::Key_F10) << false << results;
    QTest::newRow("results list, busy: only copying")
        << Element::ResultsList << QKeySequence(Qt::Key_Menu) << true
        << QStringList{u"Copy Line"_s, u"Find..."_s};
}

void tst_ListWindow::contextMenus()
{
    QFETCH(Element, listElement);
    QFETCH(QKeySequence, keys);
    QFETCH(bool, busy);
    QFETCH(QStringList, enabledEntries);

    m_window->content().append(u"c1"_s);
    m_window->results().append(QStringList{u"r1"_s, u"r2"_s});
    RowListView *view = list(listElement);
    view->setFocus();
    view->setCurrentIndex(model(listElement).index(0));
    if (busy)
        m_window->pointer().set(Shape::Hourglass);

    QTest::keySequence(view, keys);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QStringList enabled;
    for (const QAction *action : menu->actions()) {
        if (action->isEnabled() && !action->isSeparator())
            enabled.append(action->text());
    }
    QCOMPARE(enabled, enabledEntries);
    menu->close();
    // The keys of the entries it showed disabled work again.
    for (const QAction *action : menu->actions())
        QVERIFY(action->isEnabled());
}

// The desktop's keys reach the commands wherever the focus is.
void tst_ListWindow::windowShortcuts()
{
    m_window->content().append(QStringList{u"b"_s, u"a"_s});
    QWidget *focus = control(*m_window, Element::SortOptionList);
    focus->setFocus();
    QTest::keySequence(focus, QKeySequence(Qt::CTRL | Qt::Key_O));
    QTest::keySequence(focus, QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(m_dialogs->shown.size(), size_t(2));
    QCOMPARE(m_dialogs->shown[0].kind, ScriptedDialogs::Shown::Kind::OpenFiles);
    QCOMPARE(m_dialogs->shown[1].kind, ScriptedDialogs::Shown::Kind::SaveFile);
    QTest::keyClick(focus, Qt::Key_F5);
    QCOMPARE(rowTexts(m_window->results()), (QStringList{u"a"_s, u"b"_s}));
}

void tst_ListWindow::checkBoxes()
{
    m_window->content().append(u"content row"_s);
    m_window->results().append(QStringList{u"result row"_s, u"another"_s});
    const QAbstractItemModel *contentView = list(Element::ContentList)->model();
    const QAbstractItemModel *resultsView = list(Element::ResultsList)->model();
    QVERIFY(!contentView->data(contentView->index(0, 0), Qt::CheckStateRole).isValid());
    QCOMPARE(
        resultsView->data(resultsView->index(1, 0), Qt::CheckStateRole).value<Qt::CheckState>(),
        Qt::Checked);
}

QTEST_MAIN(tst_ListWindow)
#include "tst_listwindow.moc"
