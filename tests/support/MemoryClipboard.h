#pragma once

#include "export/Clipboard.h"

#include <QString>

#include <optional>

// A clipboard in memory for tests and the benchmark. text is empty (nullopt)
// after clear() and before anything was placed; the next busyAttempts calls
// fail as if another program held the clipboard.
class MemoryClipboard final : public Clipboard
{
public:
    std::optional<QString> text;
    int busyAttempts = 0;
    int clears = 0;
    int setTexts = 0;
    int attempts = 0;

    bool clear() override
    {
        ++attempts;
        if (busyAttempts > 0) {
            --busyAttempts;
            return false;
        }
        ++clears;
        text.reset();
        return true;
    }

    bool setText(const QString &newText) override
    {
        ++attempts;
        if (busyAttempts > 0) {
            --busyAttempts;
            return false;
        }
        ++setTexts;
        text = newText;
        return true;
    }

    std::optional<QString> plainText() override { return text; }
};
