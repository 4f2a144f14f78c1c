#include "app/CommandLine.h"

#include "core/Failure.h"
#include "core/NumberText.h"
#include "sort/ChosenKeyJson.h"
#include "sort/ChosenKeyProblems.h"
#include "sort/DictionaryOrder.h"
#include "sort/LineFilters.h"
#include "sort/SortOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The options every Qt program takes (QGuiApplication's and QApplication's,
// and those of the X11 platform), which QApplication removes from the
// arguments itself. The parser knows them only so that they are not taken
// for files or refused; --help leaves them out.
struct QtOption
{
    const char16_t *name;
    bool takesValue;
};
constexpr QtOption QtOptions[] = {
    {u"platform", true},
    {u"platformpluginpath", true},
    {u"platformtheme", true},
    {u"plugin", true},
    {u"qwindowgeometry", true},
    {u"qwindowicon", true},
    {u"qwindowtitle", true},
    {u"session", true},
    {u"display", true},
    {u"geometry", true},
    {u"style", true},
    {u"stylesheet", true},
    {u"qmljsdebugger", true},
    {u"name", true},
    {u"visual", true},
    {u"ncols", true},
    {u"cmap", true},
    {u"im", true},
    {u"reverse", false},
    {u"widgetcount", false},
    {u"nograb", false},
    {u"dograb", false},
    {u"sync", false},
};

const QString Usage = u"Usage: tarnveil [options] [FILE...]\n"
                      u"       tarnveil --sort ROW [options] [FILE... | -]\n"_s;
const QString TryHelp = u"Try 'tarnveil --help' for more information.\n"_s;

// A usage error: the reason, the usage, and where to read more.
QString usageError(const QString &reason)
{
    return u"tarnveil: "_s + reason + u'\n' + Usage + TryHelp;
}

// A row number as --sort takes it: decimal digits only.
std::optional<int> rowNumber(const QString &word)
{
    const bool digits = !word.isEmpty() && word.size() < 6 &&
                        std::all_of(word.begin(), word.end(),
                                    [](QChar c) { return c.isDigit() && c.unicode() < 128; });
    return digits ? std::optional(word.toInt()) : std::nullopt;
}

// The row that --sort names, by its number or its short name; a separator
// has neither.
std::optional<int> rowNamed(const QString &word)
{
    const auto &options = sortOptions();
    const std::optional<int> number = rowNumber(word);
    for (std::size_t row = 0; row < options.size(); ++row) {
        if (options[row].isSeparator())
            continue;
        if (number ? *number == int(row) : word == options[row].name)
            return int(row);
    }
    return std::nullopt;
}

// The options that only --sort takes, by name.
struct SortOptionNames
{
    QCommandLineOption sort{u"sort"_s,
                            u"Sorts the files without a window by the row of the "
                            u"sort options (its number or short name) and writes "
                            u"the result as \"Lines only\"."_s,
                            u"ROW"_s};
    QCommandLineOption argument{u"arg"_s,
                                u"The answer of a row that asks: a position (rows 3 and 7), "
                                u"the characters (9), the text to look for (30, 31)."_s,
                                u"TEXT"_s};
    QCommandLineOption ignoreCase{u"ignore-case"_s,
                                  u"Rows 30 and 31: letters match in either case."_s};
    QCommandLineOption pattern{u"pattern"_s, u"Rows 30 and 31: --arg is a regular expression."_s};
    QCommandLineOption keys{u"keys"_s, u"Row 28: the keys, as JSON."_s, u"JSON"_s};
    QCommandLineOption keysFile{u"keys-file"_s, u"Row 28: the keys, as JSON in a file."_s,
                                u"FILE"_s};
    QCommandLineOption locale{u"locale"_s,
                              u"Row 27: the language (de, sv, en_US...); the user's without it."_s,
                              u"NAME"_s};
    QCommandLineOption output{u"output"_s,
                              u"Writes the result to the file, replacing it only once complete "
                              u"(it may be one of the input files); standard output without it."_s,
                              u"FILE"_s};

    QList<const QCommandLineOption *> all() const
    {
        return {&sort, &argument, &ignoreCase, &pattern, &keys, &keysFile, &locale, &output};
    }
};

// What the row makes of --arg: nothing, or the reason it is refused.
std::optional<QString> takeArgument(const SortOption &option, const QString &given,
                                    SortRequest &request)
{
    if (option.asks == SortAnswer::Number) {
        // As the window's prompt tests its answer; a position below 1 fails
        // as the sort would fail on it.
        const QString quoted = u"--arg \""_s + given + u'"';
        const std::optional<double> number = parseNumber(given);
        if (!number)
            return quoted + u" is not a number ("_s + option.prompt + u')';
        try {
            request.number = roundToInt32(*number);
        } catch (const Failure &failure) {
            return quoted + u": "_s + failure.description();
        }
        if (request.number < 1)
            return quoted + u": "_s + Failure::invalidArgument().description() +
                   u" (counting starts at 1)"_s;
        return std::nullopt;
    }
    request.text = given;
    if (option.asks == SortAnswer::Filter) {
        const QString problem =
            filterProblem(LineFilter{given, !request.ignoreCase, request.pattern});
        if (!problem.isEmpty())
            return u"--arg: "_s + problem;
    }
    return std::nullopt;
}

// The request of --sort, checked against its row; or the usage error (its
// whole text for stderr) in *refusal, and for keys that are not valid their
// problems.
std::optional<SortRequest> readSortRequest(const QCommandLineParser &parser,
                                           const SortOptionNames &names,
                                           const QString &workingFolder, QString *refusal)
{
    const auto refuse = [&](const QString &reason) {
        *refusal = usageError(reason);
        return std::nullopt;
    };
    for (const QCommandLineOption *option : names.all()) {
        if (parser.optionNames().count(option->names().front()) > 1)
            return refuse(u"--"_s + option->names().front() + u" is given twice"_s);
    }
    const QString rowText = parser.value(names.sort);
    const std::optional<int> row = rowNamed(rowText);
    if (!row) {
        const std::optional<int> number = rowNumber(rowText);
        const bool separator = number && std::size_t(*number) < sortOptions().size();
        return refuse((separator ? u"row "_s + rowText + u" is a separator, no sort option"_s
                                 : u"no sort option \""_s + rowText + u'"') +
                      u" ('tarnveil --list-sorts' lists them)"_s);
    }
    const SortOption &option = sortOptions()[std::size_t(*row)];
    const QString rowName = u"row %1 (%2)"_s.arg(*row).arg(option.name);
    SortRequest request;
    request.row = *row;
    request.ignoreCase = parser.isSet(names.ignoreCase);
    request.pattern = parser.isSet(names.pattern);

    const bool asks = option.asks == SortAnswer::Number || option.asks == SortAnswer::Text ||
                      option.asks == SortAnswer::Filter;
    if (asks != parser.isSet(names.argument))
        return refuse(rowName + (asks ? u" needs --arg"_s : u" takes no --arg"_s));
    if ((request.ignoreCase || request.pattern) && option.asks != SortAnswer::Filter)
        return refuse(rowName + u" takes neither --ignore-case nor --pattern"_s);
    const bool keysGiven = parser.isSet(names.keys) || parser.isSet(names.keysFile);
    if (keysGiven != (option.asks == SortAnswer::Keys))
        return refuse(rowName + (keysGiven ? u" takes no keys"_s
                                           : u" needs --keys JSON or --keys-file FILE"_s));
    if (parser.isSet(names.keys) && parser.isSet(names.keysFile))
        return refuse(u"--keys and --keys-file: give one of them"_s);
    if (parser.isSet(names.locale) && option.key != OptionKey::Dictionary)
        return refuse(rowName + u" takes no --locale"_s);

    if (asks) {
        if (const std::optional<QString> reason =
                takeArgument(option, parser.value(names.argument), request))
            return refuse(*reason);
    }
    if (option.key == OptionKey::Dictionary) {
        // The user's language may be "", the root rules; a given one is named.
        request.locale =
            parser.isSet(names.locale) ? parser.value(names.locale) : userDictionaryLanguage();
        if (parser.isSet(names.locale) && !isDictionaryLanguage(request.locale))
            return refuse(u"--locale: no dictionary order for \""_s + request.locale + u'"');
    }
    if (parser.isSet(names.keys)) {
        QString problems;
        request.keys = validKeysFromJson(parser.value(names.keys).toUtf8(), u"--keys"_s, &problems);
        if (!request.keys) {
            *refusal = programLines(problems);
            return std::nullopt;
        }
    }
    const auto wholePath = [&](const QString &path) {
        return QFileInfo(QDir(workingFolder), path).absoluteFilePath();
    };
    if (parser.isSet(names.keysFile))
        request.keysFile = wholePath(parser.value(names.keysFile));
    const QString output = parser.value(names.output);
    if (parser.isSet(names.output) && output.isEmpty())
        return refuse(u"--output needs a file name (- for standard output)"_s);
    if (!output.isEmpty() && output != u"-")
        request.output = wholePath(output);
    return request;
}

} // namespace

CommandLine readCommandLine(const QStringList &arguments, const QString &version,
                            const QString &workingFolder)
{
    QCommandLineParser parser;
    // "-style Fusion" as Qt writes its options: one dash before a word.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        u"Puts lines of text in order. The files given are loaded into the content list, in "
        u"their order; - reads standard input to its end in its place, as one more file "
        u"(grep ERROR app.log | tarnveil -). Qt's standard options (-style, -platform, "
        u"-stylesheet, -reverse...) are taken too.\n"
        u"With --sort the files (standard input without any) are sorted without a window and "
        u"the result goes to standard output; see man tarnveil."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help."_s);
    const QCommandLineOption showVersion({u"v"_s, u"version"_s},
                                         u"Displays version information."_s);
    const QCommandLineOption listSorts(u"list-sorts"_s,
                                       u"Lists the rows --sort takes: number, short name, "
                                       u"caption."_s);
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addOption(listSorts);
    const SortOptionNames sortNames;
    for (const QCommandLineOption *option : sortNames.all())
        parser.addOption(*option);
    for (const QtOption &known : QtOptions) {
        QCommandLineOption option(QString::fromUtf16(known.name), QString(),
                                  known.takesValue ? u"value"_s : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addPositionalArgument(u"files"_s, u"Text files to load; - for standard input."_s,
                                 u"[FILE...]"_s);

    // The usage line names the program as it is installed, whatever path
    // started it.
    QStringList named = arguments;
    if (named.isEmpty())
        named.append(u"tarnveil"_s);

    CommandLine line;
    if (!parser.parse(named)) {
        line.exitCode = UsageExitCode;
        line.errorOutput = usageError(parser.errorText());
        return line;
    }
    if (parser.isSet(help)) {
        line.exitCode = 0;
        QString text = parser.helpText();
        // helpText() starts with a usage line naming the path that started us.
        text = Usage + text.mid(text.indexOf(u'\n') + 1);
        line.output = text;
        return line;
    }
    if (parser.isSet(showVersion)) {
        line.exitCode = 0;
        line.output = u"tarnveil "_s + version + u'\n';
        return line;
    }
    if (parser.isSet(listSorts)) {
        line.exitCode = 0;
        line.output = sortList();
        return line;
    }
    if (parser.isSet(sortNames.sort)) {
        QString refusal;
        line.sort = readSortRequest(parser, sortNames, workingFolder, &refusal);
        if (!line.sort) {
            line.exitCode = UsageExitCode;
            line.errorOutput = refusal;
            return line;
        }
    } else {
        for (const QCommandLineOption *option : sortNames.all()) {
            if (parser.isSet(*option)) {
                line.exitCode = UsageExitCode;
                line.errorOutput =
                    usageError(u"--"_s + option->names().front() + u" goes with --sort"_s);
                return line;
            }
        }
    }
    for (const QString &file : parser.positionalArguments()) {
        line.files.append(file == u"-" ? file
                                       : QFileInfo(QDir(workingFolder), file).absoluteFilePath());
    }
    if (line.sort && line.files.isEmpty())
        line.files.append(u"-"_s);
    return line;
}

std::optional<ChosenKeySet> validKeysFromJson(const QByteArray &json, const QString &source,
                                              QString *problems)
{
    QString reason;
    std::optional<ChosenKeySet> keys = fromJson(json, &reason);
    if (!keys) {
        *problems = source + u": "_s + reason;
        return std::nullopt;
    }
    if (!isValid(*keys)) {
        *problems = describeProblems(*keys);
        return std::nullopt;
    }
    return keys;
}

QString sortList()
{
    QString list;
    const auto &options = sortOptions();
    for (std::size_t row = 0; row < options.size(); ++row) {
        if (!options[row].isSeparator())
            list += u"%1\t%2\t%3\n"_s.arg(row).arg(options[row].name, options[row].caption);
    }
    return list;
}

QString programLines(const QString &text)
{
    QString lines;
    for (const QString &line : text.split(u'\n'))
        lines += u"tarnveil: "_s + line + u'\n';
    return lines;
}
