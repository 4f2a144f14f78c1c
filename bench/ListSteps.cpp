#include "bench/ListSteps.h"

#include "app/FindBar.h"
#include "app/MainWindow.h"
#include "commands/ExternalNames.h"
#include "lists/RowListView.h"
#include "lists/RowModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {

// Runs the event loop until done() holds (or a minute has passed), and
// measures the longest time between two turns of it.
class EventLoopWatch
{
public:
    template <typename Done> TimedStep waitUntil(Done done, const QElapsedTimer &since)
    {
        TimedStep step;
        QElapsedTimer turn;
        turn.start();
        QTimer pulse;
        pulse.setInterval(0);
        QObject::connect(&pulse, &QTimer::timeout,
                         [&] { step.gapMs = std::max(step.gapMs, turn.restart()); });
        pulse.start();
        while (!done() && since.elapsed() < 60'000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        step.ms = double(since.nsecsElapsed()) / 1e6;
        step.gapMs = std::max(step.gapMs, turn.elapsed());
        return step;
    }
};

// Runs act from the event loop (so that the time it holds the loop counts
// as a wait), then waits until done() holds; then the list lays out and
// paints its rows again.
template <typename Act, typename Done> TimedStep timedFromEventLoop(Act act, Done done)
{
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, act);
    TimedStep step = EventLoopWatch().waitUntil(done, clock);
    QCoreApplication::processEvents();
    return step;
}

} // namespace

TimedStep undoClearOfContent(MainWindow &window)
{
    const int rows = window.content().count();
    window.findChild<QPushButton *>(objectNameOf(Element::ClearContentButton))->click();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(0, [&] { window.undo(); });
    TimedStep step =
        EventLoopWatch().waitUntil([&] { return window.content().count() == rows; }, clock);
    // The list lays out and paints its rows again.
    QCoreApplication::processEvents();
    window.repaint();
    step.ms = double(clock.nsecsElapsed()) / 1e6;
    if (window.content().count() != rows)
        step.ms = -1;
    return step;
}

std::pair<TimedStep, TimedStep> undoAndRedoOfSort(MainWindow &window)
{
    const int once = window.results().count();
    window.findChild<QPushButton *>(objectNameOf(Element::StartSortingButton))->click();
    QCoreApplication::processEvents();
    const int twice = window.results().count();
    std::pair<TimedStep, TimedStep> steps;
    steps.first = timedFromEventLoop([&] { window.undo(); },
                                     [&] { return window.results().count() == once; });
    window.repaint();
    steps.second = timedFromEventLoop([&] { window.redo(); },
                                      [&] { return window.results().count() == twice; });
    window.repaint();
    if (once == twice || window.results().count() != twice)
        steps.first.ms = steps.second.ms = -1;
    return steps;
}

FindStep findInContent(MainWindow &window, const QString &text)
{
    FindStep found;
    auto *bar = window.findChild<FindBar *>();
    auto *list = window.findChild<RowListView *>(objectNameOf(Element::ContentList));
    if (!bar || !list)
        return found;
    bool answered = false;
    bool counted = false;
    const QMetaObject::Connection toAnswer =
        QObject::connect(bar, &FindBar::answered, [&](int row) {
            answered = true;
            found.row = row;
        });
    const QMetaObject::Connection toCount = QObject::connect(bar, &FindBar::counted, [&](int rows) {
        counted = true;
        found.rows = rows;
    });
    list->setCurrentIndex({});
    QElapsedTimer clock;
    clock.start();
    bar->find(list, text, true);
    EventLoopWatch watch;
    found.find = watch.waitUntil([&] { return answered; }, clock);
    found.count = watch.waitUntil([&] { return counted; }, clock);
    QObject::disconnect(toAnswer);
    QObject::disconnect(toCount);
    return found;
}
