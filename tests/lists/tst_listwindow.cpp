#include "app/Form1.h"
#include "app/UserDialogs.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
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

private:
    RowListView *list(const QString &name) const
    {
        return m_window->findChild<RowListView *>(name);
    }
    RowModel &model(const QString &name) const
    {
        return name == u"ListView1"_s ? m_window->content() : m_window->results();
    }
    void click(const QString &button) const { m_window->findChild<QPushButton *>(button)->click(); }
    QString path(const QString &name) const { return m_files.filePath(name); }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<Form1> m_window;
};

void tst_ListWindow::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    const std::pair<const char *, QByteArray> files[] = {
        {"one.txt", "1a\r\n1b\r\n"_ba},
        {"two.txt", "\n2a\n   \n2b"_ba},
        {"three.txt", "3a"_ba},
    };
    for (const auto &[name, bytes] : files) {
        QFile file(path(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }
    QVERIFY(QDir(m_files.path()).mkdir(u"folder.txt"_s));
}

void tst_ListWindow::init()
{
    m_dialogs = std::make_unique<ScriptedDialogs>();
    Form1Services services;
    services.dialogs = m_dialogs.get();
    services.programFolder = m_files.path();
    m_window = std::make_unique<Form1>(services);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(m_dialogs->shown.empty());
}

void tst_ListWindow::cleanup()
{
    m_window.reset();
    m_dialogs.reset();
}

void tst_ListWindow::deleteKey_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("selected"); // -1: none
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("removes");

    const Qt::KeyboardModifiers none;
    for (const QString &name : {u"ListView1"_s, u"ListView2"_s}) {
        const QByteArray n = name.toLatin1();
        QTest::addRow("%s plain", n.data()) << name << 3 << 1 << none << false << true;
        QTest::addRow("%s shift", n.data())
            << name << 3 << 2 << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << true;
        QTest::addRow("%s ctrl alt", n.data())
            << name << 3 << 0 << (Qt::ControlModifier | Qt::AltModifier) << false << true;
        QTest::addRow("%s nothing selected", n.data()) << name << 3 << -1 << none << false << false;
        QTest::addRow("%s empty list", n.data()) << name << 0 << -1 << none << false << false;
        QTest::addRow("%s busy", n.data()) << name << 3 << 1 << none << true << false;
    }
}

void tst_ListWindow::deleteKey()
{
    QFETCH(QString, listName);
    QFETCH(int, rows);
    QFETCH(int, selected);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, busy);
    QFETCH(bool, removes);

    RowListView *view = list(listName);
    RowModel &rowsOf = model(listName);
    for (int i = 0; i < rows; ++i)
        rowsOf.append(u"row %1"_s.arg(i));
    view->setFocus();
    if (selected >= 0)
        view->setCurrentIndex(rowsOf.index(selected));
    if (busy)
        m_window->pointer().set(Shape::Hourglass);

    QStringList expected = rowsOf.texts();
    if (removes)
        expected.removeAt(selected);
    QTest::keyClick(view, Qt::Key_Delete, modifiers);
    QCOMPARE(rowsOf.texts(), expected);
}

void tst_ListWindow::doubleClick_data()
{
    QTest::addColumn<QString>("listName");
    QTest::addColumn<bool>("busy");
    QTest::newRow("content list") << u"ListView1"_s << false;
    QTest::newRow("results list") << u"ListView2"_s << false;
    QTest::newRow("content list, busy") << u"ListView1"_s << true;
    QTest::newRow("results list, busy") << u"ListView2"_s << true;
}

void tst_ListWindow::doubleClick()
{
    QFETCH(QString, listName);
    QFETCH(bool, busy);

    RowListView *view = list(listName);
    RowModel &rowsOf = model(listName);
    rowsOf.append(QStringList{u"first"_s, u"second"_s, u"second"_s});
    if (busy)
        m_window->pointer().set(Shape::Hourglass);

    // Double-click on the text, right of any check box.
    QRect row = view->visualRect(rowsOf.index(2));
    const QPoint at(row.left() + row.width() / 2, row.center().y());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);

    QCOMPARE(rowsOf.texts(), busy ? (QStringList{u"first"_s, u"second"_s, u"second"_s})
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
        if (shown.text != u"File not found"_s)
            return;
        sawBusy = m_window->pointer().busy();
        click(u"PushButton1"_s);
        list(u"ListView1"_s)->setCurrentIndex(m_window->content().index(0));
        QTest::keyClick(list(u"ListView1"_s), Qt::Key_Delete);
        click(u"PushButton2"_s);
    };
    click(u"PushButton3"_s);

    QVERIFY(sawBusy);
    QCOMPARE(m_window->content().texts(), (QStringList{u"1a"_s, u"1b"_s}));
    QCOMPARE(m_window->results().count(), 0);
    QCOMPARE(m_window->pointer().shape(), Shape::Default);

    // Not busy any more: the content list's button clears it.
    click(u"PushButton1"_s);
    QCOMPARE(m_window->content().count(), 0);
}

void tst_ListWindow::sampleTwice()
{
    m_window->content().append(u"loaded before"_s);
    click(u"PushButton7"_s);
    click(u"PushButton7"_s);
    const QStringList rows = m_window->content().texts();
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
    click(u"PushButton3"_s);

    QCOMPARE(m_window->content().texts(), rows);
    QCOMPARE(m_window->results().texts(), QStringList{u"result"_s});
    QCOMPARE(m_window->pointer().shape(), Shape::Default);
    QCOMPARE(busyAtBox, std::vector<bool>(size_t(boxes.size()), true));
    const QStringList messages = m_dialogs->messages();
    QCOMPARE(messages.size(), boxes.size());
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const ScriptedDialogs::Shown &box = m_dialogs->shown.at(size_t(i + 1));
        if (boxes.at(i) == u"File not found"_s) {
            QCOMPARE(box.text, boxes.at(i));
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
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("on the content list")
        << u"ListView1"_s << QStringList{u"3a"_s, u"1a"_s, u"1b"_s};
    QTest::newRow("on the results list") << u"ListView2"_s << QStringList();
}

void tst_ListWindow::drop()
{
    QFETCH(QString, listName);
    QFETCH(QStringList, rows);

    QMimeData mime;
    mime.setUrls(
        {QUrl::fromLocalFile(path(u"three.txt"_s)), QUrl::fromLocalFile(path(u"one.txt"_s))});
    QWidget *target = list(listName)->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QCOMPARE(enter.isAccepted(), !rows.isEmpty());
    if (enter.isAccepted()) {
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
    }
    QTRY_COMPARE(m_window->content().texts(), rows);
    QCOMPARE(m_window->results().count(), 0);
    QCOMPARE(m_window->pointer().shape(), Shape::Default);
    QVERIFY(m_dialogs->shown.empty());
}

void tst_ListWindow::checkBoxes()
{
    m_window->content().append(u"content row"_s);
    m_window->results().append(QStringList{u"result row"_s, u"another"_s});
    const QAbstractItemModel *contentView = list(u"ListView1"_s)->model();
    const QAbstractItemModel *resultsView = list(u"ListView2"_s)->model();
    QVERIFY(!contentView->data(contentView->index(0, 0), Qt::CheckStateRole).isValid());
    QCOMPARE(
        resultsView->data(resultsView->index(1, 0), Qt::CheckStateRole).value<Qt::CheckState>(),
        Qt::Checked);
}

QTEST_MAIN(tst_ListWindow)
#include "tst_listwindow.moc"
