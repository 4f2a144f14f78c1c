#include "bench/WindowRun.h"

#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "commands/ExternalNames.h"
#include "lists/RowModel.h"
#include "support/MemoryClipboard.h"
#include "support/RecordingSpreadsheet.h"
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int SettleMs = 200;

// Runs the event loop for a while, so delayed layouts and paints are done;
// gives the longest single pass, the time the window did not answer.
qint64 settle()
{
    QElapsedTimer waited;
    waited.start();
    qint64 longest = 0;
    while (waited.elapsed() < SettleMs) {
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        longest = std::max(longest, pass.elapsed());
    }
    return longest;
}

} // namespace

WindowRun runWindowSort(const QStringList &inputs, int option, const QStringList &answers,
                        const WindowAfterSort &then)
{
    // The window remembers its option; keep the user's settings out of it.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());

    ScriptedDialogs dialogs;
    for (const QString &answer : answers)
        dialogs.inputAnswers.push_back(answer);
    // Exports the run does not take part in go nowhere.
    MemoryClipboard unusedClipboard;
    RecordingSpreadsheet unusedSpreadsheet;
    MainWindow window({dialogs, then.clipboard ? *then.clipboard : unusedClipboard,
                       then.spreadsheet ? *then.spreadsheet : unusedSpreadsheet,
                       QCoreApplication::applicationDirPath()});
    window.show();
    QCoreApplication::processEvents();
    window.sortOptionList()->setCurrentIndex(option);

    WindowRun run;
    QElapsedTimer clock;
    dialogs.openAnswers.push_back(inputs);
    window.statusLine().resetGaps();
    clock.start();
    window.findChild<QPushButton *>(objectNameOf(Element::LoadFilesButton))->click();
    run.loadMs = clock.elapsed();
    run.loadGapMs =
        std::max(window.statusLine().longestGapMs(), window.statusLine().msSinceLastRun());
    // The user clicks on a window that shows its rows: let the list lay them
    // out and paint before the clock starts.
    QElapsedTimer idle;
    idle.start();
    QCoreApplication::processEvents();
    window.repaint();
    // Read before settling: settle() itself runs for SettleMs.
    run.idleGapMs = idle.elapsed();
    run.idleGapMs = std::max(run.idleGapMs, settle());
    if (then.keepResults)
        run.loaded = window.content().texts();

    dialogs.onShown = [&](const ScriptedDialogs::Shown &box) {
        if (box.text == u"Done."_s) {
            run.clickToDoneMs = clock.elapsed();
            run.longestGapMs =
                std::max(window.statusLine().longestGapMs(), window.statusLine().msSinceLastRun());
        }
    };
    auto *button = window.findChild<QPushButton *>(objectNameOf(Element::StartSortingButton));
    window.statusLine().resetGaps();
    clock.start();
    button->click();
    const qint64 returned = clock.elapsed();
    QCoreApplication::processEvents();
    window.repaint();
    run.doneToIdleMs = clock.elapsed() - returned;
    run.idleGapMs = std::max({run.idleGapMs, run.doneToIdleMs, settle()});
    run.resultCount = window.results().count();
    if (then.keepResults)
        run.results = window.results().texts();
    run.boxes = dialogs.messages();
    if (then.run) {
        dialogs.onShown = {};
        then.run(window, dialogs);
    }
    return run;
}
