#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

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
        u"-stylesheet, -reverse...) are taken too."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Displays this help."_s);
    const QCommandLineOption showVersion({u"v"_s, u"version"_s},
                                         u"Displays version information."_s);
    parser.addOption(help);
    parser.addOption(showVersion);
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
