#include "app/ProductInfo.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>

using namespace Qt::StringLiterals;

QString productName()
{
    return u"Tarnveil"_s;
}

QString shortTitle(QStringView productName)
{
    constexpr qsizetype MaxLength = 40;
    QStringView title = productName;
    do {
        const qsizetype blank = title.lastIndexOf(u' ');
        if (blank < 0)
            break; // nothing left to cut at
        title = title.left(blank);
    } while (title.size() > MaxLength);
    return title.toString();
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x1f, 0x5f, 0x9f));
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
        painter.setBrush(Qt::white);
        const double bar = size / 8.0;
        for (int line = 0; line < 4; ++line) {
            const double width = size * (0.3 + 0.15 * line);
            painter.drawRect(QRectF(size * 0.15, size * 0.18 + line * bar * 1.6, width, bar));
        }
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
