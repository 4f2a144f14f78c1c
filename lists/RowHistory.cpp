#include "lists/RowHistory.h"

#include "core/Yielding.h"

#include <QSet>

#include <algorithm>
#include <type_traits>
#include <utility>

#include <sys/sysinfo.h>

namespace {

bool holds(const std::vector<const RowModel *> &lists, const RowModel *list)
{
    return std::find(lists.begin(), lists.end(), list) != lists.end();
}

// Steps that keep this much alive are freed on a thread of their own.
constexpr qsizetype BytesFreedAside = qsizetype(64) << 20;

} // namespace

template <typename Steps> void RowHistory::letGo(Steps &&steps)
{
    qsizetype bytes = 0;
    const auto add = [&bytes](const Step &step) {
        for (const Change &change : step.changes) {
            bytes += change.change.recordBytes();
            for (const QByteArray *block : change.change.removed.blockTexts())
                bytes += block->size();
        }
    };
    if constexpr (std::is_same_v<std::remove_cvref_t<Steps>, Step>) {
        add(steps);
    } else {
        for (const Step &step : steps)
            add(step);
    }
    // The blocks may be held elsewhere too; then freeing aside costs a thread.
    if (bytes >= BytesFreedAside)
        dropInBackground(std::move(steps));
}

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
    if (!m_undone.empty())
        letGo(std::exchange(m_undone, {}));
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
    letGo(std::exchange(m_done, {}));
    letGo(std::exchange(m_undone, {}));
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
            letGo(std::move(m_done.front()));
            m_done.erase(m_done.begin());
            return true;
        }
        if (m_undone.size() > (newestDone ? 0u : 1u)) {
            letGo(std::move(m_undone.front()));
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
