#pragma once

#include "export/Clipboard.h"

// The desktop's clipboard through QClipboard, which cannot fail.
class SystemClipboard final : public Clipboard
{
public:
    bool clear() override;
    bool setText(const QString &text) override;
    std::optional<QString> plainText() override;
};
