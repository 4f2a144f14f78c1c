#include "bench/Arguments.h"

#include "sort/ChosenKeyJson.h"
#include "sort/ChosenKeyProblems.h"
#include "sort/DictionaryOrder.h"
#include "sort/LineFilters.h"
#include "sort/SortOptions.h"

#include <cstdio>

using namespace Qt::StringLiterals;

const char Usage[] = "usage: tarnveil-bench --option ROW [--arg TEXT] [--ignore-case] "
                     "[--pattern] [--locale NAME] [--keys JSON] "
                     "[--format lines|text|plain|clipboard|xlsx] "
                     "[--window | --window-only] [--load files|paste|pipe] "
                     "[--undo-clear] [--undo-sort] [--find TEXT] --out FILE "
                     "INPUT...\n";

namespace {

std::optional<Format> formatNamed(const QString &name)
{
    if (name == u"lines")
        return Format::Lines;
    if (name == u"text")
        return Format::Text;
    if (name == u"plain")
        return Format::Plain;
    if (name == u"clipboard")
        return Format::Clipboard;
    if (name == u"xlsx")
        return Format::Xlsx;
    return std::nullopt;
}

} // namespace

LineFilter filterOf(const Arguments &args)
{
    return LineFilter{args.answer.value_or(QString()), !args.ignoreCase, args.pattern};
}

std::optional<Arguments> parseArguments(int argc, char **argv)
{
    Arguments args;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const QString word = QString::fromLocal8Bit(argv[i]);
        if (optionsEnded || !word.startsWith(u"--")) {
            args.inputs.append(word);
            continue;
        }
        if (word == u"--") {
            optionsEnded = true;
            continue;
        }
        if (word == u"--window" || word == u"--window-only") {
            args.window = true;
            args.windowOnly = word == u"--window-only";
            continue;
        }
        if (word == u"--undo-clear" || word == u"--undo-sort") {
            (word == u"--undo-clear" ? args.undoClear : args.undoSort) = true;
            continue;
        }
        if (word == u"--ignore-case" || word == u"--pattern") {
            (word == u"--pattern" ? args.pattern : args.ignoreCase) = true;
            continue;
        }
        if (i + 1 >= argc)
            return std::nullopt;
        const QString value = QString::fromLocal8Bit(argv[++i]);
        if (word == u"--option") {
            bool ok = false;
            args.row = value.toInt(&ok);
            const int rows = int(sortOptions().size());
            if (!ok || args.row < 0 || args.row >= rows)
                return std::nullopt;
        } else if (word == u"--arg") {
            args.answer = value;
        } else if (word == u"--locale") {
            if (!isDictionaryLanguage(value)) {
                std::fprintf(stderr, "tarnveil-bench: --locale: no dictionary order for \"%s\"\n",
                             qPrintable(value));
                return std::nullopt;
            }
            args.locale = value;
        } else if (word == u"--keys") {
            QString error;
            args.keys = fromJson(value.toUtf8(), &error);
            if (args.keys && !isValid(*args.keys)) {
                error = describeProblems(*args.keys);
                args.keys.reset();
            }
            if (!args.keys) {
                // Each problem on a line of its own, written whole: a reason
                // may hold a NUL, which "%s" would stop at.
                for (const QString &line : error.split(u'\n')) {
                    const QByteArray text = "tarnveil-bench: --keys: " + line.toUtf8() + '\n';
                    std::fwrite(text.constData(), 1, std::size_t(text.size()), stderr);
                }
                return std::nullopt;
            }
        } else if (word == u"--format") {
            const std::optional<Format> format = formatNamed(value);
            if (!format)
                return std::nullopt;
            args.format = *format;
        } else if (word == u"--load") {
            if (value == u"files")
                args.load = WindowAfterSort::Load::Files;
            else if (value == u"paste")
                args.load = WindowAfterSort::Load::Paste;
            else if (value == u"pipe")
                args.load = WindowAfterSort::Load::Pipe;
            else
                return std::nullopt;
        } else if (word == u"--out") {
            args.out = value;
        } else if (word == u"--find") {
            args.find = value;
        } else {
            return std::nullopt;
        }
    }
    if (args.row < 0 || args.out.isEmpty() || args.inputs.isEmpty())
        return std::nullopt;
    const OptionKey key = sortOptions()[std::size_t(args.row)].key;
    if ((args.locale && key != OptionKey::Dictionary) ||
        (args.keys && key != OptionKey::ChosenKeys)) {
        std::fprintf(stderr, "tarnveil-bench: --locale goes with option 27, --keys with 28\n");
        return std::nullopt;
    }
    if (key == OptionKey::ChosenKeys && !args.keys) {
        std::fprintf(stderr, "tarnveil-bench: option 28 needs --keys\n");
        return std::nullopt;
    }
    const bool filters = sortOptions()[std::size_t(args.row)].asks == SortAnswer::Filter;
    if ((args.ignoreCase || args.pattern) && !filters) {
        std::fprintf(stderr, "tarnveil-bench: --ignore-case and --pattern go with options 30 "
                             "and 31\n");
        return std::nullopt;
    }
    if ((args.undoClear || args.undoSort || args.find) && !args.window) {
        std::fprintf(stderr, "tarnveil-bench: --undo-clear, --undo-sort and --find go with "
                             "--window or --window-only\n");
        return std::nullopt;
    }
    if (filters) {
        const QString problem = filterProblem(filterOf(args));
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "tarnveil-bench: --arg: %s\n", qPrintable(problem));
            return std::nullopt;
        }
    }
    return args;
}
