#include "app/CommandContext.h"
#include "app/Form1.h"
#include "app/StatusLine.h"
#include "app/UserDialogs.h"
#include "export/Clipboard.h"
#include "export/SpreadsheetAutomation.h"
#include "lists/RowModel.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

using namespace Qt::StringLiterals;

// The three export buttons of the main window, on the window's own lists,
// status line and (for the clipboard) the system clipboard.
class tst_ExportWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void saveAsTextFile();
    void copyToTheSystemClipboard();
    void saveAsSpreadsheet();

private:
    void makeWindow(Clipboard *clipboard = nullptr, SpreadsheetAutomation *spreadsheet = nullptr);
    void click(const QString &button);
    // The user clears the check box of a results row in the list.
    void untick(int row);

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_programFolder;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<Form1> m_window;
};

void tst_ExportWindow::initTestCase()
{
    QVERIFY(m_settingsDir.isValid());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
}

void tst_ExportWindow::init()
{
    m_dialogs = ScriptedDialogs();
}

void tst_ExportWindow::cleanup()
{
    m_window.reset();
}

void tst_ExportWindow::makeWindow(Clipboard *clipboard, SpreadsheetAutomation *spreadsheet)
{
    Form1Services services;
    services.dialogs = &m_dialogs;
    services.clipboard = clipboard;
    services.spreadsheet = spreadsheet;
    services.programFolder = m_programFolder.path();
    m_window = std::make_unique<Form1>(services);
    m_window->show();
    m_window->results().append(QStringList{u"pear"_s, u"-"_s, u"fig  "_s});
    untick(1);
}

void tst_ExportWindow::click(const QString &button)
{
    auto *pushButton = m_window->findChild<QPushButton *>(button);
    QVERIFY(pushButton);
    pushButton->click();
}

void tst_ExportWindow::untick(int row)
{
    auto *list = m_window->findChild<QTreeView *>(u"ListView2"_s);
    QVERIFY(list);
    QAbstractItemModel *model = list->model();
    QVERIFY(model->setData(model->index(row, 0), Qt::Unchecked, Qt::CheckStateRole));
}

void tst_ExportWindow::saveAsTextFile()
{
    makeWindow();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"results.txt"_s);
    m_dialogs.saveAnswers = {path};

    click(u"PushButton4"_s);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Sorted Content (Results)\t\r\n"
                                        "pear                    \t\r\n"
                                        "fig                     \t\r\n"));
    QCOMPARE(m_dialogs.messages(), QStringList());
    QVERIFY(!m_window->pointer().busy());
    QCOMPARE(m_window->statusLine().text(), u"Progress Bar"_s);
    auto *bar = m_window->findChild<QProgressBar *>(u"ProgressBar1"_s);
    QVERIFY(bar);
    QTRY_COMPARE(bar->value(), 0);
}

void tst_ExportWindow::copyToTheSystemClipboard()
{
    makeWindow();
    QGuiApplication::clipboard()->setText(u"earlier"_s);

    click(u"PushButton5"_s);

    QCOMPARE(QGuiApplication::clipboard()->text(), u"pear\r\nfig\r\n"_s);
    QCOMPARE(m_dialogs.messages().size(), 1);
    QVERIFY(m_dialogs.messages().front().startsWith(u"Results have been copied"_s));
    QCOMPARE(m_dialogs.shown.front().caption, m_window->context().shortTitle);
}

void tst_ExportWindow::saveAsSpreadsheet()
{
    RecordingSpreadsheet spreadsheet;
    makeWindow(nullptr, &spreadsheet);

    click(u"PushButton13"_s);

    QCOMPARE(m_dialogs.messages(), QStringList());
    QCOMPARE(spreadsheet.cells,
             (std::map<std::pair<int, int>, QString>{{{1, 1}, u"Sorted Content (Results)"_s},
                                                     {{2, 1}, u"pear"_s},
                                                     {{4, 1}, u"fig  "_s}}));
    QCOMPARE(spreadsheet.calls.last(2), (QStringList{u"setVisible"_s, u"release"_s}));
    QVERIFY(!m_window->pointer().busy());
}

QTEST_MAIN(tst_ExportWindow)
#include "tst_exportwindow.moc"
