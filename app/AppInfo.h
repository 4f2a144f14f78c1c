#pragma once

#include <QString>
#include <QStringView>

// The product name: the main window's caption.
QString ProductName();

// The short title, the caption of every box that names none of its own:
// the name loses its last word at least once, and further words until it
// is 40 characters or fewer. A name without blanks stays whole.
QString ShortTitle(QStringView productName);

// The folder that holds the program file.
QString ProgramFolder();

// True when the file system reports a modification time for the path; never
// throws.
bool FileExists(const QString &path) noexcept;

class QIcon;

// The application icon: a few lines of text, sorted by length.
QIcon ApplicationIcon();
