#pragma once

#include "lists/TextLoader.h"

#include <QByteArray>

class LoadMeter;

// Turning a loaded text into rows: the text is split at its line feeds in
// place and becomes the rows' block, carriage returns deleted, lines of
// spaces only skipped. The work goes a piece at a time, the meter told in
// between, so a line of any length leaves the window alive.
namespace RowSplitting {

// The rows of UTF-8 text; lineFeeds is how many line feeds it holds.
LoadedText splitText(QByteArray text, qint64 lineFeeds, LoadMeter &meter);

// The rows of a file's bytes, in the file's encoding (see TextLoader.h):
// a UTF-8 file's bytes become the block as they are, checked as they are
// split (but for the first knownUtf8 bytes, found to be UTF-8 already);
// other files are converted first.
LoadedText rowsOfFileBytes(QByteArray bytes, qint64 lineFeeds, LoadMeter &meter,
                           qsizetype knownUtf8 = 0);

} // namespace RowSplitting
