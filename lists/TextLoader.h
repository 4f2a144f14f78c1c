#pragma once

#include "lists/RowModel.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

class Progress;
class UserDialogs;

// Loading text into rows: a file's or a stream's bytes (standard input), or a
// text decoded already (a paste, a drop). The text is decoded, its carriage
// returns deleted and split at line feeds; lines that hold nothing but spaces
// are skipped, every other line becomes a row exactly as it stands. The
// pieces: TextReading (files and streams, the memory budget), TextDecoding
// (the encodings) and RowSplitting (rows in place).

// A file's bytes: a first byte FF or FE means 16-bit code units
// (big-endian after the mark FE FF, little-endian otherwise; the mark itself is
// dropped, an odd last byte becomes U+FFFD). Anything else is UTF-8 when all of
// it is valid UTF-8 (its mark dropped), and Windows-1252 otherwise. Carriage
// returns are deleted, the text is split at line feeds, and lines empty after
// trimming spaces (U+0020 only) are skipped.

// A loaded file: its decoded text as one block, and where its rows are in it.
struct LoadedText
{
    TextBlock block;
    std::vector<RowSpan> spans;
};

// The rows that loading the file appends; none for a path that fileExists
// denies. Throws Failure naming the file when it cannot be read (a folder, a
// special file, no permission) or is too large to hold in memory.
//
// With progress, the status shows "Loading: " and the file name, its position
// moves with the share of the file's bytes read, decoded and split, and the
// load yields in between (a closed window stops it there, with no row taken).
LoadedText loadTextFile(const QString &path, Progress *progress = nullptr);

// The rows of a text that was decoded already (a paste, a drop), by the same
// rules: carriage returns deleted, split at line feeds, lines of spaces only
// skipped. With progress, the status shows "Loading: " and the source's name
// and the split yields. Throws Failure when the rows would not fit in memory.
LoadedText loadText(QString text, const QString &source, Progress *progress = nullptr);

// The rows of everything a descriptor gives until its end (standard input),
// decoded as a file's bytes are. With progress, the status shows "Loading: "
// and the source's name, and the read waits for input while the window
// lives; without it, the read blocks. Since the size is not known ahead, the
// memory is checked as the bytes arrive: past memoryLimit bytes of need (0:
// the machine's memory and swap) it throws Failure ("Out of memory") and
// nothing of the input is kept.
LoadedText loadStream(int fd, const QString &source, Progress *progress = nullptr,
                      qint64 memoryLimit = 0);

// Appends loaded rows to a list in one insertion. Ten million spans take the
// window's thread some 50 ms to free on a slow machine: many are freed on a
// thread of their own.
void appendLoaded(RowModel &list, LoadedText loaded);

// Appends the rows of a file to a list in one insertion once the file is
// read whole, or shows "File not
// found: " and the path (no icon, the short title as caption) when the path
// names nothing.
// Throws Failure naming the file when it cannot be read or held in memory.
void appendTextFile(RowModel &list, const QString &path, UserDialogs &dialogs,
                    const QString &shortTitle, Progress *progress = nullptr);
