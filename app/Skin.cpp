#include "app/Skin.h"

#include "core/Failure.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPalette>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

void takeButtonColour(QWidget &widget, const QColor &colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

} // namespace

QString skinPath(const QString &programFolder)
{
    return QDir(programFolder).filePath(u"x/o.cjs"_s);
}

bool skinFileExists(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

void applySkin(QWidget &window, QWidget &frame, const QString &programFolder)
{
    const QString path = skinPath(programFolder);
    if (!skinFileExists(path))
        return;

    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    takeButtonColour(window, buttonFace);
    takeButtonColour(frame, buttonFace);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.errorString() + u": "_s + path);
    const QByteArray sheet = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(file.errorString() + u": "_s + path);
    window.setStyleSheet(QString::fromUtf8(sheet));
}
