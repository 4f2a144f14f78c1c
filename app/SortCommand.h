#pragma once

#include "app/CommandLine.h"
#include "sort/ChosenKey.h"

#include <QString>
#include <QStringList>

// `tarnveil --sort ROW [...] [FILE... | -]`, the sort without a window: the
// files (and "-", standard input) load as "Load Text From File" loads them,
// the lines are sorted as "Start Sorting" sorts them by the row, and the
// result goes out as the "Lines only" save writes it: to standard output, or
// to request.output, which is replaced only once the whole result is written
// (it may be one of the files read). Nothing here needs a display or an
// application object.
//
// Failures go to stderr after "tarnveil: ", naming the file and the reason.
// Gives the exit code: 0 when done (a note on stderr counts the lines a
// pattern gave up on), 1 when a file could not be read or written or the
// sort failed (nothing is written then), 2 when the keys of --keys-file are
// not valid.
int runSortCommand(const SortRequest &request, const QStringList &files);

// The command that sorts by the keys, for a shell (POSIX quoting):
// tarnveil --sort 28 --keys '{"keys":[...],...}'.
QString sortCommandFor(const ChosenKeySet &keys);
