#pragma once

#include "sort/ChosenKey.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// A sort without a window: `tarnveil --sort ROW [...] [FILE... | -]` (see
// SortCommand.h). Everything in it has been checked against the row already.
struct SortRequest
{
    int row = 0;
    qint32 number = 0;                // --arg of a row that asks for a position
    QString text;                     // --arg of a row that asks for a text
    bool ignoreCase = false;          // --ignore-case, rows 30 and 31
    bool pattern = false;             // --pattern, the same
    std::optional<ChosenKeySet> keys; // --keys, row 28 (valid)
    QString keysFile;                 // --keys-file, whole path: read when the sort runs
    QString locale;                   // --locale, or the user's language, row 27
    QString output;                   // --output, whole path; empty for standard output
};

// What the command line asks for: `tarnveil [FILE...]` starts the window and
// loads the files ("-" reads standard input); --help, --version and
// --list-sorts print and end; --sort sorts the files without a window;
// anything else it does not know ends with the usage on stderr.
struct CommandLine
{
    // Set when the program ends at once, without a window.
    std::optional<int> exitCode;
    QString output;      // for stdout
    QString errorOutput; // for stderr
    // The files to load, whole paths from workingFolder, in their order; "-"
    // stays as it is and stands for standard input. With --sort and no
    // file, "-" alone.
    QStringList files;
    std::optional<SortRequest> sort; // set by --sort; exitCode is then unset
};

// What usage errors end with.
constexpr int UsageExitCode = 2;

// arguments as main() gets them, the program's name first. Needs no
// application object and no display.
CommandLine readCommandLine(const QStringList &arguments, const QString &version,
                            const QString &workingFolder);

// The keys of row 28 from their JSON (sort/ChosenKeyJson.h), checked; or
// nothing, with the reasons one a line in *problems: JSON that is no keys
// after source ("--keys: not JSON: ..."), the problems of keys that are not
// valid as describeProblems() gives them ("Key 2: The field number must be 1
// or more.").
std::optional<ChosenKeySet> validKeysFromJson(const QByteArray &json, const QString &source,
                                              QString *problems);

// Each line of text after the program's name, as stderr shows it.
QString programLines(const QString &text);

// `tarnveil --list-sorts`: every row but the separators, one a line, as
// "row TAB short name TAB caption".
QString sortList();
