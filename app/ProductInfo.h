#pragma once

#include <QString>
#include <QStringView>

// The product name: the main window's caption.
QString productName();

// The short title, the caption of every box that names none of its own:
// the name loses its last word at least once, and further words until it
// is 40 characters or fewer. A name without blanks stays whole.
QString shortTitle(QStringView productName);

// The folder that holds the program file.
QString programFolder();

class QIcon;

// The reverse-DNS name of the desktop entry, the icon and the metainfo.
QString applicationId();

// The program's icon: a few lines of text, sorted by length.
QIcon applicationIcon();
