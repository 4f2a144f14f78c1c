#include "lists/RowSearch.h"

#include "core/Yielding.h"
#include "lists/RowModel.h"
#include "sort/RowMatcher.h"
#include "sort/TwoThreads.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <new>

namespace {

constexpr int WordRows = 64;
// The rows of one count in RowSearch::m_blockCounts.
constexpr int BlockWords = 64;
constexpr int BlockRows = WordRows * BlockWords;
// Rows that lie one after another in one block are searched together, as
// much text at once as this (a fraction of a millisecond between two looks
// at the stop flag).
constexpr qsizetype StretchBytes = 256 * 1024;
// How long the list must stay unchanged before it is counted again: a load
// that adds its rows batch by batch is counted once it has ended.
constexpr int QuietMs = 100;

void mark(std::vector<quint64> &holding, int row)
{
    holding[size_t(row / WordRows)] |= quint64(1) << (row % WordRows);
}

// Marks the rows of [from, to) that hold the text; gives how many. A row's
// own bytes are all that is searched: a match in a stretch that begins
// before a row, or ends after it, is none.
int markHoldingRows(const RowModel &model, int from, int to, RowMatcher &matcher,
                    std::vector<quint64> &holding, const std::atomic<bool> &stop)
{
    int found = 0;
    std::vector<LineRef> run;
    for (int first = from; first < to; first += int(run.size())) {
        if (stop.load(std::memory_order_relaxed))
            return found;
        run.assign(1, model.lineRef(first));
        const char *const start = run.front().bytes;
        const char *end = start + run.front().length;
        while (first + int(run.size()) < to) {
            const LineRef next = model.lineRef(first + int(run.size()));
            if (next.id != run.front().id || next.bytes < end ||
                next.bytes + next.length - start > StretchBytes)
                break;
            run.push_back(next);
            end = next.bytes + next.length;
        }
        if (run.size() == 1 || !matcher.takeStretch({start, size_t(end - start)})) {
            for (size_t k = 0; k < run.size(); ++k) {
                if (matcher.holds(run[k].text(), stop)) {
                    mark(holding, first + int(k));
                    ++found;
                }
            }
            continue;
        }
        const qsizetype size = matcher.textBytes();
        size_t k = 0;
        for (qsizetype at = matcher.nextMatch(0); at >= 0;) {
            while (k < run.size() && run[k].bytes - start + run[k].length < at + size)
                ++k; // the row ends before the match does
            if (k == run.size())
                break;
            if (run[k].bytes - start <= at) {
                mark(holding, first + int(k));
                ++found;
                if (++k == run.size())
                    break;
            }
            at = matcher.nextMatch(run[k].bytes - start);
        }
    }
    return found;
}

} // namespace

struct RowSearch::Scan
{
    std::atomic<bool> stop = false;
    int rows = 0;
    std::vector<quint64> holding;
    std::vector<int> blockCounts;
    int count = 0;
    bool failed = false;
};

RowSearch::RowSearch(const RowModel &model, QObject *parent) : QObject(parent), m_model(model)
{
    m_restart.setSingleShot(true);
    m_restart.setInterval(QuietMs);
    connect(&m_restart, &QTimer::timeout, this, [this] {
        if (!m_text.isEmpty() && !m_scan && !m_ready)
            start();
    });
    connect(&model, &RowModel::aboutToChange, this, &RowSearch::listWillChange);
}

RowSearch::~RowSearch()
{
    halt();
}

void RowSearch::setText(const QString &text, bool matchCase)
{
    halt();
    m_restart.stop();
    m_text = text;
    m_matchCase = matchCase;
    if (!m_text.isEmpty())
        start();
    emit changed();
}

void RowSearch::stop()
{
    setText({}, m_matchCase);
}

void RowSearch::halt()
{
    if (m_scan)
        m_scan->stop = true;
    m_work.reset(); // waits for the worker
    m_scan.reset();
    m_holding = {};
    m_blockCounts = {};
    m_rows = m_count = 0;
    m_ready = m_failed = false;
}

void RowSearch::listWillChange()
{
    if (m_text.isEmpty())
        return;
    halt();
    m_restart.start();
    // The list is in the middle of its change: listeners look once it ended.
    QMetaObject::invokeMethod(this, &RowSearch::changed, Qt::QueuedConnection);
}

void RowSearch::start()
{
    auto scan = std::make_shared<Scan>();
    scan->rows = m_model.count();
    const auto work = [this, scan, model = &m_model, text = m_text, matchCase = m_matchCase] {
        const int rows = scan->rows;
        try {
            scan->holding.assign(size_t((rows + WordRows - 1) / WordRows), 0);
            std::atomic<int> count = 0;
            // Each half writes whole words of its own.
            const int middle = (rows / 2) & ~(WordRows - 1);
            SortEngine::inTwoHalves(rows, nullptr, [&](int half, Progress *) {
                RowMatcher matcher(text, matchCase);
                count += markHoldingRows(*model, half == 0 ? 0 : middle, half == 0 ? middle : rows,
                                         matcher, scan->holding, scan->stop);
            });
            const size_t words = scan->holding.size();
            scan->blockCounts.assign((words + BlockWords - 1) / BlockWords, 0);
            for (size_t w = 0; w < words; ++w)
                scan->blockCounts[w / BlockWords] += std::popcount(scan->holding[w]);
            scan->count = count;
        } catch (const std::bad_alloc &) {
            scan->failed = true;
        }
        if (scan->stop)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, scan] {
                if (scan == m_scan)
                    finish();
            },
            Qt::QueuedConnection);
    };
    m_scan = scan;
    m_work = std::make_unique<BackgroundWork>(work);
    if (!m_work->started()) { // no thread to be had: the answer still comes queued
        m_work.reset();
        work();
    }
}

void RowSearch::finish()
{
    m_work.reset(); // the worker has nothing left to do but end
    const std::shared_ptr<Scan> scan = std::move(m_scan);
    m_failed = scan->failed;
    if (!m_failed) {
        m_holding = std::move(scan->holding);
        m_blockCounts = std::move(scan->blockCounts);
        m_rows = scan->rows;
        m_count = scan->count;
    }
    m_ready = true;
    emit changed();
}

bool RowSearch::holds(int row) const
{
    return m_ready && row >= 0 && row < m_rows &&
           (m_holding[size_t(row / WordRows)] >> (row % WordRows) & 1) != 0;
}

RowSearch::Found RowSearch::next(int from, bool including) const
{
    if (!m_ready || m_count == 0)
        return {};
    const int begin = std::clamp(including ? from : from + 1, 0, m_rows);
    if (const int row = firstHolding(begin, m_rows); row >= 0)
        return foundAt(row, false);
    return foundAt(firstHolding(0, begin), true);
}

RowSearch::Found RowSearch::previous(int from, bool including) const
{
    if (!m_ready || m_count == 0)
        return {};
    const int end = std::clamp(including ? from + 1 : from, 0, m_rows);
    if (const int row = lastHolding(0, end); row >= 0)
        return foundAt(row, false);
    return foundAt(lastHolding(end, m_rows), true);
}

RowSearch::Found RowSearch::foundAt(int row, bool wrapped) const
{
    if (row < 0)
        return {};
    const int block = row / BlockRows;
    int place = 0;
    for (int b = 0; b < block; ++b)
        place += m_blockCounts[size_t(b)];
    for (int w = block * BlockWords; w < row / WordRows; ++w)
        place += std::popcount(m_holding[size_t(w)]);
    const quint64 upToRow = (quint64(2) << (row % WordRows)) - 1;
    place += std::popcount(m_holding[size_t(row / WordRows)] & upToRow);
    return {row, place, wrapped};
}

int RowSearch::firstHolding(int from, int to) const
{
    for (int row = from; row < to;) {
        if (row % BlockRows == 0 && m_blockCounts[size_t(row / BlockRows)] == 0) {
            row += BlockRows;
            continue;
        }
        const int word = row / WordRows;
        if (const quint64 bits = m_holding[size_t(word)] >> (row % WordRows); bits != 0) {
            const int at = row + std::countr_zero(bits);
            return at < to ? at : -1;
        }
        row = (word + 1) * WordRows;
    }
    return -1;
}

int RowSearch::lastHolding(int from, int to) const
{
    for (int row = to - 1; row >= from;) {
        if (row % BlockRows == BlockRows - 1 && m_blockCounts[size_t(row / BlockRows)] == 0) {
            row -= BlockRows;
            continue;
        }
        const int word = row / WordRows;
        // The bits of the word up to the row's, the row's on top.
        if (const quint64 bits = m_holding[size_t(word)] << (WordRows - 1 - row % WordRows);
            bits != 0) {
            const int at = row - std::countl_zero(bits);
            return at >= from ? at : -1;
        }
        row = word * WordRows - 1;
    }
    return -1;
}
