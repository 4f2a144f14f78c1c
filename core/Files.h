#pragma once

#include <QString>
#include <QStringView>

// True when the file system reports a modification time for the path; never
// throws.
bool fileExists(const QString &path) noexcept;

// The text after the last "\" or "/"; the whole text when there is neither.
QString fileNameFromPath(QStringView path);
