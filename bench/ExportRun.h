#pragma once

#include "app/MainWindow.h"
#include "app/StatusLine.h"
#include "commands/CommandContext.h"
#include "commands/CopyToClipboard.h"
#include "commands/ExternalNames.h"
#include "commands/SaveSpreadsheet.h"
#include "commands/SaveTextFile.h"
#include "commands/WriteLinesFile.h"
#include "core/Progress.h"
#include "export/XlsxSpreadsheet.h"
#include "lists/RowModel.h"
#include "support/MemoryClipboard.h"
#include "support/ScriptedDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdio>

using LineArray = QStringList;

// Lines as the program holds them: the loaded files' text blocks, and
// references into them in the order reached.
// Runs the event loop until the window has nothing left to do (delayed
// layouts and paints done), at most a few hundred milliseconds; gives the
// longest single pass, the time the window did not answer.
qint64 settleWindow();

struct BenchLines
{
    std::vector<TextBlock> blocks;
    LineRefs refs;

    qsizetype size() const { return refs.size(); }
    void append(const TextBlock &block, const std::vector<RowSpan> &spans);
};

// What tarnveil-bench writes: the sorted lines, or what an export makes of
// the results list (Plain: the "Lines only" text file).
enum class Format { Lines, Text, Plain, Clipboard, Xlsx };

// The window's progress bar stands still here; the passes still call it.
class SilentProgress final : public Progress
{
public:
    void setPosition(double) override {}
    void setText(const QString &) override {}
    void yield() override {}
};

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start);
long peakResidentKilobytes();

// The results list's exports, run as the commands run them. The file that the
// spreadsheet export would open is moved to out; the clipboard text is written
// to out in UTF-8.
class ExportRun
{
public:
    ExportRun(Format format, const QString &out)
        : m_format(format), m_out(out), m_spreadsheet(
                                            [] {
                                                return std::optional(XlsxSpreadsheet::Launch{
                                                    QStringLiteral("tarnveil-bench"), {}});
                                            },
                                            [this](const QString &, const QStringList &arguments) {
                                                m_workbook = arguments.value(0);
                                                return true;
                                            },
                                            QFileInfo(out).absolutePath())
    {
        if (format == Format::Text || format == Format::Plain)
            m_dialogs.saveAnswers = {out};
        if (format == Format::Plain)
            m_dialogs.saveFilterAnswers = {int(TextFileType::LinesOnly)};
    }

    UserDialogs &dialogs() { return m_dialogs; }
    qint64 longestGapMs() const { return m_longestGapMs; }
    Clipboard &clipboard() { return m_clipboard; }
    SpreadsheetAutomation &spreadsheet() { return m_spreadsheet; }

    // Runs the command on ctx (for Plain the lines-only writer that the
    // command calls, without the dialog); returns its time.
    double run(CommandContext &ctx)
    {
        const Clock::time_point start = Clock::now();
        switch (m_format) {
        case Format::Text:
            saveResultsAsTextFile(ctx);
            break;
        case Format::Plain:
            writeLinesFile(ctx.results, m_out, &ctx.status, ctx.dialogs);
            break;
        case Format::Clipboard:
            copyResultsToClipboard(ctx);
            break;
        case Format::Xlsx:
            saveResultsAsSpreadsheet(ctx);
            break;
        case Format::Lines:
            break;
        }
        return millisecondsSince(start);
    }

    // Clicks the export's button of a window that shows the results; returns
    // the time from the click until the command returned.
    double runThroughWindow(MainWindow &window, ScriptedDialogs &dialogs)
    {
        // The user sees the rows before pressing the button: the views have
        // laid them out.
        settleWindow();
        const size_t before = dialogs.shown.size();
        dialogs.saveAnswers = m_dialogs.saveAnswers;
        dialogs.saveFilterAnswers = m_dialogs.saveFilterAnswers;
        Element button = Element::SaveSpreadsheetButton;
        if (m_format == Format::Text || m_format == Format::Plain)
            button = Element::SaveTextFileButton;
        else if (m_format == Format::Clipboard)
            button = Element::CopyButton;
        auto *pushButton = window.findChild<QPushButton *>(objectNameOf(button));
        if (!pushButton)
            return 0;
        const Clock::time_point start = Clock::now();
        window.statusLine().resetGaps();
        pushButton->click();
        const double ms = millisecondsSince(start);
        m_longestGapMs =
            std::max(window.statusLine().longestGapMs(), window.statusLine().msSinceLastRun());
        for (size_t i = before; i < dialogs.shown.size(); ++i)
            m_dialogs.shown.push_back(dialogs.shown[i]);
        return ms;
    }

    // What the export left behind goes to out; false (with a note on stderr)
    // when the export failed.
    bool finish()
    {
        bool ok = true;
        for (const QString &message : m_dialogs.messages()) {
            if (m_format == Format::Clipboard && message.startsWith(u"Results have been copied"))
                continue;
            std::fprintf(stderr, "tarnveil-bench: %s\n", qPrintable(message));
            ok = false;
        }
        m_dialogs.shown.clear();
        if (!ok)
            return false;
        if (m_format == Format::Clipboard) {
            QFile file(m_out);
            const QByteArray bytes = m_clipboard.text.value_or(QString()).toUtf8();
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
                file.write(bytes) != bytes.size()) {
                std::fprintf(stderr, "tarnveil-bench: cannot write %s\n", qPrintable(m_out));
                return false;
            }
        }
        if (m_format == Format::Xlsx) {
            if (m_workbook.isEmpty())
                return false;
            QFile::remove(m_out);
            const bool moved = QFile::rename(m_workbook, m_out);
            QDir(QFileInfo(m_workbook).path()).removeRecursively();
            m_workbook.clear();
            if (!moved) {
                std::fprintf(stderr, "tarnveil-bench: cannot write %s\n", qPrintable(m_out));
                return false;
            }
        }
        return true;
    }

private:
    Format m_format;
    QString m_out;
    ScriptedDialogs m_dialogs;
    MemoryClipboard m_clipboard;
    XlsxSpreadsheet m_spreadsheet;
    QString m_workbook;
    qint64 m_longestGapMs = 0;
};

// Runs the export of that format on a results list of its own, without a
// window, and writes what it made to out; exportMs is the time of the export
// command alone. False (with a note on stderr) when the export failed.
bool exportRows(const BenchLines &rows, Format format, const QString &out, double *exportMs);
