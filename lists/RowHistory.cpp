#include "lists/RowHistory.h"

#include <QSet>

#include <algorithm>
#include <utility>

#include <sys/sysinfo.h>

namespace {

bool holds(const std::vector<const RowModel *> &lists, const RowModel *list)
{
    return std::find(lists.begin(), lists.end(), list) != lists.end();
}

} // namespace

RowHistory::RowHistory(qsizetype memoryLimit) : m_memoryLimit(memoryLimit) {}

RowHistory::~RowHistory()
{
    for (const auto &[list, gone] : m_lists) {
        QObject::disconnect(gone);
        if (list->recorder() == this)
            list->setRecorder(nullptr);
    }
}

qsizetype RowHistory::quarterOfMemory()
{
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return qsizetype(1) << 30;
    return qsizetype(info.totalram) * qsizetype(info.mem_unit) / 4;
}

void RowHistory::watch(RowModel &list)
{
    list.setRecorder(this);
    RowModel *const watched = &list;
    m_lists.emplace_back(watched, QObject::connect(watched, &QObject::destroyed,
                                                   [this, watched] { listGone(watched); }));
}

void RowHistory::listGone(const RowModel *list)
{
    std::erase_if(m_lists, [list](const auto &watched) { return watched.first == list; });
    forget();
    for (OpenStep &open : m_open) {
        std::erase_if(open.step.changes,
                      [list](const Change &change) { return change.list == list; });
        std::erase(open.changedLists, list);
    }
}

void RowHistory::beginStep(const QString &name)
{
    m_open.push_back(OpenStep{Step{name, {}}, {}});
}

void RowHistory::endStep()
{
    if (m_open.empty())
        return;
    Step step = std::move(m_open.back().step);
    m_open.pop_back();
    if (step.changes.empty())
        return;
    m_done.push_back(std::move(step));
    limit(true);
}

void RowHistory::record(RowModel &list, RowChange &&change)
{
    if (m_reverting)
        return;
    if (m_open.empty()) {
        forget();
        return;
    }
    // Whatever was undone cannot be done again on rows that changed since.
    m_undone.clear();
    auto into = std::find_if(m_open.begin(), m_open.end(), [&list](const OpenStep &open) {
        return holds(open.changedLists, &list);
    });
    if (into == m_open.end()) {
        into = m_open.end() - 1;
        into->changedLists.push_back(&list);
    }
    into->step.changes.push_back(Change{&list, std::move(change)});
}

QString RowHistory::undoName() const
{
    return m_done.empty() ? QString() : m_done.back().name;
}

QString RowHistory::redoName() const
{
    return m_undone.empty() ? QString() : m_undone.back().name;
}

std::optional<QString> RowHistory::undo()
{
    return move(m_done, m_undone);
}

std::optional<QString> RowHistory::redo()
{
    return move(m_undone, m_done);
}

std::optional<QString> RowHistory::move(std::vector<Step> &from, std::vector<Step> &to)
{
    if (stepOpen() || m_reverting || from.empty())
        return std::nullopt;
    Step step = std::move(from.back());
    from.pop_back();
    m_reverting = true;
    try {
        revert(step);
    } catch (...) {
        // Part of the step may be undone: no other step fits the rows now.
        m_reverting = false;
        forget();
        throw;
    }
    m_reverting = false;
    QString name = step.name;
    const bool done = &to == &m_done;
    to.push_back(std::move(step));
    limit(done);
    return name;
}

void RowHistory::revert(Step &step)
{
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change)
        change->change = change->list->revertChange(change->change);
    std::reverse(step.changes.begin(), step.changes.end());
}

void RowHistory::forget()
{
    m_done.clear();
    m_undone.clear();
}

qsizetype RowHistory::heldBytes() const
{
    qsizetype bytes = 0;
    QSet<const QByteArray *> blocks;
    for (const std::vector<Step> *steps : {&m_done, &m_undone}) {
        for (const Step &step : *steps) {
            for (const Change &change : step.changes) {
                bytes += change.change.recordBytes();
                for (const QByteArray *block : change.change.removed.blockTexts()) {
                    if (!blocks.contains(block)) {
                        blocks.insert(block);
                        bytes += block->size();
                    }
                }
            }
        }
    }
    return bytes;
}

void RowHistory::limit(bool newestDone)
{
    const auto dropOldest = [&] {
        if (m_done.size() > (newestDone ? 1u : 0u)) {
            m_done.erase(m_done.begin());
            return true;
        }
        if (m_undone.size() > (newestDone ? 0u : 1u)) {
            m_undone.erase(m_undone.begin());
            return true;
        }
        return false;
    };
    while (m_done.size() + m_undone.size() > size_t(MaxSteps) && dropOldest()) {
    }
    while (heldBytes() > m_memoryLimit && dropOldest()) {
    }
}
