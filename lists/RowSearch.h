#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <vector>

class BackgroundWork;
class RowModel;

// Which rows of one list hold a text (RowMatcher), found by a worker thread
// that reads the rows where they are, half of them on each core. Once every
// row has been read the search is ready: it knows how many rows hold the
// text and answers at once which holding row comes next from any row, and
// its place among them.
//
// Before the list adds, removes or clears rows (RowModel::aboutToChange) the
// worker is stopped and waited for, and the rows found are forgotten; once
// the list has stayed unchanged for a moment they are counted again. Check
// marks play no part. The search must go before its list.
class RowSearch final : public QObject
{
    Q_OBJECT

public:
    explicit RowSearch(const RowModel &model, QObject *parent = nullptr);
    ~RowSearch() override;

    // Counts the rows that hold the text anew; an empty text stops.
    void setText(const QString &text, bool matchCase);
    void stop();
    const QString &text() const { return m_text; }
    bool matchCase() const { return m_matchCase; }

    // Whether every row has been read for the text as the list stands now.
    bool ready() const { return m_ready; }
    // The rows could not be searched (no memory for the rows found).
    bool failed() const { return m_failed; }
    // How many rows hold the text; 0 until ready.
    int holdingCount() const { return m_count; }
    bool holds(int row) const;

    struct Found
    {
        int row = -1;         // -1: no row holds the text, or not ready
        int place = 0;        // 1 for the first holding row
        bool wrapped = false; // went on past the end (or the start)
    };
    // The first holding row after from (at it, when including), going on
    // from the top past the end; from may be outside the rows.
    Found next(int from, bool including) const;
    // The same upwards, going on from the bottom.
    Found previous(int from, bool including) const;

signals:
    // Counting began or ended: ready() or the rows found changed.
    void changed();

private:
    struct Scan;
    void start();
    // Stops the worker, waiting for it, and forgets what it found.
    void halt();
    void listWillChange();
    void finish();
    Found foundAt(int row, bool wrapped) const;
    // The first (last) holding row of [from, to), or -1.
    int firstHolding(int from, int to) const;
    int lastHolding(int from, int to) const;

    const RowModel &m_model;
    QString m_text;
    bool m_matchCase = false;
    std::shared_ptr<Scan> m_scan;
    std::unique_ptr<BackgroundWork> m_work;
    QTimer m_restart;

    // What the last finished scan found: a bit per row, and how many bits
    // each block of BlockRows rows has set, for places without reading
    // every bit.
    std::vector<quint64> m_holding;
    std::vector<int> m_blockCounts;
    int m_rows = 0;
    int m_count = 0;
    bool m_ready = false;
    bool m_failed = false;
};
