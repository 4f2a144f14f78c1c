#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "app/SystemClipboard.h"
#include "commands/CommandContext.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"
#include "support/TestFiles.h"
#include "support/WindowFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The three export buttons of the main window, on the window's own lists,
// status line and (for the clipboard) the system clipboard.
class tst_ExportWindow : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void saveAsTextFile();
    void copyToTheSystemClipboard();
    void saveAsSpreadsheet();

private:
    // A shown window whose results are "pear", an unchecked "-" and "fig  ".
    MainWindow &makeWindow(const WindowFixture::Services &services);
    // The user clears the check box of a results row in the list.
    void untick(int row);

    SystemClipboard m_systemClipboard;
    std::unique_ptr<WindowFixture> m_fixture;
};

void tst_ExportWindow::cleanup()
{
    m_fixture.reset();
}

MainWindow &tst_ExportWindow::makeWindow(const WindowFixture::Services &services)
{
    m_fixture = std::make_unique<WindowFixture>();
    MainWindow &window = m_fixture->makeWindow(services);
    window.show();
    window.results().append(QStringList{u"pear"_s, u"-"_s, u"fig  "_s});
    untick(1);
    return window;
}

void tst_ExportWindow::untick(int row)
{
    auto *list = control<RowListView>(m_fixture->window(), Element::ResultsList);
    QVERIFY(list);
    QAbstractItemModel *model = list->model();
    QVERIFY(model->setData(model->index(row, 0), Qt::Unchecked, Qt::CheckStateRole));
}

void tst_ExportWindow::saveAsTextFile()
{
    MainWindow &window = makeWindow({});
    QTemporaryDir dir;
    const QString path = dir.filePath(u"results.txt"_s);
    m_fixture->dialogs.saveAnswers = {path};

    click(window, Element::SaveTextFileButton);

    QCOMPARE(readFile(path), QByteArray("Sorted Content (Results)\t\r\n"
                                        "pear                    \t\r\n"
                                        "fig                     \t\r\n"));
    QCOMPARE(m_fixture->dialogs.messages(), QStringList());
    QVERIFY(!window.pointer().busy());
    QCOMPARE(window.statusLine().text(), u"Progress Bar"_s);
    auto *bar = control<QProgressBar>(window, Element::StatusBar);
    QVERIFY(bar);
    QTRY_COMPARE(bar->value(), 0);
}

void tst_ExportWindow::copyToTheSystemClipboard()
{
    MainWindow &window = makeWindow({.clipboard = &m_systemClipboard});
    QGuiApplication::clipboard()->setText(u"earlier"_s);

    click(window, Element::CopyButton);

    QCOMPARE(QGuiApplication::clipboard()->text(), u"pear\r\nfig\r\n"_s);
    const ScriptedDialogs &dialogs = m_fixture->dialogs;
    QCOMPARE(dialogs.messages().size(), 1);
    QVERIFY(dialogs.messages().front().startsWith(u"Results have been copied"_s));
    QCOMPARE(dialogs.shown.front().caption, window.context().shortTitle);
}

void tst_ExportWindow::saveAsSpreadsheet()
{
    MainWindow &window = makeWindow({});
    const RecordingSpreadsheet &spreadsheet = m_fixture->spreadsheet;

    click(window, Element::SaveSpreadsheetButton);

    QCOMPARE(m_fixture->dialogs.messages(), QStringList());
    QCOMPARE(spreadsheet.cells,
             (std::map<std::pair<int, int>, QString>{{{1, 1}, u"Sorted Content (Results)"_s},
                                                     {{2, 1}, u"pear"_s},
                                                     {{4, 1}, u"fig  "_s}}));
    QCOMPARE(spreadsheet.calls.last(2), (QStringList{u"setVisible"_s, u"release"_s}));
    QVERIFY(!window.pointer().busy());
}

QTEST_MAIN(tst_ExportWindow)
#include "tst_exportwindow.moc"
