#pragma once

#include "lists/RowSearch.h"

#include <QPersistentModelIndex>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QToolBar>

class QAction;
class QCheckBox;
class QLineEdit;
class QToolButton;
class ResultLabel;
class RowListView;

// The find bar of the window's two lists. findAction() (Ctrl+F, "Find...")
// opens it on the list that has the focus (or had it last): the bar takes
// the bottom of that list's place and the list grows shorter by as much, so
// that every row can still be scrolled into sight, and the bar stands next to
// the rows it finds in. Closed, the list has its place back.
//
// Typing counts the rows that hold the text (after a short pause, on the
// list's RowSearch worker) and goes to the first of them at or after the row
// that was current when the bar opened. Enter or F3 goes to the next one,
// Shift+Enter or Shift+F3 to the previous one (from the top or the bottom
// when no row is current), going on past the end or the start. The row
// found is selected, made current and scrolled into sight, and the bar tells
// "3 of 12", that the search went on from the top (or the bottom), "Not
// found", how many rows match while the current row is none of them, or that
// it is still counting. Esc closes the bar and gives the
// list the focus back. F3 and Shift+F3 work anywhere in the window; with the
// bar closed they open it first.
//
// Screen readers meet a tool bar named "Find in" and the list's header, an
// edit "Find text" that also tells the result as its description, the
// check box "Match case", the buttons "Previous", "Next" and "Close", and a
// label whose name is the result. The bar must go before the lists' models:
// its searches read their rows on other threads.
class FindBar final : public QToolBar
{
    Q_OBJECT

public:
    // The lists must show their models already; the bar puts its actions
    // on window.
    FindBar(QWidget *window, RowListView *content, RowListView *results);

    QAction *findAction() const { return m_findAction; }

    // The list the bar finds in; null before it first opened.
    RowListView *list() const { return m_active >= 0 ? m_lists[m_active] : nullptr; }
    QString text() const;
    bool matchCase() const;
    // What the bar tells, whole also where the bar has to cut it short:
    // "3 of 12", "Not found", ...
    QString resultText() const;

    // Opens the bar on list and finds text as if typed: answered() tells
    // which row was found once every row has been read.
    void find(RowListView *list, const QString &text, bool matchCase);

public slots:
    void open();
    void findNext() { step(Step::Next); }
    void findPrevious() { step(Step::Previous); }
    void dismiss();

signals:
    // A find ended: the row found and made current, or -1 for none.
    void answered(int row);
    // The rows of the list that hold the text are known.
    void counted(int rows);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    // What the next answer does: go to the first holding row from where the
    // typing started, or the next or previous one.
    enum class Step { None, Typed, Next, Previous };

    void buildControls();
    void openOn(int list);
    void place();
    void unplace();
    void typed();
    void step(Step step);
    void searchChanged(int list);
    void currentChanged(int list, const QModelIndex &current);
    void answer();
    void showResult();
    RowSearch &search() const { return *m_searches[m_active]; }

    QWidget *m_window;
    RowListView *m_lists[2];
    RowSearch *m_searches[2];
    int m_active = -1; // the list the bar is on (or was on last)
    int m_lastFocused = 0;
    QRect m_listPlace; // the list's own geometry while the bar takes part of it

    QLineEdit *m_edit = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QToolButton *m_previousButton = nullptr;
    QToolButton *m_nextButton = nullptr;
    QToolButton *m_closeButton = nullptr;
    ResultLabel *m_result = nullptr;
    QAction *m_findAction = nullptr;
    QAction *m_nextAction = nullptr;
    QAction *m_previousAction = nullptr;

    QTimer m_typing;
    Step m_pending = Step::None;
    QPersistentModelIndex m_typingFrom;
    bool m_moving = false; // the bar itself is making a row current
    // Where the last step went on past the end (or the start), and which way.
    int m_wrappedAt = -1;
    bool m_wrappedUp = false;
};
