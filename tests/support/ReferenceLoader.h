#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

// A plain second implementation of the loader's decoding and splitting, for
// checking the one-pass loader (lists/TextLoader.h) against.

// The text of a file's bytes: 16-bit units after a first byte FF or FE
// (big-endian after the mark FE FF; the mark dropped, an odd last byte
// U+FFFD), else UTF-8 when all of it is valid (its mark dropped), else
// Windows-1252.
QString textFromFileBytes(QByteArrayView bytes);

// The rows of a text: carriage returns deleted, split at line feeds, lines
// empty after trimming spaces (U+0020 only) skipped.
QStringList rowsFromText(QStringView text);

// The decoded text of a whole file; empty when the file does not exist.
QString readWholeTextFile(const QString &path);
