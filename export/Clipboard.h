#pragma once

#include <QString>

// The system clipboard, plain text only. Each call may fail when another
// program holds the clipboard.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual bool clear() = 0;
    virtual bool setText(const QString &text) = 0;
};
