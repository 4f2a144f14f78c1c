#pragma once

#include "core/Progress.h"
#include "core/Yielding.h"

#include <QtGlobal>

#include <algorithm>

// Reports how far the load of one file is: reading is the first part of the
// bar, decoding and splitting the rest, each by its share of the file's
// bytes. It yields between chunks and every so many lines; a closed window
// stops the load there, before any row was added. Without progress it does
// nothing.
class LoadMeter
{
public:
    LoadMeter(Progress *progress, qint64 bytes)
        : m_progress(progress), m_bytes(std::max<qint64>(bytes, 1))
    {
    }

    bool active() const { return m_progress != nullptr; }

    void read(qint64 done)
    {
        if (!m_progress)
            return;
        m_progress->setPosition(ReadShare * double(done) / double(m_bytes));
        m_progress->yield();
    }

    // Reading input of unknown size: the bar creeps towards the read share.
    void readSome(qint64 done)
    {
        if (!m_progress)
            return;
        constexpr double HalfWay = 64 << 20;
        m_progress->setPosition(ReadShare * double(done) / (double(done) + HalfWay));
        m_progress->yield();
    }

    // Splitting goes by this many bytes once they are known.
    void setTotal(qint64 bytes) { m_bytes = std::max<qint64>(bytes, 1); }

    // Called between the pieces of work on one long line (of many
    // megabytes): the window stays alive however long a line is.
    void pace(qint64 done)
    {
        if (!m_progress)
            return;
        m_progress->setPosition(ReadShare + (100 - ReadShare) * double(std::min(done, m_bytes)) /
                                                double(m_bytes));
        m_progress->yield();
    }

    // Between the pieces of a conversion, which comes before the split.
    void keepAlive()
    {
        if (m_progress)
            m_progress->yield();
    }

    // Waits for work on another thread with the window alive.
    void waitFor(BackgroundWork &work) { work.waitWhileYielding(m_progress); }

    // Called once per line; passes on every LinesPerStep-th.
    void split(qint64 done)
    {
        if (!m_progress || ++m_lines < LinesPerStep)
            return;
        m_lines = 0;
        m_progress->setPosition(ReadShare + (100 - ReadShare) * double(std::min(done, m_bytes)) /
                                                double(m_bytes));
        m_progress->yield();
    }

private:
    static constexpr double ReadShare = 30;
    static constexpr int LinesPerStep = 1 << 14;

    Progress *m_progress;
    qint64 m_bytes;
    int m_lines = 0;
};

// Long stretches of text are worked on a piece at a time, with the meter
// told in between.
constexpr qsizetype LoadPiece = qsizetype(1) << 20;
