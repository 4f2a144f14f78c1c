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
    // Read before settling: settleWindow() itself takes a while.
    run.idleGapMs = idle.elapsed();
    run.idleGapMs = std::max(run.idleGapMs, settleWindow());
    if (then.keep == WindowAfterSort::Keep::Texts)
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
    run.idleGapMs = std::max({run.idleGapMs, run.doneToIdleMs, settleWindow()});
    run.resultCount = window.results().count();
    if (then.keep == WindowAfterSort::Keep::Texts)
        run.results = window.results().texts();
    if (then.keep == WindowAfterSort::Keep::Rows) {
        // Line references name their block by its slot, as blocks() lists them.
        run.resultRows.blocks = window.results().blocks();
        run.resultRows.refs.reserve(window.results().count());
        for (int i = 0; i < window.results().count(); ++i)
            run.resultRows.refs.append(window.results().lineRef(i));
    }
    run.boxes = dialogs.messages();
    if (then.run) {
        dialogs.onShown = {};
        then.run(window, dialogs);
    }
    return run;
}
