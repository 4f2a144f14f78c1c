#pragma once

#include "commands/SortKeysChooser.h"

#include <QList>

// Answers the "Sort Keys" dialog from a script: each call takes the next
// answer (nothing is Cancel), and keeps the lines it was asked to preview and
// how many of them were shortened.
class ScriptedKeysChooser final : public SortKeysChooser
{
public:
    QList<std::optional<ChosenKeySet>> answers;
    QList<QStringList> previews;
    QList<qsizetype> shortened;

    std::optional<ChosenKeySet> chooseKeys(const QStringList &previewLines,
                                           qsizetype shortenedLines) override
    {
        previews.append(previewLines);
        shortened.append(shortenedLines);
        if (answers.isEmpty())
            return std::nullopt;
        return answers.takeFirst();
    }
};
