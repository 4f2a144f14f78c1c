#pragma once

#include "lists/TextLoader.h"

#include <QByteArrayView>
#include <QStringList>

// The loader's rows, each a text of its own, for the tests to compare.

// The rows that a file of these bytes would give.
QStringList rowsFromBytes(QByteArrayView bytes, qsizetype knownUtf8 = 0);

// The rows of loadTextFile.
QStringList rowsFromTextFile(const QString &path, Progress *progress = nullptr);
