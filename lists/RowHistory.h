#pragma once

#include "lists/RowModel.h"

#include <QMetaObject>
#include <QString>

#include <optional>
#include <vector>

// The one undo history of the lists it watches: a stack of steps, each named
// for what the user did ("Clear List") and holding the changes to the rows
// made while it was open, the removed rows as references into their blocks.
//
// A command opens a step and closes it when it returns; a step without a
// change is dropped. Steps nest (a command that runs while another yields):
// a change goes to the innermost open step, unless an enclosing one already
// changed that list, since undoing the two apart could not be exact. Steps
// enter the history in the order they close. A change made when no step is
// open cannot be undone and the history is forgotten: the steps before it
// would no longer fit the rows.
class RowHistory final : public RowChangeRecorder
{
public:
    static constexpr int MaxSteps = 100;

    // Beyond memoryLimit bytes of rows held (records and texts), the oldest
    // steps are forgotten; the newest is always kept.
    explicit RowHistory(qsizetype memoryLimit = quarterOfMemory());
    ~RowHistory();
    RowHistory(const RowHistory &) = delete;
    RowHistory &operator=(const RowHistory &) = delete;

    // A quarter of the machine's memory.
    static qsizetype quarterOfMemory();

    // Records the list's changes from now on, until the list or the history goes.
    void watch(RowModel &list);

    void beginStep(const QString &name) override;
    void endStep() override;
    void record(RowModel &list, RowChange &&change) override;

    // While a step is open nothing is undone or redone.
    bool stepOpen() const { return !m_open.empty(); }
    int undoSteps() const { return int(m_done.size()); }
    int redoSteps() const { return int(m_undone.size()); }
    // The names of the steps that undo() and redo() would take; empty for none.
    QString undoName() const;
    QString redoName() const;
    // Undoes the last step, or does the last undone step again, and gives its
    // name; nothing while a step is open or when there is none. A failure
    // (out of memory) forgets the history and is thrown on.
    std::optional<QString> undo();
    std::optional<QString> redo();
    void forget();

    // The bytes of the rows the steps keep alive: their records, check marks
    // and the texts of the blocks they hold (each block once).
    qsizetype heldBytes() const;

private:
    struct Change
    {
        RowModel *list;
        RowChange change;
    };
    struct Step
    {
        QString name;
        std::vector<Change> changes;
    };
    struct OpenStep
    {
        Step step;
        std::vector<const RowModel *> changedLists;
    };

    // Reverts the step's changes, the last first; the step then holds the
    // changes that revert the reverting.
    void revert(Step &step);
    std::optional<QString> move(std::vector<Step> &from, std::vector<Step> &to);
    // Forgets the oldest steps past MaxSteps or the memory limit, never the
    // newest: the back of m_done, or of m_undone after an undo.
    void limit(bool newestDone);
    void listGone(const RowModel *list);
    // Steps that leave the history: those that keep much memory alive go
    // to a thread of their own to be freed, the others here.
    template <typename Steps> void letGo(Steps &&steps);

    qsizetype m_memoryLimit;
    std::vector<OpenStep> m_open;
    // Oldest first; the back of each is what undo() or redo() takes next.
    std::vector<Step> m_done;
    std::vector<Step> m_undone;
    std::vector<std::pair<RowModel *, QMetaObject::Connection>> m_lists;
    bool m_reverting = false;
};
