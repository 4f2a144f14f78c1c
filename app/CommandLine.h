#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for: `tarnveil [FILE...]` starts the window and
// loads the files ("-" reads standard input); --help and --version print and end; anything else it
// does not know ends with the usage on stderr.
struct CommandLine
{
    // Set when the program ends at once, without a window.
    std::optional<int> exitCode;
    QString output;      // for stdout
    QString errorOutput; // for stderr
    // The files to load, whole paths from workingFolder, in their order; "-"
    // stays as it is and stands for standard input.
    QStringList files;
};

// arguments as main() gets them, the program's name first. Needs no
// application object and no display.
CommandLine readCommandLine(const QStringList &arguments, const QString &version,
                            const QString &workingFolder);
