#include "app/ProductInfo.h"

#include <QCoreApplication>
#include <QIcon>

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

QString applicationId()
{
    return u"example.hallowmere.Tarnveil"_s;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(u":/icons/%1x%1/apps/"_s.arg(size) + applicationId() + u".png"_s);
    return icon;
}
