#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

CommandLine readCommandLine(const QStringList &arguments, const QString &version,
                            const QString &workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Puts lines of text in order. The files given are loaded into the content list, in "
        u"their order; - reads standard input to its end in its place, as one more file "
        u"(grep ERROR app.log | tarnveil -)."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help."_s);
    const QCommandLineOption showVersion({u"v"_s, u"version"_s},
                                         u"Displays version information."_s);
    parser.addOption(help);
    parser.addOption(showVersion);
    parser.addPositionalArgument(u"files"_s, u"Text files to load; - for standard input."_s,
                                 u"[FILE...]"_s);

    // The usage line names the program as it is installed, whatever path
    // started it.
    QStringList named = arguments;
    if (named.isEmpty())
        named.append(u"tarnveil"_s);
    const QString usage = u"Usage: tarnveil [options] [FILE...]\n"_s;

    CommandLine line;
    if (!parser.parse(named)) {
        line.exitCode = 2;
        line.errorOutput = u"tarnveil: "_s + parser.errorText() + u"\n"_s + usage +
                           u"Try 'tarnveil --help' for more information.\n"_s;
        return line;
    }
    if (parser.isSet(help)) {
        line.exitCode = 0;
        QString text = parser.helpText();
        // helpText() starts with a usage line naming the path that started us.
        text = usage + text.mid(text.indexOf(u'\n') + 1);
        line.output = text;
        return line;
    }
    if (parser.isSet(showVersion)) {
        line.exitCode = 0;
        line.output = u"tarnveil "_s + version + u'\n';
        return line;
    }
    for (const QString &file : parser.positionalArguments()) {
        line.files.append(file == u"-" ? file
                                       : QFileInfo(QDir(workingFolder), file).absoluteFilePath());
    }
    return line;
}
