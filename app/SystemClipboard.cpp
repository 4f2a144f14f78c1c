#include "app/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

bool SystemClipboard::clear()
{
    QGuiApplication::clipboard()->clear();
    return true;
}

bool SystemClipboard::setText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    return true;
}

std::optional<QString> SystemClipboard::plainText()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        return std::nullopt;
    return mime->text();
}
