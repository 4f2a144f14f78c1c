#include "app/SortCommand.h"

#include "core/Failure.h"
#include "core/Files.h"
#include "core/Utf8Text.h"
#include "export/GatheredLines.h"
#include "export/LinesTextFile.h"
#include "lists/TextLoader.h"
#include "sort/ChosenKeyJson.h"
#include "sort/ChosenKeyOrder.h"
#include "sort/DictionaryOrder.h"
#include "sort/LineFilters.h"
#include "sort/SortLines.h"
#include "sort/SortOptions.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int ReadOrWriteFailed = 1;

// The lines read, and the blocks their texts lie in (the counts of row 34
// make a block of their own).
struct SortedLines
{
    std::vector<TextBlock> blocks;
    QByteArray madeTexts;
    LineRefs refs;

    void append(const LoadedText &loaded)
    {
        if (loaded.spans.empty())
            return;
        blocks.push_back(loaded.block);
        const char *bytes = loaded.block->constData();
        refs.reserve(refs.size() + qsizetype(loaded.spans.size()));
        for (const RowSpan &span : loaded.spans)
            refs.append(
                LineRef{bytes + span.offset, quint32(span.size), quint32(blocks.size() - 1)});
    }
};

void printProblem(const QString &text)
{
    const QByteArray bytes = programLines(text).toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

// The files in their order, read whole before anything is written: the
// output may replace one of them. A missing file is named as the window's
// load names it.
SortedLines loadFiles(const QStringList &files)
{
    SortedLines lines;
    for (const QString &path : files) {
        if (path == u"-") {
            lines.append(loadStream(STDIN_FILENO, u"standard input"_s));
            continue;
        }
        if (!fileExists(path))
            throw Failure(u"File not found: "_s + QDir::toNativeSeparators(path));
        lines.append(loadTextFile(path));
    }
    return lines;
}

// Sorts as "Start Sorting" does with the row's question answered by the
// request; gives the number of lines a pattern gave up on.
qsizetype sortByRequest(const SortRequest &request, const ChosenKeySet &keys, SortedLines &lines)
{
    const SortOption &option = sortOptions()[std::size_t(request.row)];
    qsizetype linesGaveUp = 0;
    if (option.asks == SortAnswer::Keys) {
        sortByKeys(lines.refs, keys, nullptr, &linesGaveUp);
    } else if (option.asks == SortAnswer::Filter) {
        const FilterMode mode = option.operation == LineOperation::KeepContaining
                                    ? FilterMode::Keep
                                    : FilterMode::Remove;
        filterLines(lines.refs, LineFilter{request.text, !request.ignoreCase, request.pattern},
                    mode, nullptr, &linesGaveUp);
    } else if (option.key == OptionKey::Dictionary) {
        sortInDictionaryOrder(lines.refs, request.locale, nullptr);
    } else {
        // The lines of counts point into madeTexts, whose bytes stay put
        // when it moves.
        QByteArray made;
        sortLines(lines.refs, option, request.number, request.text, nullptr, &made);
        lines.madeTexts = std::move(made);
    }
    return linesGaveUp;
}

// The "Lines only" file, written by the window's writer and saved as the
// window saves it.
void writeFile(const LineRefs &refs, const QString &path)
{
    TextFileSave save(path, nullptr);
    LinesTextWriter out(save.file());
    save.open(out);
    out.appendLines(refs);
    save.commit(out);
}

// The same bytes to standard output, which is no file to save: each line as
// it is but for a lone surrogate (U+FFFD in its place), then LF.
void writeStandardOutput(const LineRefs &refs)
{
    writeGatheredLines(refs, [](const char *bytes, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t written = ::write(STDOUT_FILENO, bytes + done, size - done);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0)
                throw Failure(QString::fromLocal8Bit(std::strerror(errno)) +
                              u": standard output"_s);
            done += std::size_t(written);
        }
    });
}

// The window's status texts after a pattern gave up on lines.
QString gaveUpNote(const SortOption &option, qsizetype lines)
{
    if (option.asks == SortAnswer::Keys) {
        return lines == 1
                   ? u"1 line gave up on a pattern and counts as without the key"_s
                   : u"%1 lines gave up on a pattern and count as without the key"_s.arg(lines);
    }
    return lines == 1 ? u"1 line gave up on the pattern and counts as not matching"_s
                      : u"%1 lines gave up on the pattern and count as not matching"_s.arg(lines);
}

} // namespace

int runSortCommand(const SortRequest &request, const QStringList &files)
{
    try {
        ChosenKeySet keys = request.keys.value_or(ChosenKeySet{});
        if (!request.keysFile.isEmpty()) {
            QFile file(request.keysFile);
            if (!file.open(QIODevice::ReadOnly))
                throw Failure(u"Cannot read \""_s + QDir::toNativeSeparators(request.keysFile) +
                              u"\": "_s + file.errorString());
            QString problems;
            const std::optional<ChosenKeySet> read = validKeysFromJson(
                file.readAll(), QDir::toNativeSeparators(request.keysFile), &problems);
            if (!read) {
                printProblem(problems);
                return UsageExitCode;
            }
            keys = *read;
        }
        SortedLines lines = loadFiles(files);
        const qsizetype linesGaveUp = sortByRequest(request, keys, lines);
        if (request.output.isEmpty())
            writeStandardOutput(lines.refs);
        else
            writeFile(lines.refs, request.output);
        if (linesGaveUp > 0)
            printProblem(gaveUpNote(sortOptions()[std::size_t(request.row)], linesGaveUp));
    } catch (const Failure &failure) {
        printProblem(failure.description());
        return ReadOrWriteFailed;
    } catch (const std::bad_alloc &) {
        printProblem(Failure::outOfMemory().description());
        return ReadOrWriteFailed;
    }
    return 0;
}

QString sortCommandFor(const ChosenKeySet &keys)
{
    // In single quotes everything stands for itself but the quote, which
    // ends them, is written as an escaped quote and they start again.
    QString json = QString::fromUtf8(toJson(keys));
    json.replace(u'\'', u"'\\''"_s);
    return u"tarnveil --sort 28 --keys '"_s + json + u'\'';
}
