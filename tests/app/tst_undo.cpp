#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "lists/RowHistory.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "support/TestFiles.h"
#include "support/TestLists.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

class tst_Undo;
// A change the user makes to the lists, through the window.
using Change = std::function<void(tst_Undo &)>;
Q_DECLARE_METATYPE(Change)

// Undo and redo in the window: every change to the lists is one step that
// goes back to the exact rows and marks, and comes again.
class tst_Undo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyStep_data();
    void everyStep();
    void stepsWhileACommandRuns();
    void newChangeDropsRedo();
    void keys_data();
    void keys();
    void menus();
    void hundredSteps();
    void closedWindowFreesHistory();

private:
    // Both lists as the user sees them: the content rows, "|", and each
    // results row behind its mark.
    QStringList lists() const;
    RowListView *view(Element element) const { return control<RowListView>(*m_window, element); }
    QString path(const QString &name) const { return m_files.filePath(name); }
    void loadChosen(const QStringList &names);
    void drop(const QList<QUrl> &urls, const QString &text);
    QPoint checkBox(int row) const;
    void triggerResultsEntry(const QString &caption);
    QStringList menuHead(Element list);

    QTemporaryDir m_files;
    std::unique_ptr<WindowFixture> m_fixture;
    MainWindow *m_window = nullptr;
};

void tst_Undo::initTestCase()
{
    QVERIFY(writeFile(path(u"one.txt"_s), "1a\n1b\n"_ba));
    QVERIFY(writeFile(path(u"two.txt"_s), "2a"_ba));
}

void tst_Undo::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_window = &m_fixture->makeWindow();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->content().append(QStringList{u"c2"_s, u"c1"_s, u"c3"_s});
    m_window->results().append(QStringList{u"r1"_s, u"r2"_s, u"r3"_s});
    m_window->results().setChecked(1, false);
}

void tst_Undo::cleanup()
{
    m_window = nullptr;
    m_fixture.reset();
}

QStringList tst_Undo::lists() const
{
    QStringList rows = rowTexts(m_window->content());
    rows << u"|"_s;
    for (int i = 0; i < m_window->results().count(); ++i)
        rows << (m_window->results().isChecked(i) ? u"+"_s : u"-"_s) + m_window->results().text(i);
    return rows;
}

void tst_Undo::loadChosen(const QStringList &names)
{
    QStringList paths;
    for (const QString &name : names)
        paths << path(name);
    m_fixture->dialogs.openAnswers.push_back(paths);
    click(*m_window, Element::LoadFilesButton);
}

void tst_Undo::drop(const QList<QUrl> &urls, const QString &text)
{
    QMimeData mime;
    mime.setUrls(urls);
    mime.setText(text);
    QWidget *target = view(Element::ContentList)->viewport();
    QDragEnterEvent enter(target->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent event(QPointF(target->rect().center()), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &event);
    // The list hands the drop on from the event loop.
    QCoreApplication::processEvents();
}

QPoint tst_Undo::checkBox(int row) const
{
    RowListView *results = view(Element::ResultsList);
    QStyleOptionViewItem option;
    option.initFrom(results);
    option.rect = results->visualRect(m_window->results().index(row));
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return results->style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, results)
        .center();
}

void tst_Undo::triggerResultsEntry(const QString &caption)
{
    for (QAction *action : view(Element::ResultsList)->actions()) {
        if (action->text() == caption)
            return action->trigger();
    }
    QFAIL(qPrintable(caption));
}

void tst_Undo::everyStep_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("name");
    const auto clicking = [](Element button) {
        return Change([button](tst_Undo &t) { click(*t.m_window, button); });
    };
    const auto clickingBox = [](int row) {
        return Change([row](tst_Undo &t) {
            QTest::mouseClick(t.view(Element::ResultsList)->viewport(), Qt::LeftButton, {},
                              t.checkBox(row));
        });
    };
    const QString load = u"Load Text From File"_s;

    QTest::newRow("two files chosen") << Change([](tst_Undo &t) {
        t.loadChosen({u"one.txt"_s, u"two.txt"_s});
    }) << load;
    QTest::newRow("standard input") << Change([](tst_Undo &t) {
        const int input = ::dup(STDIN_FILENO);
        const int file = ::open(qPrintable(t.path(u"one.txt"_s)), O_RDONLY);
        ::dup2(file, STDIN_FILENO);
        t.m_window->loadFiles({u"-"_s});
        ::dup2(input, STDIN_FILENO);
        ::close(file);
        ::close(input);
    }) << u"Load Standard Input"_s;
    QTest::newRow("ctrl+v") << Change([](tst_Undo &t) {
        t.m_fixture->clipboard.text = u"p1\np2"_s;
        t.view(Element::ContentList)->setFocus();
        QTest::keySequence(t.view(Element::ContentList), QKeySequence(Qt::CTRL | Qt::Key_V));
    }) << u"Paste Lines"_s;
    QTest::newRow("dropped files")
        << Change([](tst_Undo &t) { t.drop({QUrl::fromLocalFile(t.path(u"one.txt"_s))}, {}); })
        << u"Drop Files"_s;
    QTest::newRow("dropped text") << Change([](tst_Undo &t) { t.drop({}, u"d1\nd2"_s); })
                                  << u"Drop Text"_s;
    // Files dropped while a load shows a box belong to the load: its rows
    // came before and after them.
    QTest::newRow("files dropped during a load") << Change([](tst_Undo &t) {
        t.m_fixture->dialogs.onShown = [&t](const ScriptedDialogs::Shown &shown) {
            if (shown.kind == ScriptedDialogs::Shown::Kind::Message)
                t.drop({QUrl::fromLocalFile(t.path(u"two.txt"_s))}, {});
        };
        t.loadChosen({u"one.txt"_s, u"gone.txt"_s, u"two.txt"_s});
    }) << load;
    QTest::newRow("sample") << clicking(Element::SampleButton) << u"Load Sample/Example Text"_s;
    QTest::newRow("delete key") << Change([](tst_Undo &t) {
        t.view(Element::ContentList)->setCurrentIndex(t.m_window->content().index(1));
        QTest::keyClick(t.view(Element::ContentList), Qt::Key_Delete);
    }) << u"Remove Row"_s;
    QTest::newRow("double-click") << Change([](tst_Undo &t) {
        QTest::mouseDClick(t.view(Element::ResultsList)->viewport(), Qt::LeftButton, {},
                           t.checkBox(2) + QPoint(60, 0));
    }) << u"Remove Row"_s;
    QTest::newRow("clear content") << clicking(Element::ClearContentButton) << u"Clear List"_s;
    QTest::newRow("clear results") << clicking(Element::ClearResultsButton) << u"Clear List"_s;
    QTest::newRow("start sorting") << clicking(Element::StartSortingButton) << u"Start Sorting"_s;
    for (const QString &caption :
         {u"Append Checked To Content"_s, u"Check All"_s, u"Uncheck All"_s, u"Invert Checks"_s}) {
        QTest::newRow(qPrintable(caption))
            << Change([caption](tst_Undo &t) { t.triggerResultsEntry(caption); }) << caption;
    }
    QTest::newRow("box ticked") << clickingBox(1) << u"Check Row"_s;
    QTest::newRow("box cleared") << clickingBox(2) << u"Uncheck Row"_s;
}

void tst_Undo::everyStep()
{
    QFETCH(Change, change);
    QFETCH(QString, name);

    const QStringList before = lists();
    change(*this);
    m_fixture->dialogs.onShown = nullptr;
    const QStringList after = lists();
    QVERIFY(after != before);
    QCOMPARE(m_window->history().undoSteps(), 1);
    QCOMPARE(m_window->history().undoName(), name);

    m_window->undo();
    QCOMPARE(lists(), before);
    QCOMPARE(m_window->statusLine().text(), u"Undone: "_s + name);
    m_window->redo();
    QCOMPARE(lists(), after);
    QCOMPARE(m_window->statusLine().text(), u"Redone: "_s + name);
    m_window->undo();
    QCOMPARE(lists(), before);
}

// What the user does while a load shows a box is a step of its own, and
// nothing is undone before the load has finished.
void tst_Undo::stepsWhileACommandRuns()
{
    const QStringList before = lists();
    click(*m_window, Element::SampleButton);
    m_fixture->dialogs.onShown = [&](const ScriptedDialogs::Shown &shown) {
        if (shown.kind != ScriptedDialogs::Shown::Kind::Message)
            return;
        const int rows = m_window->content().count();
        QTest::keySequence(view(Element::ContentList), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(m_window->content().count(), rows);
        QTest::mouseClick(view(Element::ResultsList)->viewport(), Qt::LeftButton, {}, checkBox(0));
        click(*m_window, Element::ClearResultsButton);
    };
    loadChosen({u"one.txt"_s, u"gone.txt"_s});

    for (const QString &name : {u"Load Text From File"_s, u"Clear List"_s, u"Uncheck Row"_s,
                                u"Load Sample/Example Text"_s}) {
        QCOMPARE(m_window->history().undoName(), name);
        m_window->undo();
    }
    QCOMPARE(lists(), before);
}

void tst_Undo::newChangeDropsRedo()
{
    click(*m_window, Element::ClearContentButton);
    click(*m_window, Element::ClearResultsButton);
    m_window->undo();
    QCOMPARE(m_window->history().redoName(), u"Clear List"_s);
    click(*m_window, Element::SampleButton);
    QCOMPARE(m_window->history().redoSteps(), 0);
    const QStringList now = lists();
    m_window->redo();
    QCOMPARE(lists(), now);
}

void tst_Undo::keys_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<Element>("focus");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("undone"); // the content stays empty otherwise

    const QKeySequence undo(Qt::CTRL | Qt::Key_Z);
    const QKeySequence redo(Qt::CTRL | Qt::Key_Y);
    QTest::newRow("ctrl+z on the option list") << undo << Element::SortOptionList << false << true;
    QTest::newRow("ctrl+z, busy") << undo << Element::ResultsList << true << false;
    // After an undo and the key, the rows are back if the key redid nothing.
    QTest::newRow("ctrl+shift+z on a list")
        << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z) << Element::ResultsList << false << false;
    QTest::newRow("ctrl+y on a button") << redo << Element::SampleButton << false << false;
    QTest::newRow("ctrl+y, busy") << redo << Element::ContentList << true << true;
}

void tst_Undo::keys()
{
    QFETCH(QKeySequence, keys);
    QFETCH(Element, focus);
    QFETCH(bool, busy);
    QFETCH(bool, undone);

    click(*m_window, Element::ClearContentButton);
    const bool redoes = keys != QKeySequence(Qt::CTRL | Qt::Key_Z);
    if (redoes)
        m_window->undo();
    if (busy)
        m_window->pointer().set(WindowPointer::Shape::Hourglass);
    QWidget *target = control(*m_window, focus);
    target->setFocus();
    QTest::keySequence(target, keys);
    QCOMPARE(m_window->content().count(), undone ? 3 : 0);
    QCOMPARE(m_window->statusLine().text().startsWith(redoes ? u"Redone"_s : u"Undone"_s), !busy);
}

QStringList tst_Undo::menuHead(Element list)
{
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5));
    QCoreApplication::sendEvent(view(list)->viewport(), &click);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        return {};
    QStringList head;
    for (const QAction *action : menu->actions().mid(0, 2))
        head << action->text() + (action->isEnabled() ? u""_s : u" (off)"_s);
    menu->close();
    return head;
}

void tst_Undo::menus()
{
    for (const Element list : {Element::ContentList, Element::ResultsList}) {
        QCOMPARE(menuHead(list), (QStringList{u"Undo (off)"_s, u"Redo (off)"_s}));
        click(*m_window, Element::StartSortingButton);
        QCOMPARE(menuHead(list), (QStringList{u"Undo Start Sorting"_s, u"Redo (off)"_s}));
        m_window->undo();
        QCOMPARE(menuHead(list), (QStringList{u"Undo (off)"_s, u"Redo Start Sorting"_s}));
        m_window->pointer().set(WindowPointer::Shape::Hourglass);
        QCOMPARE(menuHead(list), (QStringList{u"Undo (off)"_s, u"Redo Start Sorting (off)"_s}));
        m_window->pointer().set(WindowPointer::Shape::Default);
        m_window->history().forget();
    }
}

void tst_Undo::hundredSteps()
{
    RowModel &results = m_window->results();
    for (int i = 0; i <= RowHistory::MaxSteps; ++i)
        results.setData(results.index(0), results.isChecked(0) ? Qt::Unchecked : Qt::Checked,
                        Qt::CheckStateRole);
    QCOMPARE(m_window->history().undoSteps(), RowHistory::MaxSteps);
    while (m_window->history().undoSteps() > 0)
        m_window->undo();
    // The first click is what is left of the oldest step.
    QVERIFY(!results.isChecked(0));
}

void tst_Undo::closedWindowFreesHistory()
{
    loadChosen({u"one.txt"_s});
    const std::weak_ptr<const QByteArray> block = m_window->content().blocks().back();
    click(*m_window, Element::ClearContentButton);
    QVERIFY(!block.expired());
    cleanup();
    QVERIFY(block.expired());
}

QTEST_MAIN(tst_Undo)
#include "tst_undo.moc"
