#include "bench/WindowRun.h"

#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "commands/ExternalNames.h"
#include "commands/LoadTextFiles.h"
#include "lists/RowModel.h"
#include "support/MemoryClipboard.h"
#include "support/RecordingSpreadsheet.h"
#include "support/ReferenceLoader.h"
#include "support/ScriptedDialogs.h"
#include "support/ScriptedFilterChooser.h"
#include "support/ScriptedKeysChooser.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <csignal>
#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(const QStringList &inputs)
{
    QByteArray bytes;
    for (const QString &path : inputs) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes += file.readAll();
    }
    return bytes;
}

// Runs the load while a second thread pipes the bytes into standard input.
void loadThroughPipe(MainWindow &window, const QByteArray &bytes)
{
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(ends[0], STDIN_FILENO);
    ::close(ends[0]);
    std::thread writer([&bytes, end = ends[1]] {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t wrote =
                ::write(end, bytes.constData() + done, size_t(bytes.size() - done));
            if (wrote <= 0)
                break;
            done += wrote;
        }
        ::close(end);
    });
    window.loadFiles({standardInputArgument()});
    // A load that stopped early (out of memory) leaves the writer blocked:
    // the pipe's read end goes, and its writes fail instead.
    const auto oldHandler = std::signal(SIGPIPE, SIG_IGN);
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    writer.join();
    std::signal(SIGPIPE, oldHandler);
}

} // namespace

// The rows of a list, as references into its blocks; line references name
// their block by its slot, as blocks() lists them.
BenchLines rowsOf(const RowModel &list)
{
    BenchLines rows;
    rows.blocks = list.blocks();
    rows.refs.reserve(list.count());
    std::array<LineRef, 1024> run;
    for (int i = 0; i < list.count(); i += int(run.size())) {
        const int count = std::min(int(run.size()), list.count() - i);
        list.lineRefs(i, count, run.data());
        for (int k = 0; k < count; ++k)
            rows.refs.append(run[std::size_t(k)]);
    }
    return rows;
}

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
    MemoryClipboard ownClipboard;
    RecordingSpreadsheet unusedSpreadsheet;
    Clipboard &clipboard = then.clipboard ? *then.clipboard : ownClipboard;
    ScriptedKeysChooser keysChooser;
    ScriptedFilterChooser filterChooser;
    if (then.keys)
        keysChooser.answers.append(*then.keys);
    if (then.filter)
        filterChooser.answers.append(*then.filter);
    MainWindow window({dialogs, clipboard, then.spreadsheet ? *then.spreadsheet : unusedSpreadsheet,
                       keysChooser, filterChooser, QCoreApplication::applicationDirPath()});
    window.show();
    QCoreApplication::processEvents();
    window.sortOptionList()->setCurrentIndex(option);

    WindowRun run;
    QElapsedTimer clock;
    QByteArray piped;
    QAction *paste = nullptr;
    switch (then.load) {
    case WindowAfterSort::Load::Files:
        dialogs.openAnswers.push_back(inputs);
        break;
    case WindowAfterSort::Load::Paste: {
        QString text;
        for (const QString &path : inputs)
            text += readWholeTextFile(path);
        clipboard.setText(text);
        const auto *list = window.findChild<QWidget *>(objectNameOf(Element::ContentList));
        for (QAction *action : list->actions()) {
            if (action->text() == u"Paste Lines")
                paste = action;
        }
        break;
    }
    case WindowAfterSort::Load::Pipe:
        piped = bytesOf(inputs);
        break;
    }
    window.statusLine().resetGaps();
    clock.start();
    switch (then.load) {
    case WindowAfterSort::Load::Files:
        window.findChild<QPushButton *>(objectNameOf(Element::LoadFilesButton))->click();
        break;
    case WindowAfterSort::Load::Paste:
        if (paste)
            paste->trigger();
        break;
    case WindowAfterSort::Load::Pipe:
        loadThroughPipe(window, piped);
        break;
    }
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
    if (then.keep == WindowAfterSort::Keep::BothLists)
        run.loadedRows = rowsOf(window.content());

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
    if (then.keep != WindowAfterSort::Keep::Nothing)
        run.resultRows = rowsOf(window.results());
    run.boxes = dialogs.messages();
    if (then.run) {
        dialogs.onShown = {};
        then.run(window, dialogs);
    }
    clock.start();
    for (const Element button : {Element::ClearResultsButton, Element::ClearContentButton}) {
        QElapsedTimer click;
        click.start();
        window.findChild<QPushButton *>(objectNameOf(button))->click();
        run.clearGapMs = std::max(run.clearGapMs, click.elapsed());
        QCoreApplication::processEvents();
        window.repaint();
        run.clearGapMs = std::max({run.clearGapMs, click.elapsed(), settleWindow()});
    }
    run.clearMs = clock.elapsed();
    return run;
}
