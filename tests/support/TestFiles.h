#pragma once

#include <QByteArray>
#include <QString>

// Files that tests make and read back, usually under a QTemporaryDir.

// Writes bytes to a new or replaced file, making its folders first; false
// when any of that fails.
bool writeFile(const QString &path, const QByteArray &bytes);

// The bytes of a file, or "<missing>" when it cannot be read.
QByteArray readFile(const QString &path);
