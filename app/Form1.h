#pragma once

#include "app/WindowPointer.h"

#include <QCursor>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

// The program's one window. It builds the controls, runs the start-up steps
// and hands every command to a plain function that works on a
// CommandContext:
//
//   files or sample -> content list (ListView1) -> line array -> sort routine
//   -> results list (ListView2) -> text file, clipboard or spreadsheet
//
// The status line (ProgressBar1) and the window's pointer, which doubles as
// the busy flag, are shared by all commands.

class Clipboard;
class PointerRules;
class QComboBox;
class QGroupBox;
class QProgressBar;
class QPushButton;
class RowListView;
class RowModel;
class SpreadsheetAutomation;
class StatusLine;
class UserDialogs;
struct CommandContext;

// What the window works with; a null member means the real one (Qt dialogs,
// the system clipboard, the desktop's spreadsheet, the program's folder).
struct Form1Services
{
    UserDialogs *dialogs = nullptr;
    Clipboard *clipboard = nullptr;
    SpreadsheetAutomation *spreadsheet = nullptr;
    QString programFolder;
};

class Form1 final : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(const Form1Services &services = {}, QWidget *parent = nullptr);
    ~Form1() override;

    CommandContext &context() { return *m_context; }
    RowModel &content() { return *m_contentModel; }
    RowModel &results() { return *m_resultsModel; }
    StatusLine &statusLine() { return *m_status; }
    WindowPointer &pointer() { return m_pointer; }
    QComboBox *combo() const { return m_combo1; }
    // The hand image loaded at start-up, if any.
    const std::optional<QCursor> &handCursor() const { return m_hand; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void Combo1_Click();
    void connectCommand(QPushButton *button, const QString &handler,
                        void (*command)(CommandContext &));
    void runCommand(const QString &handler, const std::function<void()> &command);
    void showPointer(WindowPointer::Shape shape);
    void showStatus();

    // Services: the injected ones, or the real ones owned here.
    std::unique_ptr<UserDialogs> m_ownDialogs;
    std::unique_ptr<Clipboard> m_ownClipboard;
    std::unique_ptr<SpreadsheetAutomation> m_ownSpreadsheet;
    UserDialogs *m_dialogs;
    // What commands show their boxes through: nothing once the window is closed.
    std::unique_ptr<UserDialogs> m_commandDialogs;
    Clipboard *m_clipboard;
    SpreadsheetAutomation *m_spreadsheet;
    QString m_programFolder;

    StatusLine *m_status;
    WindowPointer m_pointer;
    std::optional<WindowPointer::Shape> m_shownPointer;
    std::optional<QCursor> m_hand;
    PointerRules *m_pointerRules;
    RowModel *m_contentModel;
    RowModel *m_resultsModel;
    std::unique_ptr<CommandContext> m_context;

    RowListView *m_listView1 = nullptr;
    RowListView *m_listView2 = nullptr;
    QPushButton *m_pushButton1 = nullptr;
    QPushButton *m_pushButton2 = nullptr;
    QPushButton *m_pushButton3 = nullptr;
    QPushButton *m_pushButton4 = nullptr;
    QPushButton *m_pushButton5 = nullptr;
    QPushButton *m_pushButton6 = nullptr;
    QPushButton *m_pushButton7 = nullptr;
    QPushButton *m_pushButton13 = nullptr;
    QPushButton *m_pushButton17 = nullptr;
    QGroupBox *m_frame1 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QProgressBar *m_progressBar1 = nullptr;
};
