#pragma once

#include "core/Failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class LoadMeter;

// Reading the bytes of a file or a stream whole, with the window alive, and
// the memory budget of a load: what would not fit in the machine's memory and
// swap is refused before the system has to end the program for it.
namespace TextReading {

// The bytes of a file, and how many of them are line feeds.
struct FileBytes
{
    QByteArray bytes;
    qint64 lineFeeds = 0;
    // How many of the first bytes were found to be UTF-8 while the file was
    // read (ending between characters).
    qsizetype knownUtf8 = 0;
};

qint64 lineFeedsIn(QByteArrayView bytes);

// The file's bytes, read in chunks. Throws Failure naming the file when it
// cannot be read (a folder, a special file, no permission) or held.
FileBytes readWholeFile(const QString &path, LoadMeter &meter);

// Everything a descriptor gives until its end. With an active meter it waits
// for input in short polls, yielding between them. Past memoryLimit bytes of
// need (0: the machine's memory and swap) it throws "Out of memory".
FileBytes readStream(int fd, const QString &source, LoadMeter &meter, qint64 memoryLimit);

// Whether a load that needs bytesNeeded fits (in limit, when given).
bool fitsInMemory(qint64 bytesNeeded, qint64 limit = 0);
// What loading a file of that size with that many lines needs.
qint64 bytesToLoad(qint64 fileSize, qint64 lines);

Failure outOfMemory(const QString &path);
Failure sourceOutOfMemory(const QString &source);

} // namespace TextReading
