// The lists' context menus, the window's keys, and undo and redo.
#include "app/MainWindow.h"

#include "app/FindBar.h"
#include "app/StatusLine.h"
#include "commands/CommandContext.h"
#include "commands/CopyToClipboard.h"
#include "commands/PasteLines.h"
#include "commands/ResultsMenu.h"
#include "core/ErrorTrap.h"
#include "lists/RowHistory.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>

using namespace Qt::StringLiterals;

QAction *MainWindow::addListAction(RowListView *list, const QString &caption,
                                   const QList<QKeySequence> &keys, Element element,
                                   const std::function<void()> &command)
{
    auto *action = new QAction(caption, list);
    action->setShortcuts(keys);
    // Keys act while the list has the focus; the menu shows them.
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    list->addAction(action);
    connect(action, &QAction::triggered, this,
            [this, element, caption, command] { runCommand(element, caption, command); });
    return action;
}

void MainWindow::showHistoryEntries()
{
    const bool idle = !m_pointer.busy() && !m_history->stepOpen();
    const QString undoName = m_history->undoName();
    const QString redoName = m_history->redoName();
    m_undoAction->setText(undoName.isEmpty() ? u"Undo"_s : u"Undo "_s + undoName);
    m_undoAction->setEnabled(idle && !undoName.isEmpty());
    m_redoAction->setText(redoName.isEmpty() ? u"Redo"_s : u"Redo "_s + redoName);
    m_redoAction->setEnabled(idle && !redoName.isEmpty());
}

void MainWindow::buildListMenus()
{
    QList<QKeySequence> pasteKeys = QKeySequence::keyBindings(QKeySequence::Paste);
    for (const QKeySequence &key :
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}) {
        if (!pasteKeys.contains(key))
            pasteKeys.append(key);
    }
    const auto copyLineOf = [this](RowListView *list) {
        return [this, list] { copyLine(*m_context, *list->rowModel(), selectedRow(list)); };
    };

    // Both menus open with the window's one history.
    const auto addHistoryEntries = [this](QMenu *menu) {
        menu->addAction(m_undoAction);
        menu->addAction(m_redoAction);
        menu->addSeparator();
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::showHistoryEntries);
    };

    auto *contentMenu = new QMenu(m_contentView);
    addHistoryEntries(contentMenu);
    QAction *paste = addListAction(m_contentView, u"Paste Lines"_s, pasteKeys, Element::PasteLines,
                                   [this] { pasteLines(*m_context); });
    QAction *copyContentLine =
        addListAction(m_contentView, u"Copy Line"_s, QKeySequence::keyBindings(QKeySequence::Copy),
                      Element::CopyLine, copyLineOf(m_contentView));
    contentMenu->addAction(paste);
    contentMenu->addAction(copyContentLine);
    contentMenu->addSeparator();
    contentMenu->addAction(m_findBar->findAction());
    connect(contentMenu, &QMenu::aboutToShow, this, [this, paste, copyContentLine] {
        paste->setEnabled(!m_pointer.busy());
        copyContentLine->setEnabled(selectedRow(m_contentView) >= 0);
    });

    auto *resultsMenu = new QMenu(m_resultsView);
    addHistoryEntries(resultsMenu);
    const QList<QAction *> changing = {
        addListAction(m_resultsView, u"Check All"_s, {}, Element::ResultsMenu,
                      [this] { checkAllResults(*m_context); }),
        addListAction(m_resultsView, u"Uncheck All"_s, {}, Element::ResultsMenu,
                      [this] { uncheckAllResults(*m_context); }),
        addListAction(m_resultsView, u"Invert Checks"_s, {}, Element::ResultsMenu,
                      [this] { invertResultChecks(*m_context); }),
    };
    QAction *copyResultsLine =
        addListAction(m_resultsView, u"Copy Line"_s, QKeySequence::keyBindings(QKeySequence::Copy),
                      Element::CopyLine, copyLineOf(m_resultsView));
    QAction *appendChecked =
        addListAction(m_resultsView, u"Append Checked To Content"_s, {}, Element::ResultsMenu,
                      [this] { appendCheckedToContent(*m_context); });
    resultsMenu->addActions(changing);
    resultsMenu->addSeparator();
    resultsMenu->addAction(copyResultsLine);
    resultsMenu->addAction(appendChecked);
    resultsMenu->addSeparator();
    resultsMenu->addAction(m_findBar->findAction());
    connect(resultsMenu, &QMenu::aboutToShow, this,
            [this, changing, copyResultsLine, appendChecked] {
                const bool changes = !m_pointer.busy() && m_resultsModel->count() > 0;
                for (QAction *action : changing)
                    action->setEnabled(changes);
                appendChecked->setEnabled(changes);
                copyResultsLine->setEnabled(selectedRow(m_resultsView) >= 0);
            });

    for (const auto &listAndMenu :
         {std::pair{m_contentView, contentMenu}, std::pair{m_resultsView, resultsMenu}}) {
        RowListView *const list = listAndMenu.first;
        QMenu *const menu = listAndMenu.second;
        // The entries carry the lists' keys: what the menu showed disabled
        // takes its keys again once it has gone (the commands themselves
        // refuse a busy window).
        connect(menu, &QMenu::aboutToHide, this, [menu] {
            for (QAction *action : menu->actions())
                action->setEnabled(true);
        });
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [list, menu](const QPoint &pos) {
            if (!QApplication::activePopupWidget())
                menu->popup(list->viewport()->mapToGlobal(pos));
        });
        // From the keyboard the menu opens at the current row.
        auto *menuKey = new QAction(list);
        menuKey->setShortcuts({QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)});
        menuKey->setShortcutContext(Qt::WidgetShortcut);
        list->addAction(menuKey);
        connect(menuKey, &QAction::triggered, this, [list, menu] {
            if (QApplication::activePopupWidget())
                return;
            const QRect row = list->visualRect(list->currentIndex());
            const QPoint at = row.isValid() && list->viewport()->rect().intersects(row)
                                  ? row.bottomLeft()
                                  : QPoint(0, 0);
            menu->popup(list->viewport()->mapToGlobal(at));
        });
    }
}

void MainWindow::buildHistoryActions()
{
    // Wherever the focus is; an editor with a history of its own (a text
    // field) takes the keys first.
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence &key :
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}) {
        if (!redoKeys.contains(key))
            redoKeys.append(key);
    }
    QList<QKeySequence> undoKeys = QKeySequence::keyBindings(QKeySequence::Undo);
    if (!undoKeys.contains(QKeySequence(Qt::CTRL | Qt::Key_Z)))
        undoKeys.prepend(QKeySequence(Qt::CTRL | Qt::Key_Z));
    const std::pair<QAction **, QList<QKeySequence>> actions[] = {{&m_undoAction, undoKeys},
                                                                  {&m_redoAction, redoKeys}};
    for (const auto &[action, keys] : actions) {
        *action = new QAction(this);
        (*action)->setShortcuts(keys);
        (*action)->setShortcutContext(Qt::WindowShortcut);
        (*action)->setShortcutVisibleInContextMenu(true);
        addAction(*action);
    }
    m_undoAction->setText(u"Undo"_s);
    m_redoAction->setText(u"Redo"_s);
    connect(m_undoAction, &QAction::triggered, this, &MainWindow::undo);
    connect(m_redoAction, &QAction::triggered, this, &MainWindow::redo);
}

void MainWindow::buildShortcuts()
{
    // The desktop's keys for the commands that have one, wherever the focus is.
    const std::pair<QPushButton *, QKeySequence> keys[] = {
        {m_loadFilesButton, QKeySequence(QKeySequence::Open)},
        {m_saveTextFileButton, QKeySequence(QKeySequence::Save)},
        {m_sortButton, QKeySequence(Qt::Key_F5)},
    };
    for (const auto &[button, key] : keys) {
        auto *action = new QAction(button);
        action->setShortcut(key);
        // A key held down starts the command once, not again in its yields.
        action->setAutoRepeat(false);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, button, &QPushButton::click);
    }
}

int MainWindow::selectedRow(const RowListView *list)
{
    const QItemSelectionModel *selection = list->selectionModel();
    const QModelIndexList rows = selection ? selection->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.front().row();
}

void MainWindow::undo()
{
    stepThroughHistory(false);
}

void MainWindow::redo()
{
    stepThroughHistory(true);
}

void MainWindow::stepThroughHistory(bool forward)
{
    // A command that runs (even one that yields without the hourglass, under
    // a nested one that put the pointer back) holds rows of the lists.
    if (m_pointer.busy() || m_history->stepOpen() || m_steppingHistory)
        return;
    const QString name = forward ? m_history->redoName() : m_history->undoName();
    // Many rows go back in slices that yield: the window repaints meanwhile,
    // and takes keys and clicks once the step is done.
    const QScopedValueRollback stepping(m_steppingHistory, true);
    m_status->holdInput(true);
    const auto release = qScopeGuard([this] { m_status->holdInput(false); });
    const YieldingRows contentYields(*m_contentModel, m_status);
    const YieldingRows resultsYields(*m_resultsModel, m_status);
    try {
        if (!(forward ? m_history->redo() : m_history->undo()))
            return;
        m_status->setPosition(0);
        m_status->setText((forward ? u"Redone: "_s : u"Undone: "_s) + name);
    } catch (...) {
        // The history is forgotten; the lists keep what was undone so far.
        m_status->setPosition(0);
        m_status->setText((forward ? u"Cannot redo %1: %2"_s : u"Cannot undo %1: %2"_s)
                              .arg(name, failureDescription(std::current_exception())));
    }
}
