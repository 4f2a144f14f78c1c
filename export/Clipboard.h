#pragma once

#include <QString>

#include <optional>

// The system clipboard, plain text only. Each call that places something may
// fail when another program holds the clipboard.
class Clipboard
{
public:
    virtual ~Clipboard() = default;
    virtual bool clear() = 0;
    virtual bool setText(const QString &text) = 0;
    // The clipboard's plain text; nothing when it holds none.
    virtual std::optional<QString> plainText() = 0;
};
