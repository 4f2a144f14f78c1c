#include "app/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

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
