#include "core/Files.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>

bool fileExists(const QString &path) noexcept
{
    try {
        if (path.isEmpty())
            return false;
        const QFileInfo info(path);
        return info.exists() && info.lastModified().isValid();
    } catch (...) {
        return false;
    }
}

QString fileNameFromPath(QStringView path)
{
    const qsizetype separator = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.sliced(separator + 1).toString();
}
