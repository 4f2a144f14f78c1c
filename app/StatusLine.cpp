#include "app/StatusLine.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <time.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

qint64 coarseNowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

StatusLine::StatusLine(QObject *parent)
    : QObject(parent), m_text(u"Progress Bar"_s), m_lastRunMs(coarseNowMs()),
      m_lastRunStartMs(m_lastRunMs)
{
}

qint64 StatusLine::msSinceLastRun() const
{
    return coarseNowMs() - m_lastRunStartMs;
}

void StatusLine::setPosition(double percent)
{
    if (m_position == percent)
        return;
    m_position = percent;
    scheduleShow();
}

void StatusLine::setText(const QString &text)
{
    emit textSet(text);
    if (m_text == text)
        return;
    m_text = text;
    scheduleShow();
}

bool StatusLine::showsTextNow() const
{
    return coarseNowMs() - m_lastRunMs >= SliceMs;
}

void StatusLine::scheduleShow()
{
    if (m_showScheduled)
        return;
    m_showScheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_showScheduled = false;
            emit changed();
        },
        Qt::QueuedConnection);
}

void StatusLine::yield()
{
    if (m_aborted)
        throw CommandAborted{};
    const qint64 now = coarseNowMs();
    if (now - m_lastRunMs < SliceMs)
        return;
    m_longestGapMs = std::max(m_longestGapMs, now - m_lastRunStartMs);
    m_lastRunStartMs = now;
    QCoreApplication::processEvents(m_inputHeld ? QEventLoop::ExcludeUserInputEvents
                                                : QEventLoop::AllEvents);
    m_lastRunMs = coarseNowMs();
    if (m_aborted)
        throw CommandAborted{};
}

void StatusLine::resetGaps()
{
    m_longestGapMs = 0;
    m_lastRunMs = coarseNowMs();
    m_lastRunStartMs = m_lastRunMs;
}
