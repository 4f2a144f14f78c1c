#pragma once

#include "commands/LineFilterChooser.h"

#include <QList>
#include <QStringList>

// Answers the line filter dialog from a script: each call takes the next
// answer (nothing is Cancel), and keeps the captions it was asked under.
class ScriptedFilterChooser final : public LineFilterChooser
{
public:
    QList<std::optional<LineFilter>> answers;
    QStringList captions;

    std::optional<LineFilter> chooseFilter(const QString &caption) override
    {
        captions.append(caption);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
};
