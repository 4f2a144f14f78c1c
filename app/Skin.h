#pragma once

#include <QString>

class QWidget;

// The skin file under the program folder: "x/o.cjs".
QString skinPath(const QString &programFolder);

// True when the skin path names an ordinary, non-hidden file.
bool skinFileExists(const QString &path);

// When the skin file exists, the window and the frame take the button colour
// of the palette and the file applies as a style sheet to the window. Without
// the file nothing changes. A file that cannot be read throws Failure.
void applySkin(QWidget &window, QWidget &frame, const QString &programFolder);
