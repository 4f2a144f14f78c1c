#pragma once

#include "commands/ExternalNames.h"
#include "commands/WindowPointer.h"

#include <QCursor>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

// The program's one window. It builds the controls, runs the start-up steps
// and hands every command to a plain function in commands/ that works on a
// CommandContext:
//
//   files or sample -> content list -> line array -> sort -> results list
//   -> text file, clipboard or spreadsheet
//
// The status line and the window's pointer, which doubles as the busy flag,
// are shared by all commands. Every change to either list is a step of the
// window's one undo history (RowHistory), named for the command or the
// list's own action that made it.

class Clipboard;
class FindBar;
class QAction;
class QKeySequence;
class PointerRules;
class QComboBox;
class QGroupBox;
class QPushButton;
class RowListView;
class RowHistory;
class RowModel;
class SortKeysChooser;
class LineFilterChooser;
class SpreadsheetAutomation;
class StatusLine;
class StatusLineView;
class UserDialogs;
struct CommandContext;

// What the window works with: main() hands it the real dialogs, clipboard
// and spreadsheet; tests and the benchmark hand it scripted ones.
struct MainWindowServices
{
    UserDialogs &dialogs;
    Clipboard &clipboard;
    SpreadsheetAutomation &spreadsheet;
    SortKeysChooser &keysChooser;
    LineFilterChooser &filterChooser;
    QString programFolder; // where the optional skin and hand pointer files are
};

class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(const MainWindowServices &services, QWidget *parent = nullptr);
    ~MainWindow() override;

    CommandContext &context() { return *m_context; }
    RowModel &content() { return *m_contentModel; }
    RowModel &results() { return *m_resultsModel; }
    StatusLine &statusLine() { return *m_status; }
    WindowPointer &pointer() { return m_pointer; }
    QComboBox *sortOptionList() const { return m_sortOptionList; }
    RowHistory &history() { return *m_history; }
    // What Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y) do: take back the last step of
    // the history, or do the last undone one again, and say so on the status
    // line. Nothing while a command runs.
    void undo();
    void redo();
    // Loads files as if chosen in the open dialog of "Load Text From File"
    // (files named on the command line).
    void loadFiles(const QStringList &paths);

    // The hand image loaded at start-up, if any.
    const std::optional<QCursor> &handCursor() const { return m_hand; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildHistoryActions();
    void buildListMenus();
    void buildShortcuts();
    QAction *addListAction(RowListView *list, const QString &caption,
                           const QList<QKeySequence> &keys, Element element,
                           const std::function<void()> &command);
    // The list's selected row, -1 for none.
    static int selectedRow(const RowListView *list);
    void startUp();
    void rememberSortOption();
    void connectCommand(QPushButton *button, Element element, void (*command)(CommandContext &));
    // Runs the command as one step of the history, named for what the user did.
    void runCommand(Element element, const QString &stepName, const std::function<void()> &command);
    void stepThroughHistory(bool forward);
    void showHistoryEntries();
    void showPointer(WindowPointer::Shape shape);
    void showStatus();

    UserDialogs &m_dialogs;
    // What commands show their boxes through: nothing once the window is closed.
    std::unique_ptr<UserDialogs> m_commandDialogs;
    QString m_programFolder;

    StatusLine *m_status;
    WindowPointer m_pointer;
    std::optional<WindowPointer::Shape> m_shownPointer;
    std::optional<QCursor> m_hand;
    PointerRules *m_pointerRules;
    RowModel *m_contentModel;
    RowModel *m_resultsModel;
    bool m_steppingHistory = false;
    std::unique_ptr<RowHistory> m_history;
    // Goes before the lists' models: its searches read their rows.
    FindBar *m_findBar = nullptr;
    std::unique_ptr<CommandContext> m_context;

    RowListView *m_contentView = nullptr;
    RowListView *m_resultsView = nullptr;
    QPushButton *m_clearContentButton = nullptr;
    QPushButton *m_clearResultsButton = nullptr;
    QPushButton *m_loadFilesButton = nullptr;
    QPushButton *m_saveTextFileButton = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_sampleButton = nullptr;
    QPushButton *m_saveSpreadsheetButton = nullptr;
    QPushButton *m_sortButton = nullptr;
    QGroupBox *m_sortOptionsFrame = nullptr;
    QComboBox *m_sortOptionList = nullptr;
    StatusLineView *m_statusBar = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
};
